#include "common/window_win32.h"

namespace win32 {

namespace {

void Dispatch(MSG& msg, HWND dialog) {
    if (dialog && IsDialogMessageA(dialog, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace

std::optional<WPARAM> RunMessages(const std::function<bool()>& done, const std::function<HWND()>& dialog) {
    MSG msg;
    while (!(done && done())) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return msg.wParam;
        if (got < 0) return std::nullopt;  // no message queue: nothing to wait for
        Dispatch(msg, dialog ? dialog() : nullptr);
    }
    return std::nullopt;
}

void HandlePendingMessages(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg, dialog);
    }
}

}  // namespace win32
