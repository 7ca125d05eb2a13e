#include <gtest/gtest.h>

#include <cstddef>

#include "hw/driver.h"
#include "sim/machine.h"

namespace {

void UseMachine(const std::string& profile) { sim::SetCurrent(sim::Machine::FromProfile(profile)); }

TEST(DriverProtocol, RequestBlockIsFourLittleEndianWords) {
    static_assert(sizeof(hw::RequestBlock) == 16);
    static_assert(offsetof(hw::RequestBlock, word) == 0);
    hw::RequestBlock b{{70, 1, 2, 3}};
    const auto* bytes = reinterpret_cast<const unsigned char*>(&b);
    EXPECT_EQ(bytes[0], 70);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[12], 3);
    EXPECT_EQ(drv::kIoControlCode, 0x9C406000u);
}

TEST(DriverProtocol, MissingDeviceAndWrongVersionRaiseTheirTexts) {
    UseMachine("[Machine]\nDriver=missing\n");
    try {
        OpenDriver();
        FAIL() << "no exception";
    } catch (const EHardwareException& e) {
        EXPECT_STREQ(e.what(), "Couldn't open Quillar driver, make sure to reboot after installation!");
    }
    UseMachine("[Machine]\nDriverVersion=FF\n");
    try {
        OpenDriver();
        FAIL() << "no exception";
    } catch (const EHardwareException& e) {
        EXPECT_STREQ(e.what(), "Quillar driver doesn't have expected version.");
    }
    CloseDriver();
}

TEST(DriverProtocol, RequestsFailWhileClosedAndCarryRepliesWhenOpen) {
    UseMachine("[MSR]\n2A=00000001 C4000000\n");
    CloseDriver();
    EXPECT_FALSE(DriverRequest(drv::kReadMsr, 0x2A, 0, 0));
    OpenDriver();
    hw::RequestBlock reply{{0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF}};
    ASSERT_TRUE(DriverRequest(drv::kReadMsr, 0x2A, 0, 0, &reply));
    EXPECT_EQ(reply.word[0], 0xC4000000u);
    EXPECT_EQ(reply.word[1], 1u);
    ASSERT_TRUE(DriverRequest(drv::kWriteMsr, 0x2A, 0x11, 0x22));
    EXPECT_EQ(sim::Current().Msr(0x2A), 0x0000002200000011ull);
    DriverHalt();
    EXPECT_EQ(sim::Current().RequestCount(drv::kHalt), 1u);
    EXPECT_EQ(sim::Current().RequestCount(drv::kVersion), 1u);
    CloseDriver();
}

}  // namespace
