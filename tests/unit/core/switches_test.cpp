#include <gtest/gtest.h>

#include "app/form.h"
#include "app/switches.h"

namespace {

TEST(Switches, DashOrSlashAndAnyCase) {
    const std::vector<std::string> args = {"-on", "/DEBUG", "Delay", "--off", "/"};
    EXPECT_TRUE(HasSwitch(args, "ON"));
    EXPECT_TRUE(HasSwitch(args, "debug"));
    EXPECT_FALSE(HasSwitch(args, "DELAY")) << "a switch needs its '-' or '/'";
    EXPECT_FALSE(HasSwitch(args, "OFF")) << "'--off' is not 'OFF'";
    EXPECT_FALSE(HasSwitch(args, ""));
}

TEST(Switches, SecondInstanceMessageChoice) {
    EXPECT_EQ(ForwardedMessage({"/off"}), MSG_COOLING_OFF);
    EXPECT_EQ(ForwardedMessage({"-On", "-Off"}), MSG_COOLING_ON);
    EXPECT_EQ(ForwardedMessage({"-Off", "/on"}), MSG_COOLING_ON) << "ON is tested first";
    EXPECT_EQ(ForwardedMessage({}), MSG_SHOW_OPTIONS);
    EXPECT_EQ(ForwardedMessage({"/DEBUG"}), MSG_SHOW_OPTIONS);
}

TEST(Switches, CommandLineSplitsLikeTheRuntime) {
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Quillar\\Quillar.exe\" /DEBUG  -on"),
              (std::vector<std::string>{"C:\\Program Files\\Quillar\\Quillar.exe", "/DEBUG", "-on"}));
    EXPECT_EQ(SplitCommandLine("a\\\\\"b c\" d"), (std::vector<std::string>{"a\\b c", "d"}));
    EXPECT_EQ(SplitCommandLine("x \\\"y"), (std::vector<std::string>{"x", "\"y"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

}  // namespace
