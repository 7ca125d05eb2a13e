#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/url_label.h"

namespace {

// Records what the label asks of the system, in order.
class FakeShell : public UrlLabelShell {
public:
    void Open(const std::string& target) override { calls.push_back("open " + target); }
    void CopyText(const std::string& text) override { calls.push_back("copy " + text); }
    std::vector<std::string> calls;
};

class UrlLabelTest : public ::testing::Test {
protected:
    FakeShell shell;
    TUrlLabel label{shell};
};

TEST_F(UrlLabelTest, ClickOpensTheUrlOrTheCaptionWhenTheUrlIsBlank) {
    struct Case {
        const char* url;
        const char* caption;
        const char* opened;  // null: nothing opened
    } cases[] = {
        {"http://www.quillar.example/", "Home page", "http://www.quillar.example/"},
        {"", "http://caption.example/", "http://caption.example/"},
        {"   ", "http://caption.example/", "http://caption.example/"},
        {"\t\r\n", "http://caption.example/", "http://caption.example/"},
        // The shell gets the target as stored, blanks and all.
        {" http://www.quillar.example/ ", "x", " http://www.quillar.example/ "},
        {"", " http://caption.example/", " http://caption.example/"},
        {"", "", nullptr},
        {"  ", "   ", nullptr},
    };
    for (const Case& c : cases) {
        shell.calls.clear();
        label.URL = c.url;
        label.Caption = c.caption;
        label.Click();
        const std::vector<std::string> expected =
            c.opened ? std::vector<std::string>{std::string("open ") + c.opened} : std::vector<std::string>{};
        EXPECT_EQ(shell.calls, expected) << "URL \"" << c.url << "\", caption \"" << c.caption << "\"";
    }
}

TEST_F(UrlLabelTest, TheUsersClickEventRunsFirstAlsoWhenNothingOpens) {
    label.OnClick = [&] { shell.calls.push_back("event"); };
    label.URL = "http://www.quillar.example/";
    label.Click();
    label.URL.clear();
    label.Click();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"event", "open http://www.quillar.example/", "event"}));
}

TEST_F(UrlLabelTest, OnlyTheLeftButtonChangesTheColour) {
    EXPECT_EQ(label.FontColor, 0xFF0000u);
    EXPECT_EQ(label.ActiveColor, 0x800080u);
    EXPECT_TRUE(label.FontUnderline);

    for (TMouseButton other : {TMouseButton::mbRight, TMouseButton::mbMiddle}) {
        label.MouseDown(other, 0, 1, 1);
        EXPECT_EQ(label.FontColor, clBlue);
        label.MouseUp(other, 0, 1, 1);
        EXPECT_EQ(label.FontColor, clBlue);
    }
    label.MouseDown(TMouseButton::mbLeft, 0, 1, 1);
    EXPECT_EQ(label.FontColor, clPurple);
    // A right press and release while the left one is held change nothing either.
    label.MouseDown(TMouseButton::mbRight, 0, 1, 1);
    label.MouseUp(TMouseButton::mbRight, 0, 1, 1);
    EXPECT_EQ(label.FontColor, clPurple);
    label.MouseUp(TMouseButton::mbLeft, 0, 1, 1);
    EXPECT_EQ(label.FontColor, clBlue);
    EXPECT_TRUE(shell.calls.empty()) << "pressing and releasing is not a click by itself";
}

// The label must not lose its colour when presses and releases do not pair up: a release
// over the label after a press elsewhere, a second press after a lost release, a press
// whose release went to another window.
TEST_F(UrlLabelTest, UnpairedPressesAndReleasesLeaveTheLabelBlue) {
    label.MouseUp(TMouseButton::mbLeft, 0, 0, 0);
    EXPECT_EQ(label.FontColor, clBlue) << "a release without a press";

    label.MouseDown(TMouseButton::mbLeft, 0, 0, 0);
    label.MouseDown(TMouseButton::mbLeft, 0, 0, 0);
    label.MouseUp(TMouseButton::mbLeft, 0, 0, 0);
    EXPECT_EQ(label.FontColor, clBlue) << "two presses, one release";

    label.MouseDown(TMouseButton::mbLeft, 0, 0, 0);
    label.CancelMode();
    EXPECT_EQ(label.FontColor, clBlue) << "the mouse taken away while held";
    EXPECT_FALSE(label.LeftHeld());
    label.MouseUp(TMouseButton::mbLeft, 0, 0, 0);
    EXPECT_EQ(label.FontColor, clBlue);
}

TEST_F(UrlLabelTest, CopyPutsTheCaptionNotTheUrlOnTheClipboard) {
    label.Caption = "Quillar's home page \xB0";
    label.URL = "http://www.quillar.example/";
    label.CopyClick();
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"copy Quillar's home page \xB0"}));
    EXPECT_STREQ(TUrlLabel::kCopyCaption, "Copy");
}

}  // namespace
