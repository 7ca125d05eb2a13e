// Power broadcasts: their names in the log, and the hand-over to the companion on a suspend.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/power.h"
#include "common/log.h"

namespace {

// The texts of the log lines written while `body` runs (prefix up to the tab removed).
template <class F>
std::vector<std::string> LoggedTexts(F body) {
    std::remove(kLogFilePath);
    SetLogging(true);
    body();
    SetLogging(false);
    std::ifstream in(kLogFilePath, std::ios::binary);
    std::vector<std::string> texts;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        texts.push_back(line.substr(line.find('\t') + 1));
    }
    in.close();
    std::remove(kLogFilePath);
    return texts;
}

}  // namespace

TEST(PowerBroadcastName, KnownCodesAndTheRestInHexadecimal) {
    EXPECT_EQ(PowerBroadcastName(0), "PBT_APMQUERYSUSPEND");
    EXPECT_EQ(PowerBroadcastName(4), "PBT_APMSUSPEND");
    EXPECT_EQ(PowerBroadcastName(10), "PBT_APMPOWERSTATUSCHANGE");
    EXPECT_EQ(PowerBroadcastName(18), "PBT_APMRESUMEAUTOMATIC");
    EXPECT_EQ(PowerBroadcastName(5), "PBT_UNKNOWN (5)");
    EXPECT_EQ(PowerBroadcastName(0x8013), "PBT_UNKNOWN (8013)");
    EXPECT_EQ(PowerBroadcastName(26), "PBT_UNKNOWN (1A)");
    EXPECT_EQ(PowerBroadcastName(0xFFFFFFFF), "PBT_UNKNOWN (FFFFFFFF)");
}

TEST(Companion, CommandLineAndPath) {
    EXPECT_EQ(CompanionCommandLine("\"C:\\Program Files\\Quillar\\Quillar.exe\" /DEBUG"),
              "Hibernate.dll \"C:\\Program Files\\Quillar\\Quillar.exe\" /DEBUG");
    EXPECT_EQ(CompanionCommandLine("Quillar"), "Hibernate.dll Quillar");
    EXPECT_EQ(CompanionPath("C:\\Quillar\\"), "C:\\Quillar\\Hibernate.dll");
    EXPECT_EQ(CompanionPath("C:\\Quillar"), "C:\\Quillar\\Hibernate.dll");
}

TEST(PowerBroadcast, OtherCodesOnlyLog) {
    int started = 0;
    bool ends = true;
    const auto texts = LoggedTexts([&] {
        ends = PowerBroadcast(10, [&] {
            ++started;
            return CompanionStart{CompanionStart::Started, 0};
        });
        PowerBroadcast(0x8013, [&] { return CompanionStart{CompanionStart::Started, 0}; });
    });
    EXPECT_FALSE(ends);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(texts, (std::vector<std::string>{"Power PBT_APMPOWERSTATUSCHANGE", "Power PBT_UNKNOWN (8013)"}));
}

TEST(PowerBroadcast, SuspendStartsTheCompanionAndEndsEvenWhenItIsMissing) {
    const CompanionStart outcomes[] = {{CompanionStart::Started, 0},
                                       {CompanionStart::Missing, 2},
                                       {CompanionStart::Failed, 193}};
    const char* const lastLine[] = {"Loading HIBERNATE.DLL", "HIBERNATE.DLL not found in the program folder",
                                    "HIBERNATE.DLL could not be started, error 193"};
    for (int i = 0; i < 3; ++i) {
        int started = 0;
        bool ends = false;
        const auto texts = LoggedTexts([&] {
            ends = PowerBroadcast(kPowerSuspend, [&] {
                ++started;
                return outcomes[i];
            });
        });
        EXPECT_TRUE(ends);
        EXPECT_EQ(started, 1);
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[0], "Power PBT_APMSUSPEND");
        EXPECT_EQ(texts[1], "Loading HIBERNATE.DLL");
        EXPECT_EQ(texts.back(), lastLine[i]);
    }
    // Without logging the companion is started all the same.
    int started = 0;
    EXPECT_TRUE(PowerBroadcast(kPowerSuspend, [&] {
        ++started;
        return CompanionStart{CompanionStart::Started, 0};
    }));
    EXPECT_EQ(started, 1);
}
