// The window watch's enumeration against the system's real top-level windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "winwatch/window_watch.h"

namespace {

const char* const kClass = "QuillarWatchTestWindow";

HWND MakeWindow(const std::string& title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        registered = RegisterClassA(&wc) != 0;
    }
    // Never shown: the watch sees hidden windows as well.
    return CreateWindowExA(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// A text no other window in the system carries.
std::string Unique(const char* what) { return std::string(what) + " " + std::to_string(GetCurrentProcessId()); }

}  // namespace

TEST(SystemTopLevelWindows, FindsAListedWindowByItsTitleInTheRightCaseOnly) {
    const std::string name = Unique("Media Player");
    HWND window = MakeWindow("Song.mp3 - " + name + " - extra");
    ASSERT_NE(window, nullptr);
    auto windows = SystemTopLevelWindows();
    EXPECT_EQ(FindListedWindow(*windows, {"", name}), reinterpret_cast<uintptr_t>(window));
    EXPECT_EQ(FindListedWindow(*windows, {Unique("Media player")}), 0u);
    DestroyWindow(window);
    EXPECT_EQ(FindListedWindow(*windows, {name}), 0u);
}

TEST(SystemTopLevelWindows, TitlesAreCutAt512Characters) {
    const std::string head(500, 'q');
    const std::string tail = Unique("TAIL");  // "TAIL <pid>" from character 501 on
    HWND window = MakeWindow(head + tail + std::string(100, 'z'));
    ASSERT_NE(window, nullptr);
    char probe[1024];
    ASSERT_GT(GetWindowTextA(window, probe, sizeof probe), 512) << "the window keeps its whole title";
    auto windows = SystemTopLevelWindows();
    EXPECT_EQ(FindListedWindow(*windows, {"qqq" + tail.substr(0, 5)}), reinterpret_cast<uintptr_t>(window));
    EXPECT_EQ(FindListedWindow(*windows, {tail + "zzzzzzzzzz"}), 0u) << "ends beyond character 512";
    DestroyWindow(window);
}
