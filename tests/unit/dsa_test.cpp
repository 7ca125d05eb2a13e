#include <gtest/gtest.h>

#include <cctype>

#include "common/registry.h"
#include "ui/dsa.h"

namespace {

// ASCII alphanumerics plus the Windows-1252 letters ä (0xE4) and µ (0xB5); records dialogs.
class FakeDialogs : public DSAPlatform {
public:
    bool IsAlphaNumeric(unsigned char c) override { return std::isalnum(c) || c == 0xE4 || c == 0xB5; }
    DSADialogOutcome ShowDialog(const DSADialogRequest& request) override {
        shown.push_back(request);
        return {result, hasCheckBox, tick};
    }
    std::vector<DSADialogRequest> shown;
    int result = mrOk;
    bool hasCheckBox = true;
    bool tick = false;
};

constexpr auto HKCU = RegistryRoot::CurrentUser;

class DSATest : public ::testing::Test {
protected:
    void SetUp() override { dsa.SetDSAStoragePath("Software\\Quillar\\Dialogs"); }
    FakeDialogs dialogs;
    MemoryRegistry reg;
    TDSADialogs dsa{reg, dialogs};
};

const std::string kWelcome =
    "Welcome! You are running Quillar Vantor for the first time.\r\n\r\nRight-click on the tray icon to "
    "configure Quillar.\r\nDouble-click on the icon to disable Quillar.";

}  // namespace

TEST(DSAStorage, StartsUnderDSADialogs) {
    FakeDialogs dialogs;
    MemoryRegistry reg;
    EXPECT_EQ(TDSADialogs(reg, dialogs).DSAStoragePath, "Software\\Quillar\\DSADialogs");
}

TEST_F(DSATest, CleaningTurnsEverythingButAlphanumericsIntoBlanks) {
    EXPECT_EQ(dsa.DSASanitize("Hello, World!", false), "Hello  World");
    EXPECT_EQ(dsa.DSASanitize("\r\n  line one\r\nline two.\r\n", false), "line one  line two");
    EXPECT_EQ(dsa.DSASanitize("K\xE4" "lte 5\xB5s", false), "K\xE4lte 5\xB5s");
    EXPECT_EQ(dsa.DSASanitize("100\xB0" "C", false), "100 C");  // the degree sign is no letter
    // Path characters stay only in paths.
    EXPECT_EQ(dsa.DSASanitize("Software\\Quillar\\v1.2: x", true), "Software\\Quillar\\v1.2: x");
    EXPECT_EQ(dsa.DSASanitize("Software\\Quillar\\v1.2: x", false), "Software Quillar v1 2  x");
    EXPECT_EQ(dsa.DSASanitize("...", false), "");
}

TEST_F(DSATest, KeysJoinPathAndIdentifierAndAreCutAt127) {
    EXPECT_EQ(dsa.DSAKeyPath("", "Hello, World!", "op"), "Software\\Quillar\\Dialogs\\Hello  World");
    EXPECT_EQ(dsa.DSAKeyPath("Software\\Other\\", "x", "op"), "Software\\Other\\x");
    EXPECT_EQ(dsa.DSAKeyPath(" Software/Other ", "x", "op"), "Software Other\\x");
    const std::string key = dsa.DSAKeyPath("", kWelcome, "op");
    EXPECT_EQ(key.size(), 127u);
    EXPECT_EQ(key, std::string("Software\\Quillar\\Dialogs\\Welcome  You are running Quillar Vantor for the first "
                               "time     Right click on the tray icon to configu"));
}

TEST_F(DSATest, BlankIdentifiersOrPathsRaise) {
    try {
        dsa.DSAIdentsGetState("", "?!  ...\r\n");
        FAIL() << "no exception";
    } catch (const EDSAError& e) {
        EXPECT_STREQ(e.what(), "DSAIdentsGetState storage specifier blank");
    }
    try {
        dsa.DSAIdentsSetState("///", "fine", true);
        FAIL() << "no exception";
    } catch (const EDSAError& e) {
        EXPECT_STREQ(e.what(), "DSAIdentsSetState storage specifier blank");
    }
    // Punctuation-only messages reach the caller from the dialog, and nothing is shown.
    EXPECT_THROW(dsa.DSAMessageDlg("!!!", 2, dbOK, 0, 0), EDSAError);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DSATest, StateIsReadAndWrittenAsDontShow) {
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "msg"));  // no key
    dsa.DSAIdentsSetState("", "msg", false);
    const MemoryRegistry::Value* v = reg.Find(HKCU, "Software\\Quillar\\Dialogs\\msg", "DontShow");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, MemoryRegistry::Type::Integer);
    EXPECT_EQ(v->integer, 1);
    EXPECT_FALSE(dsa.DSAIdentsGetState("", "msg"));
    dsa.DSAIdentsSetState("", "msg", true);
    EXPECT_EQ(reg.Find(HKCU, "Software\\Quillar\\Dialogs\\msg", "DontShow")->integer, 0);
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "msg"));

    // Anything but a 32-bit integer, or a key that cannot be read, means "show".
    reg.SetString(HKCU, "Software\\Quillar\\Dialogs\\msg", "DontShow", "1");
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "msg"));
    reg.SetInteger(HKCU, "Software\\Quillar\\Dialogs\\msg", "DontShow", 7);
    EXPECT_FALSE(dsa.DSAIdentsGetState("", "msg"));
    reg.Refuse(HKCU, "Software\\Quillar\\Dialogs\\msg", true);
    EXPECT_TRUE(dsa.DSAIdentsGetState("", "msg"));
    // A refused write is ignored.
    EXPECT_NO_THROW(dsa.DSAIdentsSetState("", "msg", false));
}

TEST_F(DSATest, DialogIsShownUntilTheBoxIsTicked) {
    // First showing, closed unticked: the state 0 is written.
    EXPECT_EQ(dsa.DSAMessageDlg(kWelcome, 2, dbOK, 0, 0), mrOk);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].message, kWelcome);
    EXPECT_EQ(dialogs.shown[0].kind, 2);
    EXPECT_EQ(dialogs.shown[0].buttons, static_cast<unsigned>(dbOK));
    EXPECT_EQ(dialogs.shown[0].checkBoxCaption, "&Don't show this message again");
    const std::string key = dsa.DSAKeyPath("", kWelcome, "op");
    ASSERT_NE(reg.Find(HKCU, key, "DontShow"), nullptr);
    EXPECT_EQ(reg.Find(HKCU, key, "DontShow")->integer, 0);

    // Shown again, ticked this time.
    dialogs.tick = true;
    EXPECT_EQ(dsa.DSAMessageDlg(kWelcome, 2, dbOK, 0, 0), mrOk);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(reg.Find(HKCU, key, "DontShow")->integer, 1);

    // From now on the default result comes back at once.
    EXPECT_EQ(dsa.DSAMessageDlg(kWelcome, 2, dbOK, 0, 0), 0);
    EXPECT_EQ(dsa.DSAMessageDlg(kWelcome, 2, dbOK, 1, 0), 1);
    EXPECT_EQ(dialogs.shown.size(), 2u);

    // Another message with the same first characters of its key shares the state.
    EXPECT_EQ(dsa.DSAMessageDlg(kWelcome + " More text.", 2, dbOK, 1, 0), 1);
    EXPECT_EQ(dialogs.shown.size(), 2u);
    // A different message is shown.
    dsa.DSAMessageDlg("Something else", 2, dbOK, 1, 0);
    EXPECT_EQ(dialogs.shown.size(), 3u);
}

TEST_F(DSATest, ExplicitPathAndIdentifierAndAMissingCheckBox) {
    dialogs.result = mrYes;
    dialogs.tick = true;
    EXPECT_EQ(dsa.DSAMessageDlgEx("text", 3, dbYes | dbNo, mrNo, "Software\\Test", "my.ident", 0), mrYes);
    ASSERT_NE(reg.Find(HKCU, "Software\\Test\\my ident", "DontShow"), nullptr);
    EXPECT_EQ(dsa.DSAMessageDlgEx("text", 3, dbYes | dbNo, mrNo, "Software\\Test", "my.ident", 0), mrNo);

    // Without a check box nothing is written.
    dialogs.hasCheckBox = false;
    dsa.DSAMessageDlg("no box", 4, dbOK, 1, 0);
    EXPECT_EQ(reg.Find(HKCU, "Software\\Quillar\\Dialogs\\no box", "DontShow"), nullptr);
}
