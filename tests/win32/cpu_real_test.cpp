// The processor paths on this machine's own processor: the real CPUID, EFLAGS, division and
// time-stamp instructions (the real back end's own instruction code), decoded by
// the program's own decoder; the Windows services behind timing; and the picture library
// mapped as data.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/format.h"
#include "app/form_win32.h"
#include "cpu/cpu_report.h"
#include "cpu/cpuid.h"
#include "hw/backend.h"
#include "hw/timing.h"
#include "hw/x86_instructions.h"
#include "sim/machine.h"

namespace {

// The tiny adapter: this processor's leaves written as a machine profile, so that the
// program's own identification runs over exactly what the instruction returned.
std::string ProfileOfThisProcessor() {
    std::string profile = "[Machine]\nName=this machine\n[CPUID]\nAvailable=yes\n";
    auto leaf = [&](uint32_t n) {
        hw::CpuidRegisters r = x86::Cpuid(n);
        profile += Format("%x=%.8x %.8x %.8x %.8x\n", {n, r.eax, r.ebx, r.ecx, r.edx});
        return r.eax;
    };
    const uint32_t level = leaf(0);
    for (uint32_t n = 1; n <= 2 && n <= level; ++n) leaf(n);
    const uint32_t extended = leaf(0x80000000u);
    for (uint32_t n = 0x80000001u; n <= 0x80000004u && n <= extended && (extended & 0x80000000u); ++n) leaf(n);
    return profile;
}

TEST(RealProcessor, InstructionsRunWithoutFault) {
    EXPECT_TRUE(x86::CpuidToggles()) << "every processor that runs this system has CPUID";
    EXPECT_FALSE(x86::DivisionKeepsFlags()) << "not a Cyrix part";
    const uint64_t a = x86::ReadTimeStamp();
    Sleep(20);
    const uint64_t b = x86::ReadTimeStamp();
    EXPECT_GT(b, a);
}

TEST(RealProcessor, DecodesThisProcessor) {
    const std::string profile = ProfileOfThisProcessor();
    sim::SetCurrent(sim::Machine::FromProfile(profile));
    TCpu cpu(SystemProcessorPlatform());
    cpu.IdentifyProcessor();

    const TProcessorInfo& p = cpu.ProcessorInfo;
    std::printf("%s", profile.c_str());
    std::printf("vendor \"%s\" code %d (%s), family %d model %d stepping %d, features %08X\n",
                p.VendorString.c_str(), p.VendorCode, VendorDisplayName(p.VendorCode).c_str(), p.Family, p.Model,
                p.Stepping, p.FeatureFlags);
    std::printf("brand \"%s\", name \"%s\", code name \"%s\", picture %s\n", p.BrandString.c_str(),
                p.ProcessorName.c_str(), p.CodeName.c_str(), PictureName(p).c_str());

    EXPECT_TRUE(p.CpuidAvailable);
    EXPECT_EQ(p.VendorString.size(), 12u);
    EXPECT_FALSE(p.ProcessorName.empty()) << "a name from the table or \"unknown\"";
    EXPECT_NE(p.FeatureFlags & kFeatureTSC, 0u);
    EXPECT_LE(p.BrandString.size(), 48u);
    if (!p.BrandString.empty()) {
        EXPECT_NE(p.BrandString.front(), ' ');
        EXPECT_NE(p.BrandString.back(), ' ');
    }
}

// ---- the Windows services behind timing ----

TEST(RealTiming, PreciseClockFromThisMachinesCounters) {
    ProcessorPlatform& os = SystemProcessorPlatform();
    int64_t f = 0, q0 = 0, q1 = 0;
    ASSERT_TRUE(os.QueryFrequency(f));
    ASSERT_TRUE(os.QueryCounter(q0));
    const uint64_t t0 = x86::ReadTimeStamp();
    os.Sleep(50);
    ASSERT_TRUE(os.QueryCounter(q1));
    const uint64_t t1 = x86::ReadTimeStamp();
    const int32_t mhz = ClockFromCounters(t1 - t0, q1 - q0, f);
    std::printf("performance counter %lld Hz, time-stamp clock %d MHz\n", static_cast<long long>(f), mhz);
    EXPECT_GT(mhz, 100);
    EXPECT_LT(mhz, 10000);
}

TEST(RealTiming, ProcessAffinityIsSetAndRestored) {
    ProcessorPlatform& os = SystemProcessorPlatform();
    uint32_t saved = 0;
    ASSERT_TRUE(os.GetProcessAffinity(saved));
    ASSERT_NE(saved, 0u);
    EXPECT_TRUE(os.SetProcessAffinity(1));
    uint32_t now = 0;
    EXPECT_TRUE(os.GetProcessAffinity(now));
    EXPECT_EQ(now, 1u);
    EXPECT_TRUE(os.SetProcessAffinity(saved));
    EXPECT_TRUE(os.GetProcessAffinity(now));
    EXPECT_EQ(now, saved);
}

TEST(RealTiming, TickCountAdvancesAcrossASleep) {
    ProcessorPlatform& os = SystemProcessorPlatform();
    const uint32_t a = os.TickCount();
    os.Sleep(100);
    EXPECT_GE(os.TickCount() - a, 80u) << "the tick count moves in steps of about 16 ms";
}

TEST(RealTiming, VersionOfThisSystem) {
    ProcessorPlatform::Version v;
    ASSERT_TRUE(SystemProcessorPlatform().GetVersion(v));
    std::printf("platform %u, version %u.%u build %u, \"%s\": code %d\n", v.platform, v.major, v.minor, v.build,
                v.servicePack.c_str(), WindowsVersionCode(SystemProcessorPlatform()));
    EXPECT_EQ(v.platform, 2u);
    EXPECT_EQ(WindowsVersionCode(SystemProcessorPlatform()), WindowsVersionCode(v));
}

// ---- the picture library ----

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\') + 1);
}

// Lumisca.dll beside the program (the build puts it in the folder above the tests).
std::string LibraryPath() {
    for (const std::string& candidate : {ExeFolder() + "Lumisca.dll", ExeFolder() + "..\\Lumisca.dll"})
        if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) {
            char full[MAX_PATH] = {};
            GetFullPathNameA(candidate.c_str(), MAX_PATH, full, nullptr);
            return full;
        }
    return {};
}

SIZE BitmapSize(uintptr_t handle) {
    BITMAP bm{};
    GetObjectA(reinterpret_cast<HBITMAP>(handle), sizeof bm, &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

TEST(PictureLibrary, LoadsTheFirstNameItHolds) {
    const std::string path = LibraryPath();
    ASSERT_FALSE(path.empty()) << "Lumisca.dll is built beside the tests";
    const uintptr_t picture = LoadPictureFromLibrary(path, {"AMD_K7_NOSUCHCORE", "AMD_ATHLON"});
    ASSERT_NE(picture, 0u);
    const SIZE s = BitmapSize(picture);
    EXPECT_EQ(s.cx, 96);
    EXPECT_EQ(s.cy, 96);
    DeleteObject(reinterpret_cast<HBITMAP>(picture));
    EXPECT_EQ(GetModuleHandleA("Lumisca.dll"), nullptr) << "the library is freed after the load";
}

TEST(PictureLibrary, FindsNamesWithoutRegardToCaseAndWithTheMicroSign) {
    const std::string path = LibraryPath();
    ASSERT_FALSE(path.empty()) << "Lumisca.dll is built beside the tests";
    for (const char* name : {"unknown", "TransMeta", "Intel", "INTEL_P4", "AMD_K7_0.13 \xB5M 754"}) {
        const uintptr_t picture = LoadPictureFromLibrary(path, {name});
        EXPECT_NE(picture, 0u) << name;
        if (picture) DeleteObject(reinterpret_cast<HBITMAP>(picture));
    }
    EXPECT_EQ(LoadPictureFromLibrary(path, {"NO_SUCH_PICTURE"}), 0u);
}

TEST(PictureLibrary, OnlyAFullPathIsLoaded) {
    const std::string path = LibraryPath();
    ASSERT_FALSE(path.empty()) << "Lumisca.dll is built beside the tests";
    // A library of that name in the current folder must never be picked up by a bare name.
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(path.substr(0, path.find_last_of('\\')).c_str());
    EXPECT_EQ(LoadPictureFromLibrary("Lumisca.dll", {"AMD"}), 0u);
    EXPECT_EQ(LoadPictureFromLibrary(".\\Lumisca.dll", {"AMD"}), 0u);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(LoadPictureFromLibrary("C:\\no\\such\\folder\\Lumisca.dll", {"AMD"}), 0u);
}

}  // namespace
