#include "temp/mbm51.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kCountOffset = 12;
// Sensor i: its name from 89 + 80 i up to (not including) its reading at 104 + 80 i.
constexpr size_t kEntrySize = 80;
constexpr size_t kNameOffset = 89;
constexpr size_t kNameLength = 15;
constexpr size_t kValueOffset = 104;
constexpr size_t kValueLength = 8;

size_t Entry(int32_t i) { return kEntrySize * static_cast<size_t>(i); }
}  // namespace

bool MBM51::ReadMBMBlock() { return MBMSnapshot.Take(memory_, kMappingName); }

int32_t MBM51::SensorCount() const {
    const size_t end = kValueOffset + kValueLength;  // the end of sensor 0's entry
    const int32_t held = MBMSnapshot.Valid() < end ? 0 : static_cast<int32_t>((MBMSnapshot.Valid() - end) / kEntrySize + 1);
    return std::clamp(MBMSnapshot.I32(kCountOffset), 0, held);
}

std::string MBM51::SensorName(int32_t i) const {
    if (i < 0 || i >= SensorCount()) return std::string();
    const char* field = reinterpret_cast<const char*>(MBMSnapshot.At(kNameOffset + Entry(i)));
    const void* zero = std::memchr(field, 0, kNameLength);
    return std::string(field, zero ? static_cast<const char*>(zero) - field : kNameLength);
}

bool MBM51::SensorValue(int32_t i, double& value) const {
    if (i < 0 || i >= SensorCount()) return false;
    value = MBMSnapshot.F64(kValueOffset + Entry(i));
    return true;
}
