// The Motherboard Monitor 5 block reader: sensor names and readings from the mapping
// "$M$B$M$5$S$D$".
#pragma once
#include <cstdint>
#include <string>

#include "temp/block_snapshot.h"

class MBM51 {
public:
    static constexpr const char* kMappingName = "$M$B$M$5$S$D$";
    static constexpr size_t kBlockSize = 8488;

    explicit MBM51(SharedMemory& memory) : memory_(memory) {}

    // Copies the block into MBMSnapshot; false (snapshot unchanged) when it cannot be read.
    bool ReadMBMBlock();
    // The block's sensor count, never below 0 and limited to the entries the copied bytes hold.
    int32_t SensorCount() const;
    // Name of sensor i: its field up to the first zero, or the whole field when it has none;
    // empty for an index outside the count.
    std::string SensorName(int32_t i) const;
    // Current reading of sensor i in degrees Celsius; false for an index outside the count.
    bool SensorValue(int32_t i, double& value) const;

private:
    SharedMemory& memory_;
    BlockSnapshot<kBlockSize> MBMSnapshot;
};
