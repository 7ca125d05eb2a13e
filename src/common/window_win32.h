// What every window of the program does the same way: finding the object a window belongs
// to, and running messages.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

namespace win32 {

// The object that owns `window`: handed to CreateWindowEx as its last argument and kept in
// the window's user data from WM_NCCREATE on. Null before that, for messages that come
// earlier (WM_GETMINMAXINFO), and once ForgetWindowOwner ran.
template <typename T>
T* WindowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
inline void ForgetWindowOwner(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }

// Runs the thread's messages until `done` answers true (asked after each message) or
// WM_QUIT arrives; returns the quit code then. `dialog` (asked for each message, may give
// null) gets the keyboard's dialog handling first: tab, Enter and Esc.
std::optional<WPARAM> RunMessages(const std::function<bool()>& done, const std::function<HWND()>& dialog = {});

// Handles every message already waiting, without waiting for more. A WM_QUIT among them is
// posted again for the loop that owns it, and ends this one.
void HandlePendingMessages(HWND dialog = nullptr);

}  // namespace win32
