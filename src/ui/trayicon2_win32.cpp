#include "ui/trayicon2_win32.h"

#include <shellapi.h>

#include <cstring>

#include "common/library_win32.h"
#include "common/window_win32.h"
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

HICON CopyOf(HICON icon) { return icon ? CopyIcon(icon) : nullptr; }

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

TTrayIcon2::TTrayIcon2(TrayIconProperties properties, bool designing)
    : TrayIconProperties(std::move(properties)), designing_(designing) {
    CallbackMessage();
    ResetToolTipMessage();
    RegisterHiddenClass(&TTrayIcon2::WindowProc);
    // A hidden top-level window rather than a message-only one: the shell's "TaskbarCreated"
    // is broadcast to top-level windows only.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
    AllowMessageFromShell(window_, TaskbarCreatedMessage());
    Fill(0);
    WatchImages();
    if (designing_ ? showDesigning : active) ShowIcon(true);
    if (animate) {
        animate = CanAnimate();
        if (animate) StartAnimation();
    }
}

TTrayIcon2::~TTrayIcon2() {
    if (images) images->RemoveFreeNotification(this);
    if (designing_ ? showDesigning : active) DeleteIcon();
    if (window_) {
        KillTimer(window_, kAnimationTimer);
        win32::ForgetWindowOwner(window_);
        DestroyWindow(window_);
    }
}

std::unique_ptr<TTrayIcon2> TTrayIcon2::Recreate(std::unique_ptr<TTrayIcon2> old) {
    if (!old || old->InEvent()) return old;
    const bool designing = old->designing_;
    TrayIconProperties properties = std::move(static_cast<TrayIconProperties&>(*old));
    // The old icon goes before the new one is added (both have identifier 0).
    old.reset();
    return std::unique_ptr<TTrayIcon2>(new TTrayIcon2(std::move(properties), designing));
}

// ---- the record and the three shell operations ----

void TTrayIcon2::Fill(UINT parts) {
    record_ = NOTIFYICONDATAA{};
    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record_.hWnd = window_;
    record_.uID = 0;
    record_.uFlags = parts;
    if (parts & NIF_MESSAGE) record_.uCallbackMessage = CallbackMessage();
    if (parts & NIF_ICON) record_.hIcon = icon.Get();
    if (parts & NIF_TIP) {
        // The first layout's tip holds 64 bytes.
        constexpr size_t kTipBytes = 64;
        const size_t n = toolTip.size() < kTipBytes - 1 ? toolTip.size() : kTipBytes - 1;
        std::memcpy(record_.szTip, toolTip.data(), n);
        record_.szTip[n] = '\0';
    }
}

bool TTrayIcon2::AddIcon() {
    Fill(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    bool ok = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    // The tip is sent once more when the message loop gets to it, so a tip set right after
    // the add (while starting up) is not lost.
    if (toolTip.empty()) PostMessageA(window_, ResetToolTipMessage(), 0, 0);
    return ok;
}

bool TTrayIcon2::ModifyIcon(UINT parts) {
    Fill(parts);
    // While inactive the change is only stored; the next add carries it.
    if (!active) return true;
    return Shell_NotifyIconA(NIM_MODIFY, &record_) != FALSE;
}

bool TTrayIcon2::DeleteIcon() {
    return Shell_NotifyIconA(NIM_DELETE, &record_) != FALSE;
}

// At run time the application's taskbar window goes while the icon is shown, when asked;
// while the host is designed only the icon comes and goes.
void TTrayIcon2::ShowIcon(bool shown) {
    HWND app = designing_ || !hideAppOnActive ? nullptr : ApplicationWindow();
    if (app) ShowWindow(app, shown ? SW_HIDE : SW_SHOW);
    if (shown)
        AddIcon();
    else
        DeleteIcon();
}

// ---- properties ----

void TTrayIcon2::SetActive(bool value) {
    if (value == active) return;
    active = value;
    if (!designing_) ShowIcon(value);
}

void TTrayIcon2::SetShowDesigning(bool value) {
    if (value == showDesigning) return;
    showDesigning = value;
    if (designing_) ShowIcon(value);
}

void TTrayIcon2::SetToolTip(const std::string& text) {
    toolTip.assign(text, 0, kMaxToolTip);  // in place: the main timer sets it on every tick
    ModifyIcon(NIF_ICON | NIF_TIP);
}

void TTrayIcon2::SetIcon(HICON picture) {
    if (picture == icon.Get()) return;
    icon.Reset(CopyOf(picture));
    ModifyIcon(NIF_ICON);
}

void TTrayIcon2::SetImages(ImageList* list) {
    if (list == images) return;
    if (images) images->RemoveFreeNotification(this);
    images = list;
    WatchImages();
}

// The list may go before the component: then the reference and the animation end with it.
void TTrayIcon2::WatchImages() {
    if (!images) return;
    images->AddFreeNotification(this, [this] {
        images = nullptr;
        SetAnimate(false);
    });
}

bool TTrayIcon2::CanAnimate() const {
    return images && images->Count() > 0 && active;
}

void TTrayIcon2::SetAnimate(bool value) {
    if (value && !CanAnimate()) return;
    // Only a change does anything: turning off an animation that is not running would
    // otherwise put back a saved picture that was never taken.
    if (value == animate) return;
    animate = value;
    if (value) {
        StartAnimation();
    } else {
        KillTimer(window_, kAnimationTimer);
        SetIcon(savedIcon_.Get());
    }
}

void TTrayIcon2::StartAnimation() {
    savedIcon_.Reset(CopyOf(icon.Get()));
    frame_ = 0;
    SetTimer(window_, kAnimationTimer, static_cast<UINT>(animateInterval), nullptr);
}

void TTrayIcon2::SetAnimateInterval(int ms) {
    if (ms <= 0) return;
    animateInterval = ms;
    if (animate) SetTimer(window_, kAnimationTimer, static_cast<UINT>(ms), nullptr);
}

void TTrayIcon2::SetPopupMenu(HMENU menu, TMenuCommand onCommand, TNotifyEvent onPopup) {
    popupMenu = menu;
    buildMenu = nullptr;
    onMenuCommand = std::move(onCommand);
    onMenuPopup = std::move(onPopup);
}

void TTrayIcon2::SetPopupMenuBuilder(std::function<HMENU()> build, TMenuCommand onCommand) {
    popupMenu = nullptr;
    buildMenu = std::move(build);
    onMenuCommand = std::move(onCommand);
    onMenuPopup = nullptr;
}

// ---- pictures ----

void TTrayIcon2::ShowPicture(int index) {
    if (win32::Icon picture = images ? images->GetIcon(index) : win32::Icon{}) SetIcon(picture.Get());
}

void TTrayIcon2::SetTrayIcon(int index) {
    if (!images || index < 0 || index >= images->Count()) return;
    SetAnimate(false);
    frame_ = index;
    ShowPicture(index);
}

void TTrayIcon2::AnimationTick() {
    if (!animate) return;  // a tick already queued when the animation ended
    const int count = images ? images->Count() : 0;
    if (count == 0) {
        SetAnimate(false);
        return;
    }
    frame_ = frame_ + 1 >= count ? 0 : frame_ + 1;
    ShowPicture(frame_);
}

// ---- the hidden window ----

void TTrayIcon2::MouseNotification(UINT mouseMessage) {
    const EventScope scope(inEvent_);
    switch (mouseMessage) {
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
}

void TTrayIcon2::RightClick() {
    POINT at{};
    GetCursorPos(&at);
    if (HasPopupMenu()) {
        HWND owner = ApplicationWindow();
        if (!owner) owner = window_;
        // Without the foreground the menu would not close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        win32::HandlePendingMessages();
        if (onMenuPopup) onMenuPopup(*this);
        HMENU menu = buildMenu ? buildMenu() : popupMenu;
        UINT command = 0;
        if (menu) {
            command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner,
                                     nullptr);
            if (buildMenu) DestroyMenu(menu);
        }
        PostMessageA(owner, WM_NULL, 0, 0);
        // The chosen command runs from the message loop, after this notification has been
        // handled and the menu is gone (it may open a modal window or end the program).
        if (command) PostMessageA(window_, WM_COMMAND, command, 0);
    }
    if (OnRightClick) OnRightClick(*this, TMouseButton::mbRight, 0, at.x, at.y);
}

// The shell was restarted and has forgotten every icon. Without adding ours again the
// program could not be reached any more (it has no other window to show).
void TTrayIcon2::ShellRestarted() {
    if (active && !designing_) AddIcon();
}

void TTrayIcon2::MenuCommand(UINT command) {
    const EventScope scope(inEvent_);
    if (onMenuCommand) onMenuCommand(command);
}

// A close request from outside (a task manager closes a program by sending one to each of
// its windows) is meant for the program: the application window gets it, and its owner ends
// the program the ordinary way. The component's window stays, so the icon keeps someone to
// answer its clicks until its owner removes it.
void TTrayIcon2::PassCloseRequest() {
    if (HWND app = ApplicationWindow()) PostMessageA(app, WM_CLOSE, 0, 0);
}

bool TTrayIcon2::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // A registration that failed leaves 0, which must not catch WM_NULL.
    if (message == WM_NULL) return false;
    if (message == CallbackMessage())
        MouseNotification(static_cast<UINT>(lParam));
    else if (message == ResetToolTipMessage())
        SetToolTip(toolTip);
    else if (message == TaskbarCreatedMessage())
        ShellRestarted();
    else if (message == WM_TIMER && wParam == kAnimationTimer)
        AnimationTick();
    else if (message == WM_COMMAND && lParam == 0)
        MenuCommand(static_cast<UINT>(wParam));
    else if (message == WM_CLOSE)
        PassCloseRequest();
    else
        return false;
    return true;
}

LRESULT CALLBACK TTrayIcon2::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32::WindowOwner<TTrayIcon2>(window, message, lParam);
    if (self && self->Dispatch(message, wParam, lParam)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}
