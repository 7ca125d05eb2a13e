#include "ui/trayicon2_win32.h"

#include <shellapi.h>

#include <cstring>

#include "common/library_win32.h"
#include "ui/imagelist_win32.h"

namespace {

const char kWindowClass[] = "TTrayIcon2Window";
const UINT_PTR kAnimationTimer = 1;

ATOM RegisterHiddenClass(WNDPROC proc) {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        atom = RegisterClassA(&wc);
    }
    return atom;
}

// An elevated process does not get the shell's broadcast from a normal-level shell unless
// it lets the message through. The call exists from Windows 7 on; earlier systems have no
// such filter, so its absence is fine.
void AllowMessageFromShell(HWND window, UINT message) {
    using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    const auto filter = LibraryFunction<Filter>(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx");
    if (filter && message) filter(window, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

// Counts the component's events in progress.
struct EventScope {
    explicit EventScope(int& count) : count(count) { ++count; }
    ~EventScope() { --count; }
    int& count;
};

}  // namespace

UINT TTrayIcon2::CallbackMessage() {
    static const UINT message = RegisterWindowMessageA("WM_TOOLTRAYICON");
    return message;
}

UINT TTrayIcon2::ResetToolTipMessage() {
    static const UINT message = RegisterWindowMessageA("WM_RESETTOOLTIP");
    return message;
}

UINT TTrayIcon2::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

TTrayIcon2::TTrayIcon2(bool designing) : designing_(designing) {
    CallbackMessage();
    ResetToolTipMessage();
    RegisterHiddenClass(&TTrayIcon2::StaticWindowProc);
    // A hidden top-level window rather than a message-only one: the shell's "TaskbarCreated"
    // is broadcast to top-level windows only.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
    AllowMessageFromShell(window_, TaskbarCreatedMessage());
    Fill(0);
}

TTrayIcon2::~TTrayIcon2() {
    if (images_) images_->RemoveFreeNotification(this);
    if (designing_ ? showDesigning_ : active_) DeleteIcon();
    if (window_) {
        KillTimer(window_, kAnimationTimer);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (icon_) DestroyIcon(icon_);
    if (savedIcon_) DestroyIcon(savedIcon_);
}

// ---- the record and the three shell operations ----

void TTrayIcon2::Fill(unsigned parts) {
    record_ = NOTIFYICONDATAA{};
    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record_.hWnd = window_;
    record_.uID = 0;
    if (parts & kMessage) {
        record_.uFlags |= NIF_MESSAGE;
        record_.uCallbackMessage = CallbackMessage();
    }
    if (parts & kIcon) {
        record_.uFlags |= NIF_ICON;
        record_.hIcon = icon_;
    }
    if (parts & kTip) {
        record_.uFlags |= NIF_TIP;
        // The first layout's tip holds 64 bytes.
        constexpr size_t kTipBytes = 64;
        const size_t n = toolTip_.size() < kTipBytes - 1 ? toolTip_.size() : kTipBytes - 1;
        std::memcpy(record_.szTip, toolTip_.data(), n);
        record_.szTip[n] = '\0';
    }
}

bool TTrayIcon2::AddIcon() {
    Fill(kMessage | kIcon | kTip);
    bool ok = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    // The tip is sent once more when the message loop gets to it, so a tip set right after
    // the add (while starting up) is not lost.
    if (toolTip_.empty()) PostMessageA(window_, ResetToolTipMessage(), 0, 0);
    return ok;
}

bool TTrayIcon2::ModifyIcon(unsigned parts) {
    Fill(parts);
    // While inactive the change is only stored; the next add carries it.
    if (!active_) return true;
    return Shell_NotifyIconA(NIM_MODIFY, &record_) != FALSE;
}

bool TTrayIcon2::DeleteIcon() {
    return Shell_NotifyIconA(NIM_DELETE, &record_) != FALSE;
}

// ---- properties ----

void TTrayIcon2::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (designing_) return;
    if (value) {
        if (hideAppOnActive_ && ApplicationWindow()) ShowWindow(ApplicationWindow(), SW_HIDE);
        AddIcon();
    } else {
        if (hideAppOnActive_ && ApplicationWindow()) ShowWindow(ApplicationWindow(), SW_SHOW);
        DeleteIcon();
    }
}

void TTrayIcon2::SetShowDesigning(bool value) {
    if (value == showDesigning_) return;
    showDesigning_ = value;
    if (!designing_) return;
    if (value)
        AddIcon();
    else
        DeleteIcon();
}

void TTrayIcon2::SetToolTip(const std::string& text) {
    toolTip_.assign(text, 0, kMaxToolTip);  // in place: the main timer sets it on every tick
    ModifyIcon(kIcon | kTip);
}

void TTrayIcon2::SetIcon(HICON icon) {
    if (icon == icon_) return;
    if (icon_) DestroyIcon(icon_);
    icon_ = icon ? CopyIcon(icon) : nullptr;
    ModifyIcon(kIcon);
}

void TTrayIcon2::SetImages(ImageList* images) {
    if (images == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_) {
        images_->AddFreeNotification(this, [this] {
            images_ = nullptr;
            SetAnimate(false);
        });
    }
}

void TTrayIcon2::SetAnimate(bool value) {
    if (value && (!images_ || images_->Count() == 0 || !active_)) return;
    // Only a change does anything: turning off an animation that is not running would
    // otherwise put back a saved picture that was never taken.
    if (value == animate_) return;
    animate_ = value;
    if (value) {
        if (savedIcon_) DestroyIcon(savedIcon_);
        savedIcon_ = icon_ ? CopyIcon(icon_) : nullptr;
        frame_ = 0;
        SetTimer(window_, kAnimationTimer, static_cast<UINT>(animateInterval_), nullptr);
    } else {
        KillTimer(window_, kAnimationTimer);
        SetIcon(savedIcon_);
    }
}

void TTrayIcon2::SetAnimateInterval(int ms) {
    if (ms <= 0) return;
    animateInterval_ = ms;
    if (animate_) SetTimer(window_, kAnimationTimer, static_cast<UINT>(ms), nullptr);
}

void TTrayIcon2::SetPopupMenu(HMENU menu, TMenuCommand onCommand, TNotifyEvent onPopup) {
    popupMenu_ = menu;
    buildMenu_ = nullptr;
    onMenuCommand_ = std::move(onCommand);
    onMenuPopup_ = std::move(onPopup);
}

void TTrayIcon2::SetPopupMenuBuilder(std::function<HMENU()> build, TMenuCommand onCommand) {
    popupMenu_ = nullptr;
    buildMenu_ = std::move(build);
    onMenuCommand_ = std::move(onCommand);
    onMenuPopup_ = nullptr;
}

// ---- pictures ----

void TTrayIcon2::ShowPicture(int index) {
    HICON picture = images_ ? images_->GetIcon(index) : nullptr;
    if (!picture) return;
    SetIcon(picture);
    DestroyIcon(picture);
}

void TTrayIcon2::SetTrayIcon(int index) {
    if (!images_ || index < 0 || index >= images_->Count()) return;
    SetAnimate(false);
    frame_ = index;
    ShowPicture(index);
}

void TTrayIcon2::AnimationTick() {
    int count = images_ ? images_->Count() : 0;
    if (count == 0) {
        SetAnimate(false);
        return;
    }
    frame_ = frame_ + 1 >= count ? 0 : frame_ + 1;
    ShowPicture(frame_);
}

// ---- the hidden window ----

void TTrayIcon2::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TTrayIcon2::RightClick() {
    POINT at{};
    GetCursorPos(&at);
    if (HasPopupMenu()) {
        HWND owner = ApplicationWindow();
        if (!owner) owner = window_;
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        ProcessMessages();
        if (onMenuPopup_) onMenuPopup_(*this);
        HMENU menu = buildMenu_ ? buildMenu_() : popupMenu_;
        UINT command = 0;
        if (menu) {
            command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner,
                                     nullptr);
            if (buildMenu_) DestroyMenu(menu);
        }
        PostMessageA(owner, WM_NULL, 0, 0);
        // The chosen command runs from the message loop, after this notification has been
        // handled and the menu is gone (it may open a modal window or end the program).
        if (command) PostMessageA(window_, WM_COMMAND, command, 0);
    }
    if (OnRightClick) OnRightClick(*this, TMouseButton::mbRight, 0, at.x, at.y);
}

LRESULT TTrayIcon2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ResetToolTipMessage() && message != 0) {
        SetToolTip(toolTip_);
        return 0;
    }
    if (message == CallbackMessage() && message != 0) {
        const EventScope scope(inEvent_);
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONUP:
            if (OnClick) OnClick(*this);
            break;
        case WM_LBUTTONDBLCLK:
            if (OnDblClick) OnDblClick(*this);
            break;
        case WM_RBUTTONUP:
            RightClick();
            break;
        default:
            break;
        }
        return 0;
    }
    if (message == TaskbarCreatedMessage() && message != 0) {
        // The shell was restarted and has forgotten every icon. Without adding ours again
        // the program could not be reached any more (it has no other window to show).
        if (active_ && !designing_) AddIcon();
        return 0;
    }
    if (message == WM_TIMER && wParam == kAnimationTimer) {
        if (animate_) AnimationTick();
        return 0;
    }
    if (message == WM_COMMAND && lParam == 0) {
        const EventScope scope(inEvent_);
        if (onMenuCommand_) onMenuCommand_(static_cast<UINT>(wParam));
        return 0;
    }
    // Only the component's owner ends it: a close request from outside would otherwise
    // destroy the window and leave the icon without anyone to answer its clicks.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window_, message, wParam, lParam);
}

// ---- re-creation ----

std::unique_ptr<TTrayIcon2> TTrayIcon2::Recreate(std::unique_ptr<TTrayIcon2> old) {
    if (!old || old->InEvent()) return old;
    // The published properties, kept while the old component goes (its icon with it).
    const bool designing = old->designing_, active = old->active_, animate = old->animate_;
    const int animateInterval = old->animateInterval_;
    const bool hideAppOnActive = old->hideAppOnActive_, showDesigning = old->showDesigning_;
    HICON icon = old->icon_ ? CopyIcon(old->icon_) : nullptr;
    ImageList* images = old->images_;
    const std::string toolTip = old->toolTip_;
    HMENU popupMenu = old->popupMenu_;
    TMenuCommand onMenuCommand = std::move(old->onMenuCommand_);
    TNotifyEvent onMenuPopup = std::move(old->onMenuPopup_);
    std::function<HMENU()> buildMenu = std::move(old->buildMenu_);
    std::function<HWND()> appWindow = std::move(old->appWindow_);
    TNotifyEvent onClick = std::move(old->OnClick), onDblClick = std::move(old->OnDblClick);
    TMouseEvent onRightClick = std::move(old->OnRightClick);
    old.reset();

    auto tray = std::make_unique<TTrayIcon2>(designing);
    tray->SetImages(images);
    tray->SetHideAppOnActive(hideAppOnActive);
    tray->SetAnimateInterval(animateInterval);
    if (buildMenu)
        tray->SetPopupMenuBuilder(std::move(buildMenu), std::move(onMenuCommand));
    else
        tray->SetPopupMenu(popupMenu, std::move(onMenuCommand), std::move(onMenuPopup));
    tray->appWindow_ = std::move(appWindow);
    tray->OnClick = std::move(onClick);
    tray->OnDblClick = std::move(onDblClick);
    tray->OnRightClick = std::move(onRightClick);
    // Picture and tip before the icon is added, so the add carries both.
    tray->SetIcon(icon);
    if (icon) DestroyIcon(icon);
    tray->SetToolTip(toolTip);
    tray->SetShowDesigning(showDesigning);
    tray->SetActive(active);
    tray->SetAnimate(animate);
    return tray;
}

LRESULT CALLBACK TTrayIcon2::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TTrayIcon2*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcA(window, message, wParam, lParam);
    return self->WindowProc(message, wParam, lParam);
}
