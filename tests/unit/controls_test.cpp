// The controls model: what a view is told, which changes run the user's handlers, and the
// traps of properties reached around the view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls.h"

namespace {

// Records what the view would be told.
struct Seen {
    std::vector<Change> changes;
    void Listen(Control& c) {
        c.observer = [this](Control&, const Change& change) { changes.push_back(change); };
    }
    bool Only(Property p, int index = -1, int subItem = -1) const {
        return changes.size() == 1 && changes[0].property == p && changes[0].index == index &&
               changes[0].subItem == subItem;
    }
};

std::string Describe(const std::vector<Change>& changes) {
    std::string text;
    for (const Change& c : changes)
        text += std::to_string(static_cast<int>(c.property)) + "/" + std::to_string(c.index) + "/" +
                std::to_string(c.subItem) + " ";
    return text;
}

TEST(Controls, TheViewHearsOnlyRealChangesAndWhichPartChanged) {
    Label label("l", 0, nullptr, {}, "same");
    Seen seen;
    seen.Listen(label);
    label.SetCaption("same");
    label.SetVisible(true);
    label.SetEnabled(true);
    EXPECT_TRUE(seen.changes.empty()) << "equal values change nothing: " << Describe(seen.changes);
    label.SetCaption("other");
    EXPECT_TRUE(seen.Only(Property::Caption)) << Describe(seen.changes);

    ListBox list("lb", nullptr, {});
    list.SetItems({"a", "b"});
    Seen listSeen;
    listSeen.Listen(list);
    list.Add("c");
    EXPECT_TRUE(listSeen.Only(Property::Items, 2)) << "only the appended item: " << Describe(listSeen.changes);
    listSeen.changes.clear();
    list.SetSelected(1, true);
    list.SetSelected(1, true);
    EXPECT_TRUE(listSeen.Only(Property::Selection, 1)) << Describe(listSeen.changes);
    listSeen.changes.clear();
    list.SetItems({"a", "b", "c"});
    EXPECT_TRUE(listSeen.changes.empty()) << "the same items keep the selection";
    EXPECT_TRUE(list.Selected(1));
    list.SetItems({"a", "c"});
    EXPECT_FALSE(list.Selected(1)) << "new items start unselected";

    ListView view("lv", nullptr, {});
    view.AddRow("Total Time:");
    view.AddRow("Total Idle Percent:");
    view.SetSubItemCount(0, 2);
    view.SetSubItemCount(1, 2);
    Seen viewSeen;
    viewSeen.Listen(view);
    view.SetCell(1, 2, "97%");
    view.SetCell(1, 2, "97%");
    EXPECT_TRUE(viewSeen.Only(Property::Cell, 1, 2)) << "one cell, once: " << Describe(viewSeen.changes);
    EXPECT_EQ(view.Rows()[1].subItems, (std::vector<std::string>{"", "97%"}));
}

TEST(Controls, ValuesTheUserChangesRunTheirHandlersOtherChangesDoNot) {
    CheckBox box("cb", 0, nullptr, {}, "Show &Splash Screen");
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetChecked(true);
    box.SetChecked(true);
    box.SetCaption("x");
    box.SetVisible(false);
    EXPECT_EQ(clicks, 1);

    // An interval stored as 500 on a bar of 1 to 100 is held as 100.
    TrackBar bar("tb", 44, nullptr, {}, 1, 100, 10);
    int changes = 0;
    bar.OnChange = [&] { ++changes; };
    bar.SetPosition(500);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(100);
    EXPECT_EQ(changes, 1);

    // The arrows write their position into the edit field beside them.
    Edit edit("EditTemp", 64, nullptr, {}, "75");
    int edits = 0;
    edit.OnChange = [&] { ++edits; };
    UpDown arrows("UpDown2", nullptr, {}, &edit, 1, 255, 75);
    int arrowClicks = 0;
    arrows.OnClick = [&] { ++arrowClicks; };
    arrows.SetPosition(70);
    EXPECT_EQ(edit.Text(), "70");
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(arrowClicks, 1);
    arrows.SetRange(1, 4);
    EXPECT_EQ(arrows.Position(), 70) << "a new range leaves the position to the caller";
    EXPECT_EQ(arrowClicks, 1);
}

TEST(Controls, RadioGroupSelectionIsLimitedAndSurvivesNewItemsWithoutAClick) {
    RadioGroup group("rgIdle", 40, nullptr, {}, "&Idle display in task bar",
                     {"&None", "N&umeric display", "&Graphical display"});
    int clicks = 0;
    group.OnClick = [&] { ++clicks; };
    group.SetItemIndex(7);
    EXPECT_EQ(group.ItemIndex(), 2) << "beyond the items: the last one";
    group.SetItemIndex(-5);
    EXPECT_EQ(group.ItemIndex(), -1) << "below -1: none";
    group.SetItemIndex(2);
    EXPECT_EQ(clicks, 3);

    // Translated items: the same choice, and nobody clicked.
    Seen seen;
    seen.Listen(group);
    group.SetItems({"&Keine", "&Zahl", "&Grafik"});
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(seen.Only(Property::Items)) << Describe(seen.changes);
    group.SetItems({"one", "two"});
    EXPECT_EQ(group.ItemIndex(), 1) << "fewer items: the selection moves to the last";
    EXPECT_EQ(clicks, 3);
}

// A timer's Enabled is the control's own: a caller holding any control switches the timer.
TEST(Controls, TimerRunsByTheControlsOwnEnabledFlag) {
    Timer timer("TimerWindows", 1000);
    EXPECT_FALSE(timer.Enabled()) << "timers start disabled";
    Seen seen;
    seen.Listen(timer);
    Control& control = timer;
    control.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(seen.Only(Property::Enabled)) << "the view is told to start it: " << Describe(seen.changes);
    control.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
}

template <typename T>
concept ShieldWritableAroundTheView = requires(T& button) { button.shield = true; };

TEST(Controls, ButtonShieldChangesOnlyThroughItsSetter) {
    EXPECT_FALSE(ShieldWritableAroundTheView<Button>) << "a public field would skip the window";
    Button button("btAutoStart", 90, nullptr, {}, "Enable &Autostart");
    Seen seen;
    seen.Listen(button);
    button.SetShield(true);
    button.SetShield(true);
    EXPECT_TRUE(button.Shield());
    EXPECT_TRUE(seen.Only(Property::Shield)) << Describe(seen.changes);
}

}  // namespace
