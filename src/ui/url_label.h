// TUrlLabel: a text label that behaves like a web link. It is blue and underlined, shows a
// hand cursor, takes ActiveColor while the left button is held on it, opens its target with
// the shell's default handler when clicked, and has a context menu with one entry, "Copy",
// that puts its caption on the clipboard.
//
// These are the label's rules; its window, the cursor, the menu and the calls into the
// shell and the clipboard are the platform's (url_label_win32.*).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "ui/mouse.h"

// A colour in the system's blue-green-red order (0x00BBGGRR).
using TColor = uint32_t;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clPurple = 0x800080;

// What the label needs from the system.
class UrlLabelShell {
public:
    virtual ~UrlLabelShell() = default;
    // Opens `target` with the shell's "open" verb, exactly as given.
    virtual void Open(const std::string& target) = 0;
    // Puts `text` on the clipboard as text.
    virtual void CopyText(const std::string& text) = 0;
};

class TUrlLabel {
public:
    // The caption of the context menu's one entry.
    static constexpr const char* kCopyCaption = "Copy";

    explicit TUrlLabel(UrlLabelShell& shell) : shell_(shell) {}

    std::string Caption;
    // The target to open; when it is empty or blank the caption is opened instead.
    std::string URL;
    TColor ActiveColor = clPurple;
    TColor FontColor = clBlue;
    bool FontUnderline = true;
    // The user's click event; runs before the target is opened.
    std::function<void()> OnClick;

    // What a click opens: URL as stored, or the caption when URL is blank.
    const std::string& Target() const;
    // A completed click: the user's event, then the target opened unless it is blank too.
    void Click();
    // The left button turns the text ActiveColor until it is released.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The press ended without a release here (the window lost the mouse): the colour
    // comes back, nothing is opened.
    void CancelMode();
    // The context menu's "Copy": the caption, not the target, goes to the clipboard.
    void CopyClick();

    // True between a left press on the label and its release.
    bool LeftHeld() const { return leftHeld_; }

private:
    UrlLabelShell& shell_;
    TColor savedColor_ = clBlue;
    bool leftHeld_ = false;
};
