// The window watch's rules: matching titles against the list, the tick's state table, and
// the list's add and delete rules.
#include <gtest/gtest.h>

#include "unit/winwatch/fake_windows.h"

namespace {

uintptr_t Find(std::vector<std::string> titles, std::vector<std::string> names) {
    FakeWindows windows(std::move(titles));
    return FindListedWindow(windows, names);
}

}  // namespace

TEST(FindListedWindow, CaseSensitiveSubstringOfAnyName) {
    const std::vector<std::string> titles = {"Program Manager", "Song.mp3 - Media Player", "Untitled - Notepad"};
    EXPECT_EQ(Find(titles, {"Media Player"}), 2u);
    EXPECT_EQ(Find(titles, {"media Player"}), 0u);
    EXPECT_EQ(Find(titles, {"Viewer", "Notepad", "Media"}), 2u) << "first window in the system's order wins";
    EXPECT_EQ(Find(titles, {"Untitled - Notepad"}), 3u) << "a whole title matches";
    EXPECT_EQ(Find(titles, {"Notepad "}), 0u);
    EXPECT_EQ(Find(titles, {}), 0u);
    EXPECT_EQ(Find({}, {"Media"}), 0u);
}

TEST(FindListedWindow, EmptyNamesAndEmptyTitlesNeverMatch) {
    EXPECT_EQ(Find({"", "Title"}, {""}), 0u);
    EXPECT_EQ(Find({"", "Title"}, {"", "itl"}), 2u);
    FakeWindows windows({"a", "b"});
    FindListedWindow(windows, {"", ""});
    EXPECT_EQ(windows.titlesRead, 0u) << "no name can match, so no title needs reading";
}

TEST(FindListedWindow, OnlyTheFirst512CharactersOfATitleCount) {
    const std::string head(510, 'x');
    EXPECT_EQ(Find({head + "ABCD"}, {"AB"}), 1u);    // characters 511-512
    EXPECT_EQ(Find({head + "ABCD"}, {"ABC"}), 0u);   // runs into character 513
    EXPECT_EQ(Find({head + "ABCD"}, {"CD"}), 0u);
}

TEST(FindListedWindow, StopsAtTheFirstMatch) {
    FakeWindows windows({"one", "two Player", "three Player", "four"});
    EXPECT_EQ(FindListedWindow(windows, {"Player"}), 2u);
    EXPECT_EQ(windows.titlesRead, 2u);
}

// The six rows: E (cooling on), W (off by the watch), listed window present.
TEST(WatchTick, StateTable) {
    struct Case {
        bool e, w, present;
        WatchAction action;
        bool w2;
        bool looks;
    } cases[] = {
        {false, false, true, WatchAction::None, false, false},
        {false, false, false, WatchAction::None, false, false},
        {true, true, true, WatchAction::None, false, false},
        {true, true, false, WatchAction::None, false, false},
        {true, false, false, WatchAction::None, false, true},
        {true, false, true, WatchAction::CoolingOff, true, true},
        {false, true, true, WatchAction::None, true, true},
        {false, true, false, WatchAction::CoolingOn, false, true},
    };
    for (const Case& c : cases) {
        int asked = 0;
        const WatchDecision d = DecideWatchTick(c.e, c.w, [&] {
            ++asked;
            return c.present;
        });
        SCOPED_TRACE(testing::Message() << "E=" << c.e << " W=" << c.w << " present=" << c.present);
        EXPECT_EQ(d.action, c.action);
        EXPECT_EQ(d.disabledByWindow, c.w2);
        EXPECT_EQ(d.looked, c.looks);
        EXPECT_EQ(asked, c.looks ? 1 : 0);
    }
}

// Cooling switched on by hand while the listed window is open goes off again one tick
// later; cooling switched off by hand stays off whatever opens.
TEST(WatchTick, SequencesOfTicks) {
    bool cooling = true, w = false, present = false;
    auto tick = [&] {
        const WatchDecision d = DecideWatchTick(cooling, w, [&] { return present; });
        w = d.disabledByWindow;
        if (d.action != WatchAction::None) cooling = d.action == WatchAction::CoolingOn;
    };
    present = true;
    tick();
    EXPECT_FALSE(cooling);
    cooling = true;  // by hand
    tick();
    EXPECT_TRUE(cooling);
    EXPECT_FALSE(w);
    tick();
    EXPECT_FALSE(cooling);
    present = false;
    tick();
    EXPECT_TRUE(cooling);

    cooling = false;  // by hand, no listed window
    present = true;
    tick();
    tick();
    EXPECT_FALSE(cooling);
    EXPECT_FALSE(w);
}

TEST(WindowList, AddKeepsOneItemPerNameButTheDropDownGrows) {
    std::vector<std::string> list = {"Media Player"}, drop = {"Media Player"};
    EXPECT_FALSE(AddWindowName(list, drop, "MEDIA player"));
    EXPECT_TRUE(AddWindowName(list, drop, "Media Player 2"));
    EXPECT_FALSE(AddWindowName(list, drop, "media player 2"));
    EXPECT_EQ(list, (std::vector<std::string>{"Media Player", "Media Player 2"}));
    EXPECT_EQ(drop, (std::vector<std::string>{"Media Player", "MEDIA player", "Media Player 2", "media player 2"}));
    EXPECT_TRUE(AddWindowName(list, drop, ""));
    EXPECT_FALSE(AddWindowName(list, drop, ""));
    EXPECT_EQ(list.size(), 3u);
}

TEST(WindowList, CaseIsIgnoredForWindows1252Letters) {
    EXPECT_TRUE(SameNameIgnoringCase("\xC4rger \x8A\x8C\x8E\x9F", "\xE4RGER \x9A\x9C\x9E\xFF"));
    EXPECT_FALSE(SameNameIgnoringCase("\xD7", "\xF7")) << "multiplication and division signs are not letters";
    EXPECT_FALSE(SameNameIgnoringCase("@", "`"));
    EXPECT_FALSE(SameNameIgnoringCase("Player", "Player "));
}

TEST(WindowList, DeleteRemovesEverySelectedName) {
    const std::vector<std::string> list = {"a", "b", "c", "d"};
    EXPECT_EQ(WithoutSelectedNames(list, {true, false, true}), (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(WithoutSelectedNames(list, {}), list);
}
