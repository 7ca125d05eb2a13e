// The window watch and autostart as the main window runs them: the watch tick switching
// cooling, the tray repair, the timer's rules, the list's buttons, the autostart button.
#include <gtest/gtest.h>

#include "app/autostart.h"
#include "app/form.h"
#include "app/settings.h"
#include "unit/core/fakes.h"

namespace {

class FormWatch : public ::testing::Test {
protected:
    void SetUp() override {
        form.tray = &tray;
        form.LabelTitle->SetCaption("Quillar Vantor");
        form.idle.ProcessorCount = 1;
        form.idle.CreateIdleThreads([](const std::string&) {});
        form.ListBoxWindows->SetItems({"Media Player"});
        form.TaskbarWindow = host.taskbar;
        form.SetCooling(true);
    }
    TestServices services;
    FakeHost host;
    FakeTray tray;
    TQuillarForm form{host, services.Services()};
};

TEST_F(FormWatch, TickSwitchesCoolingOffWhileAListedWindowExists) {
    std::vector<bool> timerStates;
    form.TimerWindows->SetEnabled(true);
    form.TimerWindows->observer = [&](Control&, const Change&) { timerStates.push_back(form.TimerWindows->Enabled()); };

    host.windows.titles = {"Program Manager", "song.mp3 - media player"};
    form.TimerWindowsTimer();
    EXPECT_TRUE(form.CoolingEnabled) << "a name in the wrong letter case does nothing";

    host.windows.titles.push_back("song.mp3 - Media Player 11");
    form.TimerWindowsTimer();
    EXPECT_FALSE(form.CoolingEnabled);
    EXPECT_TRUE(form.DisabledByWindow);
    EXPECT_EQ(tray.shown.back(), 8) << "the icon shows cooling off";

    host.windows.titles.pop_back();
    form.TimerWindowsTimer();
    EXPECT_TRUE(form.CoolingEnabled);
    EXPECT_FALSE(form.DisabledByWindow);
    // Each tick stops its timer while working and starts it again, so the next interval
    // counts from the end of the tick.
    EXPECT_EQ(timerStates, (std::vector<bool>{false, true, false, true, false, true}));
}

TEST_F(FormWatch, CoolingSwitchedOffByHandStaysOff) {
    form.TrayDblClick();
    host.windows.titles = {"Media Player"};
    form.TimerWindowsTimer();
    host.windows.titles.clear();
    form.TimerWindowsTimer();
    EXPECT_FALSE(form.CoolingEnabled);
    EXPECT_EQ(host.windows.enumerations, 0) << "the watch stays out, it does not even look";
}

TEST_F(FormWatch, TrayRepairedWhenTheTaskbarWindowChangedAndRetriedWhileBusy) {
    form.TimerWindowsTimer();
    EXPECT_EQ(host.trayRecreations, 0);

    form.TrayDblClick();  // the repair does not depend on the watch's state
    host.taskbar = 0x5678;
    form.TimerWindowsTimer();
    EXPECT_EQ(host.trayRecreations, 1);
    EXPECT_EQ(form.TaskbarWindow, 0x5678u);
    form.TimerWindowsTimer();
    EXPECT_EQ(host.trayRecreations, 1) << "once per new taskbar";

    host.taskbar = 0x9abc;
    host.trayBusy = true;
    form.TimerWindowsTimer();
    EXPECT_EQ(form.TaskbarWindow, 0x5678u) << "not repaired yet";
    host.trayBusy = false;
    form.TimerWindowsTimer();
    EXPECT_EQ(host.trayRecreations, 2);
    EXPECT_EQ(form.TaskbarWindow, 0x9abcu);
}

TEST_F(FormWatch, TimerRunsWhileTheListHasNamesAndFollowsItOnlyOnOk) {
    form.UpdateWindowWatchTimer();
    EXPECT_TRUE(form.TimerWindows->Enabled());
    form.ListBoxWindows->SetSelected(0, true);
    form.btDelClick();
    EXPECT_TRUE(form.ListBoxWindows->Items().empty());
    EXPECT_TRUE(form.TimerWindows->Enabled()) << "deleting takes effect on the timer only at OK";
    host.optionsVisible = true;
    form.ButtonOKClick();
    EXPECT_FALSE(form.TimerWindows->Enabled());

    form.EditTemp->SetText("bad");  // OK's guarded steps fail; the timer is still updated
    form.cbWindows->SetText("Viewer");
    form.btAddClick();
    EXPECT_FALSE(form.TimerWindows->Enabled());
    form.ButtonOKClick();
    EXPECT_TRUE(form.TimerWindows->Enabled());

    form.SettingsChanged = false;
    form.tbFindWindows->SetPosition(25);
    EXPECT_EQ(form.TimerWindows->Interval(), 2500u);
    EXPECT_TRUE(form.SettingsChanged);
}

TEST_F(FormWatch, AddKeepsOneItemPerNameAndTheSelectionDeleteRemovesTheSelected) {
    form.cbWindows->SetItems({"Media Player"});
    form.ListBoxWindows->SetItems({"Media Player", "Viewer"});
    form.ListBoxWindows->SetSelected(1, true);
    form.SettingsChanged = false;
    form.cbWindows->SetText("MEDIA PLAYER");
    form.btAddClick();
    form.cbWindows->SetText("Editor");
    form.btAddClick();
    EXPECT_EQ(form.ListBoxWindows->Items(), (std::vector<std::string>{"Media Player", "Viewer", "Editor"}));
    EXPECT_EQ(form.cbWindows->Items(), (std::vector<std::string>{"Media Player", "MEDIA PLAYER", "Editor"}));
    EXPECT_TRUE(form.ListBoxWindows->Selected(1)) << "adding keeps the selection";
    EXPECT_TRUE(form.SettingsChanged);
    form.ListBoxWindows->SetSelected(2, true);
    form.btDelClick();
    EXPECT_EQ(form.ListBoxWindows->Items(), (std::vector<std::string>{"Media Player"}));
}

TEST_F(FormWatch, AutoStartButtonAsksForTheOppositeAndShowsOnlyASuccess) {
    form.SettingsChanged = false;
    form.btAutoStartClick();
    EXPECT_TRUE(form.cbAutoStart->Checked());
    EXPECT_EQ(form.btAutoStart->Caption(), "Disable &Autostart");
    EXPECT_TRUE(form.SettingsChanged) << "the next OK saves and applies the state again";
    form.btAutoStartClick();
    EXPECT_EQ(form.btAutoStart->Caption(), "Enable &Autostart");
    EXPECT_EQ(host.privileged.requests, (std::vector<std::string>{"1", "0"}));

    host.privileged.result = kEFail;
    form.btAutoStartClick();
    host.privileged.result = 0;
    host.privileged.createError = static_cast<int32_t>(0x80040154);
    form.btAutoStartClick();
    EXPECT_FALSE(form.cbAutoStart->Checked());
    EXPECT_EQ(form.btAutoStart->Caption(), "Enable &Autostart");
    EXPECT_EQ(host.errors, (std::vector<std::string>{"Failed|Autostart could not be enabled.",
                                                     "COM object instantiation failed: EComError|Class not registered"}));

    // Every save ends by applying the state the page shows.
    host.privileged.createError = 0;
    form.cbAutoStart->SetChecked(true);
    SaveSettings(form);
    EXPECT_EQ(host.privileged.requests.back(), "1");
    EXPECT_EQ(host.privileged.requests.size(), 4u);
}

}  // namespace
