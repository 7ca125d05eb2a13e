// The temperature watch's rules: when the sensor is read, what a hot reading does to the
// idle threads or the system, and when raised priorities fall back to idle.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "temp/temp_watch.h"
#include "unit/temp/blocks.h"

namespace {

class FakeThreads : public IdlePriorities {
public:
    explicit FakeThreads(int count) : levels(count, 0) {}
    std::vector<std::optional<int>> levels;  // empty: no thread for that processor
    bool running = true;
    std::vector<int> setAll;                 // levels given to SetIdlePriority

    bool Running() override { return running; }
    int ThreadCount() override { return static_cast<int>(levels.size()); }
    bool Level(int cpu, int& level) override {
        if (!levels[cpu]) return false;
        level = *levels[cpu];
        return true;
    }
    void SetLevel(int cpu, int level) override { levels[cpu] = level; }
    void SetIdlePriority(int level) override {
        setAll.push_back(level);
        for (auto& l : levels)
            if (l) l = level;
    }
};

class FakeShutdown : public SystemShutdown {
public:
    std::vector<uint16_t> calls;
    bool ShutdownWindows(uint16_t flags) override {
        calls.push_back(flags);
        return false;
    }
};

struct Watch : ::testing::Test {
    MemorySharedMemory memory;
    TempMonitoring sources{memory};
    FakeThreads threads{2};
    FakeShutdown shutdown;
    TemperatureWatch watch{sources, threads, shutdown};

    void SetUp() override {
        Publish(40);
        ASSERT_EQ(sources.DetectTempSource(), srcSpeedFan);
        watch.TempThreshold = 70;
    }
    void Publish(int degrees) { memory.Publish("SFSharedMemory_ALM", SpeedFanBlock({degrees * 100})); }
    // One tick with a reading due (countdown run out).
    bool HotTick(int action, int degrees) {
        Publish(degrees);
        watch.SensorCountdown = 1;
        return watch.WatchTemperature({action, 6, 1000, false});
    }
    std::vector<int> Levels() {
        std::vector<int> out;
        for (auto& l : threads.levels) out.push_back(l ? *l : -99);
        return out;
    }
};

TEST_F(Watch, CountdownReadsOncePerIntervalAndEveryTickWhileTheOptionsShow) {
    watch.ResetSensorCountdown(1, 100);
    EXPECT_EQ(watch.SensorCountdown, 100);  // 10 s at 100 ms
    watch.ResetSensorCountdown(50, 100);
    EXPECT_EQ(watch.SensorCountdown, 5000);
    watch.ResetSensorCountdown(6, 1000);
    EXPECT_EQ(watch.SensorCountdown, 60);
    watch.ResetSensorCountdown(1, 300);
    EXPECT_EQ(watch.SensorCountdown, 33);  // truncated
    watch.ResetSensorCountdown(3, 0);
    EXPECT_EQ(watch.SensorCountdown, 0);

    // 100 ms timer, 10 s interval: the 100th tick reads, and the count starts again.
    const WatchTick tick{eaIgnore, 1, 100, false};
    watch.ResetSensorCountdown(1, 100);
    int readings = 0;
    int firstReading = 0;
    for (int t = 1; t <= 250; ++t)
        if (watch.WatchTemperature(tick) && ++readings == 1) firstReading = t;
    EXPECT_EQ(firstReading, 100);
    EXPECT_EQ(readings, 2);
    EXPECT_EQ(watch.CurrentTemp, 40);

    // A countdown of 0 after start-up reads on the first tick.
    watch.SensorCountdown = 0;
    Publish(45);
    EXPECT_TRUE(watch.WatchTemperature(tick));
    EXPECT_EQ(watch.CurrentTemp, 45);
    EXPECT_EQ(watch.SensorCountdown, 100);

    // Options window open: every tick reads and restarts the countdown.
    for (int t = 0; t < 3; ++t) {
        Publish(50 + t);
        EXPECT_TRUE(watch.WatchTemperature({eaIgnore, 1, 100, true}));
        EXPECT_EQ(watch.CurrentTemp, 50 + t);
        EXPECT_EQ(watch.SensorCountdown, 100);
    }
}

TEST_F(Watch, StepwiseRaisesOneLevelPerHotReadingUpToTheHighest) {
    for (int reading = 1; reading <= 5; ++reading) {
        EXPECT_TRUE(HotTick(eaStepwise, 80));
        EXPECT_EQ(Levels(), std::vector<int>({reading, reading}));
    }
    HotTick(eaStepwise, 80);
    EXPECT_EQ(Levels(), std::vector<int>({5, 5}));
    EXPECT_EQ(threads.setAll, std::vector<int>({1, 2, 3, 4, 5}));
    // A thread made time-critical elsewhere is not pushed past the table of levels.
    threads.levels = {6, 6};
    HotTick(eaStepwise, 80);
    EXPECT_EQ(Levels(), std::vector<int>({6, 6}));
}

TEST_F(Watch, EqualTemperatureActsAndOneDegreeLessDrops) {
    HotTick(eaHighest, 70);
    EXPECT_EQ(Levels(), std::vector<int>({5, 5}));
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({5, 5}));
    HotTick(eaHighest, 69);
    EXPECT_EQ(Levels(), std::vector<int>({5, 5}));  // no action, the drop is the tick's later step
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({0, 0}));
}

TEST_F(Watch, IgnoreNeverRaisesButARaisedPriorityStillDrops) {
    HotTick(eaIgnore, 90);
    EXPECT_TRUE(threads.setAll.empty());
    threads.levels = {3, 0};
    HotTick(eaIgnore, 50);
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({0, 0}));
}

TEST_F(Watch, DropOnlyWhileTheThreadsRunAndSkipsEmptySlots) {
    threads.levels = {std::nullopt, 4};
    watch.CurrentTemp = 40;
    threads.running = false;
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({-99, 4}));
    threads.running = true;
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({-99, 0}));
    // Stepwise reads the first thread there is when processor 0 has none.
    HotTick(eaStepwise, 80);
    EXPECT_EQ(Levels(), std::vector<int>({-99, 1}));
}

TEST_F(Watch, ALostSourceReadsMinusOneAndDropsPriorities) {
    HotTick(eaHighest, 85);
    memory.Close("SFSharedMemory_ALM");
    watch.SensorCountdown = 1;
    EXPECT_TRUE(watch.WatchTemperature({eaHighest, 6, 1000, false}));
    EXPECT_EQ(watch.CurrentTemp, -1);
    EXPECT_TRUE(watch.TempSourceActive());
    watch.DropRaisedPriorities();
    EXPECT_EQ(Levels(), std::vector<int>({0, 0}));
    std::string tip = "Quillar Vantor";
    watch.AppendTemperatureLine(tip);
    EXPECT_EQ(tip, "Quillar Vantor\rTemp: -1\xB0");
}

TEST_F(Watch, ShutdownIsAskedForAtEveryHotReading) {
    HotTick(eaShutdown, 75);
    HotTick(eaShutdown, 60);
    HotTick(eaShutdown, 76);
    EXPECT_EQ(shutdown.calls, std::vector<uint16_t>({13, 13}));
    EXPECT_TRUE(threads.setAll.empty());
    HotTick(7, 99);  // no such item
    HotTick(-1, 99);
    EXPECT_EQ(shutdown.calls.size(), 2u);
    EXPECT_TRUE(threads.setAll.empty());
}

TEST_F(Watch, LabelShowsNameAndReadingWithAFallbackForABadTranslation) {
    watch.SelectSensor(2);
    EXPECT_EQ(watch.SelectedSensor, 1);
    watch.ReadSelectedSensor();
    EXPECT_EQ(watch.CurrentTemp, -1);  // SpeedFan offers one sensor only
    EXPECT_EQ(watch.SensorLabel(kSensorLabelPattern), "(Sensor 2), current temperature: -1\xB0.");
    watch.SelectSensor(1);
    watch.ReadSelectedSensor();
    EXPECT_EQ(watch.SensorLabel("(%s), aktuelle Temperatur: %d\xB0."), "(Sensor 1), aktuelle Temperatur: 40\xB0.");
    EXPECT_EQ(watch.SensorLabel("%d %d"), "(Sensor 1), current temperature: 40\xB0.");
}

}  // namespace
