// The temperature sources: which outside monitoring program publishes temperatures, how
// many sensors it offers, their names and their readings in whole degrees Celsius.
#pragma once
#include <cstdint>
#include <string>

#include "temp/mbm51.h"
#include "temp/speedfan.h"

enum TTempSource : uint8_t {
    srcNone = 0,      // no source found
    srcMBM = 1,       // Motherboard Monitor 5 block
    srcSpeedFan = 2,  // SpeedFan block
};

// One per run: the program creates it at start (before the main window) and hands it to
// the temperature watch.
class TempMonitoring {
public:
    explicit TempMonitoring(SharedMemory& memory) : speedFan(memory), mbm(memory) {}

    // Tries SpeedFan, then Motherboard Monitor; the first whose block can be copied wins.
    // Stores the result in ActiveTempSource and returns it.
    TTempSource DetectTempSource();
    TTempSource ActiveTempSource() const { return active_; }

    // From the snapshot taken last; -1 without a source.
    int32_t GetSensorCount() const;
    // From the snapshot taken last; "Sensor <i + 1>" for SpeedFan, empty without a source.
    std::string GetSensorName(int32_t i) const;
    // Takes a fresh copy of the active source's block and reads sensor i, rounded to whole
    // degrees with halves going to the even neighbour. -1 without a source, when the block
    // cannot be read, for a sensor the block does not have, and for a value that is no
    // temperature at all (not a number, or beyond the 32-bit range).
    int32_t ReadSensorTemp(int32_t i);

    SpeedFan speedFan;
    MBM51 mbm;

private:
    TTempSource active_ = srcNone;
};
