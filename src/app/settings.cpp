#include "app/settings.h"

#include <optional>
#include <variant>

#include "app/commatext.h"
#include "app/form.h"
#include "app/autostart.h"

const char* const kSettingsKey = "SOFTWARE\\Quillar";
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Quillar";

namespace {

// Where a stored value goes: a control of the options window or a field of the temperature
// watch. Booleans are the check boxes: stored as 0 or 1, read as true for anything but 0.
using Target = std::variant<CheckBox* TQuillarForm::*, RadioGroup* TQuillarForm::*, TrackBar* TQuillarForm::*,
                            UpDown* TQuillarForm::*, int32_t TemperatureWatch::*>;

template <class T>
T*& Member(TQuillarForm& form, T* TQuillarForm::*control) { return form.*control; }
int32_t& Member(TQuillarForm& form, int32_t TemperatureWatch::*field) { return form.watch.*field; }

int32_t ValueOf(const CheckBox* c) { return c->Checked() ? 1 : 0; }
int32_t ValueOf(const RadioGroup* c) { return c->ItemIndex(); }
int32_t ValueOf(const TrackBar* c) { return c->Position(); }
int32_t ValueOf(const UpDown* c) { return c->Position(); }
int32_t ValueOf(int32_t v) { return v; }

void Assign(CheckBox* c, int32_t v) { c->SetChecked(v != 0); }
void Assign(RadioGroup* c, int32_t v) { c->SetItemIndex(v); }
void Assign(TrackBar* c, int32_t v) { c->SetPosition(v); }
void Assign(UpDown* c, int32_t v) { c->SetPosition(v); }
void Assign(int32_t& field, int32_t v) { field = v; }

int32_t Get(TQuillarForm& form, const Target& target) {
    return std::visit([&](auto member) { return ValueOf(Member(form, member)); }, target);
}
void Set(TQuillarForm& form, const Target& target, int32_t value) {
    std::visit([&](auto member) { Assign(Member(form, member), value); }, target);
}

// The values that have defaults, one row each, in their read order (the order the defaults
// are applied in too). Writing follows `writeRank`.
struct SettingRow {
    const char* name;
    int32_t defaultValue;
    Target target;
    std::optional<Target> alsoFills;  // a second control the same value fills
    int writeRank;
    bool written16Bit = false;  // written as a signed 16-bit number, widened
};

using F = TQuillarForm;
const SettingRow kSettings[] = {
    {"SplashScreen", 1, &F::cbSplash, {}, 0},
    {"Optimization", 0, &F::cbOptimize, {}, 1},
    {"HideTaskBar", 0, &F::cbHideTaskbar, {}, 2},
    {"K7CoolingMode", 1, &F::rgCoolingMode, {}, 3},
    {"WaitForMBM", 0, &F::cbMBM, {}, 4},
    {"IdleDisplay", 2, &F::rgIdle, {}, 5},
    {"IdleInterval", 10, &F::TrackBarIdle, {}, 6},
    {"SensorInterval", 6, &F::TrackBarSensor, {}, 8},
    {"Emergency Action", 0, &F::rgAction, {}, 7},
    {"Temp", 70, &TemperatureWatch::TempThreshold, &F::UpDown2, 9},
    {"MBMSensor", 1, &F::UpDown1, {}, 10, true},
    {"OptFixSnd", 0, &F::cbFixAudio, {}, 11},
};
constexpr int kSettingCount = static_cast<int>(sizeof kSettings / sizeof kSettings[0]);

void Fill(TQuillarForm& form, const SettingRow& row, int32_t value) {
    Set(form, row.target, value);
    if (row.alsoFills) Set(form, *row.alsoFills, value);
}

void ApplyDefaults(TQuillarForm& form) {
    for (const SettingRow& row : kSettings) Fill(form, row, row.defaultValue);
}

// Reads the rows in order until the first value that is missing or of another type.
bool ReadDefaultedSettings(TQuillarForm& form, RegistryKey* key) {
    if (!key) return false;
    for (const SettingRow& row : kSettings) {
        int32_t v = 0;
        if (key->ReadInteger(row.name, v) != RegistryRead::Ok) return false;
        Fill(form, row, v);
    }
    return true;
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
        bool ok = ReadDefaultedSettings(form, key.get());
        if (key && !ReadWindowSettings(form, *key)) ok = false;
        if (!ok) {
            ApplyDefaults(form);
            form.SettingsChanged = true;
        }
    }
    form.EditTemp->SetText(std::to_string(form.watch.TempThreshold));

    // The autostart entry is only looked at, so reading access is enough (full access
    // to the machine's Run key is refused to ordinary users).
    if (std::unique_ptr<RegistryKey> run = registry.Open(RegistryRoot::LocalMachine, kRunKey, KeyAccess::Read))
        ShowAutoStartState(form, run->ValueExists(kRunValue));
    form.Loading = false;
}

void SaveSettings(TQuillarForm& form, Registry& registry) {
    if (std::unique_ptr<RegistryKey> key = registry.Open(RegistryRoot::CurrentUser, kSettingsKey, KeyAccess::Create)) {
        // A failing write is not reported; the remaining values are still written.
        for (int rank = 0; rank < kSettingCount; ++rank)
            for (const SettingRow& row : kSettings) {
                if (row.writeRank != rank) continue;
                const int32_t v = Get(form, row.target);
                key->WriteInteger(row.name, row.written16Bit ? static_cast<int16_t>(v) : v);
            }
        key->WriteString("WindowList", CommaText(form.ListBoxWindows->Items()));
        key->WriteInteger("WindowListInterval", form.tbFindWindows->Position());
    }
    ApplyAutoStart(form, form.cbAutoStart->Checked());
    form.SettingsChanged = false;
}

void LoadSettings(TQuillarForm& form) { LoadSettings(form, form.registry); }
void SaveSettings(TQuillarForm& form) { SaveSettings(form, form.registry); }
