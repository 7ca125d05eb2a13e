#include "ui/url_label.h"

#include "common/text.h"

const std::string& TUrlLabel::Target() const { return Trim(URL).empty() ? Caption : URL; }

void TUrlLabel::Click() {
    if (OnClick) OnClick();
    // The shell gets the target untrimmed: what the label holds is what it opens.
    const std::string target = Target();
    if (!Trim(target).empty()) shell_.Open(target);
}

void TUrlLabel::MouseDown(TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbLeft) return;
    // A second press without a release in between keeps the colour from before the first,
    // so the label cannot stay ActiveColor for good.
    if (!leftHeld_) savedColor_ = FontColor;
    leftHeld_ = true;
    FontColor = ActiveColor;
}

void TUrlLabel::MouseUp(TMouseButton button, TShiftState, int, int) {
    if (button != TMouseButton::mbLeft) return;
    // A release without a press here (the button went down elsewhere and was let go over
    // the label) leaves the colour alone: there is nothing to restore.
    if (!leftHeld_) return;
    leftHeld_ = false;
    FontColor = savedColor_;
}

void TUrlLabel::CancelMode() { MouseUp(TMouseButton::mbLeft, 0, 0, 0); }

void TUrlLabel::CopyClick() { shell_.CopyText(Caption); }
