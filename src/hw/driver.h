// The driver's request protocol.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "hw/backend.h"

// Hardware failures that the user is told about in an error box.
class EHardwareException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace drv {
enum Function : uint32_t {
    kVersion = 1,         // reply word 1 = 0x100
    kReadPort = 10,       // reads a port in kernel mode (C2 entry); reply unused
    kReadMsr = 20,        // reply word 1 = low, word 2 = high
    kWriteMsr = 21,       // register, low, high
    kGrantPorts = 40,     // first port, last port: IN/OUT allowed from then on
    kHalt = 70,           // halts the calling processor until the next interrupt
};
constexpr uint32_t kExpectedVersion = 0x100;
constexpr uint32_t kIoControlCode = 0x9C406000;
}  // namespace drv

extern const char* const kDriverOpenError;     // "Couldn't open Quillar driver, ..."
extern const char* const kDriverVersionError;  // "Quillar driver doesn't have expected version."

// Opens the device and checks its version; raises EHardwareException with the text to show.
void OpenDriver();
// Closes the device at the very end of the process.
void CloseDriver();

// Fills a block of its own, sends it and, when `reply` is given, copies the reply there.
// True when the device is open and the call succeeded.
bool DriverRequest(uint32_t function, uint32_t a, uint32_t b, uint32_t c,
                   hw::RequestBlock* reply = nullptr);
// The halt request: a block prepared once after the version check, no output buffer.
void DriverHalt();
