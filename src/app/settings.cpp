#include "app/settings.h"

#include "app/commatext.h"
#include "app/form.h"
#include "autostart/autostart.h"

const char* const kSettingsKey = "SOFTWARE\\Quillar";
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Quillar";

namespace {

// Reads values in order until the first one that is missing or of another type; after
// that every read reports failure, so the caller falls back to the defaults.
class SettingsReader {
public:
    explicit SettingsReader(RegistryKey* key) : key_(key), failed_(key == nullptr) {}
    bool Failed() const { return failed_; }

    bool Integer(const char* name, int32_t& value) {
        if (failed_) return false;
        if (key_->ReadInteger(name, value) != RegistryRead::Ok) failed_ = true;
        return !failed_;
    }
    bool Boolean(const char* name, bool& value) {
        int32_t v = 0;
        if (!Integer(name, v)) return false;
        value = v != 0;
        return true;
    }

private:
    RegistryKey* key_;
    bool failed_;
};

void ApplyDefaults(TQuillarForm& form) {
    form.cbSplash->SetChecked(true);
    form.cbOptimize->SetChecked(false);
    form.cbHideTaskbar->SetChecked(false);
    form.rgCoolingMode->SetItemIndex(1);
    form.cbMBM->SetChecked(false);
    form.rgIdle->SetItemIndex(2);
    form.TrackBarIdle->SetPosition(10);
    form.TrackBarSensor->SetPosition(6);
    form.rgAction->SetItemIndex(0);
    form.TempThreshold = 70;
    form.UpDown1->SetPosition(1);
    form.UpDown2->SetPosition(70);
    form.cbFixAudio->SetChecked(false);
}

// The settings that have defaults, in their stored order. Stops at the first failure.
void ReadDefaultedSettings(TQuillarForm& form, SettingsReader& r) {
    bool b = false;
    int32_t v = 0;
    if (r.Boolean("SplashScreen", b)) form.cbSplash->SetChecked(b);
    if (r.Boolean("Optimization", b)) form.cbOptimize->SetChecked(b);
    if (r.Boolean("HideTaskBar", b)) form.cbHideTaskbar->SetChecked(b);
    if (r.Integer("K7CoolingMode", v)) form.rgCoolingMode->SetItemIndex(v);
    if (r.Boolean("WaitForMBM", b)) form.cbMBM->SetChecked(b);
    if (r.Integer("IdleDisplay", v)) form.rgIdle->SetItemIndex(v);
    if (r.Integer("IdleInterval", v)) form.TrackBarIdle->SetPosition(v);
    if (r.Integer("SensorInterval", v)) form.TrackBarSensor->SetPosition(v);
    if (r.Integer("Emergency Action", v)) form.rgAction->SetItemIndex(v);
    if (r.Integer("Temp", v)) form.TempThreshold = v;
    if (r.Integer("MBMSensor", v)) form.UpDown1->SetPosition(v);
    if (r.Integer("Temp", v)) form.UpDown2->SetPosition(v);
    if (r.Boolean("OptFixSnd", b)) form.cbFixAudio->SetChecked(b);
}

// The window list and its interval have no defaults: a failed read keeps what the
// controls hold. They are read even when an earlier value failed, so that a registry
// written by an older version (one value short) does not lose the user's list at the
// next save.
bool ReadWindowSettings(TQuillarForm& form, RegistryKey& key) {
    bool ok = true;
    std::string list;
    switch (key.ReadString("WindowList", list)) {
        case RegistryRead::Ok:
        case RegistryRead::Missing: {  // a missing string reads as empty
            std::vector<std::string> items = SplitCommaText(list);
            form.ListBoxWindows->SetItems(items);
            form.cbWindows->SetItems(items);
            break;
        }
        case RegistryRead::WrongType:
            ok = false;
            break;
    }
    int32_t v = 0;
    if (key.ReadInteger("WindowListInterval", v) == RegistryRead::Ok)
        form.tbFindWindows->SetPosition(v);
    else
        ok = false;
    return ok;
}

}  // namespace

void LoadSettings(TQuillarForm& form, Registry& registry) {
    form.Loading = true;
    {
        std::unique_ptr<RegistryKey> key = registry.Open(RegistryRoot::CurrentUser, kSettingsKey, KeyAccess::Create);
        SettingsReader reader(key.get());
        ReadDefaultedSettings(form, reader);
        bool ok = !reader.Failed();
        if (key && !ReadWindowSettings(form, *key)) ok = false;
        if (!ok) {
            ApplyDefaults(form);
            form.SettingsChanged = true;
        }
    }
    form.EditTemp->SetText(std::to_string(form.TempThreshold));

    // The autostart entry is only looked at, so reading access is enough (full access
    // to the machine's Run key is refused to ordinary users).
    if (std::unique_ptr<RegistryKey> run = registry.Open(RegistryRoot::LocalMachine, kRunKey, KeyAccess::Read))
        ShowAutoStartState(form, run->ValueExists(kRunValue));
    form.Loading = false;
}

void SaveSettings(TQuillarForm& form, Registry& registry) {
    if (std::unique_ptr<RegistryKey> key = registry.Open(RegistryRoot::CurrentUser, kSettingsKey, KeyAccess::Create)) {
        // A failing write is not reported; the remaining values are still written.
        key->WriteInteger("SplashScreen", form.cbSplash->Checked() ? 1 : 0);
        key->WriteInteger("Optimization", form.cbOptimize->Checked() ? 1 : 0);
        key->WriteInteger("HideTaskBar", form.cbHideTaskbar->Checked() ? 1 : 0);
        key->WriteInteger("K7CoolingMode", form.rgCoolingMode->ItemIndex());
        key->WriteInteger("WaitForMBM", form.cbMBM->Checked() ? 1 : 0);
        key->WriteInteger("IdleDisplay", form.rgIdle->ItemIndex());
        key->WriteInteger("IdleInterval", form.TrackBarIdle->Position());
        key->WriteInteger("Emergency Action", form.rgAction->ItemIndex());
        key->WriteInteger("SensorInterval", form.TrackBarSensor->Position());
        key->WriteInteger("Temp", form.TempThreshold);
        key->WriteInteger("MBMSensor", static_cast<int16_t>(form.UpDown1->Position()));
        key->WriteInteger("OptFixSnd", form.cbFixAudio->Checked() ? 1 : 0);
        key->WriteString("WindowList", CommaText(form.ListBoxWindows->Items()));
        key->WriteInteger("WindowListInterval", form.tbFindWindows->Position());
    }
    ApplyAutoStart(form, form.cbAutoStart->Checked());
    form.SettingsChanged = false;
}

void LoadSettings(TQuillarForm& form) { LoadSettings(form, ProcessRegistry()); }
void SaveSettings(TQuillarForm& form) { SaveSettings(form, ProcessRegistry()); }
