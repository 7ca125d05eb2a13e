// The registry adapter and the settings store against the system's registry. Everything
// goes to a private key of this test run, removed at the end.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/form.h"
#include "common/registry.h"
#include "app/settings.h"
#include "unit/core/fakes.h"

namespace {

std::string PrivateKey() { return "Software\\QuillarTests\\registry" + std::to_string(GetCurrentProcessId()); }

void DeleteTree(const std::string& path) { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

DWORD ValueType(const std::string& path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xdeadbeef;
    DWORD type = 0xdeadbeef;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = 0xdeadbeef;
    RegCloseKey(key);
    return type;
}

void SetRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

// Sends the settings' keys (HKCU "SOFTWARE\Quillar" and the machine's Run key) to private
// keys of the current user, and everything else through unchanged.
class PrivateRegistry : public Registry {
public:
    explicit PrivateRegistry(std::string base) : base_(std::move(base)) {}
    std::unique_ptr<RegistryKey> Open(RegistryRoot root, const std::string& path, KeyAccess access) override {
        const std::string where = root == RegistryRoot::LocalMachine ? "\\HKLM\\" : "\\HKCU\\";
        return ProcessRegistry().Open(RegistryRoot::CurrentUser, base_ + where + path, access);
    }
    std::string SettingsPath() const { return base_ + "\\HKCU\\SOFTWARE\\Quillar"; }
    std::string RunPath() const { return base_ + "\\HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"; }

private:
    std::string base_;
};


class RegistryAdapter : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(base); }
    void TearDown() override { DeleteTree(base); }
    std::string base = PrivateKey();
};

}  // namespace

TEST_F(RegistryAdapter, ValuesKeepTheirTypesBothWays) {
    Registry& reg = ProcessRegistry();
    EXPECT_EQ(reg.Open(RegistryRoot::CurrentUser, base, KeyAccess::Read), nullptr);
    EXPECT_EQ(reg.Open(RegistryRoot::CurrentUser, base, KeyAccess::Full), nullptr);
    {
        auto key = reg.Open(RegistryRoot::CurrentUser, base + "\\a\\b", KeyAccess::Create);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->WriteInteger("Number", -2));
        EXPECT_TRUE(key->WriteString("Text", "\"Media Player\",Viewer \xB0\xB5"));
        EXPECT_TRUE(key->WriteString("Empty", ""));
    }
    EXPECT_EQ(ValueType(base + "\\a\\b", "Number"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ValueType(base + "\\a\\b", "Text"), static_cast<DWORD>(REG_SZ));

    auto key = reg.Open(RegistryRoot::CurrentUser, base + "\\A\\B", KeyAccess::Read);
    ASSERT_NE(key, nullptr);
    int32_t n = 0x5eadbeef;
    std::string s = "sentinel";
    EXPECT_EQ(key->ReadInteger("number", n), RegistryRead::Ok);
    EXPECT_EQ(n, -2);
    EXPECT_EQ(key->ReadString("Text", s), RegistryRead::Ok);
    EXPECT_EQ(s, "\"Media Player\",Viewer \xB0\xB5");
    EXPECT_EQ(key->ReadString("Empty", s), RegistryRead::Ok);
    EXPECT_EQ(s, "");
    // The other type, or no value, is reported as such and leaves the output alone.
    n = 0x5eadbeef;
    s = "sentinel";
    EXPECT_EQ(key->ReadInteger("Text", n), RegistryRead::WrongType);
    EXPECT_EQ(key->ReadString("Number", s), RegistryRead::WrongType);
    EXPECT_EQ(key->ReadInteger("None", n), RegistryRead::Missing);
    EXPECT_EQ(key->ReadString("None", s), RegistryRead::Missing);
    EXPECT_EQ(n, 0x5eadbeef);
    EXPECT_EQ(s, "sentinel");
    EXPECT_TRUE(key->ValueExists("Text"));
    EXPECT_FALSE(key->ValueExists("None"));
    // A key opened for reading refuses writes.
    EXPECT_FALSE(key->WriteInteger("Number", 3));

    const BYTE four[4] = {1, 0, 0, 0};
    SetRaw(base + "\\a\\b", "Binary", REG_BINARY, four, 4);
    EXPECT_EQ(key->ReadInteger("Binary", n), RegistryRead::WrongType);
    const char expand[] = "%TEMP%\\x";
    SetRaw(base + "\\a\\b", "Expand", REG_EXPAND_SZ, expand, sizeof expand);
    EXPECT_EQ(key->ReadString("Expand", s), RegistryRead::Ok);
    EXPECT_EQ(s, "%TEMP%\\x");
}

TEST_F(RegistryAdapter, SettingsRoundTripThroughTheRegistry) {
    PrivateRegistry reg(base);
    FakeHost h1;
    TestServices firstServices;
    TQuillarForm first{h1, firstServices.Services()};
    LoadSettings(first, reg);  // first run: defaults
    EXPECT_TRUE(first.SettingsChanged);
    first.cbOptimize->SetChecked(true);
    first.rgCoolingMode->SetItemIndex(0);
    first.TrackBarIdle->SetPosition(35);
    first.watch.TempThreshold = 66;
    first.ListBoxWindows->SetItems({"Media Player", "Viewer"});
    first.tbFindWindows->SetPosition(20);
    SaveSettings(first, reg);

    const char* integers[] = {"SplashScreen", "Optimization", "HideTaskBar", "K7CoolingMode", "WaitForMBM",
                              "IdleDisplay", "IdleInterval", "Emergency Action", "SensorInterval", "Temp",
                              "MBMSensor", "OptFixSnd", "WindowListInterval"};
    for (const char* name : integers) EXPECT_EQ(ValueType(reg.SettingsPath(), name), static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(ValueType(reg.SettingsPath(), "WindowList"), static_cast<DWORD>(REG_SZ));

    FakeHost h2;
    TestServices secondServices;
    TQuillarForm second{h2, secondServices.Services()};
    LoadSettings(second, reg);
    EXPECT_TRUE(second.cbSplash->Checked());
    EXPECT_TRUE(second.cbOptimize->Checked());
    EXPECT_EQ(second.rgCoolingMode->ItemIndex(), 0);
    EXPECT_EQ(second.rgIdle->ItemIndex(), 2);
    EXPECT_EQ(second.TrackBarIdle->Position(), 35);
    EXPECT_EQ(second.TrackBarSensor->Position(), 6);
    EXPECT_EQ(second.watch.TempThreshold, 66);
    EXPECT_EQ(second.EditTemp->Text(), "66");
    EXPECT_EQ(second.ListBoxWindows->Items(), (std::vector<std::string>{"Media Player", "Viewer"}));
    EXPECT_EQ(second.tbFindWindows->Position(), 20);
    EXPECT_FALSE(second.cbAutoStart->Checked());
}

TEST_F(RegistryAdapter, StoredWindowListsAndTheRunEntry) {
    PrivateRegistry reg(base);
    FakeHost h0;
    TestServices seedServices;
    TQuillarForm seed{h0, seedServices.Services()};
    LoadSettings(seed, reg);
    SaveSettings(seed, reg);  // every value present

    const char quoted[] = "\"Media Player\",Viewer";
    SetRaw(reg.SettingsPath(), "WindowList", REG_SZ, quoted, sizeof quoted);
    const char run[] = "C:\\Quillar\\Quillar.exe";
    SetRaw(reg.RunPath(), "Quillar", REG_SZ, run, sizeof run);
    FakeHost h1;
    TestServices aServices;
    TQuillarForm a{h1, aServices.Services()};
    LoadSettings(a, reg);
    EXPECT_EQ(a.ListBoxWindows->Items(), (std::vector<std::string>{"Media Player", "Viewer"}));
    EXPECT_EQ(a.cbWindows->Items(), (std::vector<std::string>{"Media Player", "Viewer"}));
    EXPECT_TRUE(a.cbAutoStart->Checked());
    EXPECT_EQ(a.btAutoStart->Caption(), "Disable &Autostart");

    const char bare[] = "Media Player";
    SetRaw(reg.SettingsPath(), "WindowList", REG_SZ, bare, sizeof bare);
    FakeHost h2;
    TestServices bServices;
    TQuillarForm b{h2, bServices.Services()};
    LoadSettings(b, reg);
    EXPECT_EQ(b.ListBoxWindows->Items(), (std::vector<std::string>{"Media", "Player"}));

    // A value of the wrong type: defaults, and the next save writes them back typed.
    const char text[] = "25";
    SetRaw(reg.SettingsPath(), "IdleInterval", REG_SZ, text, sizeof text);
    FakeHost h3;
    TestServices cServices;
    TQuillarForm c{h3, cServices.Services()};
    LoadSettings(c, reg);
    EXPECT_TRUE(c.SettingsChanged);
    EXPECT_EQ(c.TrackBarIdle->Position(), 10);
    SaveSettings(c, reg);
    EXPECT_EQ(ValueType(reg.SettingsPath(), "IdleInterval"), static_cast<DWORD>(REG_DWORD));
}
