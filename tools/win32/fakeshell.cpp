// A stand-in for the shell's notification area, for end-to-end runs under Wine.
//
//   fakeshell LOGFILE [--reject] [--icons DIR] [--epoch]
//       Becomes the "Shell_TrayWnd" window and appends one line per icon call it receives
//       to LOGFILE: milliseconds since start, operation, flags, the tip (bytes outside
//       printable ASCII as \xHH) and, for icons, size and checksum. With --icons every icon
//       received is also written as DIR\icon-NNNN.bmp (on the grey of a taskbar). With
//       --reject every call is refused, as by a shell that is not ready. With --epoch the
//       time is the wall clock in milliseconds since 1970 instead, so that a script can set
//       it against the moment it started a program. Runs until --quit.
//   fakeshell --click left|double|right|move   post the icon's callback as the shell would
//   fakeshell --restart [quiet] [COUNT [SETTLE-MS]]
//                                              a shell restart: new window, "TaskbarCreated"
//                                              (not broadcast with "quiet", as under Wine);
//                                              the log gets a line "restart window=NEW [quiet]";
//                                              records the old window gets while it is being
//                                              destroyed are refused and logged as "lost ...".
//                                              With COUNT: that many restarts, each waiting up
//                                              to 5 s for an icon to come back to the new
//                                              window, then SETTLE-MS more (default 500) and
//                                              up to 5 s for exactly one icon to be shown;
//                                              prints one line per restart: its number, the
//                                              milliseconds until the icon came (-1: it did
//                                              not), and the icons shown at the end
//   fakeshell --present                        prints how many icons the stand-in shows
//   fakeshell --quit                           end the running stand-in
// The commands exit with 0 on success, 2 when no stand-in is running, 1 on a bad request.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

// Restarts the stand-in `count` times; 0 when the icon came back after every one.
int Restarts(bool quiet, int count, DWORD settleMs) {
    int missed = 0;
    for (int n = 1; n <= count; ++n) {
        HWND shell = FindStandIn();
        if (!shell) return 2;
        SendMessageA(shell, FakeShell::kRestart, quiet ? 1 : 0, 0);
        shell = FindStandIn();
        const DWORD start = GetTickCount();
        long cameMs = -1;
        while (shell && GetTickCount() - start < 5000) {
            if (SendMessageA(shell, FakeShell::kPresent, 0, 0) > 0) {
                cameMs = static_cast<long>(GetTickCount() - start);
                break;
            }
            Sleep(10);
        }
        if (cameMs < 0) ++missed;
        Sleep(settleMs);
        // A repair in flight (the icon deleted and about to be added again by a new tray
        // component) is waited for, up to 5 s more.
        long present = -1;
        const DWORD settled = GetTickCount();
        while (shell) {
            present = static_cast<long>(SendMessageA(shell, FakeShell::kPresent, 0, 0));
            if (present == 1 || GetTickCount() - settled >= 5000) break;
            Sleep(10);
        }
        std::printf("%d %ld %ld\n", n, cameMs, present);
        std::fflush(stdout);
    }
    return missed ? 1 : 0;
}

int Command(const std::string& command, const char* argument, int argc, char** argv) {
    HWND shell = FindStandIn();
    if (!shell) {
        std::fprintf(stderr, "fakeshell: no stand-in shell window is running\n");
        return 2;
    }
    if (command == "--restart") {
        const bool quiet = argument && std::string(argument) == "quiet";
        const int at = quiet ? 3 : 2;  // COUNT follows "quiet" when given
        if (argc > at)
            return Restarts(quiet, std::atoi(argv[at]), argc > at + 1 ? static_cast<DWORD>(std::atol(argv[at + 1])) : 500);
        SendMessageA(shell, FakeShell::kRestart, quiet ? 1 : 0, 0);
        return 0;
    }
    if (command == "--quit") {
        PostMessageA(shell, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "--present") {
        std::printf("%ld\n", static_cast<long>(SendMessageA(shell, FakeShell::kPresent, 0, 0)));
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
                     "usage: fakeshell LOGFILE [--reject] [--icons DIR] [--epoch]\n"
                     "       fakeshell --click left|double|right|move | --restart [quiet] [COUNT [SETTLE-MS]]\n"
                     "                 | --present | --quit\n");
        return 1;
    }
    std::string first = argv[1];
    if (first == "--click" || first == "--restart" || first == "--quit" || first == "--present")
        return Command(first, argc > 2 ? argv[2] : nullptr, argc, argv);

    bool reject = false;
    bool epoch = false;
    std::string iconDir;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--reject"))
            reject = true;
        else if (!std::strcmp(argv[i], "--epoch"))
            epoch = true;
        else if (!std::strcmp(argv[i], "--icons") && i + 1 < argc)
            iconDir = argv[++i];
    }
    FILE* log = std::fopen(argv[1], "a");
    if (!log) {
        std::fprintf(stderr, "fakeshell: cannot open %s\n", argv[1]);
        return 1;
    }
    const DWORD start = GetTickCount();
    auto now = [&]() -> unsigned long long {
        if (!epoch) return GetTickCount() - start;
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        const unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return t / 10000 - 11644473600000ULL;  // 100 ns since 1601 -> ms since 1970
    };
    unsigned iconNumber = 0;
    // The listener runs on the shell's own thread only, so the log needs no lock.
    FakeShell shell([&](const TrayRecord& r) {
        // A record that reached a window being replaced by a restart is logged as "lost".
        std::fprintf(log, "%llu %s%s\n", now(), r.lost ? "lost " : "", fakeshell::Describe(r).c_str());
        std::fflush(log);
        if (!iconDir.empty() && r.iconLayoutOk && !r.lost) {
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s\\icon-%04u.bmp", iconDir.c_str(), iconNumber++);
            fakeshell::WriteIconBmp(r, path, 0xD4D0C8);
        }
    });
    shell.SetRestartListener([&](HWND window, bool announced) {
        std::fprintf(log, "%llu restart window=%08X%s\n", now(),
                     unsigned(uintptr_t(window)), announced ? "" : " quiet");
        std::fflush(log);
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
    std::fprintf(log, "%llu quit\n", now());
    std::fclose(log);
    return 0;
}
