// The tray icon as the main window's controller sees it: activity, tooltip, pictures and
// the text icons drawn into the drawing slot.
#pragma once
#include <string>

class TrayIconView {
public:
    virtual ~TrayIconView() = default;
    virtual bool Active() const = 0;
    virtual void SetActive(bool active) = 0;
    virtual const std::string& ToolTip() const = 0;
    virtual void SetToolTip(const std::string& tip) = 0;
    // Shows picture `index` of the tray pictures.
    virtual void SetTrayIcon(int index) = 0;
    // Draws `text` into the drawing slot (on white when index < 0, over picture `index`
    // otherwise) and returns the slot's index.
    virtual int RenderTextIcon(const std::string& text, int index) = 0;
    virtual int ImageCount() const = 0;
};
