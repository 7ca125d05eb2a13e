// The Windows view of a set of controls (controls.h): one child window per control, made
// from its kind's row in controls_win32.cpp (window class, styles, what is sent after
// creation, how a change and a notification are handled), kept in step with the model
// through each control's observer, and the windows' notifications turned back into the
// model's changes. Timers run on the owner window; menu items get command ids.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "common/handles_win32.h"
#include "ui/controls.h"

struct ControlKindRow;

// One control and its windows.
struct ControlWindow {
    Control* control = nullptr;
    const ControlKindRow* row = nullptr;
    int id = 0;
    HWND window = nullptr;
    std::vector<HWND> items;  // a radio group's item buttons
    std::vector<int> itemIds;
};

class ControlWindows {
public:
    // `owner`: the window whose client area holds the controls that sit on no page, and
    // which gets their notifications (and runs the timers). Hints stay `hintPause` ms.
    ControlWindows(HWND owner, HINSTANCE instance, UINT hintPause);
    ~ControlWindows();
    ControlWindows(const ControlWindows&) = delete;
    ControlWindows& operator=(const ControlWindows&) = delete;

    // Gives every control its id and starts listening to it; timers run from now on. The
    // windows wait for CreateWindows.
    void Attach(const std::vector<Control*>& controls);
    // Stops listening and stops the timers (the windows go with their owner).
    void Detach();
    // Makes the windows of every control, once.
    void CreateWindows();
    bool WindowsCreated() const { return created_; }

    // A message of the owner window or of a page: notifications of the controls' windows,
    // timers, cursors, owner-drawn pictures, Enter and Esc. True when it was handled;
    // `result` is then the message's result.
    bool Handle(UINT message, WPARAM wp, LPARAM lp, LRESULT& result);

    // The tray menu of these menu items, with their check marks and command ids (the
    // commands come back through Handle as WM_COMMAND).
    HMENU BuildMenu(const std::vector<MenuItem*>& items) const;

    ControlWindow* Find(const Control& c) const;
    HWND WindowOf(const Control& c) const;
    HWND Tooltip() const { return tooltip_; }

    // Used by the kinds' rows.
    HWND ParentWindowOf(const Control& c) const;
    HFONT FontFor(const Control& c);
    HINSTANCE Instance() const { return instance_; }
    HWND Owner() const { return owner_; }
    void CreateRadioItems(ControlWindow& w);
    void UpdateHints(ControlWindow& w);
    void Update(ControlWindow& w, const Change& change);

private:
    struct Target {
        ControlWindow* record;
        int item;  // a radio group's item, or -1 for the control's own window
    };
    static LRESULT CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
    void RegisterPageClass();
    void CreateWindowOf(ControlWindow& w);
    int NewId(ControlWindow& w, int item);
    const Target* TargetOf(int id) const;
    const Target* TargetOf(HWND window) const;
    bool Notified(const Target& target, UINT message, UINT code, HWND from, LPARAM lp, LRESULT& result);
    bool PressDialogButton(int id);
    bool SetCursorOver(HWND window, LRESULT& result);

    HWND owner_;
    HINSTANCE instance_;
    UINT hintPause_;
    HWND tooltip_ = nullptr;
    bool created_ = false;
    std::vector<std::unique_ptr<ControlWindow>> records_;
    std::vector<Target> targets_;  // by id - kFirstId
    struct FontKey {
        int points;
        bool bold;
        auto operator<=>(const FontKey&) const = default;
    };
    std::map<FontKey, win32::Font> fonts_;
};
