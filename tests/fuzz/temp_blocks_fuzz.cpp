// The two temperature blocks are published by other programs: any length, any bytes, and
// they may shrink between one reading and the next. The first input byte says which block
// the rest is (bit 0: SpeedFan, else Motherboard Monitor) and how far it shrinks later.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "temp/temp_monitoring.h"

namespace {

// Every sensor the source offers, and its neighbours outside the count.
void ReadAll(TempMonitoring& sources, int32_t limit) {
    const int32_t count = sources.GetSensorCount();
    FUZZ_REQUIRE(count >= 0 && count <= limit);
    for (int32_t i = -1; i <= count; ++i) {
        const std::string name = sources.GetSensorName(i);
        FUZZ_REQUIRE(name.size() <= 15);
        const int32_t temp = sources.ReadSensorTemp(i);
        if (i < 0 || i >= sources.GetSensorCount()) FUZZ_REQUIRE(temp == -1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool speedFan = data[0] & 1;
    const std::string name = speedFan ? SpeedFan::kMappingName : MBM51::kMappingName;
    // Each table holds 32 values; the larger block has room for 105 sensors.
    const int32_t limit = speedFan ? SpeedFan::kMaxEntries : 105;
    std::vector<uint8_t> block(data + 1, data + size);

    MemorySharedMemory memory;
    memory.Publish(name, block);
    TempMonitoring sources(memory);
    const TTempSource found = sources.DetectTempSource();
    FUZZ_REQUIRE(found == (block.empty() ? srcNone : speedFan ? srcSpeedFan : srcMBM));
    if (found == srcNone) return 0;
    ReadAll(sources, limit);

    // The publisher rewrites a shorter block while the names of the first snapshot are shown.
    block.resize(block.size() * (data[0] >> 1) / 128);
    memory.Publish(name, block);
    ReadAll(sources, limit);
    return 0;
}
