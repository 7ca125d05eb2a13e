// The SpeedFan block reader: temperatures, fan speeds and voltages from the mapping
// "SFSharedMemory_ALM".
#pragma once
#include <cstdint>

#include "temp/block_snapshot.h"

// Kinds of SpeedFan values.
enum TSpeedFanValue : int32_t { sfTemp = 0, sfFan = 1, sfVolt = 2 };

class SpeedFan {
public:
    static constexpr const char* kMappingName = "SFSharedMemory_ALM";
    static constexpr size_t kBlockSize = 402;
    static constexpr int32_t kMaxEntries = 32;  // each kind's table has room for 32 values

    explicit SpeedFan(SharedMemory& memory) : memory_(memory) {}

    // Copies the block into SpeedFanSnapshot; false (snapshot unchanged) when it cannot be read.
    bool ReadSpeedFanBlock();
    // Number of values of one kind: the block's count, limited to the 32 entries of its
    // table and to the entries the copied bytes hold; 0 for an unknown kind.
    int32_t Count(int32_t kind) const;
    // Raw entry i of one kind; -1 when i is negative, the kind unknown or i not below Count.
    int32_t GetSpeedFanValue(int32_t i, int32_t kind) const;

private:
    SharedMemory& memory_;
    BlockSnapshot<kBlockSize> SpeedFanSnapshot;
};
