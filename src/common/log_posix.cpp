// The log's platform part for native builds (tests and tools): fixed formats,
// and the path taken as a plain file name.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/format.h"
#include "common/log.h"

namespace logplat {

Moment Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return Moment{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms};
}

int64_t MillisecondsBetween(const Moment& a, const Moment& b) {
    auto toMs = [](const Moment& m) {
        std::tm tm{};
        tm.tm_year = m.year - 1900;
        tm.tm_mon = m.month - 1;
        tm.tm_mday = m.day;
        tm.tm_hour = m.hour;
        tm.tm_min = m.minute;
        tm.tm_sec = m.second;
        return static_cast<int64_t>(timegm(&tm)) * 1000 + m.millisecond;
    };
    int64_t d = toMs(b) - toMs(a);
    return d > 0 ? d : 0;
}

std::string DateTimeText(const Moment& m) {
    return Format("%.2d.%.2d.%d %d:%.2d:%.2d", {m.day, m.month, m.year, m.hour, m.minute, m.second});
}

std::string ElapsedText(int64_t ms) {
    int64_t s = ms / 1000;
    return Format("%d:%.2d:%.2d", {(s / 3600) % 24, (s / 60) % 60, s % 60});
}

void AppendLine(const char* path, const std::string& line) {
    if (FILE* f = std::fopen(path, "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fwrite("\r\n", 1, 2, f);
        std::fclose(f);
    }
}

}  // namespace logplat
