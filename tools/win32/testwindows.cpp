// Top-level windows with chosen titles, for the window watch's end-to-end runs and timing.
//
//   testwindows TITLE [COUNT]   creates COUNT (default 1) top-level windows of the class
//                               "QuillarTestWindow", never shown, titled TITLE (with COUNT > 1:
//                               TITLE followed by a blank and the window's number), and keeps
//                               them until one of them is sent WM_CLOSE; then all go and the
//                               program ends.
// Prints "ready" once every window exists.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kClass = "QuillarTestWindow";

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: testwindows TITLE [COUNT]\n");
        return 1;
    }
    const std::string title = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 1;
    if (count < 1) return 1;
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    std::vector<HWND> windows;
    for (int i = 1; i <= count; ++i) {
        const std::string text = count == 1 ? title : title + " " + std::to_string(i);
        HWND w = CreateWindowExA(0, kClass, text.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        if (!w) {
            std::fprintf(stderr, "testwindows: window %d could not be created\n", i);
            return 1;
        }
        windows.push_back(w);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    for (HWND w : windows) DestroyWindow(w);
    return 0;
}
