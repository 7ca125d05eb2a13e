// The temperature page and the watch as the main window runs them: the page follows the
// source, the tick reads, acts and writes the tooltip's line, and the shutdown action goes
// to the run's shutdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/form.h"
#include "app/program_shutdown.h"
#include "sim/machine.h"
#include "unit/core/fakes.h"
#include "unit/temp/blocks.h"

namespace {

const char* const kSpeedFan = "SFSharedMemory_ALM";
const char* const kMbm = "$M$B$M$5$S$D$";

class FormMonitor : public ::testing::Test {
protected:
    void SetUp() override {
        form.tray = &tray;
        form.LabelTitle->SetCaption("Quillar Vantor");
        form.LabelSensor->helpKeyword = form.LabelSensor->Caption();  // as start-up keeps it
        form.rgIdle->SetItemIndex(0);
    }
    void SpeedFan(std::vector<int32_t> degrees) {
        for (int32_t& d : degrees) d *= 100;
        services.memory.Publish(kSpeedFan, SpeedFanBlock(degrees));
    }
    std::vector<int> Levels() {
        std::vector<int> levels;
        for (int i = 0; i < form.idle.ProcessorCount; ++i) levels.push_back(form.idle.IdleThreads[i]->PriorityLevel());
        return levels;
    }
    TestServices services;
    FakeHost host;
    FakeTray tray;
    TQuillarForm form{host, services.Services()};
};

TEST_F(FormMonitor, PageButtonAndSensorRangeFollowTheSource) {
    EXPECT_FALSE(form.SetupMonitorTab());
    EXPECT_FALSE(form.tsMonitor->Visible());
    EXPECT_FALSE(form.ButtonMonitor->Visible());

    // Motherboard Monitor alone, with a stored sensor number beyond its two sensors.
    services.memory.Publish(kMbm, MbmBlock({{"CPU", 55.4}, {"Board", 38.5}}));
    form.UpDown1->SetPosition(5);
    ASSERT_TRUE(form.SetupMonitorTab());
    EXPECT_TRUE(form.tsMonitor->Visible());
    EXPECT_TRUE(form.ButtonMonitor->Visible());
    EXPECT_EQ(form.UpDown1->Max(), 2);
    EXPECT_EQ(form.UpDown1->Position(), 2) << "limited to the last sensor";
    EXPECT_EQ(form.watch.SelectedSensor, 1);
    EXPECT_EQ(form.EditUpDown->Text(), "2");
    EXPECT_EQ(form.LabelSensor->Caption(), "(Board), current temperature: 38\xB0.") << "38.5 goes to the even 38";

    // With both running SpeedFan is read and the button goes.
    SpeedFan({47});
    ASSERT_TRUE(form.SetupMonitorTab());
    EXPECT_FALSE(form.ButtonMonitor->Visible());
    EXPECT_EQ(form.UpDown1->Max(), 1);
    EXPECT_EQ(form.LabelSensor->Caption(), "(Sensor 1), current temperature: 47\xB0.");
}

TEST_F(FormMonitor, ASourceStartedLaterIsFoundByTheTickOnlyWithTheCheckBox) {
    form.SetupMonitorTab();
    SpeedFan({47});
    form.TimerTimer();
    EXPECT_FALSE(form.tsMonitor->Visible()) << "cbMBM unticked: no search while running";
    EXPECT_EQ(tray.tip, "Quillar Vantor");

    form.cbMBM->SetChecked(true);
    form.TimerTimer();
    EXPECT_TRUE(form.tsMonitor->Visible());
    EXPECT_EQ(tray.tip, "Quillar Vantor\rTemp: 47\xB0") << "found and read within the same tick";
}

TEST_F(FormMonitor, StepwiseRaisesTheIdleThreadsPerReadingAndACoolTickDropsThem) {
    form.idle.ProcessorCount = 2;
    form.idle.CreateIdleThreads([](const std::string&) {});
    SpeedFan({80});
    form.SetupMonitorTab();
    form.watch.TempThreshold = 70;
    form.rgAction->SetItemIndex(1);
    host.optionsVisible = true;  // a reading on every tick
    for (int tick = 1; tick <= 6; ++tick) {
        form.TimerTimer();
        const int expected = tick < 5 ? tick : 5;
        EXPECT_EQ(Levels(), std::vector<int>({expected, expected})) << "tick " << tick;
    }
    EXPECT_EQ(tray.tip.substr(0, 24), "Quillar Vantor\rTemp: 80\xB0");

    SpeedFan({69});
    form.TimerTimer();
    EXPECT_EQ(Levels(), std::vector<int>({0, 0})) << "one degree below drops every thread at once";
    EXPECT_EQ(form.LabelSensor->Caption(), "(Sensor 1), current temperature: 69\xB0.");

    // The monitoring program ends: the page stays, the reading is -1, and -1 is cool.
    SpeedFan({90});
    form.TimerTimer();
    EXPECT_EQ(Levels(), std::vector<int>({1, 1}));
    services.memory.Close(kSpeedFan);
    form.TimerTimer();
    EXPECT_EQ(Levels(), std::vector<int>({0, 0}));
    EXPECT_TRUE(form.tsMonitor->Visible());
    EXPECT_EQ(tray.tip.substr(0, 24), "Quillar Vantor\rTemp: -1\xB0");
}

TEST_F(FormMonitor, CountdownFollowsBothIntervalsAndTheShutdownGoesToTheRunsShutdown) {
    SpeedFan({90});
    form.SetupMonitorTab();
    form.watch.TempThreshold = 70;
    form.rgAction->SetItemIndex(3);
    form.TrackBarIdle->SetPosition(5);  // 500 ms
    form.TrackBarSensor->SetPosition(2);  // 20 s
    EXPECT_EQ(form.watch.SensorCountdown, 40);
    form.watch.SensorCountdown = 0;  // as start-up leaves it: the first tick reads
    form.TimerTimer();
    EXPECT_EQ(services.shutdown.calls, std::vector<uint16_t>({13}));
    EXPECT_EQ(form.watch.SensorCountdown, 40);
    for (int tick = 0; tick < 39; ++tick) form.TimerTimer();
    EXPECT_EQ(services.shutdown.calls.size(), 1u) << "no reading before the countdown runs out";
    form.TimerTimer();
    EXPECT_EQ(services.shutdown.calls.size(), 2u) << "a refused shutdown is asked for again";
}

// The simulated program records the request on its machine and the session goes on.
TEST(SimulatedShutdown, IsRecordedInTheMachinesStateAtOnce) {
    const std::filesystem::path state = std::filesystem::temp_directory_path() / "quillar-shutdown-state.ini";
    std::filesystem::remove(state);
    sim::Machine m = sim::Machine::FromProfile(sim::Machine::kDefaultProfile);
    m.stateFile = state.string();
    sim::SetCurrent(m);
    EXPECT_FALSE(ProgramShutdown().ShutdownWindows(13));
    EXPECT_FALSE(ProgramShutdown().ShutdownWindows(13));
    EXPECT_EQ(sim::Current().ShutdownRequests(), 2u);
    std::ifstream in(state);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("[Shutdown]\r\nCount=2\r\nFlags=13"), std::string::npos) << text.str();
    sim::SetCurrent(sim::Machine::FromProfile(sim::Machine::kDefaultProfile));
    std::filesystem::remove(state);
}

}  // namespace
