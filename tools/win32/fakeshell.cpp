// A stand-in for the shell's notification area, for end-to-end runs under Wine.
//
//   fakeshell LOGFILE [--reject] [--icons DIR]
//       Becomes the "Shell_TrayWnd" window and appends one line per icon call it receives
//       to LOGFILE: milliseconds since start, operation, flags, the tip (bytes outside
//       printable ASCII as \xHH) and, for icons, size and checksum. With --icons every icon
//       received is also written as DIR\icon-NNNN.bmp (on the grey of a taskbar). With
//       --reject every call is refused, as by a shell that is not ready. Runs until --quit.
//   fakeshell --click left|double|right|move   post the icon's callback as the shell would
//   fakeshell --restart [quiet]                a shell restart: new window, "TaskbarCreated"
//                                              (not broadcast with "quiet", as under Wine)
//   fakeshell --quit                           end the running stand-in
// The commands exit with 0 on success, 2 when no stand-in is running, 1 on a bad request.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../tests/win32/fake_shell.h"

using fakeshell::FakeShell;
using fakeshell::TrayRecord;

namespace {

HWND FindStandIn() {
    HWND window = FindWindowA("Shell_TrayWnd", nullptr);
    DWORD_PTR answer = 0;
    if (!window ||
        !SendMessageTimeoutA(window, FakeShell::kIdentify, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) ||
        LRESULT(answer) != FakeShell::kIdentity)
        return nullptr;
    return window;
}

int Command(const std::string& command, const char* argument) {
    HWND shell = FindStandIn();
    if (!shell) {
        std::fprintf(stderr, "fakeshell: no stand-in shell window is running\n");
        return 2;
    }
    if (command == "--quit") {
        PostMessageA(shell, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "--restart") {
        const bool quiet = argument && std::string(argument) == "quiet";
        SendMessageA(shell, FakeShell::kRestart, quiet ? 1 : 0, 0);
        return 0;
    }
    std::vector<UINT> messages;
    std::string what = argument ? argument : "";
    if (what == "left")
        messages = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    else if (what == "double")  // the shell's sequence for a double click
        messages = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    else if (what == "right")
        messages = {WM_RBUTTONDOWN, WM_RBUTTONUP};
    else if (what == "move")
        messages = {WM_MOUSEMOVE};
    else {
        std::fprintf(stderr, "fakeshell: --click needs left, double, right or move\n");
        return 1;
    }
    for (UINT m : messages) {
        if (!SendMessageA(shell, FakeShell::kPostCallback, m, 0)) {
            std::fprintf(stderr, "fakeshell: no icon has been added yet\n");
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: fakeshell LOGFILE [--reject] [--icons DIR]\n"
                     "       fakeshell --click left|double|right|move | --restart [quiet] | --quit\n");
        return 1;
    }
    std::string first = argv[1];
    if (first == "--click" || first == "--restart" || first == "--quit")
        return Command(first, argc > 2 ? argv[2] : nullptr);

    bool reject = false;
    std::string iconDir;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reject"))
            reject = true;
        else if (!std::strcmp(argv[i], "--icons") && i + 1 < argc)
            iconDir = argv[++i];
    }
    FILE* log = std::fopen(argv[1], "a");
    if (!log) {
        std::fprintf(stderr, "fakeshell: cannot open %s\n", argv[1]);
        return 1;
    }
    const DWORD start = GetTickCount();
    unsigned iconNumber = 0;
    // The listener runs on the shell's own thread only, so the log needs no lock.
    FakeShell shell([&](const TrayRecord& r) {
        std::fprintf(log, "%lu %s\n", static_cast<unsigned long>(GetTickCount() - start),
                     fakeshell::Describe(r).c_str());
        std::fflush(log);
        if (!iconDir.empty() && r.iconLayoutOk) {
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s\\icon-%04u.bmp", iconDir.c_str(), iconNumber++);
            fakeshell::WriteIconBmp(r, path, 0xD4D0C8);
        }
    });
    shell.SetAccept(!reject);
    if (!shell.IsFound()) {
        std::fprintf(log, "0 warning: another Shell_TrayWnd window is found first\n");
        std::fflush(log);
    }
    std::fprintf(log, "0 ready window=%08X\n", unsigned(uintptr_t(shell.Window())));
    std::fflush(log);
    // Until --quit closes the window (a restart replaces it with a live one).
    while (IsWindow(shell.Window())) Sleep(50);
    std::fprintf(log, "%lu quit\n", static_cast<unsigned long>(GetTickCount() - start));
    std::fclose(log);
    return 0;
}
