// The log's clock, the user's date and time formats, and the file.
#include <windows.h>

#include "common/log.h"

namespace logplat {

Moment Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return Moment{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

static ULONGLONG FileTimeOf(const Moment& m) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(m.year);
    st.wMonth = static_cast<WORD>(m.month);
    st.wDay = static_cast<WORD>(m.day);
    st.wHour = static_cast<WORD>(m.hour);
    st.wMinute = static_cast<WORD>(m.minute);
    st.wSecond = static_cast<WORD>(m.second);
    st.wMilliseconds = static_cast<WORD>(m.millisecond);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t MillisecondsBetween(const Moment& a, const Moment& b) {
    ULONGLONG fa = FileTimeOf(a), fb = FileTimeOf(b);
    return fb > fa ? static_cast<int64_t>((fb - fa) / 10000) : 0;
}

static std::string TimeText(const SYSTEMTIME& st) {
    char buf[128] = "";
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf);
    return buf;
}

std::string DateTimeText(const Moment& m) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(m.year);
    st.wMonth = static_cast<WORD>(m.month);
    st.wDay = static_cast<WORD>(m.day);
    st.wHour = static_cast<WORD>(m.hour);
    st.wMinute = static_cast<WORD>(m.minute);
    st.wSecond = static_cast<WORD>(m.second);
    char date[128] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
    return std::string(date) + " " + TimeText(st);
}

std::string ElapsedText(int64_t ms) {
    SYSTEMTIME st{};
    st.wYear = 1899;
    st.wMonth = 12;
    st.wDay = 30;
    int64_t seconds = ms / 1000;
    st.wHour = static_cast<WORD>((seconds / 3600) % 24);
    st.wMinute = static_cast<WORD>((seconds / 60) % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    return TimeText(st);
}

void AppendLine(const char* path, const std::string& line) {
    // OPEN_ALWAYS with append access: an existing log is never truncated, whatever
    // made an earlier open fail; a missing one is created.
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::string data = line + "\r\n";
    DWORD written = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
}

}  // namespace logplat
