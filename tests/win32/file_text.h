// Reads a small file another process writes (a stand-in's record), up to 4 KB.
#pragma once
#include <windows.h>

#include <string>

// The file's text, or "<none>" when it cannot be opened.
inline std::string ReadFileText(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<none>";
    char buffer[4096];
    DWORD n = 0;
    ReadFile(f, buffer, sizeof buffer, &n, nullptr);
    CloseHandle(f);
    return std::string(buffer, n);
}
