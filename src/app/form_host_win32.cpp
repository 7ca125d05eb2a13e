// The platform services of the main window: message boxes and dialogs, the splash, the
// shell and the picture library.
#include "app/form_win32.h"

#include <shellapi.h>

#include "common/com_win32.h"
#include "common/handles_win32.h"
#include "common/window_win32.h"

namespace {

const char* const kSplashClass = "TSplash";
// The splash: a client area of 392 x 131 pixels at 220 of 255 opacity, for two seconds.
constexpr int kSplashWidth = 392, kSplashHeight = 131;
constexpr BYTE kSplashOpacity = 220;
constexpr DWORD kSplashTime = 2000;

// The splash window: the program's name on white, shown for two seconds at start.
void PaintSplash(HWND h, HDC dc) {
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const RECT band{0, 0, r.right, 8};
    const win32::Brush blue(CreateSolidBrush(RGB(40, 110, 190)));
    FillRect(dc, &band, blue.Get());
    SetBkMode(dc, TRANSPARENT);
    {
        const win32::Font font(
            CreateFontA(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
        const win32::Selection bold(dc, font.Get());
        SetTextColor(dc, RGB(30, 60, 110));
        RECT title{0, 28, r.right, 72};
        DrawTextA(dc, "Quillar Vantor", -1, &title, DT_CENTER | DT_SINGLELINE);
    }
    RECT sub{0, 80, r.right, 110};
    SetTextColor(dc, RGB(90, 90, 90));
    DrawTextA(dc, "Starting...", -1, &sub, DT_CENTER | DT_SINGLELINE);
}

LRESULT CALLBACK SplashProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m != WM_PAINT) return DefWindowProcA(h, m, w, l);
    PAINTSTRUCT ps;
    PaintSplash(h, BeginPaint(h, &ps));
    EndPaint(h, &ps);
    return 0;
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

void WindowsForm::ProcessMessages() { win32::HandlePendingMessages(DialogWindow()); }

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
    const int w = kSplashWidth, h = kSplashHeight;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND splash = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED, kSplashClass, "Starting...",
                                  WS_POPUP, x, y, w, h, nullptr, nullptr, instance_, nullptr);
    if (!splash) return;
    SetLayeredWindowAttributes(splash, 0, kSplashOpacity, LWA_ALPHA);
    ShowWindow(splash, SW_SHOWNA);
    UpdateWindow(splash);
    ProcessMessages();
    ::Sleep(kSplashTime);
    DestroyWindow(splash);
    ProcessMessages();
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
