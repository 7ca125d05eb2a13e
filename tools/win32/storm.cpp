// Starts many copies of a program at the same moment and watches what they do, for the
// end-to-end storms of starts.
//
//   storm [options] COUNT DEADLINE-MS PROGRAM [ARGUMENTS...]
//     --press TEXT    presses the first button of every message box of a started copy whose
//                     texts contain TEXT (as a user answering it), and counts those boxes
//     --watch CLASS   counts the top-level windows of CLASS (of any process) all along and
//                     reports the most seen at once; may be repeated
//     --leave N       stops waiting once no more than N copies still run (the one that
//                     became the running instance, say); they are left running
//
// Each copy is started by a thread of its own; the threads are released together, so the
// copies start as nearly at once as the system allows. Until DEADLINE-MS has passed, or every
// copy (but the ones left) has ended, the tool presses boxes, counts windows and notes when
// each copy ended. Then it prints:
//   started N            copies started
//   ended N              copies that ended by themselves
//   boxes N              boxes pressed
//   slowest MS           the longest life of a copy that ended: from its creation to its end
//   cpu MS               the most processor time (user and kernel) a copy that ended used
//   lives MS...          every ended copy's life, in start order
//   running N            copies still running at the end (left running)
//   most CLASS N         for each --watch, the most windows of CLASS seen at once
// Exit code 0 when every copy was started, 1 otherwise, 2 for a malformed command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "window_text.h"

namespace {

struct Copy {
    HANDLE thread = nullptr;
    PROCESS_INFORMATION pi{};
    bool started = false;
    bool ended = false;
    long lifeMs = -1;
    long cpuMs = -1;
};

struct StartRequest {
    HANDLE go;
    std::string commandLine;
    std::string folder;
    Copy* copy;
};

DWORD WINAPI StartOne(void* p) {
    auto* r = static_cast<StartRequest*>(p);
    WaitForSingleObject(r->go, INFINITE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> line(r->commandLine.begin(), r->commandLine.end());
    line.push_back('\0');
    r->copy->started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      r->folder.empty() ? nullptr : r->folder.c_str(), &si, &r->copy->pi) != FALSE;
    return 0;
}

long long FileTimeValue(const FILETIME& t) {
    return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct Scan {
    const std::vector<std::string>* watched;
    std::vector<long> counts;
    std::vector<DWORD> ourIds;
    std::vector<HWND> boxes;  // message boxes of our copies
};

BOOL CALLBACK AddText(HWND child, LPARAM p) {
    std::string& texts = *reinterpret_cast<std::string*>(p);
    texts += '\n';
    texts += Text(child);
    return TRUE;
}

BOOL CALLBACK LookAt(HWND window, LPARAM p) {
    auto* scan = reinterpret_cast<Scan*>(p);
    const std::string cls = ClassOf(window);
    for (size_t i = 0; i < scan->watched->size(); ++i)
        if (cls == (*scan->watched)[i]) ++scan->counts[i];
    if (cls == "#32770" && IsWindowVisible(window)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        for (DWORD ours : scan->ourIds)
            if (ours == pid) scan->boxes.push_back(window);
    }
    return TRUE;
}

std::string Quoted(const std::string& s) {
    if (!s.empty() && s.find_first_of(" \t\"") == std::string::npos) return s;
    std::string quoted(1, '"');
    quoted += s;
    quoted += '"';
    return quoted;
}

}  // namespace

int main(int argc, char** argv) {
    std::string pressText;
    std::vector<std::string> watched;
    long leave = 0;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return 2;
        if (option == "--press")
            pressText = argv[++i];
        else if (option == "--watch")
            watched.push_back(argv[++i]);
        else if (option == "--leave")
            leave = std::atol(argv[++i]);
        else
            return 2;
    }
    if (argc - i < 3) {
        std::fprintf(stderr, "usage: storm [--press TEXT] [--watch CLASS]... [--leave N] COUNT DEADLINE-MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int count = std::atoi(argv[i]);
    const DWORD deadline = static_cast<DWORD>(std::atol(argv[i + 1]));
    const std::string program = argv[i + 2];
    std::string commandLine = Quoted(program);
    for (int a = i + 3; a < argc; ++a) {
        commandLine += ' ';
        commandLine += Quoted(argv[a]);
    }
    const size_t slash = program.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash);
    if (count <= 0) return 2;

    std::vector<Copy> copies(static_cast<size_t>(count));
    std::vector<StartRequest> requests(static_cast<size_t>(count));
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int n = 0; n < count; ++n) {
        requests[n] = StartRequest{go, commandLine, folder, &copies[n]};
        copies[n].thread = CreateThread(nullptr, 0, StartOne, &requests[n], 0, nullptr);
    }
    const DWORD begin = GetTickCount();
    SetEvent(go);

    std::vector<long> most(watched.size(), 0);
    std::set<HWND> pressed;
    for (;;) {
        bool starting = false;
        long running = 0;
        Scan scan{&watched, std::vector<long>(watched.size(), 0), {}, {}};
        for (Copy& c : copies) {
            if (c.thread && WaitForSingleObject(c.thread, 0) == WAIT_TIMEOUT) {
                starting = true;
                continue;
            }
            if (!c.started || c.ended) continue;
            scan.ourIds.push_back(c.pi.dwProcessId);
            if (WaitForSingleObject(c.pi.hProcess, 0) != WAIT_OBJECT_0) {
                ++running;
                continue;
            }
            c.ended = true;
            FILETIME created, exited, kernel, user;
            if (GetProcessTimes(c.pi.hProcess, &created, &exited, &kernel, &user)) {
                c.lifeMs = static_cast<long>((FileTimeValue(exited) - FileTimeValue(created)) / 10000);
                c.cpuMs = static_cast<long>((FileTimeValue(kernel) + FileTimeValue(user)) / 10000);
            }
        }
        EnumWindows(LookAt, reinterpret_cast<LPARAM>(&scan));
        for (size_t w = 0; w < watched.size(); ++w)
            if (scan.counts[w] > most[w]) most[w] = scan.counts[w];
        if (!pressText.empty()) {
            for (HWND box : scan.boxes) {
                std::string texts = Text(box);
                EnumChildWindows(box, AddText, reinterpret_cast<LPARAM>(&texts));
                if (texts.find(pressText) == std::string::npos) continue;
                HWND ok = GetDlgItem(box, IDOK);
                if (!ok) ok = GetDlgItem(box, IDCANCEL);
                if (ok)
                    PostMessageA(ok, BM_CLICK, 0, 0);
                else
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                pressed.insert(box);
            }
        }
        if (!starting && running <= leave) break;
        if (GetTickCount() - begin >= deadline) break;
        Sleep(20);
    }

    int started = 0, ended = 0, running = 0;
    long slowest = 0, mostCpu = 0;
    std::string lives;
    for (Copy& c : copies) {
        if (!c.started) continue;
        ++started;
        if (c.ended) {
            ++ended;
            if (c.lifeMs > slowest) slowest = c.lifeMs;
            if (c.cpuMs > mostCpu) mostCpu = c.cpuMs;
            lives += ' ';
            lives += std::to_string(c.lifeMs);
        } else {
            ++running;
        }
    }
    std::printf("started %d\nended %d\nboxes %u\nslowest %ld\ncpu %ld\nlives%s\nrunning %d\n", started, ended,
                static_cast<unsigned>(pressed.size()), slowest, mostCpu, lives.c_str(), running);
    for (size_t w = 0; w < watched.size(); ++w) std::printf("most %s %ld\n", watched[w].c_str(), most[w]);
    std::fflush(stdout);
    for (Copy& c : copies) {
        if (c.thread) {
            WaitForSingleObject(c.thread, 5000);
            CloseHandle(c.thread);
        }
        if (c.started) {
            CloseHandle(c.pi.hThread);
            CloseHandle(c.pi.hProcess);
        }
    }
    CloseHandle(go);
    return started == count ? 0 : 1;
}
