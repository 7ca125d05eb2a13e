// The privileged object through COM: the stand-in registered with regsvr32, created both
// ways, SetAutoStart writing and deleting the Run value, and the failure paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/privileged_object_win32.h"

namespace {

std::string StandIn() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1) + "..\\QuillarPrivileged.dll";
}

// Runs regsvr32 as a test prefix's registration script does; returns its exit code.
DWORD RegSvr32(const std::string& flags) {
    std::string text = "regsvr32.exe " + flags + " \"" + StandIn() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xdeadbeef;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The Run value's data, or "<absent>".
std::string RunValue() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<absent>";
    char data[1024];
    DWORD size = sizeof data, type = 0;
    const LONG r = RegQueryValueExA(key, kAutoStartValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return "<absent>";
    return type == REG_SZ ? std::string(data) : "<type " + std::to_string(type) + ">";
}

void DeleteRunValue() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kAutoStartValue);
    RegCloseKey(key);
}

std::string ProgramPathA() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

class PrivilegedObjectCom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        DeleteRunValue();
    }
    void TearDown() override {
        SetEnvironmentVariableA("QUILLAR_PRIVOBJ_RESULT", nullptr);
        DeleteRunValue();
        RegSvr32("/u /s");
        CoUninitialize();
    }
    std::vector<std::string> boxes;
    ErrorBoxFunction box = [this](const std::string& caption, const std::string& text) {
        boxes.push_back(caption + "|" + text);
    };
};

}  // namespace

TEST_F(PrivilegedObjectCom, NotRegisteredRaisesWithTheCodeAndShowsTheInstantiationBox) {
    RegSvr32("/u /s");
    try {
        CreatePrivilegedObject();
        ADD_FAILURE() << "created without registration";
    } catch (const EComError& e) {
        EXPECT_EQ(static_cast<uint32_t>(e.Code()), 0x80040154u) << "REGDB_E_CLASSNOTREG";
        EXPECT_STRNE(e.what(), "");
    }
    ComPrivilegedObjectSource source(nullptr, 14);
    EXPECT_FALSE(RequestAutoStart(source, true, box));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("COM object instantiation failed: EComError|", 0), 0u) << boxes[0];
    EXPECT_EQ(RunValue(), "<absent>");
}

TEST_F(PrivilegedObjectCom, SetAutoStartWritesAndDeletesTheRunValue) {
    ASSERT_EQ(RegSvr32("/s"), 0u);
    // Version 6 (code 14) takes the elevation way; Wine reports every process as elevated,
    // so the object is created directly. Code 11 (XP) takes the plain way.
    for (int versionCode : {14, 11}) {
        SCOPED_TRACE(versionCode);
        ComPrivilegedObjectSource source(nullptr, versionCode);
        EXPECT_TRUE(RequestAutoStart(source, true, box));
        EXPECT_EQ(RunValue(), ProgramPathA());
        EXPECT_TRUE(RequestAutoStart(source, false, box));
        EXPECT_EQ(RunValue(), "<absent>");
        EXPECT_TRUE(RequestAutoStart(source, false, box)) << "disabling twice is no failure";
    }
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(PrivilegedObjectCom, FailingResultsReachTheBoxes) {
    ASSERT_EQ(RegSvr32("/s"), 0u);
    ComPrivilegedObjectSource source(nullptr, 14);
    SetEnvironmentVariableA("QUILLAR_PRIVOBJ_RESULT", "80004005");
    EXPECT_FALSE(RequestAutoStart(source, true, box));
    SetEnvironmentVariableA("QUILLAR_PRIVOBJ_RESULT", "1");
    EXPECT_FALSE(RequestAutoStart(source, true, box));
    EXPECT_EQ(boxes, (std::vector<std::string>{"Failed|Autostart could not be enabled.",
                                               "Failed|Unexpected error. Code: 0x00000001"}));
    EXPECT_EQ(RunValue(), "<absent>");
}

TEST_F(PrivilegedObjectCom, ElevationUnderWine) {
    ASSERT_EQ(RegSvr32("/s"), 0u);
    // The bind options as the system's structure reads them: 36 bytes in a 32-bit program.
    const BIND_OPTS3 options = ElevationBindOptions(reinterpret_cast<HWND>(0x12345678));
    EXPECT_EQ(options.cbStruct, sizeof(void*) == 4 ? 36u : sizeof(BIND_OPTS3));
    EXPECT_EQ(options.dwClassContext, static_cast<DWORD>(CLSCTX_LOCAL_SERVER));
    EXPECT_EQ(options.hwnd, reinterpret_cast<HWND>(0x12345678));
    EXPECT_EQ(options.grfFlags | options.grfMode | options.dwTickCountDeadline | options.dwTrackFlags |
                  options.locale,
              0u);
    EXPECT_EQ(options.pServerInfo, nullptr);

    // Known platform deviations of Wine 8: every process reads as elevated, and the
    // elevation moniker does not exist: its text does not parse (MK_E_SYNTAX), registered
    // class or not. While the prefix's RPC service is still starting, the parse's lookup
    // fails first with RPC_S_SERVER_UNAVAILABLE instead.
    EXPECT_TRUE(IsProcessElevated());
    try {
        BindElevationMoniker(nullptr, ToGuid(CLSID_QuillarPrivilegedObject), ToGuid(IID_IQuillarPrivilegedObject));
        ADD_FAILURE() << "the elevation moniker bound";
    } catch (const EComError& e) {
        const uint32_t code = static_cast<uint32_t>(e.Code());
        EXPECT_TRUE(code == 0x800401EAu || code == 0x800706BAu) << std::hex << code << " " << e.what();
    }
}
