// The hardware event log: one line per event, appended to "c:\quillar.log",
// written only while logging is switched on (the DEBUG start switch).
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "common/format.h"

extern const char* const kLogFilePath;  // "c:\quillar.log"

void SetLogging(bool on);
bool LoggingOn();

// Writes one line: "[" date and time, a blank, the elapsed time since the first line "]",
// a tab, then the text. An empty text writes an empty line without the prefix.
void LogText(const std::string& text);
void LogFormat(std::string_view pattern, std::initializer_list<FormatArg> args);
const char* BoolText(bool b);

// Builds a time-stamped line from its parts (the date-time and elapsed texts come from the platform).
std::string LogLine(const std::string& text, const std::string& dateTime, const std::string& elapsed);

// The platform's part: clock, the user's date and time formats, and appending to the file.
namespace logplat {
struct Moment {
    int year, month, day, hour, minute, second, millisecond;
};
Moment Now();
// Milliseconds between two moments (b - a), never negative.
int64_t MillisecondsBetween(const Moment& a, const Moment& b);
// Short date, a blank, long time, in the user's formats.
std::string DateTimeText(const Moment& m);
// The elapsed time written with the long time format as if it were a time of day.
std::string ElapsedText(int64_t ms);
// Appends `line` + CR LF to the file; an existing file is appended to, a missing one created.
// Failures are silent.
void AppendLine(const char* path, const std::string& line);
}  // namespace logplat
