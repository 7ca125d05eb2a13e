// The kernel driver's request code over any request a caller can send: control codes, block
// sizes, words, on any processor, with faults on demand. A privileged operation outside what
// the program needs is a finding, whatever the request said.
//
// An input is a platform byte, three processor bytes, then requests of 24 bytes each: the
// control code (used only when its first byte is 0xFF, else the driver's own), the input and
// output sizes, two spare bytes and the 16-byte block (the input buffer continues with the
// next request's bytes, so longer inputs read real data).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>

#include "driver/protocol.h"
#include "fuzz/fuzz_check.h"

namespace {

// What the program needs, stated here on its own: the registers per processor and the bits it
// changes in them, the ports it is given, the C2 port's shape.
struct Use {
    uint32_t reg;
    qpro::Processor::Vendor vendor;
    int familyFirst, familyLast, modelFirst, modelLast, steppingFirst, steppingLast;
    uint64_t bits;
};
const Use kUses[] = {
    {0x0E, qpro::Processor::kIntel, 5, 5, 0, 15, 0, 15, 0x40 | 0x200000},
    {0x0E, qpro::Processor::kCentaur, 0, 5, 0, 15, 0, 15, 0x40},
    {0x2A, qpro::Processor::kIntel, 6, 6, 3, 15, 0, 15, 1u << 26},
    {0x33, qpro::Processor::kIntel, 6, 6, 3, 15, 0, 15, 1u << 31},
    {0x83, qpro::Processor::kAmd, 5, 5, 1, 3, 0, 15, 0x10},
    {0xC0000082, qpro::Processor::kAmd, 5, 5, 6, 7, 0, 15, 0xFF},
    {0xC0000082, qpro::Processor::kAmd, 5, 5, 8, 8, 0, 7, 0xFF},
    {0xC0000082, qpro::Processor::kAmd, 5, 5, 8, 8, 8, 15, 0xFFC00000 | 0x10000},
    {0xC0000082, qpro::Processor::kAmd, 5, 5, 9, 15, 0, 15, 0xFFC00000 | 0x10000},
    {0xC0000087, qpro::Processor::kAmd, 5, 5, 8, 8, 8, 15, 0},
    {0xC0000087, qpro::Processor::kAmd, 5, 5, 9, 15, 0, 15, 0},
};

const Use* UseOf(uint32_t reg, const qpro::Processor& p) {
    for (const Use& u : kUses) {
        if (u.reg == reg && u.vendor == p.vendor && p.family >= u.familyFirst && p.family <= u.familyLast &&
            p.model >= u.modelFirst && p.model <= u.modelLast && p.stepping >= u.steppingFirst &&
            p.stepping <= u.steppingLast)
            return &u;
    }
    return nullptr;
}

struct Watch {
    qpro::Platform platform;
    uint32_t function = 0;  // of the request being handled
    std::map<uint32_t, uint64_t> msrs;
    bool readFaults = false, writeFaults = false, portFaults = false, haltFaults = false;
    bool passive = true, grantWorks = true;
    int held = 0;
    bool readInHold = false;
    uint64_t readValue = 0;
    int operations = 0;
};

Watch& W(void* c) { return *static_cast<Watch*>(c); }

qpro::Machine Watching(Watch& w) {
    qpro::Machine m;
    m.context = &w;
    m.readMsr = [](void* c, uint32_t reg, uint64_t* value) {
        Watch& w = W(c);
        ++w.operations;
        FUZZ_REQUIRE(w.function == 20 || w.function == 21);
        FUZZ_REQUIRE(UseOf(reg, w.platform.processor) != nullptr);
        if (w.readFaults) return false;
        *value = w.msrs[reg];
        if (w.held) w.readInHold = true, w.readValue = *value;
        return true;
    };
    m.writeMsr = [](void* c, uint32_t reg, uint64_t value) {
        Watch& w = W(c);
        ++w.operations;
        FUZZ_REQUIRE(w.function == 21);
        const Use* use = UseOf(reg, w.platform.processor);
        FUZZ_REQUIRE(use != nullptr && use->bits != 0);
        // Written on the processor it was read on, changing only the program's bits.
        FUZZ_REQUIRE(w.held == 1 && w.readInHold);
        FUZZ_REQUIRE(((value ^ w.readValue) & ~use->bits) == 0);
        if (w.writeFaults) return false;
        w.msrs[reg] = value;
        return true;
    };
    m.readPort8 = [](void* c, uint16_t port) {
        Watch& w = W(c);
        ++w.operations;
        FUZZ_REQUIRE(w.function == 10);
        FUZZ_REQUIRE(port >= 0x414 && port % 0x80 == 0x14);
        return !w.portFaults;
    };
    m.holdProcessor = [](void* c) -> uintptr_t {
        Watch& w = W(c);
        FUZZ_REQUIRE(w.held == 0);
        w.readInHold = false;
        return static_cast<uintptr_t>(++w.held);
    };
    m.releaseProcessor = [](void* c, uintptr_t held) {
        Watch& w = W(c);
        FUZZ_REQUIRE(w.held == 1 && held == 1);
        --w.held;
    };
    m.grantPorts = [](void* c, uint16_t first, uint16_t last) {
        Watch& w = W(c);
        ++w.operations;
        FUZZ_REQUIRE(w.function == 40 && w.platform.processPortAccess);
        FUZZ_REQUIRE(first <= last);
        FUZZ_REQUIRE((first >= 0x22 && last <= 0x23) || (first >= 0xCF8 && last <= 0xCFF));
        return w.grantWorks;
    };
    m.atPassiveLevel = [](void* c) { return W(c).passive; };
    m.halt = [](void* c) {
        Watch& w = W(c);
        ++w.operations;
        FUZZ_REQUIRE(w.function == 70 && w.passive);
        return !w.haltFaults;
    };
    return m;
}

uint32_t Word(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    Watch w;
    const uint8_t flags = data[0];
    w.platform.processPortAccess = flags & 1;
    w.passive = flags & 2;
    w.readFaults = flags & 4;
    w.writeFaults = flags & 8;
    w.portFaults = flags & 16;
    w.haltFaults = flags & 32;
    w.grantWorks = !(flags & 64);
    w.platform.processor = {static_cast<qpro::Processor::Vendor>(data[1] % 4), static_cast<uint8_t>(data[2] & 15),
                            static_cast<uint8_t>(data[2] >> 4), static_cast<uint8_t>(data[3] & 15)};
    const qpro::Machine machine = Watching(w);

    for (size_t at = 4; at + 24 <= size; at += 24) {
        const uint8_t* r = data + at;
        const uint32_t code = r[0] == 0xFF ? Word(r) : qpro::kControlCode;
        // Sizes around the block's own, and now and then far from it.
        const size_t in = r[4] < 200 ? 16 : r[4] - 200;
        const size_t out = r[5] < 150 ? 16 : r[5] < 200 ? 0 : r[5] - 200;
        const uint8_t* block = r + 8;
        // Registers hold what the input says before the request sees them.
        w.msrs[Word(block + 4)] = static_cast<uint64_t>(Word(r + 4)) << 32 | Word(block + 8);
        w.function = Word(block);
        w.operations = 0;

        qpro::Reply reply;
        std::memset(&reply, 0xA5, sizeof reply);
        const qpro::Outcome outcome =
            qpro::HandleControl(code, block, in, out, w.platform, machine, &reply);
        FUZZ_REQUIRE(w.held == 0);
        if (code != qpro::kControlCode || in != 16) FUZZ_REQUIRE(w.operations == 0);
        if (code != qpro::kControlCode) FUZZ_REQUIRE(outcome == qpro::Outcome::kUnknownRequest);
        if (outcome == qpro::Outcome::kDone) {
            FUZZ_REQUIRE(reply.length == out && (out == 16 || out == 0));
            if (w.function == 1) FUZZ_REQUIRE(Word(reply.bytes) == 0x100);
        } else {
            FUZZ_REQUIRE(reply.length == 0);
        }
        FUZZ_REQUIRE(qpro::NtStatusOf(outcome) == 0 || (qpro::NtStatusOf(outcome) >> 30) == 3);
    }
    return 0;
}
