#include "temp/temp_watch.h"

#include "common/format.h"

const char* const kSensorLabelPattern = "(%s), current temperature: %d\xB0.";

int32_t TemperatureWatch::ReadSelectedSensor() {
    CurrentTemp = sources.ReadSensorTemp(SelectedSensor);
    return CurrentTemp;
}

std::string TemperatureWatch::SensorLabel(const std::string& pattern) const {
    const std::string name = sources.GetSensorName(SelectedSensor);
    try {
        return Format(pattern, {name, CurrentTemp});
    } catch (const EFormatError&) {
        return Format(kSensorLabelPattern, {name, CurrentTemp});
    }
}

void TemperatureWatch::ResetSensorCountdown(int intervalPosition, uint32_t timerIntervalMs) {
    // The timer never runs faster than every 100 ms; a zero interval reads on every tick.
    if (timerIntervalMs == 0) {
        SensorCountdown = 0;
        return;
    }
    SensorCountdown = static_cast<int32_t>(static_cast<uint32_t>(intervalPosition) * 10000u / timerIntervalMs);
}

bool TemperatureWatch::WatchTemperature(const WatchTick& tick) {
    --SensorCountdown;
    if (SensorCountdown > 0 && !tick.optionsVisible) return false;
    ResetSensorCountdown(tick.intervalPosition, tick.timerIntervalMs);
    ReadSelectedSensor();
    if (CurrentTemp >= TempThreshold) ApplyEmergencyAction(tick.action);
    return true;
}

void TemperatureWatch::ApplyEmergencyAction(int action) {
    switch (action) {
    case eaStepwise: {
        // The first thread there is tells the set's level (normally processor 0's).
        int level = kIdleLevel;
        bool found = false;
        for (int cpu = 0; cpu < threads_.ThreadCount() && !found; ++cpu) found = threads_.Level(cpu, level);
        // A level at or above the highest (a thread raised to time-critical elsewhere) stays.
        if (found && level < kHighestLevel) threads_.SetIdlePriority(level + 1);
        break;
    }
    case eaHighest:
        threads_.SetIdlePriority(kHighestLevel);
        break;
    case eaShutdown:
        // A refusal is retried at the next hot reading.
        shutdown_.ShutdownWindows(kEmergencyShutdownFlags);
        break;
    default:
        break;
    }
}

void TemperatureWatch::DropRaisedPriorities() {
    if (CurrentTemp >= TempThreshold || !threads_.Running()) return;
    for (int cpu = 0; cpu < threads_.ThreadCount(); ++cpu) {
        int level = kIdleLevel;
        if (threads_.Level(cpu, level) && level != kIdleLevel) threads_.SetLevel(cpu, kIdleLevel);
    }
}

void TemperatureWatch::AppendTemperatureLine(std::string& tip) const {
    FormatAppend(tip, "\rTemp: %d\xB0", {CurrentTemp});
}
