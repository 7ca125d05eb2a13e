// Processor identification: every processor profile of the fixtures is identified and named
// as its [Expect] section says, then the decoding rules one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "unit/cpu/cpu_fixture.h"
#include "cpu/cpu_report.h"
#include "cpu/cpuid.h"
#include "hw/registers.h"
#include "sim/machine.h"

using namespace cputest;

namespace {

class IdentifyFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(IdentifyFixture, MatchesItsExpectation) {
    TestCpu os;
    const std::string profile = CpuidFixture(GetParam());
    const IniText ini = IniText::Parse(profile);
    ASSERT_NE(ini.Find("Expect"), nullptr) << GetParam() << " has no [Expect] section";
    UseMachine(profile);

    os.cpu.IdentifyProcessor();

    const TProcessorInfo& p = os.cpu.ProcessorInfo;
    EXPECT_TRUE(p.CpuidAvailable);
    EXPECT_EQ(p.VendorCode, std::stoi(ini.Get("Expect", "VendorCode")));
    EXPECT_EQ(p.Family, std::stoi(ini.Get("Expect", "Family")));
    EXPECT_EQ(p.Model, std::stoi(ini.Get("Expect", "Model")));
    EXPECT_EQ(p.Stepping, std::stoi(ini.Get("Expect", "Stepping")));
    EXPECT_EQ(p.ProcessorName, ini.Get("Expect", "Name"));
    EXPECT_EQ(p.CodeName, ini.Get("Expect", "CodeName"));
    EXPECT_EQ(p.BrandString, ini.Get("Expect", "Brand"));
    EXPECT_EQ(PictureName(p), ini.Get("Expect", "Picture"));
    if (ini.Has("Expect", "FeatureFlags")) {
        EXPECT_EQ(p.FeatureFlags, std::stoul(ini.Get("Expect", "FeatureFlags"), nullptr, 16));
    }
    EXPECT_LE(p.VendorString.size(), 12u);
    EXPECT_LE(p.BrandString.size(), 48u);
    EXPECT_EQ(sim::Current().Faults().size(), 0u) << sim::Current().StateText();
}

INSTANTIATE_TEST_SUITE_P(Processors, IdentifyFixture, ::testing::ValuesIn(CpuidFixtureNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(IdentifyProcessor, FixturesCoverEveryFamilyOfTheTables) {
    const auto names = CpuidFixtureNames();
    for (const char* required :
         {"amd-k6-2", "amd-k6-3", "amd-athlon-thunderbird", "amd-athlon-xp-thoroughbred", "amd-athlon-xp-barton",
          "amd-athlon-64", "amd-duron", "intel-pentium", "intel-pentium-mmx", "intel-pentium-ii-deschutes",
          "intel-celeron-covington", "intel-celeron-mendocino", "intel-pentium-iii-katmai",
          "intel-pentium-iii-coppermine", "intel-pentium-m", "intel-pentium-4", "intel-core-2", "cyrix-6x86",
          "cyrix-mii", "idt-winchip", "via-c3", "transmeta-crusoe", "intel-pentium-a-step", "unknown-vendor"})
        EXPECT_NE(std::find(names.begin(), names.end(), required), names.end()) << required;
}

// ---- Cyrix parts with CPUID switched off ----

TEST(IdentifyProcessor, SwitchesCpuidOnThroughCcr4OnCyrix) {
    TestCpu os;
    UseFixture("cyrix-mii");
    ASSERT_FALSE(sim::Current().CpuidPresent());

    os.cpu.IdentifyProcessor();

    const sim::Machine& m = sim::Current();
    EXPECT_EQ(m.CyrixRegister(kCyrixCCR3) & 0x10, 0x10) << "extended registers opened";
    EXPECT_EQ(m.CyrixRegister(kCyrixCCR4) & 0x80, 0x80) << "CPUID switched on";
    ASSERT_EQ(m.GrantedPorts().size(), 1u);
    EXPECT_EQ(m.GrantedPorts()[0], std::make_pair(uint16_t{0x22}, uint16_t{0x23}));
    EXPECT_TRUE(os.cpu.ProcessorInfo.CpuidAvailable);
    EXPECT_EQ(os.cpu.ProcessorInfo.ProcessorName, "Cyrix MII");
}

TEST(IdentifyProcessor, LeavesTheRecordEmptyWithoutCpuidOrCyrixDivision) {
    TestCpu os;
    std::string profile = CpuidFixture("cyrix-6x86");
    profile.replace(profile.find("CyrixDivideQuirk=yes"), 20, "CyrixDivideQuirk=no");
    UseMachine(profile);

    os.cpu.IdentifyProcessor();

    EXPECT_FALSE(os.cpu.ProcessorInfo.CpuidAvailable);
    EXPECT_EQ(os.cpu.ProcessorInfo.ProcessorName, "");
    EXPECT_EQ(os.cpu.ProcessorInfo.VendorString, "");
    EXPECT_EQ(sim::Current().CyrixRegister(kCyrixCCR4), 0) << "no port touched on a non-Cyrix part";
    EXPECT_TRUE(sim::Current().GrantedPorts().empty());
}

TEST(IdentifyProcessor, CyrixWhoseCpuidStaysOffIsLeftEmpty) {
    TestCpu os;
    std::string profile = CpuidFixture("cyrix-mii");
    profile.replace(profile.find("Available=after-ccr4"), 20, "Available=no");
    UseMachine(profile);

    os.cpu.IdentifyProcessor();

    EXPECT_FALSE(os.cpu.ProcessorInfo.CpuidAvailable);
    EXPECT_EQ(os.cpu.ProcessorInfo.ProcessorName, "");
    EXPECT_EQ(sim::Current().CyrixRegister(kCyrixCCR4) & 0x80, 0x80) << "the switch-on was still tried";
}

// ---- vendor rules ----

TEST(IdentifyProcessor, CentaurHaulsIsIdtBelowFamily6AndViaFrom6) {
    TestCpu os;
    UseFixture("idt-winchip");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.VendorCode, kVendorIDT);
    EXPECT_EQ(VendorDisplayName(os.cpu.ProcessorInfo.VendorCode), "IDT");

    UseFixture("via-c3");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.VendorCode, kVendorVIA);
    EXPECT_EQ(VendorDisplayName(os.cpu.ProcessorInfo.VendorCode), "VIA");
}

TEST(IdentifyProcessor, HighLevelWithoutKnownVendorIsPentiumAStep) {
    TestCpu os;
    UseFixture("intel-pentium-a-step");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.MaxStandardLevel, 0x513u);
    EXPECT_EQ(os.cpu.ProcessorInfo.VendorCode, kVendorIntel);
    EXPECT_EQ(os.cpu.ProcessorInfo.Family, 5);
    EXPECT_EQ(os.cpu.ProcessorInfo.Model, 0);
    EXPECT_EQ(os.cpu.ProcessorInfo.Stepping, 0) << "leaf 1 is not asked above level 500h";
    EXPECT_EQ(os.cpu.ProcessorInfo.FeatureFlags, 0x1BFu);
    EXPECT_EQ(os.cpu.ProcessorInfo.ProcessorName, "Pentium A-step");
}

TEST(IdentifyProcessor, HighLevelOfAKnownVendorKeepsTheVendorWithoutSignature) {
    TestCpu os;
    // Leaf 1 is skipped for any level above 500h, but only an unknown vendor becomes an A-step.
    std::string profile = CpuidFixture("amd-athlon-xp-barton");
    profile.replace(profile.find("0=00000001"), 10, "0=00000513");
    UseMachine(profile);
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.VendorCode, kVendorAMD);
    EXPECT_EQ(os.cpu.ProcessorInfo.Family, 0);
    EXPECT_EQ(os.cpu.ProcessorInfo.FeatureFlags, 0u);
    EXPECT_EQ(os.cpu.ProcessorInfo.ProcessorName, "unknown");
}

TEST(VendorCodeOf, EveryVendorStringOfTheTable) {
    EXPECT_EQ(VendorCodeOf("AuthenticAMD"), 0);
    EXPECT_EQ(VendorCodeOf("CyrixInstead"), 1);
    EXPECT_EQ(VendorCodeOf("GenuineIntel"), 2);
    EXPECT_EQ(VendorCodeOf("CentaurHauls"), 3);
    EXPECT_EQ(VendorCodeOf("NexGenDriven"), 4);
    EXPECT_EQ(VendorCodeOf("UMC UMC UMC "), 5);
    EXPECT_EQ(VendorCodeOf("GenuineTMx86"), 6);
    EXPECT_EQ(VendorCodeOf("SiS SiS SiS "), 9);
    EXPECT_EQ(VendorCodeOf("RiseRiseRise"), 10);
    EXPECT_EQ(VendorCodeOf("Geode by NSC"), 11);
    EXPECT_EQ(VendorCodeOf("genuineintel"), 8) << "compared exactly";
    EXPECT_EQ(VendorCodeOf("UMC UMC UMC"), 8) << "the trailing blank belongs to the string";
    EXPECT_EQ(VendorCodeOf(""), 8);
}

// ---- brand string ----

hw::CpuidRegisters Piece(const char* text16) {
    hw::CpuidRegisters r{};
    std::memcpy(&r, text16, 16);
    return r;
}

TEST(BrandString, PiecesAreCutAtTheirFirstZeroAndTrimmed) {
    EXPECT_EQ(BrandPiece(Piece("AMD Athlon\0xxxxx")), "AMD Athlon");
    EXPECT_EQ(BrandPiece(Piece("0123456789ABCDEF")), "0123456789ABCDEF") << "a full piece has no terminator";
    EXPECT_EQ(TrimBrand("   \t Intel(R) CPU \r\n\x01"), "Intel(R) CPU");
    EXPECT_EQ(TrimBrand("  "), "");
}

TEST(BrandString, APieceCutShortDoesNotEndTheLaterPieces) {
    TestCpu os;
    UseMachine(
        "[CPUID]\n0=00000001 68747541 444D4163 69746E65\n1=00000681 0 0 0383FBFF\n"
        "80000000=80000004 0 0 0\n"
        "80000002=20444D41 00000000 41414141 41414141\n"  // "AMD " then a zero: the rest is dropped
        "80000003=6C687441 00006E6F 00000000 00000000\n"  // "Athlon"
        "80000004=00000000 00000000 00000000 00000000\n");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.BrandString, "AMD Athlon");
}

TEST(BrandString, NeedsExtendedLevel80000004WithBit31) {
    TestCpu os;
    // A processor that echoes the standard level for extended leaves has no brand string.
    UseMachine(
        "[CPUID]\n0=00000002 756E6547 6C65746E 49656E69\n1=00000683 0 0 0383FBFF\n"
        "80000000=00000002 0 0 0\n80000002=41414141 0 0 0\n");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.MaxExtendedLevel, 2u);
    EXPECT_EQ(os.cpu.ProcessorInfo.BrandString, "");

    UseMachine(
        "[CPUID]\n0=00000002 756E6547 6C65746E 49656E69\n1=00000683 0 0 0383FBFF\n"
        "80000000=80000003 0 0 0\n80000002=41414141 0 0 0\n");
    os.cpu.IdentifyProcessor();
    EXPECT_EQ(os.cpu.ProcessorInfo.BrandString, "") << "80000004 is needed too";
}

// ---- L2 size ----

TEST(L2CacheSize, LastDescriptorWinsAndFlaggedRegistersAreSkipped) {
    EXPECT_EQ(L2SizeFromDescriptors({0x03020101, 0, 0, 0x0C040843}), 512);
    EXPECT_EQ(L2SizeFromDescriptors({0x03020101, 0, 0, 0x0C040840}), 0);
    EXPECT_EQ(L2SizeFromDescriptors({0x03020101, 0, 0, 0x0C040882}), 0) << "82h is not one of 40h-45h";
    EXPECT_EQ(L2SizeFromDescriptors({0x43020101, 0x00000041, 0, 0}), 128) << "EBX comes after EAX";
    EXPECT_EQ(L2SizeFromDescriptors({0x00000001, 0x00004544, 0, 0}), 2048) << "higher bytes come later";
    EXPECT_EQ(L2SizeFromDescriptors({0x00000001, 0x80000044, 0, 0}), 0) << "bit 31 set: register skipped";
    EXPECT_EQ(L2SizeFromDescriptors({0x00000042, 0, 0, 0}), 0) << "the low byte of EAX is the repeat count";
    EXPECT_EQ(L2SizeFromDescriptors({0x00000001, 0x00000042, 0, 0x00000040}), 0) << "a later 40h cancels";
}

TEST(NameProcessor, AsksForTheL2SizeOnlyForTheRowsThatNeedItAndOnlyOnce) {
    int asked = 0;
    auto l2 = [&] {
        ++asked;
        return 128;
    };
    TProcessorInfo p;
    p.VendorCode = kVendorIntel;
    p.Family = 6;
    p.Model = 8;
    NameProcessor(p, l2);
    EXPECT_EQ(p.ProcessorName, "Celeron");
    EXPECT_EQ(p.CodeName, "Coppermine");
    EXPECT_EQ(asked, 1);

    asked = 0;
    p.Model = 9;
    NameProcessor(p, l2);
    EXPECT_EQ(p.ProcessorName, "Pentium M");
    EXPECT_EQ(asked, 0);

    p.VendorCode = kVendorAMD;
    p.Model = 8;
    NameProcessor(p, l2);
    EXPECT_EQ(p.ProcessorName, "Athlon XP");
    EXPECT_EQ(asked, 0);
}

TEST(NameProcessor, ConditionsOfStepAndL2Rows) {
    struct Case {
        int vendor, family, model, stepping, l2;
        const char* name;
        const char* code;
    };
    const Case cases[] = {
        {kVendorIntel, 6, 5, 0, 0, "Celeron", "Covington"},
        {kVendorIntel, 6, 5, 0, 512, "Pentium II", "Deschutes"},
        {kVendorIntel, 6, 6, 0, 128, "Celeron", "Mendocino"},
        {kVendorIntel, 6, 6, 0, 256, "Mobile Pentium II", ""},
        {kVendorIntel, 6, 7, 0, 512, "Pentium III", "Katmai"},
        {kVendorIntel, 6, 7, 0, 128, "Celeron", "Katmai"},
        {kVendorIntel, 7, 0, 0, 0, "Itanium", "Merced"},
        {kVendorIntel, 7, 3, 0, 0, "Itanium", ""},
        {kVendorIntel, 15, 3, 0, 0, "Pentium 4E", "Prescott"},
        {kVendorIntel, 15, 4, 0, 0, "Celeron", "Prescott"},
        {kVendorIntel, 15, 5, 0, 0, "unknown", ""},
        {kVendorAMD, 5, 13, 3, 0, "K6-III+", ""},
        {kVendorAMD, 5, 13, 7, 0, "K6-2+", ""},
        {kVendorAMD, 5, 13, 8, 0, "unknown", ""},
        {kVendorAMD, 6, 2, 0, 0, "Athlon", "K75"},
        {kVendorAMD, 15, 11, 0, 0, "Athlon 64", "0.13 \xB5m 939"},
        {kVendorAMD, 15, 13, 0, 0, "Athlon 64", ""},
        {kVendorIDT, 5, 8, 6, 0, "WinChip 2", ""},
        {kVendorIDT, 5, 8, 7, 0, "WinChip 2A", ""},
        {kVendorIDT, 5, 8, 10, 0, "WinChip 2B", ""},
        {kVendorVIA, 6, 7, 7, 0, "VIA C3", "Samuel 2"},
        {kVendorVIA, 6, 7, 8, 0, "VIA C3", "Ezra"},
        {kVendorUMC, 4, 2, 0, 0, "U5S", ""},
        {kVendorNexGen, 5, 0, 0, 0, "unknown", ""},
    };
    for (const Case& c : cases) {
        TProcessorInfo p;
        p.VendorCode = c.vendor;
        p.Family = c.family;
        p.Model = c.model;
        p.Stepping = c.stepping;
        p.CodeName = "stale";
        NameProcessor(p, [&] { return c.l2; });
        EXPECT_EQ(p.ProcessorName, c.name) << c.vendor << "/" << c.family << "/" << c.model << "/" << c.stepping;
        EXPECT_EQ(p.CodeName, c.code) << c.vendor << "/" << c.family << "/" << c.model << "/" << c.stepping;
    }
}

}  // namespace
