// The temperature sources against the stand-in publishers' real named mappings in other
// processes, the "TMBM" window message, and the shutdown's calls (watched, never made).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "temp/monitor_window.h"
#include "temp/shutdown_win32.h"
#include "temp/temp_monitoring.h"

namespace {

std::string ToolPath(const char* exe) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    dir = dir.substr(0, dir.find_last_of('\\'));    // ...\tests
    return dir.substr(0, dir.find_last_of('\\') + 1) + exe;
}

std::string TempFile(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

void WriteFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[256];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

template <class Done>
bool WaitFor(Done done, DWORD ms = 5000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (done()) return true;
    return done();
}

// One stand-in publisher process, ended when the test is done with it.
class Publisher {
public:
    Publisher(const char* exe, const std::string& arguments) {
        ready_ = TempFile(std::string(exe) + ".ready");
        DeleteFileA(ready_.c_str());
        // Appended piece by piece: the compiler's overlap warning misfires on the long sum.
        std::string command = "\"";
        command += ToolPath(exe);
        command += "\" --ready \"";
        command += ready_;
        command += "\" ";
        command += arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_);
        if (started_) WaitFor([&] { return GetFileAttributesA(ready_.c_str()) != INVALID_FILE_ATTRIBUTES; });
    }
    ~Publisher() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 9);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
        DeleteFileA(ready_.c_str());
    }
    bool Ready() const { return started_ && GetFileAttributesA(ready_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool Ended(DWORD ms) { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }

private:
    bool started_ = false;
    std::string ready_;
    PROCESS_INFORMATION info_ = {};
};

TEST(TempSourcesOnWindows, SpeedFanPublisherIsReadAfreshAndLostWhenItEnds) {
    TempMonitoring temp(SystemSharedMemory());
    ASSERT_EQ(temp.DetectTempSource(), srcNone) << "a publisher of an earlier test is still running";
    const std::string control = TempFile("sfpublish.control");
    DeleteFileA(control.c_str());
    {
        Publisher sf("sfpublish.exe", "--control \"" + control + "\" 45.5,44.5,45.49");
        ASSERT_TRUE(sf.Ready()) << ToolPath("sfpublish.exe");
        ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
        EXPECT_EQ(temp.GetSensorCount(), 3);
        EXPECT_EQ(temp.ReadSensorTemp(0), 46);
        EXPECT_EQ(temp.ReadSensorTemp(1), 44);
        EXPECT_EQ(temp.ReadSensorTemp(2), 45);
        EXPECT_EQ(temp.GetSensorName(1), "Sensor 2");
        LARGE_INTEGER f, a, b;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&a);
        for (int i = 0; i < 200; ++i) temp.ReadSensorTemp(0);
        QueryPerformanceCounter(&b);
        printf("one reading (open, map, copy, close): %.1f us\n", (b.QuadPart - a.QuadPart) * 1e6 / f.QuadPart / 200);
        WriteFile(control, "81\r\n");
        EXPECT_TRUE(WaitFor([&] { return temp.ReadSensorTemp(0) == 81; }));
        EXPECT_EQ(temp.GetSensorCount(), 1);
        WriteFile(control, "exit\r\n");
        EXPECT_TRUE(sf.Ended(5000));
    }
    DeleteFileA(control.c_str());
    // The mapping vanished with its process; the source stays chosen with its last snapshot.
    EXPECT_EQ(temp.ReadSensorTemp(0), -1);
    EXPECT_EQ(temp.ActiveTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.GetSensorCount(), 1);
}

TEST(TempSourcesOnWindows, MotherboardMonitorAloneAndSpeedFanFirstWhenBothRun) {
    TempMonitoring temp(SystemSharedMemory());
    Publisher mbm("mbmpublish.exe", "--names CPU,Board,ABCDEFGHIJKLMNOPQRS 61.5,60.5,30.3");
    ASSERT_TRUE(mbm.Ready());
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    EXPECT_EQ(temp.GetSensorCount(), 3);
    EXPECT_EQ(temp.ReadSensorTemp(0), 62);
    EXPECT_EQ(temp.ReadSensorTemp(1), 60);
    EXPECT_EQ(temp.GetSensorName(0), "CPU");
    EXPECT_EQ(temp.GetSensorName(2), "ABCDEFGHIJKLMNO");  // the reading after it starts with a non-zero byte
    EXPECT_EQ(temp.ReadSensorTemp(3), -1);
    Publisher sf("sfpublish.exe", "55");
    ASSERT_TRUE(sf.Ready());
    EXPECT_EQ(temp.DetectTempSource(), srcSpeedFan);
    EXPECT_EQ(temp.ReadSensorTemp(0), 55);
}

TEST(TempSourcesOnWindows, SixteenByteBlocksAreCopiedOnlyAsFarAsTheirView) {
    {
        Publisher sf("sfpublish.exe", "--size 16 --count 5 50");
        ASSERT_TRUE(sf.Ready());
        TempMonitoring temp(SystemSharedMemory());
        ASSERT_EQ(temp.DetectTempSource(), srcSpeedFan);
        // The count fits into 16 bytes, the temperatures do not: the page's tail reads as zeros.
        EXPECT_EQ(temp.GetSensorCount(), 5);
        EXPECT_EQ(temp.ReadSensorTemp(0), 0);
    }
    Publisher mbm("mbmpublish.exe", "--size 16 50");
    ASSERT_TRUE(mbm.Ready());
    // The view shows one page, far less than the 8,488 bytes the reader wants.
    std::vector<uint8_t> buffer(8488, 0xAB);
    size_t copied = 0;
    ASSERT_TRUE(SystemSharedMemory().Copy("$M$B$M$5$S$D$", buffer.data(), buffer.size(), copied));
    printf("Motherboard Monitor 16-byte block: %u bytes copied\n", static_cast<unsigned>(copied));
    EXPECT_GE(copied, 16u);
    EXPECT_LT(copied, 8488u);
    EXPECT_EQ(buffer[8487], 0xAB) << "nothing written past the copied bytes";
    TempMonitoring temp(SystemSharedMemory());
    ASSERT_EQ(temp.DetectTempSource(), srcMBM);
    EXPECT_EQ(temp.GetSensorCount(), 1);
    EXPECT_EQ(temp.ReadSensorTemp(0), 0);
}

TEST(MonitorWindow, ButtonMessageReachesTheMonitorsWindow) {
    ASSERT_EQ(FindWindowA("TMBM", nullptr), nullptr);
    EXPECT_FALSE(SignalMonitorWindow());
    const std::string record = TempFile("mbmpublish.record");
    DeleteFileA(record.c_str());
    Publisher mbm("mbmpublish.exe", "--record \"" + record + "\" 40");
    ASSERT_TRUE(mbm.Ready());
    EXPECT_TRUE(SignalMonitorWindow());
    EXPECT_TRUE(WaitFor([&] { return !ReadFileText(record).empty(); }));
    EXPECT_EQ(ReadFileText(record), "1432 0 0\r\n");
    DeleteFileA(record.c_str());
}

// The shutdown through a table that passes the privilege calls on to the system and
// records what it was asked, but never ends the session.
struct ShutdownRecord {
    std::vector<std::string> calls;
    LUID requested = {};
    DWORD attributes = 0;
    BOOL disableAll = TRUE;
    bool granted = false;  // the system enabled the privilege (it is assigned, not only asked for)
    UINT exitFlags = 0;
    DWORD exitReason = 0xDEADBEEF;
} g_record;

BOOL WINAPI RecordOpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    g_record.calls.push_back(access == TOKEN_ADJUST_PRIVILEGES ? "open adjust" : "open other");
    return OpenProcessToken(process, access, token);
}
BOOL WINAPI RecordLookup(LPCSTR system, LPCSTR name, PLUID luid) {
    g_record.calls.push_back(std::string("lookup ") + (system ? system : "local") + " " + name);
    return LookupPrivilegeValueA(system, name, luid);
}
BOOL WINAPI RecordAdjust(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                         PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
    g_record.calls.push_back("adjust " + std::to_string(state->PrivilegeCount) + " " + std::to_string(length) +
                             (previous ? " previous" : "") + (returnLength ? " returned" : ""));
    g_record.disableAll = disableAll;
    g_record.requested = state->Privileges[0].Luid;
    g_record.attributes = state->Privileges[0].Attributes;
    const BOOL ok = AdjustTokenPrivileges(token, disableAll, state, length, previous, returnLength);
    g_record.granted = ok && GetLastError() == ERROR_SUCCESS;
    return ok;
}
BOOL WINAPI RecordClose(HANDLE handle) {
    g_record.calls.push_back("close");
    return CloseHandle(handle);
}
BOOL WINAPI RecordExit(UINT flags, DWORD reason) {
    g_record.calls.push_back("exit");
    g_record.exitFlags = flags;
    g_record.exitReason = reason;
    return FALSE;
}

TEST(Shutdown, EnablesTheShutdownPrivilegeThenAsksToPowerOff) {
    const ShutdownCalls watched = {GetCurrentProcess, RecordOpenProcessToken, RecordLookup, RecordAdjust,
                                   RecordClose, RecordExit};
    WindowsShutdown shutdown(watched);
    EXPECT_FALSE(shutdown.ShutdownWindows(kEmergencyShutdownFlags));
    EXPECT_EQ(g_record.calls, std::vector<std::string>({"open adjust", "lookup local SeShutdownPrivilege",
                                                        "adjust 1 0 returned", "close", "exit"}));
    LUID shutdownLuid;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdownLuid));
    EXPECT_EQ(g_record.requested.LowPart, shutdownLuid.LowPart);
    EXPECT_EQ(g_record.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_FALSE(g_record.disableAll);
    EXPECT_TRUE(g_record.granted);
    EXPECT_EQ(g_record.exitFlags, static_cast<UINT>(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF));
    EXPECT_EQ(g_record.exitReason, 0u);
}

}  // namespace
