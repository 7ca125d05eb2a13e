// The temperature watch: reads the chosen sensor at its interval, and at or above the
// action temperature raises the idle threads' priority, runs them at the highest level or
// shuts Windows down; below it, raised priorities fall back to the idle level. It has no
// timer of its own: the main timer's tick drives it.
#pragma once
#include <cstdint>
#include <string>

#include "temp/shutdown.h"
#include "temp/temp_monitoring.h"

// The idle threads' priority levels as the watch uses them: 0 is the idle level, 5 the
// highest the watch sets (THREAD_PRIORITY_HIGHEST).
class IdlePriorities {
public:
    virtual ~IdlePriorities() = default;
    // Whether the idle threads run (the thread of processor 0 exists and is not suspended).
    virtual bool Running() = 0;
    // Processor slots; a slot whose thread could not be created has none.
    virtual int ThreadCount() = 0;
    // Level of the thread of processor `cpu`; false when there is no such thread.
    virtual bool Level(int cpu, int& level) = 0;
    virtual void SetLevel(int cpu, int level) = 0;
    // Every thread, running or suspended.
    virtual void SetIdlePriority(int level) = 0;
};

constexpr int kIdleLevel = 0;
constexpr int kHighestLevel = 5;

// The items of rgAction.
enum TEmergencyAction : int {
    eaIgnore = 0,
    eaStepwise = 1,  // one level up per hot reading, up to the highest level
    eaHighest = 2,
    eaShutdown = 3,
};

// The caption of LabelSensor before translation.
extern const char* const kSensorLabelPattern;  // "(%s), current temperature: %d°."

// What one tick needs from the page and the main timer.
struct WatchTick {
    int action;                // item of rgAction
    int intervalPosition;      // TrackBarSensor: tens of seconds
    uint32_t timerIntervalMs;  // the main timer's interval
    bool optionsVisible;       // the sensor is read on every tick while the options window shows
};

class TemperatureWatch {
public:
    TemperatureWatch(TempMonitoring& sources, IdlePriorities& threads, SystemShutdown& shutdown)
        : sources(sources), threads_(threads), shutdown_(shutdown) {}

    int32_t CurrentTemp = 0;       // last reading of the selected sensor; -1 when unreadable
    int32_t TempThreshold = 70;    // action temperature (setting "Temp")
    int32_t SelectedSensor = 0;    // 0-based: the position of UpDown1 minus one
    int32_t SensorCountdown = 0;   // main-timer ticks left until the next reading

    TempMonitoring& sources;

    bool TempSourceActive() const { return sources.ActiveTempSource() != srcNone; }

    // SelectedSensor := `position` (of UpDown1) - 1.
    void SelectSensor(int position) { SelectedSensor = position - 1; }
    // The reading: CurrentTemp := the selected sensor's temperature. Returns it.
    int32_t ReadSelectedSensor();
    // LabelSensor's caption: `pattern` (the stored, possibly translated caption) filled with
    // the sensor's name and CurrentTemp. A translation whose placeholders do not fit gives
    // way to the untranslated pattern.
    std::string SensorLabel(const std::string& pattern) const;

    // SensorCountdown := position x 10,000 / the timer's interval (unsigned division).
    void ResetSensorCountdown(int intervalPosition, uint32_t timerIntervalMs);

    // The sensor steps of a tick with an active source: count down, and when the countdown
    // has run out or the options window shows, restart it, read the sensor and act on a hot
    // reading. Returns whether a reading was taken (LabelSensor then needs its new caption).
    bool WatchTemperature(const WatchTick& tick);
    // The action of rgAction item `action` on a reading at or above TempThreshold.
    void ApplyEmergencyAction(int action);
    // While the idle threads run and the last reading is below TempThreshold, every thread
    // above the idle level drops to it, whichever action is chosen.
    void DropRaisedPriorities();
    // The tooltip's temperature line: "\rTemp: <CurrentTemp>°".
    void AppendTemperatureLine(std::string& tip) const;

private:
    IdlePriorities& threads_;
    SystemShutdown& shutdown_;
};
