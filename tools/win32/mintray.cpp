// The smallest tray program we can write: one hidden window, one icon in the notification
// area, a message loop. bench/footprint.sh starts it the same way as the program and takes
// its start time and memory as the floor the program is measured against.
//
//   mintray      adds the icon (tip "mintray") and runs until its window is closed
//                (qprobe post MinTrayWindow 10), then deletes the icon and ends
#include <windows.h>
#include <shellapi.h>

namespace {

const char* const kClass = "MinTrayWindow";
constexpr UINT kCallback = WM_APP + 1;

NOTIFYICONDATAA Record(HWND window) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = window;
    nid.uID = 0;
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(nid.szTip, "mintray", sizeof nid.szTip);
    return nid;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        NOTIFYICONDATAA nid = Record(hwnd);
        Shell_NotifyIconA(NIM_DELETE, &nid);
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "mintray", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    NOTIFYICONDATAA nid = Record(window);
    Shell_NotifyIconA(NIM_ADD, &nid);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
