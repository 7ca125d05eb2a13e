// The don't-show-again state in the system's registry, and the dialog itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "app/languages.h"
#include "common/format.h"

#include "common/registry.h"
#include "ui/dsa.h"
#include "win32/chosen_language.h"

namespace {

std::string PrivatePath() { return "Software\\QuillarTests\\dsa" + std::to_string(GetCurrentProcessId()); }

DWORD DontShow(const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0xdeadbeef;
    DWORD value = 0xdeadbeef, type = 0, size = sizeof value;
    if (RegQueryValueExA(k, "DontShow", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0xdeadbeef;
    RegCloseKey(k);
    return value;
}

class Win32DSA : public ::testing::Test {
protected:
    void SetUp() override {
        dsa.SetDSAStoragePath(path);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }
    std::string path = PrivatePath();
    TDSADialogs dsa{ProcessRegistry(), ProcessDSAPlatform()};
};

// When QUILLAR_DSA_SHOTS is set the dialog stays up for two seconds and its title is
// printed, so that a screenshot can be taken from outside (the tests do not depend on it).
void HoldForShot(HWND dlg, const char* name) {
    char folder[MAX_PATH];
    if (!GetEnvironmentVariableA("QUILLAR_DSA_SHOTS", folder, sizeof folder)) return;
    std::printf("shot %s\n", name);
    std::fflush(stdout);
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(2000);
}

struct SeenDialog {
    bool found = false;
    char caption[64] = {};
    char boxCaption[64] = {};
    RECT window{}, client{}, box{}, icon{};
    int screenHeight = 0;
};

// Runs beside the dialog: waits for it, records what it looks like, then ticks the box
// (when asked) and presses the given button.
std::thread Operator(SeenDialog& seen, bool tick, int buttonId, const char* shot = nullptr) {
    return std::thread([&seen, tick, buttonId, shot] {
        HWND dlg = nullptr;
        for (int i = 0; i < 1200 && !dlg; ++i) {  // up to 30 s
            dlg = FindWindowA(kDSADialogClass, nullptr);
            if (!dlg) Sleep(25);
        }
        if (!dlg) return;
        seen.found = true;
        seen.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        GetWindowTextA(dlg, seen.caption, sizeof seen.caption);
        GetWindowRect(dlg, &seen.window);
        GetClientRect(dlg, &seen.client);
        HWND box = GetDlgItem(dlg, kDSACheckBoxId);
        GetWindowTextA(box, seen.boxCaption, sizeof seen.boxCaption);
        GetWindowRect(box, &seen.box);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&seen.box), 2);
        HWND icon = FindWindowExA(dlg, nullptr, "STATIC", nullptr);
        GetWindowRect(icon, &seen.icon);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&seen.icon), 2);
        if (tick) SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
        if (shot) HoldForShot(dlg, shot);
        if (buttonId == IDCANCEL)
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        else
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, buttonId)));
    });
}

bool CanCreateWindows() {
    HWND w = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!w) return false;
    DestroyWindow(w);
    return true;
}

}  // namespace

TEST_F(Win32DSA, StateIsStoredPerMessageAsDontShow) {
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "Hello, World!"));
    dsa.DSAIdentsSetState("", "Hello, World!", false);
    EXPECT_EQ(DontShow(path + "\\Hello  World"), 1u);
    EXPECT_FALSE(dsa.DSAIdentsGetState("", "Hello, World!"));
    dsa.DSAIdentsSetState("", "Hello, World!", true);
    EXPECT_EQ(DontShow(path + "\\Hello  World"), 0u);
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "Hello, World!"));
    // An explicit path wins over the default.
    dsa.DSAIdentsSetState(path + "\\Other", "x", false);
    EXPECT_EQ(DontShow(path + "\\Other\\x"), 1u);
    EXPECT_THROW(dsa.DSAIdentsGetState("", "..."), EDSAError);
}

TEST_F(Win32DSA, DialogIsShownTickedAndThenSuppressed) {
    if (!CanCreateWindows()) GTEST_SKIP() << "no display";
    const std::string text = "Welcome! You are running Quillar Vantor for the first time.\r\n\r\nRight-click on the "
                             "tray icon to configure Quillar.\r\nDouble-click on the icon to disable Quillar.";
    const std::string key = path + "\\Welcome  You are running Quillar Vantor for the first time     Right click on "
                                   "the tray icon to configure Quillar   Double click on the icon to disable Quillar";
    const std::string storedKey = key.substr(0, 127);

    // Shown, closed with OK unticked: the state 0 is written.
    SeenDialog first;
    std::thread op1 = Operator(first, false, kDSAButtonIdBase, "welcome_en");
    EXPECT_EQ(dsa.DSAMessageDlg(text, 2, dbOK, 0, 0), mrOk);
    op1.join();
    ASSERT_TRUE(first.found);
    EXPECT_STREQ(first.caption, "Information");
    EXPECT_STREQ(first.boxCaption, "&Don't show this message again");
    EXPECT_EQ(DontShow(storedKey), 0u);
    // The box sits under the icon, at its left, and the dialog grew to hold it.
    EXPECT_EQ(first.box.left, first.icon.left);
    EXPECT_GT(first.box.top, first.icon.bottom);
    EXPECT_EQ(first.client.bottom - first.box.bottom, first.icon.top);
    // Centred vertically on the screen.
    const int height = first.window.bottom - first.window.top;
    EXPECT_EQ(first.window.top, first.screenHeight / 2 - height / 2);

    // Shown again; this time the box is ticked and Esc closes it (Esc means OK here).
    SeenDialog second;
    std::thread op2 = Operator(second, true, IDCANCEL);
    EXPECT_EQ(dsa.DSAMessageDlg(text, 2, dbOK, 0, 0), mrOk);
    op2.join();
    ASSERT_TRUE(second.found);
    EXPECT_EQ(DontShow(storedKey), 1u);

    // Now suppressed: the default result at once, no window.
    const DWORD start = GetTickCount();
    EXPECT_EQ(dsa.DSAMessageDlg(text, 2, dbOK, 0, 0), 0);
    EXPECT_EQ(dsa.DSAMessageDlg(text, 2, dbOK, 1, 0), 1);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(FindWindowA(kDSADialogClass, nullptr), nullptr);
}

TEST_F(Win32DSA, ButtonsGiveTheirResults) {
    if (!CanCreateWindows()) GTEST_SKIP() << "no display";
    SeenDialog seen;
    // Yes, No, Cancel: the second button is No.
    std::thread op = Operator(seen, false, kDSAButtonIdBase + 1);
    EXPECT_EQ(dsa.DSAMessageDlgEx("Save?", 3, dbYes | dbNo | dbCancel, mrCancel, "", "question", 0), mrNo);
    op.join();
    EXPECT_STREQ(seen.caption, "Confirm");
    SeenDialog esc;
    std::thread op2 = Operator(esc, false, IDCANCEL);
    EXPECT_EQ(dsa.DSAMessageDlgEx("Save?", 3, dbYes | dbNo | dbCancel, mrCancel, "", "question", 0), mrCancel);
    op2.join();
}

TEST_F(Win32DSA, GermanWelcomeDialog) {
    if (!CanCreateWindows()) GTEST_SKIP() << "no display";
    // The welcome text as start-up builds it, from the shipped German file, for a German user
    // whatever the machine's own language.
    ChosenLanguage german("DEU");
    SetLanguagePlatform(&german);
    LanguageFilePath = ShippedLanguageFile();
    const std::string text = Format(TranslateText("Welcome! You are running %1s for the first time.", 5064),
                                    {"Quillar Vantor"});
    LanguageFilePath.clear();
    SetLanguagePlatform(nullptr);
    EXPECT_EQ(text.substr(0, 45), "Willkommen! Sie starten Quillar Vantor zum er");
    SeenDialog seen;
    std::thread op = Operator(seen, true, kDSAButtonIdBase, "welcome_de");
    EXPECT_EQ(dsa.DSAMessageDlg(text, 2, dbOK, 0, 0), mrOk);
    op.join();
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(dsa.DSAIdentsGetState("", text));
}
