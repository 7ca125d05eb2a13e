// The controller's rules: the timer tick, cooling on and off, the mode handlers and "&OK".
#include <gtest/gtest.h>

#include "app/form.h"
#include "hw/backend.h"
#include "hw/pci_config.h"
#include "sim/machine.h"
#include "idle/idle_threads.h"
#include "unit/core/fakes.h"

namespace {

class FormLogic : public ::testing::Test {
protected:
    void SetUp() override {
        form.tray = &tray;
        form.LabelTitle->SetCaption("Quillar Vantor");
    }
    // The built-in machine: a VIA KT400 northbridge whose southbridge has a C2 port.
    void IdentifyBuiltInChipset() {
        sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
        hw::backend::OpenDevice();
        PreparePCIAccess();
        form.chipset.ScanPCIBus();
        ASSERT_TRUE(form.chipset.IdentifyChipset());
    }
    void StartThreads(int count) {
        idle.ProcessorCount = count;
        idle.CreateIdleThreads([](const std::string&) {});
        for (int i = 0; i < count; ++i)
            if (idle.IdleThreads[i]) idle.IdleThreads[i]->LastSampleTick = platform.tick;
        idle.IdleStartTick = platform.tick;
    }
    // Advances the clock by `ms` with each processor idle for the given milliseconds.
    void Run(uint32_t ms, std::vector<uint32_t> idleMs) {
        platform.tick += ms;
        for (size_t i = 0; i < idleMs.size(); ++i)
            if (idle.IdleThreads[i])
                platform.threads[idle.IdleThreads[i]->handle].kernel100ns += uint64_t{idleMs[i]} * 10000;
    }
    TestServices services;
    FakeIdlePlatform& platform = services.threads;
    FakeHost host;
    FakeTray tray;
    TQuillarForm form{host, services.Services()};
    TIdleThreads& idle = form.idle;
};

TEST_F(FormLogic, IdleShareRoundsHalvesToEvenAndStaysBelow100) {
    StartThreads(1);
    TIdle& t = *idle.IdleThreads[0];
    Run(1000, {125});
    EXPECT_EQ(MeasureIdlePercent(t), 12) << "12.5 goes to the even 12";
    Run(1000, {135});
    EXPECT_EQ(MeasureIdlePercent(t), 14) << "13.5 goes to the even 14";
    Run(1000, {1000});
    EXPECT_EQ(MeasureIdlePercent(t), 99) << "never 100";
    Run(0, {0});
    EXPECT_EQ(MeasureIdlePercent(t), 0) << "no time passed";
    // The tick counter wraps between two samples.
    t.LastSampleTick = 0xFFFFFF00u;
    platform.tick = 0x00000300u;
    t.LastKernelMs = static_cast<uint32_t>(platform.threads[t.handle].kernel100ns / 10000);
    Run(0, {512});
    EXPECT_EQ(MeasureIdlePercent(t), 50);
    EXPECT_EQ(t.LastSampleTick, 0x300u);
}

TEST_F(FormLogic, NumericDisplayAveragesAndWritesOneTooltipLinePerProcessor) {
    form.rgIdle->SetItemIndex(1);
    StartThreads(4);
    Run(1000, {970, 950, 990, 980});
    form.TimerTimer();
    EXPECT_EQ(tray.tip, "Quillar Vantor\rCPU 1: 97%\rCPU 2: 95%\rCPU 3: 99%\rCPU 4: 98%");
    ASSERT_FALSE(tray.texts.empty());
    EXPECT_EQ(tray.texts.back(), "97@-1") << "389 / 4 = 97";
    EXPECT_EQ(tray.shown.back(), 11) << "the drawing slot is shown";
    Run(1000, {50, 50, 50, 50});
    form.TimerTimer();
    EXPECT_EQ(tray.texts.back(), "05@-1");
    const size_t drawn = tray.texts.size();
    Run(1000, {50, 50, 50, 50});
    form.TimerTimer();
    EXPECT_EQ(tray.texts.size(), drawn + 1) << "a text icon is drawn afresh every tick";
}

TEST_F(FormLogic, GraphicalDisplayPicksBarPictureAndPriorityDigit) {
    form.rgIdle->SetItemIndex(2);
    StartThreads(1);
    const struct {
        uint32_t idle;
        int picture;
    } cases[] = {{990, 7}, {130, 0}, {140, 1}, {500, 3}};
    for (const auto& c : cases) {
        Run(1000, {c.idle});
        form.TimerTimer();
        EXPECT_EQ(tray.shown.back(), c.picture) << c.idle;
    }
    const size_t shown = tray.shown.size();
    Run(1000, {500});
    form.TimerTimer();
    EXPECT_EQ(tray.shown.size(), shown) << "the same picture is not sent again";
    // The temperature watch holds the threads at level 3: the digit goes over the bar.
    form.watch.TempThreshold = 50;
    form.watch.CurrentTemp = 60;
    idle.IdleThreads[0]->SetPriorityLevel(3);
    Run(1000, {500});
    form.TimerTimer();
    EXPECT_EQ(tray.texts.back(), "3@3");
    // Below the action temperature raised priorities fall back to idle.
    form.watch.CurrentTemp = 40;
    Run(1000, {500});
    form.TimerTimer();
    EXPECT_EQ(idle.IdleThreads[0]->PriorityLevel(), 0);
}

TEST_F(FormLogic, StatisticsListOnlyWhileTheWindowIsVisible) {
    StartThreads(2);
    form.lvTimes->AddColumn({"CPU 1", 58, true});
    form.lvTimes->AddColumn({"CPU 2", 58, true});
    Run(61500, {61500, 3600000});
    form.TimerTimer();
    EXPECT_TRUE(form.lvTimes->Rows()[0].subItems.empty() || form.lvTimes->Rows()[0].subItems[0].empty());
    host.optionsVisible = true;
    Run(1000, {0, 0});
    form.TimerTimer();
    const auto& rows = form.lvTimes->Rows();
    EXPECT_EQ(rows[0].subItems[0], "1:01");
    EXPECT_EQ(rows[0].subItems[1], "60:00") << "whole minutes, not limited to 59";
    EXPECT_EQ(rows[2].subItems[0], "0%");
    EXPECT_EQ(rows[1].subItems[0], "98%") << "61500 of 62500 ms";
}

TEST_F(FormLogic, MissingThreadShowsDashAndIsLeftOutOfTheAverage) {
    form.rgIdle->SetItemIndex(1);
    platform.failAffinityFor = 1;
    StartThreads(3);
    host.optionsVisible = true;
    Run(1000, {900, 0, 700});
    form.TimerTimer();
    EXPECT_EQ(tray.tip, "Quillar Vantor\rCPU 1: 90%\rCPU 2: -\rCPU 3: 70%");
    EXPECT_EQ(tray.texts.back(), "80@-1");
    EXPECT_EQ(form.lvTimes->Rows()[2].subItems[1], "-");
}

TEST_F(FormLogic, UnreadableThreadTimesCountAsZero) {
    form.rgIdle->SetItemIndex(1);
    StartThreads(1);
    Run(1000, {900});
    platform.unreadable = true;
    form.TimerTimer();
    EXPECT_EQ(tray.tip, "Quillar Vantor\rCPU 1: 0%");
    EXPECT_EQ(tray.texts.back(), "00@-1");
}

TEST_F(FormLogic, NoTickDisplayWhileThreadsAreSuspended) {
    form.rgIdle->SetItemIndex(1);
    StartThreads(2);
    idle.SuspendIdleThreads(true);
    Run(1000, {0, 0});
    form.TimerTimer();
    EXPECT_EQ(tray.tip, "Quillar Vantor");
    EXPECT_TRUE(tray.texts.empty());
}

TEST_F(FormLogic, EnablingInS1ResetsRaisedPriorityBeforeResuming) {
    StartThreads(2);
    idle.SuspendIdleThreads(true);
    idle.SetIdlePriority(5);
    form.SetCooling(true);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(idle.IdleThreads[i]->PriorityLevel(), 0);
    EXPECT_TRUE(idle.IdleThreadsRunning());
    EXPECT_TRUE(form.CoolingEnabled);
    EXPECT_TRUE(form.Enabled1->Checked());
    EXPECT_TRUE(form.LabelActive->Visible());
    EXPECT_FALSE(form.LabelInactive->Visible());
    EXPECT_EQ(tray.shown.back(), 9);
    form.SetCooling(false);
    EXPECT_FALSE(idle.IdleThreadsRunning());
    EXPECT_FALSE(form.Enabled1->Checked());
    EXPECT_TRUE(form.LabelInactive->Visible());
    EXPECT_EQ(tray.shown.back(), 8);
}

TEST_F(FormLogic, OsModeOnAKnownChipsetShowsK7) {
    StartThreads(1);
    IdentifyBuiltInChipset();
    form.cbOptimize->SetChecked(true);
    form.rgCoolingMode->SetItemIndex(0);
    host.dialogs.clear();
    form.SetCooling(true);
    EXPECT_FALSE(idle.IdleThreadsRunning());
    EXPECT_EQ(tray.texts.back(), "K7@-1");
    EXPECT_EQ(tray.tip, "Quillar Vantor\r[K7 Mode]");
}

TEST_F(FormLogic, StoredOsModeOnAnUnknownChipsetLeavesThreadsSuspended) {
    StartThreads(1);
    form.Loading = true;
    form.cbOptimize->SetChecked(true);
    form.rgCoolingMode->SetItemIndex(0);
    form.Loading = false;
    form.UpdateAthlonOptions();
    EXPECT_FALSE(form.rgCoolingMode->Enabled());
    form.SetCooling(true);
    EXPECT_FALSE(idle.IdleThreadsRunning());
    EXPECT_EQ(tray.shown.back(), 8);
    // Unticking the optimization moves the choice back to S1.
    form.cbOptimize->SetChecked(false);
    EXPECT_EQ(form.rgCoolingMode->ItemIndex(), 1);
}

TEST_F(FormLogic, C2WithoutPortFallsBackToS1WithBothMessages) {
    host.optionsVisible = true;
    form.cbOptimize->SetChecked(true);
    host.dialogs.clear();
    form.rgCoolingMode->SetItemIndex(2);
    EXPECT_EQ(form.rgCoolingMode->ItemIndex(), 1);
    ASSERT_GE(host.dialogs.size(), 2u);
    EXPECT_EQ(host.dialogs[0].rfind("C2 cooling support has not been detected", 0), 0u) << host.dialogs[0];
    EXPECT_NE(host.dialogs[0].find("that Quillar Vantor does not work"), std::string::npos);
    EXPECT_EQ(host.dialogs[1].rfind("You've selected the standard S1 cooling mode.", 0), 0u);
}

TEST_F(FormLogic, StoredC2WithoutPortHalts) {
    StartThreads(1);
    form.Loading = true;
    form.cbOptimize->SetChecked(true);
    form.rgCoolingMode->SetItemIndex(2);
    form.Loading = false;
    EXPECT_TRUE(host.dialogs.empty()) << "no message while loading";
    form.SetCooling(true);
    EXPECT_FALSE(idle.C2Idling);
    form.chipset.C2PortAvailable = true;
    form.SetCooling(false);
    form.SetCooling(true);
    EXPECT_TRUE(idle.C2Idling);
}

TEST_F(FormLogic, OkAppliesTimerModeAndC2Flag) {
    StartThreads(1);
    form.MainTimer->SetEnabled(true);
    host.optionsVisible = true;
    IdentifyBuiltInChipset();
    form.cbOptimize->SetChecked(true);
    form.rgCoolingMode->SetItemIndex(0);
    form.SetCooling(true);
    form.ButtonOKClick();
    EXPECT_FALSE(form.MainTimer->Enabled()) << "OS mode stops the timer";
    EXPECT_FALSE(form.lvTimes->Visible());
    EXPECT_EQ(host.closedOptions, 1);
    form.rgCoolingMode->SetItemIndex(1);
    form.ButtonOKClick();
    EXPECT_TRUE(form.MainTimer->Enabled());
    EXPECT_TRUE(form.lvTimes->Visible());
    EXPECT_TRUE(idle.IdleThreadsRunning()) << "cooling was re-applied";
    // With cooling off the choice is stored but cooling stays off.
    form.SetCooling(false);
    form.chipset.C2PortAvailable = true;
    form.rgCoolingMode->SetItemIndex(2);
    form.ButtonOKClick();
    EXPECT_TRUE(idle.C2Idling);
    EXPECT_FALSE(form.CoolingEnabled);
    EXPECT_FALSE(idle.IdleThreadsRunning());
}

TEST_F(FormLogic, OkWithBadTemperatureKeepsTheWindowOpenOnTheMonitorPage) {
    host.optionsVisible = true;
    form.EditTemp->SetText("7x");
    form.ButtonOKClick();
    EXPECT_EQ(host.closedOptions, 0);
    EXPECT_EQ(form.PageControl1->ActivePage(), form.tsMonitor);
    form.EditTemp->SetText("65");
    form.ButtonOKClick();
    EXPECT_EQ(form.watch.TempThreshold, 65);
    EXPECT_EQ(host.closedOptions, 1);
}

TEST_F(FormLogic, PrivateMessagesAndTrayCommands) {
    StartThreads(1);
    form.SetCooling(true);
    EXPECT_TRUE(form.HandlePrivateMessage(MSG_COOLING_OFF));
    EXPECT_FALSE(form.CoolingEnabled);
    EXPECT_TRUE(form.HandlePrivateMessage(MSG_COOLING_ON));
    EXPECT_TRUE(form.CoolingEnabled);
    form.HideClick();
    EXPECT_FALSE(tray.active);
    EXPECT_TRUE(form.HandlePrivateMessage(MSG_SHOW_OPTIONS));
    EXPECT_TRUE(tray.active) << "the icon comes back";
    EXPECT_TRUE(host.optionsVisible);
    EXPECT_TRUE(form.HandlePrivateMessage(MSG_QUIT));
    EXPECT_FALSE(host.terminated) << "ignored while the window is open";
    host.optionsVisible = false;
    form.HandlePrivateMessage(MSG_QUIT);
    EXPECT_TRUE(host.terminated);
    EXPECT_FALSE(form.HandlePrivateMessage(0x8004));
}

TEST_F(FormLogic, DoubleClickTogglesAndResetsTheTooltip) {
    StartThreads(1);
    form.SetCooling(true);
    tray.tip = "Quillar Vantor\rCPU 1: 50%";
    form.TrayDblClick();
    EXPECT_FALSE(form.CoolingEnabled);
    EXPECT_EQ(tray.tip, "Quillar Vantor");
    EXPECT_EQ(tray.shown.back(), 8);
    form.TrayDblClick();
    EXPECT_TRUE(form.CoolingEnabled);
    EXPECT_EQ(tray.shown.back(), 9);
}

TEST_F(FormLogic, HelpOpensTheManualOrNamesTheFullPath) {
    form.ButtonHelpClick();
    ASSERT_EQ(host.executed.size(), 1u);
    EXPECT_EQ(host.executed[0], "C:\\Program Files\\Quillar\\doc\\index.html");
    host.shellSucceeds = false;
    form.ButtonHelpClick();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0],
              "Error|C:\\Program Files\\Quillar\\doc\\index.html could not be executed. Perhaps the file does not exist?");
}

}  // namespace
