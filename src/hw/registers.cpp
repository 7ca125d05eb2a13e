#include "hw/registers.h"

#include "hw/backend.h"
#include "hw/driver.h"

namespace {

// The Cyrix configuration registers need a short pause between the index write and the
// data access.
inline void IoDelay() {
#if defined(__i386__) || defined(__x86_64__)
    asm volatile("nop\n\tnop");
#endif
}

}  // namespace

bool TRegisters::TryReadMsr(uint32_t reg, uint64_t& value) {
    hw::RequestBlock reply{};
    if (!DriverRequest(drv::kReadMsr, reg, 0, 0, &reply)) {
        value = 0;
        return false;
    }
    MsrCache.low = reply.word[0];
    MsrCache.high = reply.word[1];
    value = MsrCache.Value();
    return true;
}

uint64_t TRegisters::ReadMsr(uint32_t reg) {
    uint64_t value = 0;
    TryReadMsr(reg, value);
    return value;
}

bool TRegisters::WriteMsr(uint32_t reg) { return DriverRequest(drv::kWriteMsr, reg, MsrCache.low, MsrCache.high); }

bool TRegisters::WriteMsrValue(uint32_t reg, uint32_t low, uint32_t high) {
    MsrCache.low = low;
    MsrCache.high = high;
    return WriteMsr(reg);
}

bool TRegisters::TryModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits, uint64_t& old) {
    if (!TryReadMsr(reg, old)) return false;
    const uint64_t v = (MsrCache.Value() | setBits) & ~clearBits;
    MsrCache.low = static_cast<uint32_t>(v);
    MsrCache.high = static_cast<uint32_t>(v >> 32);
    WriteMsr(reg);
    return true;
}

uint64_t TRegisters::ModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits) {
    uint64_t old = 0;
    TryModifyMsr(reg, setBits, clearBits, old);
    return old;
}

bool TRegisters::GrantCyrixPorts() {
    if (DriverRequest(drv::kGrantPorts, kCyrixIndexPort, kCyrixDataPort, 0)) cyrixPortsGranted_ = true;
    return cyrixPortsGranted_;
}

void TRegisters::EnsureCyrixPorts() {
    if (!cyrixPortsGranted_) GrantCyrixPorts();
}

uint8_t TRegisters::ReadCyrixRegister(uint8_t index) {
    hw::backend::PortOut8(kCyrixIndexPort, index);
    IoDelay();
    return hw::backend::PortIn8(kCyrixDataPort);
}

void TRegisters::WriteCyrixRegister(uint8_t index, uint8_t value) {
    hw::backend::PortOut8(kCyrixIndexPort, index);
    IoDelay();
    hw::backend::PortOut8(kCyrixDataPort, value);
}

uint8_t TRegisters::ModifyCyrixRegister(uint8_t index, uint8_t setBits, uint8_t clearBits) {
    const uint8_t old = ReadCyrixRegister(index);
    WriteCyrixRegister(index, static_cast<uint8_t>((old | setBits) & ~clearBits));
    return old;
}

void TRegisters::EnableCyrixExtendedRegisters() {
    WriteCyrixRegister(kCyrixCCR3, ReadCyrixRegister(kCyrixCCR3) | 0x10);
}
