// The tray icon as the main window's controller sees it, on top of the tray component and
// the picture list. It also draws the text icons (a number, or a digit over a picture).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/imagelist_win32.h"
#include "ui/tray_view.h"
#include "ui/trayicon2_win32.h"

class TrayView : public TrayIconView {
public:
    // Both stay the caller's and must outlive the view.
    TrayView(TTrayIcon2& tray, ImageList& images) : tray_(&tray), images_(images) {}

    bool Active() const override { return tray_->Active(); }
    void SetActive(bool active) override { tray_->SetActive(active); }
    const std::string& ToolTip() const override { return tray_->ToolTip(); }
    void SetToolTip(const std::string& tip) override { tray_->SetToolTip(tip); }
    void SetTrayIcon(int index) override { tray_->SetTrayIcon(index); }
    int RenderTextIcon(const std::string& text, int index) override;
    int ImageCount() const override { return images_.Count(); }

protected:
    // The view now works on `tray` (a re-created component).
    void Rebind(TTrayIcon2& tray) { tray_ = &tray; }

private:
    TTrayIcon2* tray_;
    ImageList& images_;
};

// Draws `text` as a tray picture: with index < 0 black "Arial" 9 pt at (2, 1) on a 20 x 20
// white bitmap; otherwise 8 pt over picture `index` (16 x 16), at x = 8 for one character
// and x = 3 for more, y = -2. Returns a new 24-bit bitmap (the caller deletes it), or null.
HBITMAP DrawTextBitmap(const ImageList& images, const std::string& text, int index);

// The tray as the program runs it: the component and the pictures from the resources,
// owned together (the icon is removed before its pictures go).
struct TrayParts {
    TrayParts(HINSTANCE module, UINT bitmapId) : images(module, bitmapId), tray(std::make_unique<TTrayIcon2>()) {
        tray->SetImages(&images);
    }
    ImageList images;
    std::unique_ptr<TTrayIcon2> tray;
};

class ProgramTrayView : private TrayParts, public TrayView {
public:
    ProgramTrayView(HINSTANCE module, UINT bitmapId) : TrayParts(module, bitmapId), TrayView(*tray, images) {}
    TTrayIcon2& Tray() { return *tray; }
    ImageList& Images() { return images; }
    // Replaces the component by a new one made from its published properties (after a
    // restart of the shell); false when it is busy with one of its events and stays.
    bool RecreateTray() {
        if (tray->InEvent()) return false;
        tray = TTrayIcon2::Recreate(std::move(tray));
        Rebind(*tray);
        return true;
    }
};

