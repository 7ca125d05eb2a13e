// The kernel driver's request code: what each request does, and everything it refuses
// without touching the machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/allowed.h"
#include "driver/protocol.h"
#include "unit/driver/fake_machine.h"

namespace {

using driver_test::FakeMachine;
using qpro::Outcome;
using qpro::Processor;

// Processors by CPUID vendor, family, model, stepping.
constexpr Processor kPentiumMmx{Processor::kIntel, 5, 4, 3};
constexpr Processor kPentiumII{Processor::kIntel, 6, 5, 2};
constexpr Processor kPentiumPro{Processor::kIntel, 6, 1, 9};
constexpr Processor kPentium4{Processor::kIntel, 15, 2, 9};
constexpr Processor kK5{Processor::kAmd, 5, 1, 1};
constexpr Processor kK6{Processor::kAmd, 5, 6, 2};
constexpr Processor kK6_2{Processor::kAmd, 5, 8, 0};
constexpr Processor kK6_2Cxt{Processor::kAmd, 5, 8, 12};
constexpr Processor kK6_III{Processor::kAmd, 5, 9, 1};
constexpr Processor kAthlon{Processor::kAmd, 6, 4, 2};
constexpr Processor kWinChip{Processor::kCentaur, 5, 4, 1};
constexpr Processor kViaC3{Processor::kCentaur, 6, 7, 8};
constexpr Processor kUnknown{Processor::kUnknown, 5, 4, 3};

constexpr uint32_t kCode = 0x9C406000;

struct Sent {
    Outcome outcome;
    uint32_t word[4];
    size_t length;
};

struct Rig {
    FakeMachine machine;
    qpro::Platform platform{kPentiumII, true};

    Sent Send(uint32_t function, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0, size_t in = 16, size_t out = 16,
              uint32_t code = kCode) {
        uint8_t block[32];
        const uint32_t words[8] = {function, a, b, c, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
        std::memcpy(block, words, sizeof block);
        qpro::Reply reply;
        std::memset(&reply, 0xA5, sizeof reply);
        const qpro::Machine ops = machine.Ops();
        Sent s{qpro::HandleControl(code, block, in, out, platform, ops, &reply), {}, reply.length};
        std::memcpy(s.word, reply.bytes, sizeof s.word);
        return s;
    }
};

using Calls = std::vector<std::string>;

std::string Hex(uint32_t v) {
    char text[12];
    std::snprintf(text, sizeof text, "%X", v);
    return text;
}

TEST(DriverRequests, VersionAnswers0x100InWordOne) {
    Rig rig;
    const Sent s = rig.Send(1);
    ASSERT_EQ(s.outcome, Outcome::kDone);
    EXPECT_EQ(s.word[0], 0x100u);
    EXPECT_EQ(s.word[1], 0u);
    EXPECT_EQ(s.word[2], 0u);
    EXPECT_EQ(s.word[3], 0u);
    EXPECT_EQ(s.length, 16u);
    EXPECT_TRUE(rig.machine.calls.empty());
}

TEST(DriverRequests, BlocksOfTheWrongSizeFailBeforeAnythingIsTouched) {
    for (uint32_t function : {1u, 10u, 20u, 21u, 40u, 70u}) {
        for (size_t in : {0, 4, 12, 15, 17, 32}) {
            Rig rig;
            const Sent s = rig.Send(function, 0x414, 0, 0, in, 16);
            EXPECT_EQ(s.outcome, Outcome::kWrongSize) << "function " << function << ", " << in << " bytes in";
            EXPECT_EQ(s.length, 0u);
            EXPECT_TRUE(rig.machine.calls.empty());
        }
        for (size_t out : {1, 8, 15, 17, 32}) {
            Rig rig;
            EXPECT_EQ(rig.Send(function, 0x414, 0, 0, 16, out).outcome, Outcome::kWrongSize)
                << "function " << function << ", " << out << " bytes out";
            EXPECT_TRUE(rig.machine.calls.empty());
        }
    }
    // The two requests whose reply the program reads cannot do without an output block; the
    // others may (the program's halt request has none).
    Rig rig;
    EXPECT_EQ(rig.Send(1, 0, 0, 0, 16, 0).outcome, Outcome::kWrongSize);
    EXPECT_EQ(rig.Send(20, 0x2A, 0, 0, 16, 0).outcome, Outcome::kWrongSize);
    EXPECT_TRUE(rig.machine.calls.empty());
    const Sent halt = rig.Send(70, 0, 0, 0, 16, 0);
    EXPECT_EQ(halt.outcome, Outcome::kDone);
    EXPECT_EQ(halt.length, 0u);
    EXPECT_EQ(rig.Send(10, 0x414, 0, 0, 16, 0).outcome, Outcome::kDone);
}

TEST(DriverRequests, UnknownFunctionsAndControlCodesFail) {
    for (uint32_t function : {0u, 2u, 9u, 11u, 19u, 22u, 39u, 41u, 69u, 71u, 0x100u, 0x10001u, 0xFFFFFFFFu}) {
        Rig rig;
        EXPECT_EQ(rig.Send(function).outcome, Outcome::kUnknownRequest) << "function " << function;
        EXPECT_TRUE(rig.machine.calls.empty());
    }
    // Another function of the device, another transfer method, another access, another device.
    for (uint32_t code : {0x9C406004u, 0x9C406001u, 0x9C406003u, 0x9C40E000u, 0x9C416000u, 0x0022200Cu, 0u}) {
        Rig rig;
        EXPECT_EQ(rig.Send(1, 0, 0, 0, 16, 16, code).outcome, Outcome::kUnknownRequest) << std::hex << code;
    }
}

struct MsrCase {
    Processor processor;
    uint32_t reg;
    bool read;
};

TEST(DriverMsrs, EachProcessorReadsOnlyTheRegistersTheProgramUsesThere) {
    const MsrCase cases[] = {
        {kPentiumMmx, 0x0E, true},         {kPentiumMmx, 0x2A, false},       {kPentiumMmx, 0x10, false},
        {kPentiumII, 0x2A, true},          {kPentiumII, 0x33, true},         {kPentiumII, 0x0E, false},
        {kPentiumII, 0x1B, false},         {kPentiumII, 0xC0000082, false},  {kPentiumPro, 0x2A, false},
        {kPentiumPro, 0x33, false},        {kPentium4, 0x2A, false},         {kK5, 0x83, true},
        {kK5, 0xC0000082, false},          {kK6, 0xC0000082, true},          {kK6, 0xC0000087, false},
        {kK6, 0x83, false},                {kK6_2, 0xC0000082, true},        {kK6_2, 0xC0000087, false},
        {kK6_2Cxt, 0xC0000082, true},      {kK6_2Cxt, 0xC0000087, true},     {kK6_III, 0xC0000087, true},
        {kAthlon, 0xC0000082, false},      {kAthlon, 0x83, false},           {kAthlon, 0xC0010015, false},
        {kWinChip, 0x0E, true},            {kWinChip, 0x2A, false},          {kViaC3, 0x0E, false},
        {kUnknown, 0x0E, false},           {kPentiumII, 0xC0000080, false},  {kPentiumII, 0x174, false},
    };
    for (const MsrCase& c : cases) {
        Rig rig;
        rig.platform.processor = c.processor;
        rig.machine.msrs[c.reg] = 0x1122334455667788ull;
        const Sent s = rig.Send(20, c.reg);
        SCOPED_TRACE(testing::Message() << "register " << std::hex << c.reg << ", family " << std::dec
                                        << int(c.processor.family) << " model " << int(c.processor.model));
        if (c.read) {
            EXPECT_EQ(s.outcome, Outcome::kDone);
            EXPECT_EQ(s.word[0], 0x55667788u);
            EXPECT_EQ(s.word[1], 0x11223344u);
            EXPECT_EQ(s.word[2], 0u);
            EXPECT_EQ(s.length, 16u);
        } else {
            EXPECT_EQ(s.outcome, Outcome::kRefused);
            EXPECT_EQ(s.length, 0u);
            EXPECT_TRUE(rig.machine.calls.empty()) << "touched " << rig.machine.calls.front();
        }
    }
}

struct WriteCase {
    Processor processor;
    uint32_t reg;
    uint64_t before, after;
    bool written;
};

TEST(DriverMsrs, WritesMayChangeOnlyTheBitsTheProgramChanges) {
    const WriteCase cases[] = {
        // Pentium: automatic halt on, low-power halt on; nothing else.
        {kPentiumMmx, 0x0E, 0x00000040, 0x00200000, true},
        {kPentiumMmx, 0x0E, 0x00000000, 0x00000080, false},
        // WinChip: automatic halt on; the Pentium's bit 21 is not its own.
        {kWinChip, 0x0E, 0x00000000, 0x00000040, true},
        {kWinChip, 0x0E, 0x00000000, 0x00200000, false},
        // P6: stop grant on halt, cleared and restored around the clock measurement.
        {kPentiumII, 0x2A, 0xC2000000, 0xC6000000, true},
        {kPentiumII, 0x2A, 0xC6000000, 0xC2000000, true},
        {kPentiumII, 0x2A, 0xC2000000, 0xC0000000, false},
        // No lock cycles: bit 31 with the high word kept, not with it changed.
        {kPentiumII, 0x33, 0x0000000700000000, 0x0000000780000000, true},
        {kPentiumII, 0x33, 0x0000000700000000, 0x0000000080000000, false},
        {kK5, 0x83, 0x00000001, 0x00000011, true},
        {kK5, 0x83, 0x00000001, 0x00000000, false},
        // K6 write allocation: the program's value for 512 MB and more (limit 508 MB, hole).
        {kK6, 0xC0000082, 0x00000000, 0x000000FF, true},
        {kK6, 0xC0000082, 0x00000000, 0x00010000, false},
        // Later K6: 256 MB in bits 22-31 and the hole in bit 16; the older layout is not its own.
        {kK6_2Cxt, 0xC0000082, 0x00000000, 0x10010000, true},
        {kK6_2Cxt, 0xC0000082, 0x00000000, 0x00000001, false},
        {kK6_III, 0xC0000082, 0x00000000, 0xFFC10000, true},
        {kK6_III, 0xC0000087, 0x00000003, 0x00000004, false},
    };
    for (const WriteCase& c : cases) {
        Rig rig;
        rig.platform.processor = c.processor;
        rig.machine.msrs[c.reg] = c.before;
        const Sent s = rig.Send(21, c.reg, static_cast<uint32_t>(c.after), static_cast<uint32_t>(c.after >> 32));
        SCOPED_TRACE(testing::Message() << "register " << std::hex << c.reg << " from " << c.before << " to "
                                        << c.after);
        EXPECT_EQ(s.outcome, c.written ? Outcome::kDone : Outcome::kRefused);
        EXPECT_EQ(rig.machine.msrs[c.reg], c.written ? c.after : c.before);
        EXPECT_EQ(rig.machine.held, 0) << "the processor was not released";
    }
}

TEST(DriverMsrs, AWriteIsCheckedAndMadeOnOneHeldProcessor) {
    Rig rig;
    rig.machine.msrs[0x2A] = 0xC2000000;
    ASSERT_EQ(rig.Send(21, 0x2A, 0xC6000000, 0).outcome, Outcome::kDone);
    EXPECT_EQ(rig.machine.calls, (Calls{"hold", "rdmsr 2A", "wrmsr 2A 00000000C6000000", "release 1"}));

    // A register on the list that this processor still refuses fails the request, never more.
    Rig faulting;
    faulting.machine.msrReadFaults = true;
    EXPECT_EQ(faulting.Send(20, 0x33).outcome, Outcome::kFaulted);
    EXPECT_EQ(faulting.Send(21, 0x33, 0x80000000, 0).outcome, Outcome::kFaulted);
    EXPECT_EQ(faulting.machine.calls, (Calls{"rdmsr 33", "hold", "rdmsr 33", "release 1"}));
    Rig refusingWrite;
    refusingWrite.machine.msrWriteFaults = true;
    EXPECT_EQ(refusingWrite.Send(21, 0x2A, 0x04000000, 0).outcome, Outcome::kFaulted);
    EXPECT_EQ(refusingWrite.machine.held, 0);
    EXPECT_EQ(refusingWrite.machine.calls.back(), "release 1");
}

TEST(DriverPorts, C2ReadsOnlyALevel2RegisterAboveTheLegacyDevices) {
    // 0x14 into a 128-byte block at 0x400 or higher; the highest block starts at 0xFF80.
    for (uint32_t port : {0x414u, 0x494u, 0x814u, 0x4014u, 0x5014u, 0xE414u, 0xFF94u}) {
        Rig rig;
        EXPECT_EQ(rig.Send(10, port).outcome, Outcome::kDone) << std::hex << port;
        EXPECT_EQ(rig.machine.calls, (Calls{"in " + Hex(port)}));
    }
    for (uint32_t port : {0x14u, 0x20u, 0x22u, 0x60u, 0x71u, 0x94u, 0x314u, 0x394u, 0x3F8u, 0x400u, 0x410u,
                          0x413u, 0x415u, 0x420u, 0x480u, 0x1000u, 0xCF8u, 0xCFCu, 0xFFFFu, 0x10014u, 0xFFFFFFFFu}) {
        Rig rig;
        EXPECT_EQ(rig.Send(10, port).outcome, Outcome::kRefused) << std::hex << port;
        EXPECT_TRUE(rig.machine.calls.empty()) << std::hex << port;
    }
    Rig faulting;
    faulting.machine.portFaults = true;
    EXPECT_EQ(faulting.Send(10, 0x4014).outcome, Outcome::kFaulted);
}

TEST(DriverPorts, GrantsOnlyTheCyrixAndPciConfigurationPorts) {
    const uint32_t allowed[][2] = {{0x22, 0x23}, {0x22, 0x22}, {0x23, 0x23},
                                   {0xCF8, 0xCFF}, {0xCFC, 0xCFF}, {0xCF8, 0xCF8}};
    for (const auto& r : allowed) {
        Rig rig;
        EXPECT_EQ(rig.Send(40, r[0], r[1]).outcome, Outcome::kDone) << std::hex << r[0] << "-" << r[1];
        ASSERT_EQ(rig.machine.calls.size(), 1u);
    }
    const uint32_t refused[][2] = {{0x20, 0x23}, {0x22, 0x24},   {0x23, 0x22},     {0xCF7, 0xCFF},   {0xCF8, 0xD00},
                                   {0x22, 0xCFF}, {0, 0xFFFF},   {0x60, 0x64},     {0x10022, 0x10023}, {0xCFF, 0xCF8},
                                   {0x21, 0x21}, {0xD00, 0xD00}, {0xFFFFFFFF, 0x23}};
    for (const auto& r : refused) {
        Rig rig;
        EXPECT_EQ(rig.Send(40, r[0], r[1]).outcome, Outcome::kRefused) << std::hex << r[0] << "-" << r[1];
        EXPECT_TRUE(rig.machine.calls.empty());
    }
    // A kernel without the per-process I/O permission map.
    Rig missing;
    missing.machine.grantWorks = false;
    EXPECT_EQ(missing.Send(40, 0xCF8, 0xCFF).outcome, Outcome::kUnsupported);
}

TEST(DriverPorts, NoGrantsWhereProcessesCannotUsePorts) {
    Rig rig;
    rig.platform.processPortAccess = false;
    EXPECT_EQ(rig.Send(40, 0xCF8, 0xCFF).outcome, Outcome::kUnsupported);
    EXPECT_EQ(rig.Send(40, 0x22, 0x23).outcome, Outcome::kUnsupported);
    EXPECT_TRUE(rig.machine.calls.empty());
}

TEST(DriverPorts, OpeningPortsClearsExactlyTheirBitsInThePermissionMap) {
    std::vector<uint8_t> map(qpro::kIoMapBytes, 0xFF);
    EXPECT_EQ(map.size(), 8192u);  // one bit for each of the 65,536 ports
    qpro::OpenPortsInMap(map.data(), 0xCF8, 0xCFF);
    qpro::OpenPortsInMap(map.data(), 0x22, 0x23);
    qpro::OpenPortsInMap(map.data(), 0xFFFF, 0xFFFF);
    for (size_t i = 0; i < map.size(); ++i) {
        const uint8_t expected = i == 0x19F ? 0x00 : i == 4 ? 0xF3 : i == 0x1FFF ? 0x7F : 0xFF;
        ASSERT_EQ(map[i], expected) << "byte " << std::hex << i;
    }
}

TEST(DriverHalt, HaltsOnlyAtPassiveLevel) {
    Rig rig;
    EXPECT_EQ(rig.Send(70, 0, 0, 0, 16, 0).outcome, Outcome::kDone);
    EXPECT_EQ(rig.Send(70).outcome, Outcome::kDone);
    EXPECT_EQ(rig.machine.calls, (Calls{"halt", "halt"}));
    rig.machine.passive = false;
    EXPECT_EQ(rig.Send(70, 0, 0, 0, 16, 0).outcome, Outcome::kWrongLevel);
    EXPECT_EQ(rig.machine.calls.size(), 2u);
    rig.machine.passive = true;
    rig.machine.haltFaults = true;
    EXPECT_EQ(rig.Send(70, 0, 0, 0, 16, 0).outcome, Outcome::kFaulted);
}

qpro::CpuidAnswer Vendor(const char* name, uint32_t maxLeaf = 1) {
    qpro::CpuidAnswer a{maxLeaf, 0, 0, 0};
    std::memcpy(&a.ebx, name, 4);
    std::memcpy(&a.edx, name + 4, 4);
    std::memcpy(&a.ecx, name + 8, 4);
    return a;
}

TEST(DriverProcessor, IdentifiedFromTheVendorStringAndTheBaseFieldsOfLeafOne) {
    struct Case {
        const char* vendor;
        uint32_t signature;
        Processor expected;
    };
    const Case cases[] = {
        {"GenuineIntel", 0x00000652, {Processor::kIntel, 6, 5, 2}},
        {"GenuineIntel", 0x000306A9, {Processor::kIntel, 6, 0xA, 9}},  // extended model not read
        {"GenuineIntel", 0x00000F29, {Processor::kIntel, 15, 2, 9}},
        {"AuthenticAMD", 0x0000058C, {Processor::kAmd, 5, 8, 12}},
        {"AuthenticAMD", 0x00A00F11, {Processor::kAmd, 15, 1, 1}},  // extended family not read
        {"CentaurHauls", 0x00000541, {Processor::kCentaur, 5, 4, 1}},
        {"CyrixInstead", 0x00000520, {Processor::kUnknown, 5, 2, 0}},
        {"GenuineIntex", 0x00000543, {Processor::kUnknown, 5, 4, 3}},
    };
    for (const Case& c : cases) {
        const Processor p = qpro::IdentifyProcessor(true, Vendor(c.vendor), {c.signature, 0, 0, 0});
        EXPECT_EQ(p.vendor, c.expected.vendor) << c.vendor;
        EXPECT_EQ(p.family, c.expected.family) << std::hex << c.signature;
        EXPECT_EQ(p.model, c.expected.model) << std::hex << c.signature;
        EXPECT_EQ(p.stepping, c.expected.stepping) << std::hex << c.signature;
    }
    // Without CPUID, or without leaf 1, no register is the program's.
    const Processor none = qpro::IdentifyProcessor(false, Vendor("GenuineIntel"), {0x543, 0, 0, 0});
    EXPECT_EQ(none.vendor, Processor::kUnknown);
    const Processor noLeaf1 = qpro::IdentifyProcessor(true, Vendor("GenuineIntel", 0), {0x543, 0, 0, 0});
    EXPECT_EQ(noLeaf1.family, 0);
    EXPECT_EQ(qpro::FindMsrRule(0x0E, noLeaf1), nullptr);
}

}  // namespace
