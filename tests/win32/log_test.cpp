// The log's file and clock on Windows: lines are appended, never truncated, and the
// elapsed time of the first line is zero.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/log.h"

namespace {

std::string TempLogPath() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "quillar-log-test.log";
}

std::string ReadAll(const std::string& path) {
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(h);
    return text;
}

TEST(LogFile, CreatesThenAppendsWithoutTruncating) {
    const std::string path = TempLogPath();
    DeleteFileA(path.c_str());
    logplat::AppendLine(path.c_str(), "first");
    EXPECT_EQ(ReadAll(path), "first\r\n");
    logplat::AppendLine(path.c_str(), "");
    logplat::AppendLine(path.c_str(), "second");
    EXPECT_EQ(ReadAll(path), "first\r\n\r\nsecond\r\n");
    // Another reader holding the file open does not make the log start afresh.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    logplat::AppendLine(path.c_str(), "third");
    CloseHandle(reader);
    EXPECT_EQ(ReadAll(path), "first\r\n\r\nsecond\r\nthird\r\n");
    DeleteFileA(path.c_str());
}

TEST(LogFile, UnwritablePathIsIgnored) {
    // A folder where the file should be: the line is lost, nothing else happens.
    const std::string path = TempLogPath();
    DeleteFileA(path.c_str());
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    logplat::AppendLine(path.c_str(), "lost");
    RemoveDirectoryA(path.c_str());
    logplat::AppendLine("Q:\\no\\such\\drive\\quillar.log", "lost");
}

TEST(LogClock, ElapsedTimeIsFormattedAsATimeOfDay) {
    const std::string zero = logplat::ElapsedText(0);
    SYSTEMTIME midnight{};
    midnight.wYear = 2000;
    midnight.wMonth = 1;
    midnight.wDay = 1;
    char expected[64] = "";
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &midnight, nullptr, expected, sizeof expected);
    printf("elapsed zero: '%s', one hour and five seconds: '%s'\n", zero.c_str(),
           logplat::ElapsedText(3605000).c_str());
    EXPECT_EQ(zero, expected);
    EXPECT_NE(logplat::ElapsedText(3605000), zero);
    const logplat::Moment a = logplat::Now();
    Sleep(30);
    const logplat::Moment b = logplat::Now();
    EXPECT_GE(logplat::MillisecondsBetween(a, b), 20);
    EXPECT_EQ(logplat::MillisecondsBetween(b, a), 0) << "never negative";
    EXPECT_FALSE(logplat::DateTimeText(a).empty());
}

}  // namespace
