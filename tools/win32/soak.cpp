// Keeps the running program busy for a long time and samples what it holds, for the soak.
//
//   soak SECONDS [--title TEXT] [--sample S]
//
// Drives the program whose main window (class "TQuillarForm") runs now, from outside:
//   - cooling switched on and off every second (its private messages 0x8002 / 0x8003);
//   - the options window opened every 5 s (0x8001) and closed 2 s later, in turn by its
//     "&OK" button and by its close box;
//   - a top-level window of our own titled TEXT (default "Soak - Media Player") appearing
//     and disappearing every 2.5 s, for the window watch.
// Every S seconds (default 10), at the same quiet point of the cycle, it prints one line
// "SECONDS HANDLES GDI USER PRIVATE-BYTES" (process_resources.h) and flushes it. The first
// line is taken before any of the load starts. Ends after SECONDS, or at once with exit
// code 1 when the program is gone.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "process_resources.h"

namespace {

const char* const kMainClass = "TQuillarForm";
const char* const kListedClass = "QuillarSoakWindow";

HWND Main() { return FindWindowA(kMainClass, nullptr); }

struct ButtonSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM p) {
    auto* s = reinterpret_cast<ButtonSearch*>(p);
    char cls[64] = "", text[256] = "";
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (_stricmp(cls, "Button") == 0 && std::strcmp(text, s->caption) == 0) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

// Waits up to `ms` for the main window's visibility to become `shown`.
bool WaitVisible(bool shown, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        HWND main = Main();
        if (!main) return false;
        if ((IsWindowVisible(main) != FALSE) == shown) return true;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return false;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void PrintSample(DWORD pid, double seconds) {
    const resources::Counts c = resources::Read(pid);
    std::printf("%.0f %ld %ld %ld %lld\n", seconds, c.handles, c.gdi, c.user, c.privateBytes);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak SECONDS [--title TEXT] [--sample S]\n");
        return 2;
    }
    const long seconds = std::atol(argv[1]);
    std::string title = "Soak - Media Player";
    long sampleEvery = 10;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--title"))
            title = argv[i + 1];
        else if (!std::strcmp(argv[i], "--sample"))
            sampleEvery = std::atol(argv[i + 1]);
        else
            return 2;
    }
    if (seconds <= 0 || sampleEvery <= 0) return 2;
    HWND main = Main();
    if (!main) {
        std::fprintf(stderr, "soak: the program is not running\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kListedClass;
    RegisterClassA(&wc);
    HWND listed = nullptr;

    PrintSample(pid, 0);
    // The cycle runs in steps of 100 ms; everything happens at fixed steps of it.
    const long steps = seconds * 10;
    const DWORD begin = GetTickCount();
    bool coolingOn = false;
    int closings = 0;
    int failures = 0;
    for (long step = 0; step < steps; ++step) {
        // Steps are kept to the clock, so a slow action only delays the next ones.
        const DWORD due = begin + static_cast<DWORD>(step) * 100;
        for (;;) {
            Pump();
            const long wait = static_cast<long>(due - GetTickCount());
            if (wait <= 0) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
        }
        main = Main();
        if (!main) {
            std::fprintf(stderr, "soak: the program ended after %ld s\n", step / 10);
            return 1;
        }
        const long inCycle = step % 50;  // 5 s
        if (step % 10 == 5) {
            coolingOn = !coolingOn;
            PostMessageA(main, coolingOn ? 0x8002 : 0x8003, 0, 0);
        }
        if (step % 25 == 0) {
            if (listed) {
                DestroyWindow(listed);
                listed = nullptr;
            } else {
                listed = CreateWindowExA(0, kListedClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 60, nullptr,
                                         nullptr, wc.hInstance, nullptr);
            }
        }
        if (inCycle == 0) {
            PostMessageA(main, 0x8001, 0, 0);
            if (!WaitVisible(true, 3000)) ++failures;
        } else if (inCycle == 20 && IsWindowVisible(main)) {
            // In turn the "&OK" button and the close box (a close request while the window is
            // shown); the latter only while it is still shown, since a hidden main window
            // takes a close request as the end of the program.
            ButtonSearch ok{"&OK", nullptr};
            EnumChildWindows(main, MatchButton, reinterpret_cast<LPARAM>(&ok));
            if (closings++ % 2 == 0 && ok.found)
                PostMessageA(ok.found, BM_CLICK, 0, 0);
            else
                PostMessageA(main, WM_CLOSE, 0, 0);
            if (!WaitVisible(false, 3000)) ++failures;
        }
        // Sampled at a quiet step of the cycle: 0.5 s after the last switch of cooling, 1.5 s
        // after the listed window came or went, 2 s after the options window closed.
        if (step > 0 && step % (sampleEvery * 10) == 40 % (sampleEvery * 10)) PrintSample(pid, step / 10.0);
    }
    if (listed) DestroyWindow(listed);
    // Cooling back on, the options window closed: the program is left as it was found.
    if ((main = Main())) {
        PostMessageA(main, 0x8002, 0, 0);
        if (IsWindowVisible(main)) PostMessageA(main, WM_CLOSE, 0, 0);
    }
    std::fprintf(stderr, "soak: %ld s, %d actions that did not take effect within 3 s\n", seconds, failures);
    return 0;
}
