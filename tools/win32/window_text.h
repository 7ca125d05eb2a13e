// A window's text and class name, for the small tools that look at windows from outside.
#pragma once
#include <windows.h>

#include <string>

inline std::string Text(HWND h) {
    char buf[4096] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

inline std::string ClassOf(HWND h) {
    char buf[256] = "";
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}
