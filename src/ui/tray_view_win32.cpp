#include "ui/tray_view_win32.h"

namespace {

// A font of `points` at the screen's resolution, as a size in points is meant. Not
// smoothed: white is the transparent colour, and smoothing against white would leave a pale
// fringe around the digits on a dark taskbar.
win32::Font ArialFont(int points) {
    const win32::WindowDC screen;
    const int height = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    return win32::Font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, "Arial"));
}

}  // namespace

win32::Bitmap DrawTextBitmap(const ImageList& images, const std::string& text, int index) {
    const bool onWhite = index < 0;
    win32::Bitmap bitmap = onWhite ? WhiteBitmap(20) : images.GetBitmap(index);
    if (!bitmap) return bitmap;
    const win32::Font font = ArialFont(onWhite ? 9 : 8);
    const win32::MemoryDC dc(nullptr);
    {
        const win32::Selection selectBitmap(dc.Get(), bitmap.Get());
        const win32::Selection selectFont(dc.Get(), font.Get());
        SetTextColor(dc.Get(), RGB(0, 0, 0));
        SetBkMode(dc.Get(), TRANSPARENT);
        const int x = onWhite ? 2 : (text.size() == 1 ? 8 : 3);
        const int y = onWhite ? 1 : -2;
        TextOutA(dc.Get(), x, y, text.data(), static_cast<int>(text.size()));
        GdiFlush();
    }
    return bitmap;
}

ProgramTrayView::ProgramTrayView(HINSTANCE module, UINT bitmapId)
    : images_(module, bitmapId), tray_(std::make_unique<TTrayIcon2>()) {
    tray_->SetImages(&images_);
}

int ProgramTrayView::RenderTextIcon(const std::string& text, int index) {
    const int slot = images_.Count() - 1;
    if (slot < 0) return -1;
    if (const win32::Bitmap bitmap = DrawTextBitmap(images_, text, index)) images_.ReplaceMasked(slot, bitmap.Get());
    return slot;
}

bool ProgramTrayView::RecreateTray() {
    if (tray_->InEvent()) return false;
    tray_ = TTrayIcon2::Recreate(std::move(tray_));
    return true;
}
