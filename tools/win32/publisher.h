// What the two temperature publishers share: the command line, the schedule of temperatures,
// the named mapping and the loop that keeps it current.
//
//   STEP...            each step is T1[,T2...][@MS]: the temperatures of sensors 1, 2, ... in
//                      degrees Celsius (decimals allowed), held for MS milliseconds; a step
//                      without @MS holds until the program is ended. When the last step has
//                      a duration the program ends after it, and its mapping vanishes.
//   --size N           the mapping's size in bytes (default: the layout's size); a smaller
//                      block keeps only the fields that fit
//   --count N          the sensor count written into the block (default: the step's values)
//   --control FILE     FILE is read every 50 ms; when its first line changes it replaces the
//                      schedule: a step as above, or "exit" to end the program
//   --ready FILE       written once the mapping exists and holds the first step
//
// Exit code 0 when the schedule ran out or "exit" was read, 2 for a malformed command line,
// 3 when the mapping could not be created.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace publisher {

struct Step {
    std::vector<double> temps;
    int64_t durationMs = -1;  // -1: held until the end
};

struct Options {
    size_t size = 0;
    int count = -1;
    std::string control;
    std::string ready;
    std::vector<Step> steps;
    std::vector<std::string> extra;  // options the publisher itself understands, as "name=value"
};

inline bool ParseStep(const std::string& text, Step& step) {
    step = Step{};
    std::string values = text;
    const size_t at = text.find('@');
    if (at != std::string::npos) {
        values = text.substr(0, at);
        char* end = nullptr;
        step.durationMs = std::strtoll(text.c_str() + at + 1, &end, 10);
        if (*end != '\0' || step.durationMs < 0) return false;
    }
    size_t start = 0;
    while (start <= values.size()) {
        size_t comma = values.find(',', start);
        if (comma == std::string::npos) comma = values.size();
        const std::string one = values.substr(start, comma - start);
        char* end = nullptr;
        const double v = std::strtod(one.c_str(), &end);
        if (one.empty() || *end != '\0') return false;
        step.temps.push_back(v);
        start = comma + 1;
    }
    return !step.temps.empty();
}

// `extraNames` lists the publisher's own options that take a value.
inline bool ParseCommandLine(int argc, char** argv, const std::vector<std::string>& extraNames, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--size" && hasValue) {
            o.size = std::strtoul(argv[++i], nullptr, 10);
        } else if (a == "--count" && hasValue) {
            o.count = std::atoi(argv[++i]);
        } else if (a == "--control" && hasValue) {
            o.control = argv[++i];
        } else if (a == "--ready" && hasValue) {
            o.ready = argv[++i];
        } else if (a.rfind("--", 0) == 0) {
            bool known = false;
            for (const std::string& n : extraNames)
                if (a == "--" + n && hasValue) {
                    o.extra.push_back(n + "=" + argv[++i]);
                    known = true;
                }
            if (!known) return false;
        } else {
            Step s;
            if (!ParseStep(a, s)) return false;
            o.steps.push_back(s);
        }
    }
    return true;
}

inline std::string Extra(const Options& o, const std::string& name) {
    for (const std::string& e : o.extra)
        if (e.rfind(name + "=", 0) == 0) return e.substr(name.size() + 1);
    return std::string();
}

inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }
inline void Put32(std::vector<uint8_t>& b, size_t at, int32_t v) { std::memcpy(&b[at], &v, 4); }
inline void Put64(std::vector<uint8_t>& b, size_t at, double v) { std::memcpy(&b[at], &v, 8); }

inline std::string FirstLine(const std::string& path) {
    std::string line;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[512];
        if (std::fgets(buf, sizeof buf, f)) line = buf;
        std::fclose(f);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// Fills a whole layout-sized block from one step; the program copies the first `size` bytes.
using BlockWriter = void (*)(std::vector<uint8_t>& block, const Step& step, int count, const Options& o);

// Creates the mapping and keeps it current until the schedule ends; windows of the calling
// thread get their messages meanwhile.
inline int Run(const char* mappingName, size_t layoutSize, BlockWriter write, Options& o) {
    const size_t size = o.size ? o.size : layoutSize;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), mappingName);
    if (!mapping) return 3;
    auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size));
    if (!view) return 3;

    std::vector<Step> schedule = o.steps;
    if (schedule.empty()) schedule.push_back(Step{{40.0}, -1});
    size_t current = 0;
    DWORD stepStart = GetTickCount();
    std::string lastControl;
    auto publish = [&] {
        std::vector<uint8_t> block(std::max(size, layoutSize), 0);
        const Step& s = schedule[current];
        write(block, s, o.count >= 0 ? o.count : static_cast<int>(s.temps.size()), o);
        std::memcpy(view, block.data(), size);
    };
    publish();
    if (!o.ready.empty())
        if (FILE* f = std::fopen(o.ready.c_str(), "wb")) {
            std::fprintf(f, "ready\r\n");
            std::fclose(f);
        }

    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!o.control.empty()) {
            const std::string line = FirstLine(o.control);
            if (line != lastControl && !line.empty()) {
                lastControl = line;
                if (line == "exit") break;
                Step s;
                if (ParseStep(line, s)) {
                    schedule = {s};
                    current = 0;
                    stepStart = GetTickCount();
                    publish();
                }
            }
        }
        const Step& s = schedule[current];
        if (s.durationMs >= 0 && GetTickCount() - stepStart >= static_cast<DWORD>(s.durationMs)) {
            if (current + 1 == schedule.size()) break;
            ++current;
            stepStart = GetTickCount();
            publish();
        }
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
}

}  // namespace publisher
