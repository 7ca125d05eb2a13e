#include "app/form_win32.h"

#include <commctrl.h>

#include "common/library_win32.h"
#include "common/window_win32.h"
#include "cpu/cpu_report.h"

namespace {

const char* const kMainClass = "TQuillarForm";
const char* const kApplicationClass = "TQuillarApplication";
constexpr UINT kHintPause = 12345;  // ms a control's hint stays

// The main window: a dialog frame with only the close box, centred on the screen.
constexpr DWORD kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The system's services for the program's one run.
FormServices SystemServices(TempMonitoring& temps, SystemShutdown& shutdown) {
    return FormServices{SystemProcessorPlatform(), WindowsIdleThreadPlatform(), ProcessRegistry(),
                        ProcessDSAPlatform(), temps, shutdown};
}

// The common controls library comes with the options window's first showing, so a run that
// never opens it does not carry the library (which under Wine keeps 1.5 MB of pictures from
// the moment it loads). By its plain name: the manifest then chooses its version 6.
void LoadCommonControls() {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = LibraryFunction<Init>(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                   ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    if (init) init(&icc);
}

}  // namespace

// The hidden application window: closing it from outside closes the main window, so that the
// program ends through its shutdown instead of losing its windows underneath it.
LRESULT CALLBACK WindowsForm::ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        if (HWND main = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

WindowsForm::WindowsForm(TempMonitoring& temps, SystemShutdown& shutdown)
    : form_(std::make_unique<TQuillarForm>(*this, SystemServices(temps, shutdown))) {}

WindowsForm::~WindowsForm() = default;

void WindowsForm::RegisterClasses() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kApplicationClass;
    RegisterClassA(&wc);

    wc.lpfnWndProc = MainProc;
    wc.hIcon = LoadIconA(instance_, "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassA(&wc);
}

bool WindowsForm::CreateMainWindow() {
    const TQuillarForm& f = *form_;
    RECT r{0, 0, f.clientArea.width, f.clientArea.height};
    AdjustWindowRectEx(&r, kMainStyle, FALSE, kMainExStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    window_ = CreateWindowExA(kMainExStyle, kMainClass, f.caption.c_str(), kMainStyle, x, y, w, h, nullptr, nullptr,
                              instance_, this);
    return window_ != nullptr;
}

bool WindowsForm::Create(HINSTANCE instance) {
    instance_ = instance;
    RegisterClasses();
    // The hidden application window owns the main window, so another instance can tell
    // a running program's main window from other windows of that class. It takes it on
    // only once start-up has run through: until then another instance finds no running
    // program and posts nothing into the start-up.
    appWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kApplicationClass, "Quillar", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance, nullptr);
    if (!CreateMainWindow()) return false;
    SetWindowLongPtrA(appWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window_));
    // Consent prompts of the privileged object are modal to the main window.
    privilegedObjects_ =
        std::make_unique<ComPrivilegedObjectSource>(window_, WindowsVersionCode(SystemProcessorPlatform()));
    // The tray icon is active by design from the window's creation on; start-up hides it
    // again when the settings say so.
    if (tray_) tray_->SetActive(true);
    // Every control gets its id and its timer at once; the windows wait for the first showing.
    controls_ = std::make_unique<ControlWindows>(window_, instance_, kHintPause);
    controls_->Attach(form_->components);
    form_->FormCreate();
    SetWindowLongPtrA(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(appWindow_));
    return true;
}

void WindowsForm::SetTray(std::unique_ptr<ProgramTrayView> tray) {
    tray_ = std::move(tray);
    form_->tray = tray_.get();
}

void WindowsForm::Run() {
    win32::RunMessages({}, [this] { return DialogWindow(); });
}

void WindowsForm::Destroy() {
    form_->FormDestroy();
    // The tray icon goes with the window.
    form_->tray = nullptr;
    tray_.reset();
    if (controls_) controls_->Detach();
    DestroyWindow(window_);
    DestroyWindow(appWindow_);
    window_ = appWindow_ = nullptr;
}

// ---- messages ----

LRESULT CALLBACK WindowsForm::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = win32::WindowOwner<WindowsForm>(hwnd, msg, lp);
    return self ? self->Handle(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT WindowsForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (form_->HandlePrivateMessage(msg)) return 0;
    LRESULT result = 0;
    if (controls_ && controls_->Handle(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_POWERBROADCAST:
        // The result stays 0, and the message is not passed on.
        WMPowerBroadcast(wp);
        return 0;
    case WM_CLOSE:
        WMClose();
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

void WindowsForm::WMClose() {
    // The close box hides the window and applies nothing. While the window is hidden there
    // is no close box: the message comes from outside (as a task manager closes a program),
    // and the program ends the ordinary way.
    if (OptionsVisible())
        CloseOptions();  // wakes the modal loop, also for a message sent from outside
    else
        Terminate();
}

// ---- the options window ----

bool WindowsForm::OptionsVisible() { return window_ && IsWindowVisible(window_); }

void WindowsForm::ShowOptionsModal() {
    if (OptionsVisible()) return;
    if (!controls_->WindowsCreated()) {
        LoadCommonControls();
        controls_->CreateWindows();
    }
    modal_ = true;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    HWND ok = controls_->WindowOf(*form_->ButtonOK);
    SetFocus(ok ? ok : window_);
    // The modal loop keeps timers, tray input and private messages flowing.
    if (const auto quit = win32::RunMessages([this] { return !modal_; }, [this] { return window_; }))
        PostQuitMessage(static_cast<int>(*quit));  // for the program's own loop
    modal_ = false;
    ShowWindow(window_, SW_HIDE);
}

void WindowsForm::CloseOptions() {
    modal_ = false;
    PostMessageA(window_, WM_NULL, 0, 0);
}

void WindowsForm::Terminate() {
    modal_ = false;
    PostQuitMessage(0);
}

HMENU WindowsForm::BuildTrayMenu() {
    form_->PopupMenuPopup();
    return controls_->BuildMenu(form_->menu);
}

void WindowsForm::RunMenuCommand(UINT id) {
    LRESULT result = 0;
    controls_->Handle(WM_COMMAND, MAKEWPARAM(id, 0), 0, result);
}
