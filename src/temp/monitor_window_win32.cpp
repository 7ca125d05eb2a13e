#include <windows.h>

#include "temp/monitor_window.h"

bool SignalMonitorWindow() {
    HWND window = FindWindowA("TMBM", nullptr);
    return window && PostMessageA(window, kMonitorWindowMessage, 0, 0);
}
