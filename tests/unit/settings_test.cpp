#include <gtest/gtest.h>

#include "app/form.h"
#include "app/languages.h"
#include "common/registry.h"
#include "app/settings.h"
#include "unit/core/fakes.h"

namespace {


constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;
const char* const kKey = "SOFTWARE\\Quillar";

// A complete set of stored values, none of them the default.
void StoreAll(MemoryRegistry& reg) {
    reg.SetInteger(HKCU, kKey, "SplashScreen", 0);
    reg.SetInteger(HKCU, kKey, "Optimization", 1);
    reg.SetInteger(HKCU, kKey, "HideTaskBar", 1);
    reg.SetInteger(HKCU, kKey, "K7CoolingMode", 0);
    reg.SetInteger(HKCU, kKey, "WaitForMBM", 1);
    reg.SetInteger(HKCU, kKey, "IdleDisplay", 1);
    reg.SetInteger(HKCU, kKey, "IdleInterval", 25);
    reg.SetInteger(HKCU, kKey, "SensorInterval", 12);
    reg.SetInteger(HKCU, kKey, "Emergency Action", 3);
    reg.SetInteger(HKCU, kKey, "Temp", 61);
    reg.SetInteger(HKCU, kKey, "MBMSensor", 1);
    reg.SetInteger(HKCU, kKey, "OptFixSnd", 1);
    reg.SetString(HKCU, kKey, "WindowList", "\"Media Player\",Viewer");
    reg.SetInteger(HKCU, kKey, "WindowListInterval", 40);
}

using Items = std::vector<std::string>;

void ExpectDefaults(const TQuillarForm& f) {
    EXPECT_TRUE(f.cbSplash->Checked());
    EXPECT_FALSE(f.cbOptimize->Checked());
    EXPECT_FALSE(f.cbHideTaskbar->Checked());
    EXPECT_EQ(f.rgCoolingMode->ItemIndex(), 1);
    EXPECT_FALSE(f.cbMBM->Checked());
    EXPECT_EQ(f.rgIdle->ItemIndex(), 2);
    EXPECT_EQ(f.TrackBarIdle->Position(), 10);
    EXPECT_EQ(f.TrackBarSensor->Position(), 6);
    EXPECT_EQ(f.rgAction->ItemIndex(), 0);
    EXPECT_EQ(f.watch.TempThreshold, 70);
    EXPECT_EQ(f.UpDown2->Position(), 70);
    EXPECT_EQ(f.EditTemp->Text(), "70");
    EXPECT_EQ(f.UpDown1->Position(), 1);
    EXPECT_FALSE(f.cbFixAudio->Checked());
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { LanguageFilePath.clear(); }
    FakeHost host;
    TestServices formServices;
    TQuillarForm form{host, formServices.Services()};
    MemoryRegistry reg;
};

}  // namespace

TEST_F(SettingsTest, FirstRunGivesEveryDefaultAndAsksForASave) {
    LoadSettings(form, reg);
    ExpectDefaults(form);
    EXPECT_TRUE(form.ListBoxWindows->Items().empty());
    EXPECT_EQ(form.tbFindWindows->Position(), 10);
    EXPECT_TRUE(form.SettingsChanged);
    EXPECT_FALSE(form.Loading);
    EXPECT_TRUE(reg.KeyExists(HKCU, kKey));  // opened with "create"
    EXPECT_EQ(host.dialogs.size(), 0u);              // loading shows no message
    // The timers follow the loaded positions through the track bars' handlers.
    EXPECT_EQ(form.MainTimer->Interval(), 1000u);
}

TEST_F(SettingsTest, StoredValuesReachTheControls) {
    StoreAll(reg);
    form.Loading = false;
    LoadSettings(form, reg);
    EXPECT_FALSE(form.cbSplash->Checked());
    EXPECT_TRUE(form.cbOptimize->Checked());
    EXPECT_TRUE(form.cbHideTaskbar->Checked());
    EXPECT_EQ(form.rgCoolingMode->ItemIndex(), 0);
    EXPECT_TRUE(form.cbMBM->Checked());
    EXPECT_EQ(form.rgIdle->ItemIndex(), 1);
    EXPECT_EQ(form.TrackBarIdle->Position(), 25);
    EXPECT_EQ(form.MainTimer->Interval(), 2500u);
    EXPECT_EQ(form.TrackBarSensor->Position(), 12);
    EXPECT_EQ(form.rgAction->ItemIndex(), 3);
    EXPECT_EQ(form.watch.TempThreshold, 61);
    EXPECT_EQ(form.UpDown2->Position(), 61);
    EXPECT_EQ(form.EditTemp->Text(), "61");
    EXPECT_TRUE(form.cbFixAudio->Checked());
    EXPECT_EQ(form.ListBoxWindows->Items(), (Items{"Media Player", "Viewer"}));
    EXPECT_EQ(form.cbWindows->Items(), (Items{"Media Player", "Viewer"}));
    EXPECT_EQ(form.tbFindWindows->Position(), 40);
    EXPECT_EQ(host.dialogs.size(), 0u);
}

TEST_F(SettingsTest, BooleansAreTrueForAnyNonZeroValue) {
    StoreAll(reg);
    reg.SetInteger(HKCU, kKey, "Optimization", -7);
    reg.SetInteger(HKCU, kKey, "OptFixSnd", 2);
    LoadSettings(form, reg);
    EXPECT_TRUE(form.cbOptimize->Checked());
    EXPECT_TRUE(form.cbFixAudio->Checked());
}

TEST_F(SettingsTest, ValuesEqualToTheFormsOwnLeaveSettingsUnchanged) {
    // Every value as the form starts, and no window list at all: a missing string reads
    // as empty and is no failure.
    StoreAll(reg);
    reg.SetInteger(HKCU, kKey, "SplashScreen", 0);
    reg.SetInteger(HKCU, kKey, "Optimization", 0);
    reg.SetInteger(HKCU, kKey, "HideTaskBar", 0);
    reg.SetInteger(HKCU, kKey, "K7CoolingMode", 1);
    reg.SetInteger(HKCU, kKey, "WaitForMBM", 0);
    reg.SetInteger(HKCU, kKey, "IdleDisplay", 0);
    reg.SetInteger(HKCU, kKey, "IdleInterval", 10);
    reg.SetInteger(HKCU, kKey, "SensorInterval", 1);
    reg.SetInteger(HKCU, kKey, "Emergency Action", 0);
    reg.SetInteger(HKCU, kKey, "Temp", 75);
    reg.SetInteger(HKCU, kKey, "OptFixSnd", 0);
    reg.SetInteger(HKCU, kKey, "WindowListInterval", 10);
    reg.DeleteValue(HKCU, kKey, "WindowList");
    LoadSettings(form, reg);
    EXPECT_FALSE(form.SettingsChanged);
    EXPECT_TRUE(form.ListBoxWindows->Items().empty());
}

TEST_F(SettingsTest, OneMissingOrMistypedValueResetsEveryDefaultedSetting) {
    struct Case {
        const char* name;
        void (*spoil)(MemoryRegistry&);
    };
    const Case cases[] = {
        {"OptFixSnd missing (older version)", [](MemoryRegistry& r) { r.DeleteValue(HKCU, kKey, "OptFixSnd"); }},
        {"SplashScreen missing", [](MemoryRegistry& r) { r.DeleteValue(HKCU, kKey, "SplashScreen"); }},
        {"IdleInterval as a string", [](MemoryRegistry& r) { r.SetString(HKCU, kKey, "IdleInterval", "25"); }},
        {"HideTaskBar as binary", [](MemoryRegistry& r) { r.SetBinary(HKCU, kKey, "HideTaskBar", "\1\0\0\0"); }},
        {"the second Temp read", [](MemoryRegistry& r) { r.DeleteValue(HKCU, kKey, "MBMSensor"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost h;
        TestServices fServices;
        TQuillarForm f{h, fServices.Services()};
        MemoryRegistry r;
        StoreAll(r);
        c.spoil(r);
        LoadSettings(f, r);
        ExpectDefaults(f);
        EXPECT_TRUE(f.SettingsChanged);
        // The window list and its interval have no defaults and keep what was stored.
        EXPECT_EQ(f.ListBoxWindows->Items(), (Items{"Media Player", "Viewer"}));
        EXPECT_EQ(f.tbFindWindows->Position(), 40);
    }
}

TEST_F(SettingsTest, AWindowListOfAnotherTypeKeepsTheListAndResetsTheRest) {
    StoreAll(reg);
    reg.SetInteger(HKCU, kKey, "WindowList", 5);
    form.ListBoxWindows->SetItems({"kept"});
    LoadSettings(form, reg);
    ExpectDefaults(form);
    EXPECT_EQ(form.ListBoxWindows->Items(), Items{"kept"});
    EXPECT_EQ(form.tbFindWindows->Position(), 40);
    EXPECT_TRUE(form.SettingsChanged);
}

TEST_F(SettingsTest, AKeyThatCannotBeOpenedGivesDefaults) {
    StoreAll(reg);
    reg.Refuse(HKCU, kKey, true);
    LoadSettings(form, reg);
    ExpectDefaults(form);
    EXPECT_TRUE(form.ListBoxWindows->Items().empty());
    EXPECT_TRUE(form.SettingsChanged);
    EXPECT_FALSE(form.Loading);
}

TEST_F(SettingsTest, OutOfRangeValuesAreLimitedByTheControls) {
    StoreAll(reg);
    reg.SetInteger(HKCU, kKey, "IdleInterval", 500);
    reg.SetInteger(HKCU, kKey, "SensorInterval", 0);
    reg.SetInteger(HKCU, kKey, "K7CoolingMode", 9);
    reg.SetInteger(HKCU, kKey, "IdleDisplay", -5);
    reg.SetInteger(HKCU, kKey, "Emergency Action", 4);
    reg.SetInteger(HKCU, kKey, "Temp", 300);
    reg.SetInteger(HKCU, kKey, "WindowListInterval", 1000);
    LoadSettings(form, reg);
    EXPECT_EQ(form.TrackBarIdle->Position(), 100);
    EXPECT_EQ(form.TrackBarSensor->Position(), 1);
    EXPECT_EQ(form.rgCoolingMode->ItemIndex(), 2);
    EXPECT_EQ(form.rgIdle->ItemIndex(), -1);
    EXPECT_EQ(form.rgAction->ItemIndex(), 3);
    EXPECT_EQ(form.tbFindWindows->Position(), 100);
    // The threshold takes the stored value unchanged; the up-down control is limited.
    EXPECT_EQ(form.watch.TempThreshold, 300);
    EXPECT_EQ(form.EditTemp->Text(), "300");
    EXPECT_EQ(form.UpDown2->Position(), 255);
    EXPECT_EQ(host.dialogs.size(), 0u);  // item 2 without a C2 port: no message while loading

    // "IdleInterval" 500 comes back as 100 at the next save.
    SaveSettings(form, reg);
    const MemoryRegistry::Value* v = reg.Find(HKCU, kKey, "IdleInterval");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, MemoryRegistry::Type::Integer);
    EXPECT_EQ(v->integer, 100);
}

TEST_F(SettingsTest, SaveWritesEveryValueInOrderWithItsType) {
    StoreAll(reg);
    LoadSettings(form, reg);
    form.ListBoxWindows->SetItems({"Media Player", "Viewer", "say \"hi\""});
    form.cbWindows->SetItems({"only in the combo"});
    form.SettingsChanged = true;
    reg.writes.clear();
    SaveSettings(form, reg);
    const std::vector<std::string> order = {
        "SplashScreen", "Optimization", "HideTaskBar", "K7CoolingMode", "WaitForMBM",
        "IdleDisplay", "IdleInterval", "Emergency Action", "SensorInterval", "Temp",
        "MBMSensor", "OptFixSnd", "WindowList", "WindowListInterval"};
    ASSERT_EQ(reg.writes.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(reg.writes[i], std::string(kKey) + "\\" + order[i]);
    for (const std::string& name : order) {
        const MemoryRegistry::Value* v = reg.Find(HKCU, kKey, name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->type, name == "WindowList" ? MemoryRegistry::Type::String : MemoryRegistry::Type::Integer)
            << name;
    }
    // The list box's items only, as comma text.
    EXPECT_EQ(reg.Find(HKCU, kKey, "WindowList")->text, "\"Media Player\",Viewer,\"say \"\"hi\"\"\"");
    EXPECT_EQ(reg.Find(HKCU, kKey, "SplashScreen")->integer, 0);
    EXPECT_EQ(reg.Find(HKCU, kKey, "Optimization")->integer, 1);
    EXPECT_EQ(reg.Find(HKCU, kKey, "Temp")->integer, 61);
    EXPECT_FALSE(form.SettingsChanged);
}

TEST_F(SettingsTest, SavedSettingsLoadBackUnchanged) {
    LoadSettings(form, reg);  // defaults
    form.cbHideTaskbar->SetChecked(true);
    form.rgIdle->SetItemIndex(1);
    form.TrackBarSensor->SetPosition(33);
    form.watch.TempThreshold = 58;
    form.ListBoxWindows->SetItems({"", "two words", "x"});
    form.tbFindWindows->SetPosition(77);
    SaveSettings(form, reg);

    FakeHost h2;
    TestServices againServices;
    TQuillarForm again{h2, againServices.Services()};
    LoadSettings(again, reg);
    EXPECT_TRUE(again.cbHideTaskbar->Checked());
    EXPECT_EQ(again.rgIdle->ItemIndex(), 1);
    EXPECT_EQ(again.TrackBarSensor->Position(), 33);
    EXPECT_EQ(again.watch.TempThreshold, 58);
    EXPECT_EQ(again.ListBoxWindows->Items(), (Items{"", "two words", "x"}));
    EXPECT_EQ(again.tbFindWindows->Position(), 77);
}

TEST_F(SettingsTest, AKeyRefusedForWritingWritesNothingAndStillEnds) {
    reg.Refuse(HKCU, kKey, false);
    form.SettingsChanged = true;
    SaveSettings(form, reg);
    EXPECT_TRUE(reg.writes.empty());
    EXPECT_FALSE(form.SettingsChanged);
}

TEST_F(SettingsTest, AutostartDisplayFollowsTheMachinesRunEntry) {
    const char* run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    reg.SetString(HKLM, run, "Quillar", "C:\\Quillar\\Quillar.exe");
    LoadSettings(form, reg);
    EXPECT_TRUE(form.cbAutoStart->Checked());
    EXPECT_EQ(form.btAutoStart->Caption(), "Disable &Autostart");

    reg.DeleteValue(HKLM, run, "Quillar");
    LoadSettings(form, reg);
    EXPECT_FALSE(form.cbAutoStart->Checked());
    EXPECT_EQ(form.btAutoStart->Caption(), "Enable &Autostart");

    // A Run key that cannot be opened leaves the display as it was.
    form.cbAutoStart->SetChecked(true);
    reg.Refuse(HKLM, run, true);
    LoadSettings(form, reg);
    EXPECT_TRUE(form.cbAutoStart->Checked());
}

TEST_F(SettingsTest, OnlyReadingAccessIsNeededForTheRunEntry) {
    // Ordinary users may read the machine's Run key but not write it.
    const char* run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    reg.SetString(HKLM, run, "Quillar", "x");
    reg.Refuse(HKLM, run, false);
    LoadSettings(form, reg);
    EXPECT_TRUE(form.cbAutoStart->Checked());
}
