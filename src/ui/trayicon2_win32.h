// TTrayIcon2: owns the program's one icon in the notification area. It adds, changes and
// removes the icon through Shell_NotifyIconA, keeps its tooltip, can animate through a
// picture list, and turns the shell's mouse notifications into events and a pop-up menu.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/handles_win32.h"
#include "ui/mouse.h"

class ImageList;
class TTrayIcon2;

// The notification record goes out in its first layout (64-byte tip): every shell since the
// first one takes it, and the program needs nothing the later layouts add. Its size is the
// headers' NOTIFYICONDATAA_V1_SIZE, 88 bytes in a 32-bit program.
#if !defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the shell expects the 88-byte record");
#endif

// The component's published properties, events and menu: everything a re-created component
// takes over. Re-creation moves this value whole, so a property added here survives it
// without further code.
struct TrayIconProperties {
    using TNotifyEvent = std::function<void(TTrayIcon2& sender)>;
    using TMouseEvent =
        std::function<void(TTrayIcon2& sender, TMouseButton button, TShiftState shift, int x, int y)>;
    // Runs the command chosen in the pop-up menu (the item's identifier).
    using TMenuCommand = std::function<void(UINT command)>;

    bool active = false;
    bool animate = false;
    int animateInterval = 100;
    bool hideAppOnActive = false;
    bool showDesigning = false;
    win32::Icon icon;  // the component's own copy of the picture shown
    ImageList* images = nullptr;
    std::string toolTip;
    HMENU popupMenu = nullptr;        // stays the host's
    std::function<HMENU()> buildMenu;  // or a menu built for each opening
    TMenuCommand onMenuCommand;
    TNotifyEvent onMenuPopup;
    std::function<HWND()> applicationWindow;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnRightClick;
};

// The properties are the component's base: its events read as its own members, and
// re-creation takes the base in one piece.
class TTrayIcon2 : private TrayIconProperties {
public:
    using TrayIconProperties::TMenuCommand;
    using TrayIconProperties::TMouseEvent;
    using TrayIconProperties::TNotifyEvent;

    // The longest tooltip the component passes on (the record's tip holds 64 bytes).
    static constexpr size_t kMaxToolTip = 62;

    // `designing`: the host is being designed, not run; only ShowDesigning shows the icon then.
    explicit TTrayIcon2(bool designing = false) : TTrayIcon2(TrayIconProperties{}, designing) {}
    ~TTrayIcon2();
    TTrayIcon2(const TTrayIcon2&) = delete;
    TTrayIcon2& operator=(const TTrayIcon2&) = delete;

    // ---- published properties ----
    bool Active() const { return active; }
    void SetActive(bool value);
    bool Animate() const { return animate; }
    void SetAnimate(bool value);
    int AnimateInterval() const { return animateInterval; }
    void SetAnimateInterval(int ms);
    bool HideAppOnActive() const { return hideAppOnActive; }
    void SetHideAppOnActive(bool value) { hideAppOnActive = value; }
    bool ShowDesigning() const { return showDesigning; }
    void SetShowDesigning(bool value);
    // The icon shown; the component keeps its own copy of the picture.
    HICON Icon() const { return icon.Get(); }
    void SetIcon(HICON picture);
    ImageList* Images() const { return images; }
    void SetImages(ImageList* list);
    const std::string& ToolTip() const { return toolTip; }
    void SetToolTip(const std::string& text);
    HMENU PopupMenu() const { return popupMenu; }
    // The menu shown on a right-button release; `onCommand` runs the chosen item and
    // `onPopup` runs just before the menu opens (to update check marks). The menu stays
    // the caller's.
    void SetPopupMenu(HMENU menu, TMenuCommand onCommand, TNotifyEvent onPopup = {});
    // The same with a menu built afresh each time it opens (and destroyed after it closed),
    // for hosts that keep their menu as data.
    void SetPopupMenuBuilder(std::function<HMENU()> build, TMenuCommand onCommand);
    bool HasPopupMenu() const { return popupMenu || buildMenu; }

    using TrayIconProperties::OnClick;
    using TrayIconProperties::OnDblClick;
    using TrayIconProperties::OnRightClick;

    // Shows picture `index` of Images, ending any animation; nothing when out of range.
    void SetTrayIcon(int index);

    // The application's main window: brought to the foreground before the menu opens,
    // hidden while the icon is active when HideAppOnActive is set, and handed the close
    // requests the component's window gets. Defaults to none. The provider form serves hosts
    // whose window comes to exist after the component.
    void SetApplicationWindow(HWND window) {
        applicationWindow = [window] { return window; };
    }
    void SetApplicationWindowProvider(std::function<HWND()> provider) { applicationWindow = std::move(provider); }
    HWND ApplicationWindow() const { return applicationWindow ? applicationWindow() : nullptr; }

    // The hidden window that receives the shell's callbacks.
    HWND Handle() const { return window_; }
    int FrameIndex() const { return frame_; }
    // The process-wide registered messages "WM_TOOLTRAYICON" and "WM_RESETTOOLTIP".
    static UINT CallbackMessage();
    static UINT ResetToolTipMessage();
    static UINT TaskbarCreatedMessage();

    // A new component in place of `old`, made from its properties: an active icon is added
    // to the shell again, with its current picture and tooltip. The old component is
    // destroyed first. While `old` is inside one of its own events (which may run a message
    // loop, and with it the caller), it cannot go: then `old` is handed back as it is.
    static std::unique_ptr<TTrayIcon2> Recreate(std::unique_ptr<TTrayIcon2> old);
    // True while the component is raising one of its events or showing its menu.
    bool InEvent() const { return inEvent_ > 0; }

private:
    // A component that starts from `properties`: an icon they show is added at once.
    TTrayIcon2(TrayIconProperties properties, bool designing);

    void Fill(UINT parts);
    bool AddIcon();
    bool ModifyIcon(UINT parts);
    bool DeleteIcon();
    void ShowIcon(bool shown);
    void WatchImages();
    bool CanAnimate() const;
    void StartAnimation();
    void AnimationTick();
    void ShowPicture(int index);
    void MouseNotification(UINT mouseMessage);
    void RightClick();
    void MenuCommand(UINT command);
    void ShellRestarted();
    void PassCloseRequest();
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    const bool designing_;
    win32::Icon savedIcon_;  // the picture before the animation
    HWND window_ = nullptr;
    int frame_ = 0;
    int inEvent_ = 0;
    NOTIFYICONDATAA record_{};
};
