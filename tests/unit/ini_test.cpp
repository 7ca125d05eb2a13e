// The ini reader splits lines itself: every line ending and the last unterminated line count.
#include <gtest/gtest.h>

#include "common/ini.h"

TEST(IniText, LinesEndingsCommentsAndRepeatedSections) {
    const IniText ini = IniText::Parse(
        "; comment\r\n[One]\r\na = 1 \r\n\r\n# also a comment\nb=2 ; trailing\n[two]\nc=3\n[ONE]\nA=4\n\n[Last]\nz=end");
    ASSERT_EQ(ini.sections.size(), 3u);
    EXPECT_EQ(ini.Get("one", "a"), "4");  // the repeated section and key replace the value
    EXPECT_EQ(ini.Get("One", "b"), "2");
    EXPECT_EQ(ini.Get("TWO", "c"), "3");
    EXPECT_EQ(ini.Get("Last", "z"), "end");  // no line break after the last line
    EXPECT_FALSE(ini.Has("One", "# also a comment"));
    EXPECT_EQ(IniText::Parse(ini.Text()).Text(), ini.Text());
}

TEST(IniText, EmptyAndKeylessTextsGiveNothing) {
    EXPECT_TRUE(IniText::Parse("").sections.empty());
    EXPECT_TRUE(IniText::Parse("\n\r\n\n").sections.empty());
    const IniText ini = IniText::Parse("x=1\n[S]\nno equals sign\r");
    ASSERT_EQ(ini.sections.size(), 1u);
    EXPECT_TRUE(ini.sections[0].entries.empty());
}
