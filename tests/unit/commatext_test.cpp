#include <gtest/gtest.h>

#include "app/commatext.h"

using Items = std::vector<std::string>;

TEST(CommaText, WritesItemsQuotingOnlyThoseThatNeedIt) {
    EXPECT_EQ(CommaText({"Media Player", "Viewer"}), "\"Media Player\",Viewer");
    EXPECT_EQ(CommaText({}), "");
    EXPECT_EQ(CommaText({""}), "\"\"");
    EXPECT_EQ(CommaText({"a", "", "b"}), "a,,b");  // empty items among others stay bare
    EXPECT_EQ(CommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CommaText({"a,b"}), "\"a,b\"");
    EXPECT_EQ(CommaText({"tab\there"}), "\"tab\there\"");
    EXPECT_EQ(CommaText({"x\x01y"}), "\"x\x01y\"");
    // Characters above 127 are ordinary.
    EXPECT_EQ(CommaText({"Gr\xF6\xDF" "e", "\xB0" "C"}), "Gr\xF6\xDF" "e,\xB0" "C");
}

TEST(CommaText, ReadsQuotedAndBareItems) {
    EXPECT_EQ(SplitCommaText("\"Media Player\",Viewer"), (Items{"Media Player", "Viewer"}));
    // Unquoted, a blank ends an item: the stored text Media Player is two items.
    EXPECT_EQ(SplitCommaText("Media Player"), (Items{"Media", "Player"}));
    EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\""), (Items{"say \"hi\""}));
    EXPECT_EQ(SplitCommaText("\"\""), (Items{""}));
    EXPECT_EQ(SplitCommaText(""), Items{});
    EXPECT_EQ(SplitCommaText("   \t  "), Items{});
    EXPECT_EQ(SplitCommaText("  a ,  b"), (Items{"a", "b"}));
    EXPECT_EQ(SplitCommaText("a\r\nb"), (Items{"a", "b"}));
}

TEST(CommaText, EmptyItemsAndTrailingCommas) {
    EXPECT_EQ(SplitCommaText("a,"), (Items{"a", ""}));
    EXPECT_EQ(SplitCommaText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaText(",a"), (Items{"", "a"}));
    EXPECT_EQ(SplitCommaText(","), (Items{"", ""}));
    // Only a comma that is the very last character adds an empty item.
    EXPECT_EQ(SplitCommaText("a, "), (Items{"a"}));
    // A character right after a closing quote begins the next item.
    EXPECT_EQ(SplitCommaText("\"a b\"c,d"), (Items{"a b", "c", "d"}));
    // An unterminated quote runs to the end, losing nothing.
    EXPECT_EQ(SplitCommaText("x,\"open end"), (Items{"x", "open end"}));
    // The text ends at a NUL.
    EXPECT_EQ(SplitCommaText(std::string("a,b\0c", 5)), (Items{"a", "b"}));
}

TEST(CommaText, RoundTripsAwkwardLists) {
    const std::vector<Items> lists = {
        {"Media Player", "Viewer"},
        {"", "x"},
        {"x", ""},
        {"", "", ""},
        {"\"", "\"\"", "a\"b"},
        {" lead", "trail ", "mid dle"},
        {"a,b", ",", "c"},
        {"Gr\xF6\xDF" "e"},
    };
    for (const Items& list : lists) EXPECT_EQ(SplitCommaText(CommaText(list)), list) << CommaText(list);
}
