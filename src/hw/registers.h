// Model-specific registers (through the driver) and Cyrix configuration registers (through
// ports 0x22/0x23). These move bits; which bits a processor wants is decided above.
#pragma once
#include <cstdint>

// The last value read from, or to be written to, a model-specific register. A read refreshes
// it; a write always writes it. The CPU page reads bits of it right after a read.
struct TMsrValue {
    uint32_t low = 0;
    uint32_t high = 0;
    uint64_t Value() const { return (static_cast<uint64_t>(high) << 32) | low; }
};

constexpr uint16_t kCyrixIndexPort = 0x22;
constexpr uint16_t kCyrixDataPort = 0x23;
constexpr uint8_t kCyrixCCR1 = 0xC1;
constexpr uint8_t kCyrixCCR2 = 0xC2;
constexpr uint8_t kCyrixCCR3 = 0xC3;
constexpr uint8_t kCyrixCCR4 = 0xE8;
constexpr uint8_t kCyrixCCR5 = 0xE9;

// The register access of one run: the register cache and whether ports 0x22-0x23 were
// granted. A read followed by a write must not be interleaved with another access: the
// main thread is the only user.
class TRegisters {
public:
    TMsrValue MsrCache;

    // Driver function 20. On success the reply becomes the cache and the value is returned;
    // on failure 0 is returned and the cache is left alone.
    uint64_t ReadMsr(uint32_t reg);
    // Like ReadMsr, but tells whether the read succeeded.
    bool TryReadMsr(uint32_t reg, uint64_t& value);
    // Driver function 21 with the cache's words; true when the request succeeded.
    bool WriteMsr(uint32_t reg);
    // Stores low and high in the cache, then writes it.
    bool WriteMsrValue(uint32_t reg, uint32_t low, uint32_t high);
    // Reads the register, sets and clears bits of the cache and writes it back; returns the
    // old value. When the read fails nothing is written (the cache would hold another
    // register's value) and 0 is returned.
    uint64_t ModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits);
    // Like ModifyMsr, but tells whether the register was read (and so written).
    bool TryModifyMsr(uint32_t reg, uint64_t setBits, uint64_t clearBits, uint64_t& old);

    // Asks the driver for ports 0x22-0x23; true when granted.
    bool GrantCyrixPorts();
    // Asks for them only when no grant was made yet.
    void EnsureCyrixPorts();

    uint8_t ReadCyrixRegister(uint8_t index);
    void WriteCyrixRegister(uint8_t index, uint8_t value);
    // Writes (old OR setBits) AND NOT clearBits; returns the old value.
    uint8_t ModifyCyrixRegister(uint8_t index, uint8_t setBits, uint8_t clearBits);
    // Sets bit 4 of CCR3, which opens the registers above 0xE8.
    void EnableCyrixExtendedRegisters();

private:
    bool cyrixPortsGranted_ = false;
};
