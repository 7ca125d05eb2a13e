#include "ui/tray_view_win32.h"

namespace {

// A font of `points` at the screen's resolution, as a size in points is meant. Not
// smoothed: white is the transparent colour, and smoothing against white would leave a pale
// fringe around the digits on a dark taskbar.
HFONT ArialFont(int points) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

}  // namespace

HBITMAP DrawTextBitmap(const ImageList& images, const std::string& text, int index) {
    const bool onWhite = index < 0;
    HBITMAP bitmap = onWhite ? WhiteBitmap(20) : images.GetBitmap(index);
    if (!bitmap) return nullptr;
    HFONT font = ArialFont(onWhite ? 9 : 8);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    int x = onWhite ? 2 : (text.size() == 1 ? 8 : 3);
    int y = onWhite ? 1 : -2;
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
    GdiFlush();
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    DeleteObject(font);
    return bitmap;
}

int TrayView::RenderTextIcon(const std::string& text, int index) {
    int slot = images_.Count() - 1;
    if (slot < 0) return -1;
    HBITMAP bitmap = DrawTextBitmap(images_, text, index);
    if (bitmap) {
        images_.ReplaceMasked(slot, bitmap);
        DeleteObject(bitmap);
    }
    return slot;
}
