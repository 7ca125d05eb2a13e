// Looks at a running program from outside, for the end-to-end scenarios and the demo.
//   qprobe wait-window CLASS MS          0 when a top-level window of CLASS exists within MS
//   qprobe wait-gone CLASS MS            0 when no window of CLASS is left within MS
//   qprobe visible CLASS                 0 when the window exists and is visible
//   qprobe threads EXE                   one line per thread: id priority kernel-ms user-ms
//   qprobe wait-threads EXE MS           0 when EXE has a thread at idle priority within MS
//   qprobe wait-ready MS                 0 when the program's start-up has run through within
//                                        MS: its main window has taken on its application
//                                        window as owner, the last step of start-up
//   qprobe dialog TEXT MS [press]        waits for a dialog whose text contains TEXT, prints
//                                        its caption and texts; "press" presses its first button,
//                                        "send" presses it with a sent BM_CLICK (as UI automation)
//   qprobe dialogs                       prints every dialog window's caption and texts
//   qprobe post CLASS MSG [WPARAM LPARAM] posts a message (numbers in hexadecimal)
//   qprobe pid EXE                       prints the id of every process of EXE, one a line;
//                                        exit code 1 when none runs
//   qprobe count CLASS                   prints how many top-level windows of CLASS exist
//   qprobe wait-exit EXE MS              0 when the process has ended within MS
//   qprobe click CLASS TEXT              clicks the child button of CLASS's window captioned TEXT
//   qprobe check CLASS TEXT [0|1]        prints (or sets by a click) a check box's state
//   qprobe enabled CLASS TEXT            0 when the child button captioned TEXT is enabled, 1 if not
//   qprobe children CLASS                one line per child window of CLASS's window:
//                                        class, 1 or 0 for its own visible style, text
//   qprobe tabs CLASS                    the captions of the tabs of CLASS's tab control
//   qprobe priorities EXE MS             watches the threads of EXE that run at idle priority
//                                        now for MS: prints "ms p1 p2 ..." at the start and
//                                        whenever one of their priorities changes
//   qprobe rect CLASS CHILD-CLASS        prints the screen rectangle of the first child of
//                                        that class: left top width height
//   qprobe memory EXE                    prints the process's memory figures in bytes:
//                                        private working-set peak-working-set pagefile
//   qprobe resources EXE                 prints what EXE holds: handles, GDI objects, USER
//                                        objects and private bytes (process_resources.h)
//   qprobe modules EXE                   the file names of the modules EXE has loaded, in
//                                        lower case, one a line
// Dialogs are message boxes (#32770) and the program's message dialogs (TQuillarMessageDialog).
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
// GetProcessMemoryInfo from kernel32 itself, so no extra library is linked.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "process_resources.h"
#include "window_text.h"

namespace {

bool WaitFor(int ms, bool (*test)(const char*), const char* arg) {
    DWORD start = GetTickCount();
    do {
        if (test(arg)) return true;
        Sleep(50);
    } while (GetTickCount() - start < static_cast<DWORD>(ms));
    return test(arg);
}

bool WindowExists(const char* cls) { return FindWindowA(cls, nullptr) != nullptr; }
bool WindowGone(const char* cls) { return FindWindowA(cls, nullptr) == nullptr; }

std::vector<DWORD> ProcessIds(const char* exe) {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        if (_stricmp(pe.szExeFile, exe) == 0) ids.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

bool ProcessGone(const char* exe) { return ProcessIds(exe).empty(); }

BOOL CALLBACK CollectText(HWND child, LPARAM p) {
    auto* out = reinterpret_cast<std::string*>(p);
    std::string t = Text(child);
    if (!t.empty()) *out += "\n" + t;
    return TRUE;
}

BOOL CALLBACK CollectDialog(HWND h, LPARAM p) {
    // Message boxes, and the program's own message dialogs.
    const std::string cls = ClassOf(h);
    if ((cls == "#32770" || cls == "TQuillarMessageDialog") && IsWindowVisible(h))
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
    return TRUE;
}

// The texts of a dialog: its caption, then every child's text.
std::string DialogTexts(HWND dialog) {
    std::string all = Text(dialog);
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Dialogs() {
    std::vector<HWND> found;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct Search {
    const char* cls;
    const char* text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (ClassOf(child) == s->cls && (!s->text || Text(child) == s->text)) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND FindChild(HWND parent, const char* cls, const char* text) {
    Search s{cls, text, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// Prints the threads of EXE; with `idleOnly`, prints nothing and returns 0 when one of them
// runs at idle priority.
int Threads(const char* exe, bool idleOnly) {
    std::vector<DWORD> ids = ProcessIds(exe);
    if (ids.empty()) return 1;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != ids[0]) continue;
        HANDLE t = OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID);
        if (!t) continue;
        FILETIME c, e, k, u;
        unsigned long long kms = 0, ums = 0;
        if (GetThreadTimes(t, &c, &e, &k, &u)) {
            kms = ((static_cast<unsigned long long>(k.dwHighDateTime) << 32) | k.dwLowDateTime) / 10000;
            ums = ((static_cast<unsigned long long>(u.dwHighDateTime) << 32) | u.dwLowDateTime) / 10000;
        }
        const int priority = GetThreadPriority(t);
        CloseHandle(t);
        if (idleOnly) {
            if (priority == THREAD_PRIORITY_IDLE) {
                CloseHandle(snap);
                return 0;
            }
            continue;
        }
        std::printf("%lu %d %llu %llu\n", te.th32ThreadID, priority, kms, ums);
    }
    CloseHandle(snap);
    return idleOnly ? 1 : 0;
}

unsigned long Hex(const char* s) { return std::strtoul(s, nullptr, 16); }

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    const bool shown = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
    std::printf("%s\t%d\t%s\n", ClassOf(child).c_str(), shown ? 1 : 0, Text(child).c_str());
    return TRUE;
}

// The tab captions live in the other process: the request and its answer go through a
// buffer allocated there.
int Tabs(HWND window) {
    HWND tabs = window ? FindChild(window, "SysTabControl32", nullptr) : nullptr;
    if (!tabs) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(tabs, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    constexpr size_t kText = 256;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + kText, MEM_COMMIT,
                                                     PAGE_READWRITE));
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; remote && i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = remote + sizeof(TCITEMA);
        item.cchTextMax = kText;
        char text[kText] = "";
        SIZE_T moved = 0;
        WriteProcessMemory(process, remote, &item, sizeof item, &moved);
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof(TCITEMA), text, kText - 1, &moved);
        std::printf("%s\n", text);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
}

int Priorities(const char* exe, DWORD ms) {
    std::vector<DWORD> ids = ProcessIds(exe);
    if (ids.empty()) return 1;
    std::vector<HANDLE> watched;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != ids[0]) continue;
        HANDLE t = OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID);
        if (t && GetThreadPriority(t) == THREAD_PRIORITY_IDLE)
            watched.push_back(t);
        else if (t)
            CloseHandle(t);
    }
    CloseHandle(snap);
    if (watched.empty()) return 1;
    std::string last;
    const DWORD start = GetTickCount();
    do {
        std::string now;
        for (HANDLE t : watched) {
            char one[16];
            std::snprintf(one, sizeof one, " %d", GetThreadPriority(t));
            now += one;
        }
        if (now != last) {
            std::printf("%lu%s\n", static_cast<unsigned long>(GetTickCount() - start), now.c_str());
            std::fflush(stdout);
            last = now;
        }
        Sleep(20);
    } while (GetTickCount() - start < ms);
    for (HANDLE t : watched) CloseHandle(t);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string cmd = argv[1];
    if (cmd == "wait-window" && argc == 4) return WaitFor(std::atoi(argv[3]), WindowExists, argv[2]) ? 0 : 1;
    if (cmd == "wait-gone" && argc == 4) return WaitFor(std::atoi(argv[3]), WindowGone, argv[2]) ? 0 : 1;
    if (cmd == "visible" && argc == 3) {
        HWND h = FindWindowA(argv[2], nullptr);
        return h && IsWindowVisible(h) ? 0 : 1;
    }
    if (cmd == "threads" && argc == 3) return Threads(argv[2], false);
    if (cmd == "wait-threads" && argc == 4) {
        DWORD start = GetTickCount();
        do {
            if (Threads(argv[2], true) == 0) return 0;
            Sleep(50);
        } while (GetTickCount() - start < static_cast<DWORD>(std::atoi(argv[3])));
        return 1;
    }
    if (cmd == "wait-ready" && argc == 3) {
        return WaitFor(std::atoi(argv[2]), [](const char*) {
            const HWND main = FindWindowA("TQuillarForm", nullptr);
            const HWND owner = main ? GetWindow(main, GW_OWNER) : nullptr;
            return owner && ClassOf(owner) == "TQuillarApplication";
        }, nullptr) ? 0 : 1;
    }
    if (cmd == "pid" && argc == 3) {
        auto ids = ProcessIds(argv[2]);
        if (ids.empty()) return 1;
        for (DWORD id : ids) std::printf("%lu\n", id);
        return 0;
    }
    if (cmd == "count" && argc == 3) {
        int n = 0;
        for (HWND w = FindWindowExA(nullptr, nullptr, argv[2], nullptr); w; w = FindWindowExA(nullptr, w, argv[2], nullptr))
            ++n;
        std::printf("%d\n", n);
        return 0;
    }
    if (cmd == "memory" && argc == 3) {
        auto ids = ProcessIds(argv[2]);
        if (ids.empty()) return 1;
        HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[0]);
        PROCESS_MEMORY_COUNTERS_EX m{};
        m.cb = sizeof m;
        const BOOL ok = p && GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
        if (p) CloseHandle(p);
        if (!ok) return 1;
        // Private bytes are the commit charge, which is also what PagefileUsage counts; Wine
        // leaves PrivateUsage at zero.
        const SIZE_T privateBytes = m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage;
        std::printf("%lu %lu %lu %lu\n", static_cast<unsigned long>(privateBytes),
                    static_cast<unsigned long>(m.WorkingSetSize), static_cast<unsigned long>(m.PeakWorkingSetSize),
                    static_cast<unsigned long>(m.PagefileUsage));
        return 0;
    }
    if (cmd == "modules" && argc == 3) {
        auto ids = ProcessIds(argv[2]);
        if (ids.empty()) return 1;
        HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[0]);
        HMODULE modules[512];
        DWORD bytes = 0;
        const BOOL ok = p && EnumProcessModules(p, modules, sizeof modules, &bytes);
        for (DWORD i = 0; ok && i < bytes / sizeof modules[0] && i < 512; ++i) {
            char name[MAX_PATH] = "";
            if (!GetModuleBaseNameA(p, modules[i], name, sizeof name)) continue;
            for (char* c = name; *c; ++c) *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
            std::printf("%s\n", name);
        }
        if (p) CloseHandle(p);
        return ok ? 0 : 1;
    }
    if (cmd == "wait-exit" && argc == 4) return WaitFor(std::atoi(argv[3]), ProcessGone, argv[2]) ? 0 : 1;
    if (cmd == "dialogs") {
        for (HWND d : Dialogs()) std::printf("%s\n--\n", DialogTexts(d).c_str());
        return 0;
    }
    if (cmd == "dialog" && argc >= 4) {
        DWORD start = GetTickCount();
        const DWORD limit = static_cast<DWORD>(std::atoi(argv[3]));
        do {
            for (HWND d : Dialogs()) {
                std::string texts = DialogTexts(d);
                if (texts.find(argv[2]) == std::string::npos) continue;
                std::printf("%s\n", texts.c_str());
                std::fflush(stdout);
                const bool send = argc >= 5 && std::strcmp(argv[4], "send") == 0;
                if (argc >= 5 && (send || std::strcmp(argv[4], "press") == 0)) {
                    HWND button = FindChild(d, "Button", nullptr);
                    // The first push button of a message box is its OK button.
                    HWND ok = GetDlgItem(d, IDOK);
                    if (!ok) ok = GetDlgItem(d, IDCANCEL);
                    if (!ok) ok = button;
                    if (ok && send)
                        SendMessageA(ok, BM_CLICK, 0, 0);  // as UI automation presses it
                    else if (ok)
                        PostMessageA(ok, BM_CLICK, 0, 0);
                    else
                        PostMessageA(d, WM_COMMAND, IDOK, 0);
                }
                return 0;
            }
            Sleep(50);
        } while (GetTickCount() - start < limit);
        return 1;
    }
    if (cmd == "post" && argc >= 4) {
        HWND h = FindWindowA(argv[2], nullptr);
        if (!h) return 1;
        WPARAM wp = argc > 4 ? Hex(argv[4]) : 0;
        LPARAM lp = argc > 5 ? static_cast<LPARAM>(Hex(argv[5])) : 0;
        return PostMessageA(h, static_cast<UINT>(Hex(argv[3])), wp, lp) ? 0 : 1;
    }
    if (cmd == "click" && argc == 4) {
        HWND h = FindWindowA(argv[2], nullptr);
        HWND b = h ? FindChild(h, "Button", argv[3]) : nullptr;
        if (!b) return 1;
        SendMessageA(b, BM_CLICK, 0, 0);
        return 0;
    }
    if (cmd == "enabled" && argc == 4) {
        HWND h = FindWindowA(argv[2], nullptr);
        HWND b = h ? FindChild(h, "Button", argv[3]) : nullptr;
        if (!b) return 2;
        return IsWindowEnabled(b) ? 0 : 1;
    }
    if (cmd == "check" && argc >= 4) {
        HWND h = FindWindowA(argv[2], nullptr);
        HWND b = h ? FindChild(h, "Button", argv[3]) : nullptr;
        if (!b) return 1;
        bool checked = SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (argc == 5 && checked != (argv[4][0] == '1')) SendMessageA(b, BM_CLICK, 0, 0);
        std::printf("%d\n", SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (cmd == "children" && argc == 3) {
        HWND h = FindWindowA(argv[2], nullptr);
        if (!h) return 1;
        EnumChildWindows(h, PrintChild, 0);
        return 0;
    }
    if (cmd == "tabs" && argc == 3) return Tabs(FindWindowA(argv[2], nullptr));
    if (cmd == "priorities" && argc == 4) return Priorities(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
    if (cmd == "rect" && argc == 4) {
        HWND h = FindWindowA(argv[2], nullptr);
        HWND c = h ? FindChild(h, argv[3], nullptr) : nullptr;
        RECT r;
        if (!c || !GetWindowRect(c, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "resources" && argc == 3) {
        auto ids = ProcessIds(argv[2]);
        if (ids.empty()) return 1;
        const resources::Counts c = resources::Read(ids[0]);
        std::printf("handles %ld gdi %ld user %ld private %lld\n", c.handles, c.gdi, c.user, c.privateBytes);
        return c.handles < 0 || c.gdi < 0 || c.user < 0 || c.privateBytes < 0 ? 1 : 0;
    }
    return 2;
}
