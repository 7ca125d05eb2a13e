#include "temp/temp_monitoring.h"

#include <cmath>
#include <limits>

#include "common/format.h"

namespace {
int32_t WholeDegrees(double celsius) {
    // Checked before rounding: far beyond the 32-bit range the conversion is undefined.
    if (!std::isfinite(celsius) || std::fabs(celsius) > 4e9) return -1;
    const int64_t rounded = RoundHalfEven(celsius);
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max()) return -1;
    return static_cast<int32_t>(rounded);
}
}  // namespace

TTempSource TempMonitoring::DetectTempSource() {
    if (speedFan.ReadSpeedFanBlock())
        active_ = srcSpeedFan;
    else if (mbm.ReadMBMBlock())
        active_ = srcMBM;
    else
        active_ = srcNone;
    return active_;
}

int32_t TempMonitoring::GetSensorCount() const {
    switch (active_) {
    case srcMBM:
        return mbm.SensorCount();
    case srcSpeedFan:
        return speedFan.Count(sfTemp);
    default:
        return -1;
    }
}

std::string TempMonitoring::GetSensorName(int32_t i) const {
    switch (active_) {
    case srcMBM:
        return mbm.SensorName(i);
    case srcSpeedFan:
        return Format("Sensor %d", {i + 1});
    default:
        return std::string();
    }
}

int32_t TempMonitoring::ReadSensorTemp(int32_t i) {
    switch (active_) {
    case srcMBM: {
        double value = 0;
        if (!mbm.ReadMBMBlock() || !mbm.SensorValue(i, value)) return -1;
        return WholeDegrees(value);
    }
    case srcSpeedFan:
        // A sensor beyond the count has no value: it must not read as -0.01 degrees, that is 0.
        if (!speedFan.ReadSpeedFanBlock() || i < 0 || i >= speedFan.Count(sfTemp)) return -1;
        return WholeDegrees(speedFan.GetSpeedFanValue(i, sfTemp) / 100.0);
    default:
        return -1;
    }
}
