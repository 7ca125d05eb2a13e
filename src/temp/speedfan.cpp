#include "temp/speedfan.h"

#include <algorithm>

namespace {

// Where each kind keeps its count (16-bit) and its table of 32-bit values.
struct KindLayout {
    size_t countOffset;
    size_t tableOffset;
};
constexpr KindLayout kKinds[] = {
    {12, 18},   // sfTemp: hundredths of a degree Celsius
    {14, 146},  // sfFan
    {16, 274},  // sfVolt
};
constexpr int32_t kKindCount = sizeof kKinds / sizeof kKinds[0];

}  // namespace

bool SpeedFan::ReadSpeedFanBlock() { return SpeedFanSnapshot.Take(memory_, kMappingName); }

int32_t SpeedFan::Count(int32_t kind) const {
    if (kind < 0 || kind >= kKindCount) return 0;
    const KindLayout& k = kKinds[kind];
    int32_t held = 0;
    while (held < kMaxEntries && SpeedFanSnapshot.Holds(k.tableOffset + 4 * static_cast<size_t>(held), 4)) ++held;
    return std::min<int32_t>(SpeedFanSnapshot.U16(k.countOffset), held);
}

int32_t SpeedFan::GetSpeedFanValue(int32_t i, int32_t kind) const {
    if (i < 0 || i >= Count(kind)) return -1;
    return SpeedFanSnapshot.I32(kKinds[kind].tableOffset + 4 * static_cast<size_t>(i));
}
