#include "hw/driver.h"

const char* const kDriverOpenError = "Couldn't open Quillar driver, make sure to reboot after installation!";
const char* const kDriverVersionError = "Quillar driver doesn't have expected version.";

namespace {
// Written once before any idle thread exists, then only read.
hw::RequestBlock g_haltBlock = {{drv::kHalt, 0, 0, 0}};
}  // namespace

void OpenDriver() {
    if (!hw::backend::OpenDevice()) throw EHardwareException(kDriverOpenError);
    hw::RequestBlock reply{};
    if (!DriverRequest(drv::kVersion, 0, 0, 0, &reply) || reply.word[0] != drv::kExpectedVersion)
        throw EHardwareException(kDriverVersionError);
    g_haltBlock = hw::RequestBlock{{drv::kHalt, 0, 0, 0}};
}

void CloseDriver() { hw::backend::CloseDevice(); }

bool DriverRequest(uint32_t function, uint32_t a, uint32_t b, uint32_t c, hw::RequestBlock* reply) {
    if (!hw::backend::DeviceOpen()) return false;
    hw::RequestBlock block{{function, a, b, c}};
    if (!hw::backend::DeviceControl(block, &block)) return false;
    if (reply) *reply = block;
    return true;
}

void DriverHalt() {
    if (hw::backend::DeviceOpen()) hw::backend::DeviceControl(g_haltBlock, nullptr);
}
