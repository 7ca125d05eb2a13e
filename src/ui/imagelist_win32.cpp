#include "ui/imagelist_win32.h"

#include <cstdint>
#include <cstring>

namespace {

// The pixels of a whole bitmap as 32-bit BGRX values, top row first.
bool ReadPixels(HBITMAP bitmap, int& width, int& height, std::vector<uint32_t>& pixels) {
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return false;
    width = info.bmWidth;
    height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    HDC dc = GetDC(nullptr);
    int lines = GetDIBits(dc, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return lines == height;
}

bool IsTransparent(uint32_t bgrx) {
    return (bgrx & 0xFFFFFF) == 0xFFFFFF;
}

// A square top-down device-independent bitmap of `bitCount` bits per pixel; `bits` gets
// its pixels.
HBITMAP TopDownBitmap(int size, WORD bitCount, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = bitCount;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

// One 16 x 16 piece of a pixel buffer as a colour bitmap and its mask:
// mask bit 1 = transparent, and transparent colour pixels black so that drawing through
// the mask leaves the background untouched.
bool MakePiece(const std::vector<uint32_t>& pixels, int width, int height, int left, HBITMAP& image,
               HBITMAP& mask) {
    const int n = ImageList::kSize;
    void* bits = nullptr;
    image = TopDownBitmap(n, 32, &bits);
    if (!image) return false;
    auto* out = static_cast<uint32_t*>(bits);
    uint8_t maskBits[ImageList::kSize * 2] = {};  // rows of 16 bits, word aligned
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            // Outside the source counts as transparent (a source smaller than the slot).
            bool inside = left + x < width && y < height;
            uint32_t p = inside ? pixels[static_cast<size_t>(y) * width + left + x] : 0xFFFFFF;
            if (IsTransparent(p)) {
                out[y * n + x] = 0;
                maskBits[y * 2 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                out[y * n + x] = p & 0xFFFFFF;
            }
        }
    }
    GdiFlush();
    mask = CreateBitmap(n, n, 1, 1, maskBits);
    if (!mask) {
        DeleteObject(image);
        image = nullptr;
        return false;
    }
    return true;
}

}  // namespace

ImageList::ImageList() = default;

ImageList::ImageList(HINSTANCE module, UINT bitmapId) {
    auto strip = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (strip) {
        AddStrip(strip);
        DeleteObject(strip);
    }
}

ImageList::~ImageList() {
    // Listeners may remove themselves while being told; work on a copy.
    auto listeners = listeners_;
    listeners_.clear();
    for (auto& l : listeners)
        if (l.onFree) l.onFree();
    for (Picture& p : pictures_) Free(p);
}

void ImageList::Free(Picture& picture) {
    DeleteObject(picture.image);
    DeleteObject(picture.mask);
    picture = {};
}

bool ImageList::AddStrip(HBITMAP strip) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!ReadPixels(strip, width, height, pixels) || width % kSize != 0 || height < kSize) return false;
    for (int left = 0; left < width; left += kSize) {
        Picture p;
        if (!MakePiece(pixels, width, height, left, p.image, p.mask)) return false;
        pictures_.push_back(p);
    }
    return true;
}

bool ImageList::AddStripFromFile(const char* path) {
    auto strip = static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!strip) return false;
    bool ok = AddStrip(strip);
    DeleteObject(strip);
    return ok;
}

int ImageList::Count() const {
    return static_cast<int>(pictures_.size());
}

HICON ImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    // The colour bitmap carries no alpha, so the mask decides what shows.
    ICONINFO info{TRUE, 0, 0, pictures_[index].mask, pictures_[index].image};
    return CreateIconIndirect(&info);
}

void ImageList::Draw(int index, HDC dc, int x, int y) const {
    if (index < 0 || index >= Count()) return;
    // The mask clears the opaque pixels (its set bits, the transparent ones, come out white
    // and keep the background), then the picture, black where transparent, is added in.
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, pictures_[index].mask);
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, kSize, kSize, source, 0, 0, SRCAND);
    SelectObject(source, pictures_[index].image);
    BitBlt(dc, x, y, kSize, kSize, source, 0, 0, SRCPAINT);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    SelectObject(source, old);
    DeleteDC(source);
}

HBITMAP WhiteBitmap(int size) {
    void* bits = nullptr;
    HBITMAP bitmap = TopDownBitmap(size, 24, &bits);
    if (!bitmap) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

HBITMAP ImageList::GetBitmap(int index) const {
    HBITMAP bitmap = WhiteBitmap(kSize);
    if (!bitmap || index < 0 || index >= Count()) return bitmap;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    Draw(index, dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

bool ImageList::ReplaceMasked(int index, HBITMAP bitmap) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (index < 0 || index >= Count() || !ReadPixels(bitmap, width, height, pixels)) return false;
    Picture p;
    if (!MakePiece(pixels, width, height, 0, p.image, p.mask)) return false;
    Free(pictures_[index]);
    pictures_[index] = p;
    return true;
}

void ImageList::AddFreeNotification(const void* key, std::function<void()> onFree) {
    RemoveFreeNotification(key);
    listeners_.push_back({key, std::move(onFree)});
}

void ImageList::RemoveFreeNotification(const void* key) {
    for (auto it = listeners_.begin(); it != listeners_.end();) {
        if (it->key == key)
            it = listeners_.erase(it);
        else
            ++it;
    }
}
