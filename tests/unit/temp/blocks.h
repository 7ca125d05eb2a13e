// Blocks as the outside monitoring programs publish them, built byte by byte at the
// offsets those programs use.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }
inline void Put32(std::vector<uint8_t>& b, size_t at, int32_t v) { std::memcpy(&b[at], &v, 4); }

// SpeedFan: counts at 12/14/16, temperatures (hundredths) from 18, fans from 146, volts from 274.
inline std::vector<uint8_t> SpeedFanBlock(const std::vector<int32_t>& temps, size_t size = 402) {
    std::vector<uint8_t> b(std::max<size_t>(size, 402), 0xCC);
    Put16(b, 12, static_cast<uint16_t>(temps.size()));
    Put16(b, 14, 0);
    Put16(b, 16, 0);
    for (size_t i = 0; i < temps.size() && i < 32; ++i) Put32(b, 18 + 4 * i, temps[i]);
    b.resize(size);
    return b;
}

// Motherboard Monitor 5: count at 12, sensor i named at 89 + 80 i, its double at 104 + 80 i.
struct MbmSensor {
    std::string name;
    double value;
};
inline std::vector<uint8_t> MbmBlock(const std::vector<MbmSensor>& sensors, size_t size = 8488) {
    std::vector<uint8_t> b(std::max<size_t>(size, 8488), 0xCC);
    Put32(b, 12, static_cast<int32_t>(sensors.size()));
    for (size_t i = 0; i < sensors.size(); ++i) {
        std::memset(&b[89 + 80 * i], 0, 15);
        std::memcpy(&b[89 + 80 * i], sensors[i].name.data(), std::min<size_t>(sensors[i].name.size(), 15));
        std::memcpy(&b[104 + 80 * i], &sensors[i].value, 8);
    }
    b.resize(size);
    return b;
}
