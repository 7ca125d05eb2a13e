#include "driver/protocol.h"

namespace qpro {

namespace {

struct Words {
    uint32_t function, a, b, c;
};

uint32_t LittleEndianWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void PutWord(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

Outcome Version(const Words&, const Platform&, const Machine&, Reply* reply) {
    PutWord(reply->bytes, kVersion);
    return Outcome::kDone;
}

Outcome ReadPort(const Words& w, const Platform&, const Machine& m, Reply*) {
    if (!C2ReadAllowed(w.a)) return Outcome::kRefused;
    return m.readPort8(m.context, static_cast<uint16_t>(w.a)) ? Outcome::kDone : Outcome::kFaulted;
}

Outcome ReadMsr(const Words& w, const Platform& p, const Machine& m, Reply* reply) {
    if (!FindMsrRule(w.a, p.processor)) return Outcome::kRefused;
    uint64_t value = 0;
    if (!m.readMsr(m.context, w.a, &value)) return Outcome::kFaulted;
    PutWord(reply->bytes, static_cast<uint32_t>(value));
    PutWord(reply->bytes + 4, static_cast<uint32_t>(value >> 32));
    return Outcome::kDone;
}

// Only the bits the program changes may differ from what the register holds: the register is
// read and written back on one processor with nothing in between.
Outcome WriteMsr(const Words& w, const Platform& p, const Machine& m, Reply*) {
    const MsrRule* rule = FindMsrRule(w.a, p.processor);
    if (!rule || rule->writable == 0) return Outcome::kRefused;
    const uint64_t wanted = static_cast<uint64_t>(w.c) << 32 | w.b;
    const uintptr_t held = m.holdProcessor(m.context);
    uint64_t current = 0;
    Outcome outcome = Outcome::kDone;
    if (!m.readMsr(m.context, w.a, &current))
        outcome = Outcome::kFaulted;
    else if ((wanted ^ current) & ~rule->writable)
        outcome = Outcome::kRefused;
    else if (!m.writeMsr(m.context, w.a, wanted))
        outcome = Outcome::kFaulted;
    m.releaseProcessor(m.context, held);
    return outcome;
}

Outcome GrantPorts(const Words& w, const Platform& p, const Machine& m, Reply*) {
    if (!p.processPortAccess) return Outcome::kUnsupported;
    if (!PortGrantAllowed(w.a, w.b)) return Outcome::kRefused;
    return m.grantPorts(m.context, static_cast<uint16_t>(w.a), static_cast<uint16_t>(w.b)) ? Outcome::kDone
                                                                                           : Outcome::kUnsupported;
}

// Nothing is held while the processor sleeps, so any number of them may halt at once.
Outcome Halt(const Words&, const Platform&, const Machine& m, Reply*) {
    if (!m.atPassiveLevel(m.context)) return Outcome::kWrongLevel;
    return m.halt(m.context) ? Outcome::kDone : Outcome::kFaulted;
}

struct FunctionRow {
    uint32_t number;
    // The caller reads the reply: an output block is required. The others may come without
    // one (the program's halt request does).
    bool replies;
    Outcome (*run)(const Words&, const Platform&, const Machine&, Reply*);
};

constexpr FunctionRow kFunctions[] = {
    {kFnVersion, true, Version},      {kFnReadPort, false, ReadPort},     {kFnReadMsr, true, ReadMsr},
    {kFnWriteMsr, false, WriteMsr},   {kFnGrantPorts, false, GrantPorts}, {kFnHalt, false, Halt},
};

struct StatusRow {
    Outcome outcome;
    uint32_t status;
};
constexpr StatusRow kStatuses[] = {
    {Outcome::kDone, 0x00000000},            // STATUS_SUCCESS
    {Outcome::kUnknownRequest, 0xC0000010},  // STATUS_INVALID_DEVICE_REQUEST
    {Outcome::kWrongSize, 0xC0000206},       // STATUS_INVALID_BUFFER_SIZE
    {Outcome::kRefused, 0xC0000022},         // STATUS_ACCESS_DENIED
    {Outcome::kUnsupported, 0xC00000BB},     // STATUS_NOT_SUPPORTED
    {Outcome::kWrongLevel, 0xC0000184},      // STATUS_INVALID_DEVICE_STATE
    {Outcome::kFaulted, 0xC0000185},         // STATUS_IO_DEVICE_ERROR
};

}  // namespace

uint32_t NtStatusOf(Outcome outcome) {
    for (const StatusRow& row : kStatuses) {
        if (row.outcome == outcome) return row.status;
    }
    return 0xC0000001;  // STATUS_UNSUCCESSFUL
}

Outcome HandleControl(uint32_t controlCode, const void* input, size_t inputLength, size_t outputLength,
                      const Platform& platform, const Machine& machine, Reply* reply) {
    for (uint8_t& b : reply->bytes) b = 0;
    reply->length = 0;
    if (controlCode != kControlCode) return Outcome::kUnknownRequest;
    if (inputLength != kBlockSize || !input) return Outcome::kWrongSize;
    const uint8_t* in = static_cast<const uint8_t*>(input);
    const Words words{LittleEndianWord(in), LittleEndianWord(in + 4), LittleEndianWord(in + 8),
                      LittleEndianWord(in + 12)};
    for (const FunctionRow& f : kFunctions) {
        if (f.number != words.function) continue;
        if (outputLength != kBlockSize && (f.replies || outputLength != 0)) return Outcome::kWrongSize;
        const Outcome outcome = f.run(words, platform, machine, reply);
        if (outcome == Outcome::kDone) reply->length = outputLength;
        return outcome;
    }
    return Outcome::kUnknownRequest;
}

}  // namespace qpro
