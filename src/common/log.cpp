#include "common/log.h"

#include <atomic>

const char* const kLogFilePath = "c:\\quillar.log";

namespace {
std::atomic<bool> g_logging{false};
bool g_firstLine = true;
logplat::Moment g_runStart{};
}  // namespace

void SetLogging(bool on) { g_logging = on; }
bool LoggingOn() { return g_logging; }

std::string LogLine(const std::string& text, const std::string& dateTime, const std::string& elapsed) {
    return "[" + dateTime + " " + elapsed + "]\t" + text;
}

void LogText(const std::string& text) {
    if (!g_logging) return;
    std::string line;
    if (!text.empty()) {
        logplat::Moment now = logplat::Now();
        if (g_firstLine) {
            g_firstLine = false;
            g_runStart = now;
        }
        line = LogLine(text, logplat::DateTimeText(now),
                       logplat::ElapsedText(logplat::MillisecondsBetween(g_runStart, now)));
    }
    logplat::AppendLine(kLogFilePath, line);
}

void LogFormat(std::string_view pattern, std::initializer_list<FormatArg> args) {
    if (!g_logging) return;
    LogText(Format(pattern, args));
}

const char* BoolText(bool b) { return b ? "True" : "False"; }
