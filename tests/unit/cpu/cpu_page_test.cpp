// The CPU information page: the report byte for byte, the unknown-processor request, the
// settings under "Optimize C&PU / Chipset", the picture, memory and clock, the picture
// names and the Windows version classes.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "app/form.h"
#include "app/languages.h"
#include "unit/core/fakes.h"
#include "unit/cpu/cpu_fixture.h"
#include "app/cpu_page.h"
#include "cpu/cpu_report.h"
#include "common/log.h"

using namespace cputest;

namespace {

FormServices WithProcessors(TestServices& services, ProcessorPlatform& processors) {
    services.processors = &processors;
    return services.Services();
}

class RecordingHost : public FakeHost {
public:
    struct Dialog {
        std::string text;
        DialogKind kind;
        unsigned buttons;
        int defaultResult;
    };
    std::vector<Dialog> shown;
    int MessageDialog(const std::string& text, DialogKind kind, unsigned buttons, int defaultResult,
                      int helpContext) override {
        shown.push_back(Dialog{text, kind, buttons, defaultResult});
        return FakeHost::MessageDialog(text, kind, buttons, defaultResult, helpContext);
    }
    std::string folder = "C:\\Program Files\\Quillar\\";
    std::string ProgramFolder() override { return folder; }
};

class CpuPage : public ::testing::Test {
protected:
    void SetUp() override {
        form.Loading = true;  // option handlers stay out of the way
        form.LabelTitle->SetCaption("Quillar Vantor");
        form.idle.ProcessorCount = 1;
    }
    void Fill(const std::string& fixture, bool optimize) {
        UseFixture(fixture);
        form.cbOptimize->SetChecked(optimize);
        FillCpuPage(form);
    }

    FakeProcessors os;
    TestServices services;
    RecordingHost host;
    TQuillarForm form{host, WithProcessors(services, os)};
    std::string& available = host.availablePicture;
    std::vector<std::string>& libraryPaths = host.libraryPaths;
    std::vector<std::string>& tried = host.triedPictures;
};

const char* const kHead = "1 Processor(s)\r\n\r\n";

TEST_F(CpuPage, AthlonReportHasNoPowerLines) {
    Fill("amd-athlon-xp-thoroughbred", true);
    EXPECT_EQ(form.lbMemo->Caption(), std::string("AMD Athlon(tm) XP 2400+\r\n\r\n") + kHead +
                                          "Vendor:\t\tAMD\r\n\r\n"
                                          "Family:\t\t6\r\nModel:\t\t8\r\nStepping:\t1\r\n\r\n"
                                          "Type:\t\tAthlon XP\r\nCodename:\tThoroughbred\r\n\r\n"
                                          "MMX:\t\tavailable\r\nSSE:\t\tavailable\r\nSSE2:\t\tnot available\r\n");
    EXPECT_TRUE(host.shown.empty());
    EXPECT_FALSE(form.LabelID->Visible());
    EXPECT_EQ(form.LabelMem->Caption(), "512 MB");
}

TEST_F(CpuPage, K6ReportShowsWriteAllocationAndBusDivider) {
    Fill("amd-k6-2", true);
    EXPECT_EQ(form.lbMemo->Caption(), std::string("AMD-K6(tm) 3D processor\r\n\r\n") + kHead +
                                          "Vendor:\t\tAMD\r\n\r\n"
                                          "Family:\t\t5\r\nModel:\t\t8\r\nStepping:\t12\r\n\r\n"
                                          "Type:\t\tK6-2 3DNow\r\nCodename:\t\r\n\r\n"
                                          "MMX:\t\tavailable\r\nSSE:\t\tnot available\r\nSSE2:\t\tnot available\r\n"
                                          "\r\n"
                                          "Write Allocation:\tenabled\r\nWt Alloc 15-16MB:\tenabled\r\n"
                                          "Bus frequency div:\t5.0x\r\n");
    EXPECT_EQ(form.LabelMem->Caption(), "256 MB");
}

TEST_F(CpuPage, OlderK6ReportWithoutOptimizing) {
    Fill("amd-k6", false);
    const std::string memo = form.lbMemo->Caption();
    EXPECT_NE(memo.find("SSE2:\t\tnot available\r\n\r\nWrite Allocation:\tdisabled\r\nWt Alloc 15-16MB:\tdisabled\r\n"),
              std::string::npos)
        << memo;
    EXPECT_EQ(memo.find("Bus frequency"), std::string::npos);
    EXPECT_EQ(sim::Current().RequestCount(drv::kWriteMsr), 0u) << "nothing applied while unticked";
}

TEST_F(CpuPage, PentiumIIIReportAfterOptimizing) {
    Fill("intel-pentium-iii-coppermine", true);
    EXPECT_EQ(form.lbMemo->Caption(), std::string(kHead) +
                                          "Vendor:\t\tIntel\r\n\r\n"
                                          "Family:\t\t6\r\nModel:\t\t8\r\nStepping:\t3\r\n\r\n"
                                          "Type:\t\tPentium III\r\nCodename:\tCoppermine\r\n\r\n"
                                          "MMX:\t\tavailable\r\nSSE:\t\tavailable\r\nSSE2:\t\tnot available\r\n"
                                          "\r\nAuto Hlt:\tenabled\r\n");
    EXPECT_EQ(sim::Current().Msr(0x33), 0x80000000u) << "one processor: the lock option applies";
}

TEST_F(CpuPage, PentiumIIShowsNoLockAndUntickedLeavesRegistersAlone) {
    Fill("intel-pentium-ii-deschutes", false);
    const std::string memo = form.lbMemo->Caption();
    EXPECT_NE(memo.find("SSE2:\t\tnot available\r\n\r\nAuto Hlt:\tdisabled\r\nNo Lock:\tdisabled\r\n"),
              std::string::npos)
        << memo;
    EXPECT_EQ(sim::Current().Msr(0x2A), 0xC1000000u);
}

TEST_F(CpuPage, PentiumMmxAutoHaltAndLowPower) {
    Fill("intel-pentium-mmx", false);
    EXPECT_NE(form.lbMemo->Caption().find("\r\n\r\nAuto HLT:\tdisabled\r\nLow Power:\tdisabled\r\n"),
              std::string::npos);
    form.lbMemo->SetCaption("");
    Fill("intel-pentium-mmx", true);
    EXPECT_NE(form.lbMemo->Caption().find("\r\n\r\nAuto HLT:\tenabled\r\nLow Power:\tenabled\r\n"),
              std::string::npos);
}

TEST_F(CpuPage, CyrixReportReadsItsConfigurationRegisters) {
    Fill("cyrix-mii", true);
    EXPECT_EQ(form.lbMemo->Caption(), std::string(kHead) +
                                          "Vendor:\t\tCyrix\r\n\r\n"
                                          "Family:\t\t6\r\nModel:\t\t0\r\nStepping:\t1\r\n\r\n"
                                          "Type:\t\tCyrix MII\r\nCodename:\tM2\r\n\r\n"
                                          "MMX:\t\tavailable\r\nSSE:\t\tnot available\r\nSSE2:\t\tnot available\r\n"
                                          "\r\nSuspend on HLT:\tenabled\r\nNo Lock:\t\tenabled\r\n"
                                          "Write Allocation:\tenabled\r\n");
    EXPECT_TRUE(sim::Current().Faults().empty());
}

TEST_F(CpuPage, CyrixWithCpuidAlreadyOnGetsItsPortsBeforeTheReport) {
    std::string profile = CpuidFixture("cyrix-mii");
    profile.replace(profile.find("Available=after-ccr4"), 20, "Available=yes");
    UseMachine(profile);
    FillCpuPage(form);  // unticked: no settings, so nobody else asked for the ports
    EXPECT_NE(form.lbMemo->Caption().find("Suspend on HLT:\tenabled"), std::string::npos);
    EXPECT_TRUE(sim::Current().Faults().empty()) << sim::Current().StateText();
}

TEST_F(CpuPage, IdtReport) {
    Fill("idt-winchip", true);
    EXPECT_NE(form.lbMemo->Caption().find("Vendor:\t\tIDT\r\n"), std::string::npos);
    EXPECT_NE(form.lbMemo->Caption().find("\r\n\r\nAuto Hlt:\tenabled\r\n"), std::string::npos);
}

TEST_F(CpuPage, UnknownProcessorIsReportedOnceAndNamedUnknown) {
    Fill("unknown-vendor", false);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text,
              "Quillar Vantor found a CPU that it didn't recognize. If you want to help improving Quillar, please "
              "send the following information to cpu-report@quillar.example:\r\n\r\n"
              "Vendor 8 (unknown), Familiy F, Model 0, Stepping 1");
    EXPECT_EQ(host.shown[0].kind, mtInformation);
    EXPECT_EQ(host.shown[0].buttons, unsigned{mbOK});
    EXPECT_EQ(host.shown[0].defaultResult, 1);
    EXPECT_NE(form.lbMemo->Caption().find("Type:\t\tunknown\r\nCodename:\t\r\n"), std::string::npos);
}

TEST_F(CpuPage, VendorsWithoutTheOriginalNamesAreReportedByTheirOwn) {
    Fill("nsc-geode", false);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_NE(host.shown[0].text.find("Vendor B (NSC), Familiy 5, Model 5, Stepping 2"), std::string::npos);
    EXPECT_NE(form.lbMemo->Caption().find("Vendor:\t\tNSC\r\n"), std::string::npos);
}

TEST_F(CpuPage, WithoutCpuidOnlyMemoryIsShown) {
    UseMachine("[Machine]\nPhysicalMemory=66977792\n[CPUID]\nAvailable=no\n");
    form.cbOptimize->SetChecked(true);
    form.LabelID->SetVisible(true);
    FillCpuPage(form);
    EXPECT_TRUE(form.LabelID->Visible());
    EXPECT_EQ(form.lbMemo->Caption(), "");
    EXPECT_TRUE(host.shown.empty()) << "an empty name is not an unknown one";
    EXPECT_TRUE(libraryPaths.empty());
    EXPECT_EQ(form.LabelMem->Caption(), "64 MB");
}

TEST_F(CpuPage, ThoroughbredTriesItsCodeNameFirstThenTheClass) {
    available = "AMD_ATHLON";
    Fill("amd-athlon-xp-thoroughbred", false);
    EXPECT_EQ(tried, (std::vector<std::string>{"AMD_K7_THOROUGHBRED", "AMD_ATHLON"}));
    ASSERT_EQ(libraryPaths.size(), 1u);
    EXPECT_EQ(libraryPaths[0], "C:\\Program Files\\Quillar\\Lumisca.dll") << "never by bare name";
    EXPECT_EQ(form.imCPU->Picture(), uintptr_t{0x4242});
    EXPECT_TRUE(form.imCPU->Visible());
    EXPECT_FALSE(form.LabelUnknown->Visible());
}

TEST_F(CpuPage, MissingPictureLeavesTheImageHiddenAndTheReportWritten) {
    available = "";
    form.LabelUnknown->SetVisible(true);
    Fill("intel-celeron-mendocino", false);
    EXPECT_EQ(tried, std::vector<std::string>{"INTEL_P3_CELERON"});
    EXPECT_EQ(form.imCPU->Picture(), uintptr_t{0});
    EXPECT_FALSE(form.imCPU->Visible());
    EXPECT_TRUE(form.LabelUnknown->Visible());
    EXPECT_NE(form.lbMemo->Caption().find("Type:\t\tCeleron"), std::string::npos);
}

TEST_F(CpuPage, NoProgramFolderNoLibrary) {
    host.folder = "";
    Fill("intel-pentium", false);
    EXPECT_TRUE(libraryPaths.empty());
}

// A language file whose state words are too long and whose report request has placeholders
// that do not fit its arguments.
class LongWords : public LanguagePlatform {
public:
    std::unique_ptr<ProfileReader> OpenProfile(const std::string&) override {
        return std::make_unique<IniProfileReader>(
            "[DEU]\n"
            "5062=eingeschaltet-und-zwar-wirklich-sehr-lang\n"
            "5063=ausgeschaltet\n"
            "5082=vorhanden\n"
            "5083=nicht vorhanden\n"
            "5070=%d ist kein Text\n");
    }
    std::string UserLanguageAbbrev() override { return "DEU"; }
};

TEST_F(CpuPage, TranslatedStateWordsAreCutTo32CharactersAndABadRequestFallsBackToEnglish) {
    LongWords language;
    SetLanguagePlatform(&language);
    SetLanguageFilePath("C:\\Quillar\\Quillar.exe");
    ASSERT_TRUE(OpenLanguageFile());
    Fill("unknown-vendor", false);
    Fill("intel-pentium-mmx", true);
    CloseLanguageFile();
    SetLanguagePlatform(nullptr);

    const std::string memo = form.lbMemo->Caption();
    EXPECT_NE(memo.find("MMX:\t\tvorhanden\r\nSSE:\t\tnicht vorhanden\r\n"), std::string::npos) << memo;
    EXPECT_NE(memo.find("Auto HLT:\teingeschaltet-und-zwar-wirklich-\r\n"), std::string::npos) << memo;
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text.rfind("Quillar Vantor found a CPU", 0), 0u) << host.shown[0].text;
}

TEST_F(CpuPage, ReportLineAndClockAreLogged) {
    const std::string log = kLogFilePath;
    std::remove(log.c_str());
    SetLogging(true);
    Fill("amd-athlon-xp-barton", false);
    FillClockPage(form);
    SetLogging(false);
    const std::string text = ReadText(log);
    std::remove(log.c_str());
    EXPECT_NE(text.find("\tCPU AMD 6 A 0 Athlon XP\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t1833 MHz\r\n"), std::string::npos) << text;
}

TEST_F(CpuPage, ClockPageShowsTheMeasuredClock) {
    UseFixture("intel-pentium-iii-coppermine");
    form.cpu.IdentifyProcessor();
    FillClockPage(form);
    EXPECT_EQ(form.LabelClock->Caption(), "866 MHz");
    EXPECT_TRUE(form.LabelClock->Visible());
}

TEST_F(CpuPage, ClockPageWithoutMeasurementStaysHidden) {
    UseFixture("cyrix-6x86");
    form.cpu.IdentifyProcessor();
    FillClockPage(form);
    EXPECT_FALSE(form.LabelClock->Visible());
}

TEST(AppendReportLine, AddsCrLf) {
    TestServices services;
    FakeHost host;
    TQuillarForm form{host, services.Services()};
    AppendReportLine(form, "a");
    AppendReportLine(form, "");
    AppendReportLine(form, "b\r\n");
    EXPECT_EQ(form.lbMemo->Caption(), "a\r\n\r\nb\r\n\r\n");
}

// ---- picture names ----

TProcessorInfo Cpu(int vendor, int family, int model, const char* codeName = "") {
    TProcessorInfo p;
    p.VendorCode = vendor;
    p.Family = family;
    p.Model = model;
    p.CodeName = codeName;
    return p;
}

TEST(PictureName, ClassesOfTheTable) {
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 6, "Mendocino")), "INTEL_P3_CELERON");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 5, "Deschutes")), "INTEL_P2");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 5, "Covington")), "INTEL_P2");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 3, "Klamath")), "INTEL_P2");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 7)), "INTEL_P3");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 11)), "INTEL_PENTIUM_M") << "models 9-13";
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 14)), "INTEL_CORE");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 15)), "INTEL_CORE2");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 6, 1)), "Intel") << "Pentium Pro has no picture of its own";
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 5, 9)), "INTEL_P5");
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 15, 2)), "Intel") << "family 15 keeps the vendor name";
    EXPECT_EQ(PictureName(Cpu(kVendorIntel, 4, 8)), "Intel");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 5, 3)), "AMD");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 5, 7)), "AMD_K6");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 5, 13)), "AMD_K6_3");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 6, 2)), "AMD_K7");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 6, 3)), "AMD_ATHLON");
    EXPECT_EQ(PictureName(Cpu(kVendorAMD, 15, 4)), "AMD");
    EXPECT_EQ(PictureName(Cpu(kVendorCyrix, 4, 4)), "CYRIX_MEDIAGX");
    EXPECT_EQ(PictureName(Cpu(kVendorCyrix, 5, 4)), "CYRIX_MEDIAGX");
    EXPECT_EQ(PictureName(Cpu(kVendorCyrix, 6, 5)), "CYRIX_III");
    EXPECT_EQ(PictureName(Cpu(kVendorVIA, 6, 7)), "VIA");
    EXPECT_EQ(PictureName(Cpu(kVendorRise, 5, 0)), "Rise");
    EXPECT_EQ(PictureName(Cpu(kVendorSiS, 5, 0)), "SiS");
}

TEST(PictureName, AmdCodeNamesAreUpperCasedAsciiOnly) {
    EXPECT_EQ(PictureCandidates(Cpu(kVendorAMD, 15, 4, "0.13 \xB5m 754")),
              (std::vector<std::string>{"AMD_K7_0.13 \xB5M 754", "AMD"}));
    EXPECT_EQ(PictureCandidates(Cpu(kVendorAMD, 5, 8)), (std::vector<std::string>{"AMD_K7_", "AMD_K6_2"}));
    EXPECT_EQ(PictureCandidates(Cpu(kVendorIntel, 6, 8, "Coppermine")), std::vector<std::string>{"INTEL_P3"});
}

TEST(VendorDisplayName, NamesAndOutOfRange) {
    const char* names[] = {"AMD", "Cyrix", "Intel", "IDT", "NexGen", "UMC", "TransMeta", "VIA", "unknown",
                           "SiS", "Rise", "NSC"};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(VendorDisplayName(i), names[i]);
    EXPECT_EQ(VendorDisplayName(12), "unknown");
    EXPECT_EQ(VendorDisplayName(-1), "unknown");
}

// ---- Windows version classes ----

TEST(WindowsVersionCode, EveryRowOfTheTable) {
    using V = ProcessorPlatform::Version;
    EXPECT_EQ(WindowsVersionCode(V{3, 10, 0, 0, ""}), 1);
    EXPECT_EQ(WindowsVersionCode(V{4, 0, 950, 1, ""}), 2);
    EXPECT_EQ(WindowsVersionCode(V{4, 0, 1111, 1, " B"}), 3);
    EXPECT_EQ(WindowsVersionCode(V{4, 0, 1111, 1, " C"}), 2);
    EXPECT_EQ(WindowsVersionCode(V{4, 10, 1998, 1, " "}), 4);
    EXPECT_EQ(WindowsVersionCode(V{4, 10, 2222, 1, " A "}), 5);
    EXPECT_EQ(WindowsVersionCode(V{4, 90, 0x045A0BB8, 1, " "}), 6);
    EXPECT_EQ(WindowsVersionCode(V{4, 90, 0x045A0BB9, 1, " "}), 0);
    EXPECT_EQ(WindowsVersionCode(V{4, 20, 0, 1, ""}), 7);
    EXPECT_EQ(WindowsVersionCode(V{3, 51, 1057, 2, ""}), 8);
    EXPECT_EQ(WindowsVersionCode(V{4, 0, 1381, 2, "Service Pack 6"}), 9);
    EXPECT_EQ(WindowsVersionCode(V{5, 0, 2195, 2, ""}), 10);
    EXPECT_EQ(WindowsVersionCode(V{5, 1, 2600, 2, ""}), 11);
    EXPECT_EQ(WindowsVersionCode(V{5, 2, 3790, 2, ""}), 13);
    EXPECT_EQ(WindowsVersionCode(V{5, 3, 0, 2, ""}), 12);
    EXPECT_EQ(WindowsVersionCode(V{6, 1, 7601, 2, ""}), 14);
    EXPECT_EQ(WindowsVersionCode(V{10, 0, 19045, 2, ""}), 0);
    EXPECT_EQ(WindowsVersionCode(V{6, 0, 0, 3, ""}), 0) << "Windows CE";
}

TEST(WindowsVersionCode, AsksThePlatform) {
    FakeProcessors os;
    os.version = ProcessorPlatform::Version{5, 1, 2600, 2, "Service Pack 3"};
    EXPECT_EQ(WindowsVersionCode(os), 11);
    os.versionWorks = false;
    EXPECT_EQ(WindowsVersionCode(os), 0);
}

}  // namespace

namespace {

// ---- the picture library holds a bitmap for every name the page can ask for ----

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

TEST(PictureLibrary, HasABitmapForEveryNameThePageAsksFor) {
    const std::string rc = ReadText(std::string(QUILLAR_FIXTURES) + "/../../tools/lumisca/lumisca.rc");
    ASSERT_FALSE(rc.empty());
    std::set<std::string> held;
    std::istringstream lines(rc);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(" BITMAP ");
        if (at == std::string::npos || line.rfind("//", 0) == 0) continue;
        std::string name = line.substr(0, at);
        if (name.size() >= 2 && name.front() == '"') name = name.substr(1, name.size() - 2);
        held.insert(UpperAscii(name));  // resource names are found without regard to case
    }

    std::set<std::string> asked;
    for (int vendor = 0; vendor <= 11; ++vendor)
        for (int family = 0; family <= 15; ++family)
            for (int model = 0; model <= 15; ++model)
                for (int stepping = 0; stepping <= 15; ++stepping)
                    for (int l2 : {0, 128, 512}) {
                        TProcessorInfo p;
                        p.VendorCode = vendor;
                        p.Family = family;
                        p.Model = model;
                        p.Stepping = stepping;
                        NameProcessor(p, [&] { return l2; });
                        for (const std::string& name : PictureCandidates(p))
                            if (name != "AMD_K7_") asked.insert(UpperAscii(name));  // no code name: nothing to find
                    }
    for (const std::string& name : asked) EXPECT_EQ(held.count(name), 1u) << name;
    EXPECT_EQ(held.count("INTEL_P4"), 1u);
    EXPECT_GE(asked.size(), 40u);
}

// ---- the three machine profiles ----

TEST(MachineProfiles, EachNamesItsProcessor) {
    struct Case {
        const char* file;
        const char* name;
        const char* codeName;
        const char* memory;
    };
    for (const Case& c : {Case{"pentium3-440bx", "Pentium III", "Coppermine", "256 MB"},
                          Case{"athlon-nforce2", "Athlon XP", "Barton", "512 MB"},
                          Case{"k6-2", "K6-2 3DNow", "", "256 MB"}}) {
        TestServices services;
        FakeHost host;
        TQuillarForm form{host, services.Services()};
        form.Loading = true;
        UseMachine(MachineFixture(c.file));
        FillCpuPage(form);
        EXPECT_EQ(form.cpu.ProcessorInfo.ProcessorName, c.name) << c.file;
        EXPECT_EQ(form.cpu.ProcessorInfo.CodeName, c.codeName) << c.file;
        EXPECT_EQ(form.LabelMem->Caption(), c.memory) << c.file;
        EXPECT_TRUE(host.dialogs.empty()) << c.file;
        EXPECT_NE(sim::Current().PciRead({0, 0, 0}, 0), 0xFFFFFFFFu) << c.file << ": a host bridge";
    }
}

}  // namespace
