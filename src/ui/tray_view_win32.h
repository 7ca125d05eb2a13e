// The program's tray as the main window's controller sees it: the tray component and its
// pictures, owned together, and the text icons (a number, or a digit over a picture) drawn
// into the last picture.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "common/handles_win32.h"
#include "ui/imagelist_win32.h"
#include "ui/tray_view.h"
#include "ui/trayicon2_win32.h"

// Draws `text` as a tray picture: with index < 0 black "Arial" 9 pt at (2, 1) on a 20 x 20
// white bitmap; otherwise 8 pt over picture `index` (16 x 16), at x = 8 for one character
// and x = 3 for more, y = -2. Returns a new 24-bit bitmap, or none.
win32::Bitmap DrawTextBitmap(const ImageList& images, const std::string& text, int index);

class ProgramTrayView : public TrayIconView {
public:
    // The pictures of the bitmap strip `bitmapId` of `module`; none when it cannot be loaded
    // (Images() can take them from a file then).
    ProgramTrayView(HINSTANCE module, UINT bitmapId);

    bool Active() const override { return tray_->Active(); }
    void SetActive(bool active) override { tray_->SetActive(active); }
    const std::string& ToolTip() const override { return tray_->ToolTip(); }
    void SetToolTip(const std::string& tip) override { tray_->SetToolTip(tip); }
    void SetTrayIcon(int index) override { tray_->SetTrayIcon(index); }
    int RenderTextIcon(const std::string& text, int index) override;
    int ImageCount() const override { return images_.Count(); }

    TTrayIcon2& Tray() { return *tray_; }
    ImageList& Images() { return images_; }
    // Replaces the component by a new one made from its properties (after a restart of the
    // shell); false when it is busy with one of its events and stays.
    bool RecreateTray();

private:
    // In this order: the icon is removed before its pictures go.
    ImageList images_;
    std::unique_ptr<TTrayIcon2> tray_;
};
