#include <gtest/gtest.h>

#include "common/format.h"

TEST(Format, NumbersAndHexadecimal) {
    EXPECT_EQ(Format("No CPUs %d", {2}), "No CPUs 2");
    EXPECT_EQ(Format("%x", {255}), "FF");
    EXPECT_EQ(Format("%.2x", {10}), "0A");
    EXPECT_EQ(Format("%.4x", {0x1106}), "1106");
    EXPECT_EQ(Format("%.8x", {0x1A}), "0000001A");
    EXPECT_EQ(Format("%.2d", {7}), "07");
    EXPECT_EQ(Format("%.2d", {123}), "123");
    // Negative numbers: %d keeps the sign before the zeros, %x shows the 32-bit pattern.
    EXPECT_EQ(Format("%.2d", {-1}), "-01");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("%.4x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("Southbridge %.2d %s %.4x", {-1, "VIA", -1}), "Southbridge -01 VIA FFFFFFFF");
    EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, TextsWidthsAndIndexes) {
    EXPECT_EQ(Format("Welcome! You are running %1s for the first time.", {"Quillar Vantor"}),
              "Welcome! You are running Quillar Vantor for the first time.");
    EXPECT_EQ(Format("(%s), current temperature: %d\xB0.", {"CPU", 48}), "(CPU), current temperature: 48\xB0.");
    EXPECT_EQ(Format("[%5s]", {"ab"}), "[   ab]");
    EXPECT_EQ(Format("[%-5s]", {"ab"}), "[ab   ]");
    EXPECT_EQ(Format("[%.2s]", {"abcdef"}), "[ab]");
    EXPECT_EQ(Format("%1:s %0:s", {"a", "b"}), "b a");
    EXPECT_EQ(Format("Vendor %x (%s), Familiy %x, Model %x, Stepping %x", {0x68747541, "AMD", 6, 8, 1}),
              "Vendor 68747541 (AMD), Familiy 6, Model 8, Stepping 1");
}

TEST(Format, MismatchesRaise) {
    EXPECT_THROW(Format("%d", {}), EFormatError);
    EXPECT_THROW(Format("%d", {"text"}), EFormatError);
    EXPECT_THROW(Format("%s", {5}), EFormatError);
    EXPECT_THROW(Format("%q", {5}), EFormatError);
    EXPECT_THROW(Format("50%", {}), EFormatError);
    // Numbers beyond any real pattern's: no gigabyte of blanks, no overflow.
    EXPECT_THROW(Format("%999999999s", {"a"}), EFormatError);
    EXPECT_THROW(Format("%2147483648d", {1}), EFormatError);
    EXPECT_THROW(Format("%.4294967296d", {1}), EFormatError);
    EXPECT_THROW(Format("%99999999999:s", {"a"}), EFormatError);
    EXPECT_EQ(Format("%1024s", {"a"}).size(), 1024u);
}

TEST(Format, AnOutsidePatternThatDoesNotFitFallsBack) {
    EXPECT_EQ(FormatWithFallback("Willkommen, %s!", "Welcome, %s!", {"Q"}), "Willkommen, Q!");
    EXPECT_EQ(FormatWithFallback("Willkommen, %d!", "Welcome, %s!", {"Q"}), "Welcome, Q!");
    EXPECT_EQ(FormatWithFallback("%s %s", "Welcome, %s!", {"Q"}), "Welcome, Q!");
    EXPECT_EQ(FormatWithFallback("%2000000000s", "Welcome, %s!", {"Q"}), "Welcome, Q!");
}

TEST(Rounding, HalvesGoToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(ZeroPad(5, 3), "005");
    EXPECT_EQ(ZeroPad(1234, 2), "1234");
}
