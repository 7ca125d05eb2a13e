// The platform services of the main window: message boxes and dialogs, the splash, the
// modal options window, the shell, and the tray menu.
#include "app/form_win32.h"

#include <shellapi.h>

#include "common/com_win32.h"

namespace {

const char* const kSplashClass = "TSplash";

// The splash window: the program's name on white, shown for two seconds at start.
LRESULT CALLBACK SplashProc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            RECT band{0, 0, r.right, 8};
            HBRUSH blue = CreateSolidBrush(RGB(40, 110, 190));
            FillRect(dc, &band, blue);
            DeleteObject(blue);
            HFONT font = CreateFontA(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(30, 60, 110));
            RECT title{0, 28, r.right, 72};
            DrawTextA(dc, "Quillar Vantor", -1, &title, DT_CENTER | DT_SINGLELINE);
            SelectObject(dc, old);
            DeleteObject(font);
            RECT sub{0, 80, r.right, 110};
            SetTextColor(dc, RGB(90, 90, 90));
            DrawTextA(dc, "Starting...", -1, &sub, DT_CENTER | DT_SINGLELINE);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProcA(h, m, w, l);
}

}  // namespace

// ---- FormHost ----

void WindowsForm::ErrorBox(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Quillar", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void WindowsForm::ErrorBoxWithCaption(const std::string& caption, const std::string& text) {
    MessageBoxA(window_, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

int WindowsForm::MessageDialog(const std::string& text, DialogKind kind, unsigned buttons, int defaultResult,
                               int helpContext) {
    return form_->dialogs.DSAMessageDlg(text, kind, buttons, defaultResult, helpContext);
}

void WindowsForm::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (modal_ && IsDialogMessageA(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void WindowsForm::Sleep(unsigned ms) { ::Sleep(ms); }

void WindowsForm::ShowSplash() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = SplashProc;
        wc.hInstance = instance_;
        wc.lpszClassName = kSplashClass;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        registered = true;
    }
    const int w = 392, h = 131;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND splash = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED, kSplashClass, "Starting...",
                                  WS_POPUP, x, y, w, h, nullptr, nullptr, instance_, nullptr);
    if (!splash) return;
    SetLayeredWindowAttributes(splash, 0, 220, LWA_ALPHA);
    ShowWindow(splash, SW_SHOWNA);
    UpdateWindow(splash);
    ProcessMessages();
    ::Sleep(2000);
    DestroyWindow(splash);
    ProcessMessages();
}

bool WindowsForm::OptionsVisible() { return window_ && IsWindowVisible(window_); }

void WindowsForm::ShowOptionsModal() {
    if (OptionsVisible()) return;
    CreateControlWindows();
    modal_ = true;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(windows_.count(form_->ButtonOK) ? windows_.at(form_->ButtonOK) : window_);
    MSG msg;
    // The modal loop keeps timers, tray input and private messages flowing.
    while (modal_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageA(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    modal_ = false;
    ShowWindow(window_, SW_HIDE);
}

void WindowsForm::CloseOptions() {
    modal_ = false;
    PostMessageA(window_, WM_NULL, 0, 0);
}

void WindowsForm::Terminate() {
    terminating_ = true;
    modal_ = false;
    PostQuitMessage(0);
}

uintptr_t WindowsForm::FindTaskbarWindow() { return reinterpret_cast<uintptr_t>(FindWindowA("Shell_TrayWnd", nullptr)); }

bool WindowsForm::IsWindowsNT() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    GetVersionExA(&vi);
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

#if !defined(_WIN64)
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "the shell's 60-byte request of a 32-bit program");
#endif

bool WindowsForm::OpenWithShell(const std::string& path) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = window_;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    com::EnsureApartment();  // the shell may hand the file to a COM handler
    const bool ok = ShellExecuteExA(&info) != FALSE;
    if (ok && info.hProcess) CloseHandle(info.hProcess);
    return ok;
}

std::string WindowsForm::ProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

uintptr_t WindowsForm::LoadCpuPicture(const std::string& libraryPath, const std::vector<std::string>& names) {
    return LoadPictureFromLibrary(libraryPath, names);
}

HMENU WindowsForm::BuildTrayMenu() {
    form_->PopupMenuPopup();
    HMENU menu = CreatePopupMenu();
    for (MenuItem* item : form_->menu) {
        if (item->separator) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(menu, MF_STRING | (item->Checked() ? MF_CHECKED : 0), static_cast<UINT_PTR>(ids_[item]),
                    item->Caption().c_str());
    }
    return menu;
}

void WindowsForm::RunMenuCommand(UINT id) {
    auto it = byId_.find(static_cast<int>(id));
    if (it == byId_.end() || it->second->kind != ControlKind::MenuItem) return;
    auto* item = static_cast<MenuItem*>(it->second);
    if (item->OnClick) item->OnClick();
}
