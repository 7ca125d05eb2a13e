#include "ui/imagelist_win32.h"

#include <algorithm>
#include <cstdint>

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
    const win32::WindowDC screen;
    return GetDIBits(screen.Get(), bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS) == height;
}

bool IsTransparent(uint32_t bgrx) {
    return (bgrx & 0xFFFFFF) == 0xFFFFFF;
}

// A square top-down device-independent bitmap of `bitCount` bits per pixel; `bits` gets
// its pixels.
win32::Bitmap TopDownBitmap(int size, WORD bitCount, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = bitCount;
    bi.bmiHeader.biCompression = BI_RGB;
    return win32::Bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
}

// One 16 x 16 piece of a pixel buffer as a colour bitmap and its mask: mask bit 1 =
// transparent, and transparent colour pixels black so that drawing through the mask leaves
// the background untouched. Both stay empty when the system refuses a bitmap.
void MakePiece(const std::vector<uint32_t>& pixels, int width, int height, int left, win32::Bitmap& image,
               win32::Bitmap& mask) {
    const int n = ImageList::kSize;
    void* bits = nullptr;
    image = TopDownBitmap(n, 32, &bits);
    if (!image) return;
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
    mask.Reset(CreateBitmap(n, n, 1, 1, maskBits));
    if (!mask) image.Reset();
}

win32::Bitmap LoadBitmapImage(HINSTANCE module, const char* name, UINT flags) {
    return win32::Bitmap(
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, flags | LR_CREATEDIBSECTION)));
}

}  // namespace

ImageList::ImageList() = default;

ImageList::ImageList(HINSTANCE module, UINT bitmapId) {
    if (const win32::Bitmap strip = LoadBitmapImage(module, MAKEINTRESOURCEA(bitmapId), 0)) AddStrip(strip.Get());
}

ImageList::~ImageList() {
    // Listeners may remove themselves while being told; work on a copy.
    auto listeners = std::move(listeners_);
    listeners_.clear();
    for (auto& l : listeners)
        if (l.onFree) l.onFree();
}

bool ImageList::AddStrip(HBITMAP strip) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!ReadPixels(strip, width, height, pixels) || width % kSize != 0 || height < kSize) return false;
    for (int left = 0; left < width; left += kSize) {
        Picture p;
        MakePiece(pixels, width, height, left, p.image, p.mask);
        if (!p.image) return false;
        pictures_.push_back(std::move(p));
    }
    return true;
}

bool ImageList::AddStripFromFile(const char* path) {
    const win32::Bitmap strip = LoadBitmapImage(nullptr, path, LR_LOADFROMFILE);
    return strip && AddStrip(strip.Get());
}

int ImageList::Count() const {
    return static_cast<int>(pictures_.size());
}

win32::Icon ImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count()) return {};
    // The colour bitmap carries no alpha, so the mask decides what shows.
    ICONINFO info{TRUE, 0, 0, pictures_[index].mask.Get(), pictures_[index].image.Get()};
    return win32::Icon(CreateIconIndirect(&info));
}

void ImageList::Draw(int index, HDC dc, int x, int y) const {
    if (index < 0 || index >= Count()) return;
    // The mask clears the opaque pixels (its set bits, the transparent ones, come out white
    // and keep the background), then the picture, black where transparent, is added in.
    const win32::MemoryDC source(dc);
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
    {
        const win32::Selection mask(source.Get(), pictures_[index].mask.Get());
        BitBlt(dc, x, y, kSize, kSize, source.Get(), 0, 0, SRCAND);
    }
    {
        const win32::Selection image(source.Get(), pictures_[index].image.Get());
        BitBlt(dc, x, y, kSize, kSize, source.Get(), 0, 0, SRCPAINT);
    }
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

win32::Bitmap WhiteBitmap(int size) {
    void* bits = nullptr;
    win32::Bitmap bitmap = TopDownBitmap(size, 24, &bits);
    if (!bitmap) return bitmap;
    // White is all bits set, in every bits-per-pixel.
    const int stride = (size * 3 + 3) / 4 * 4;
    std::fill_n(static_cast<uint8_t*>(bits), static_cast<size_t>(stride) * size, uint8_t{0xFF});
    return bitmap;
}

win32::Bitmap ImageList::GetBitmap(int index) const {
    win32::Bitmap bitmap = WhiteBitmap(kSize);
    if (!bitmap || index < 0 || index >= Count()) return bitmap;
    const win32::MemoryDC dc(nullptr);
    const win32::Selection select(dc.Get(), bitmap.Get());
    Draw(index, dc.Get(), 0, 0);
    GdiFlush();
    return bitmap;
}

bool ImageList::ReplaceMasked(int index, HBITMAP bitmap) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (index < 0 || index >= Count() || !ReadPixels(bitmap, width, height, pixels)) return false;
    Picture p;
    MakePiece(pixels, width, height, 0, p.image, p.mask);
    if (!p.image) return false;
    pictures_[index] = std::move(p);
    return true;
}

void ImageList::AddFreeNotification(const void* key, std::function<void()> onFree) {
    RemoveFreeNotification(key);
    listeners_.push_back({key, std::move(onFree)});
}

void ImageList::RemoveFreeNotification(const void* key) {
    const auto held = [key](const Listener& l) { return l.key == key; };
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), held), listeners_.end());
}
