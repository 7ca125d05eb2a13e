// Stand-in for SpeedFan: publishes temperatures in the mapping "SFSharedMemory_ALM" with
// SpeedFan's layout (counts of temperatures, fans and voltages at 12, 14 and 16; then 32
// temperatures in hundredths of a degree from 18, 32 fan speeds from 146, 32 voltages from
// 274; 402 bytes). See publisher.h for the command line.
#include "publisher.h"

namespace {
void WriteSpeedFan(std::vector<uint8_t>& b, const publisher::Step& s, int count, const publisher::Options&) {
    publisher::Put16(b, 12, static_cast<uint16_t>(count));
    publisher::Put16(b, 14, 0);
    publisher::Put16(b, 16, 0);
    for (size_t i = 0; i < s.temps.size() && i < 32; ++i)
        publisher::Put32(b, 18 + 4 * i, static_cast<int32_t>(std::llround(s.temps[i] * 100.0)));
}
}  // namespace

int main(int argc, char** argv) {
    publisher::Options o;
    if (!publisher::ParseCommandLine(argc, argv, {}, o)) {
        std::fprintf(stderr, "usage: sfpublish [--size N] [--count N] [--control FILE] [--ready FILE] T1[,T2...][@MS]...\n");
        return 2;
    }
    return publisher::Run("SFSharedMemory_ALM", 402, WriteSpeedFan, o);
}
