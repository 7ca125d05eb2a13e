// The stored settings are outside input: other versions, other programs and people edit
// them. The input is the key's values, one a line, "name=dword:number", "name=sz:text" or
// "name=bin:bytes" (a line "!refuse" makes the key unopenable, "!readonly" unwritable).
// Whatever they hold, loading must work, the program must run on what it loaded (a timer
// tick, cooling on and off, "&OK"), and what it then writes must read back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/form.h"
#include "app/languages.h"
#include "app/settings.h"
#include "fuzz/fuzz_check.h"
#include "unit/core/fakes.h"

namespace {

constexpr auto kUser = RegistryRoot::CurrentUser;

void StoreValues(const std::string& text, MemoryRegistry& registry) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line == "!refuse" || line == "!readonly") {
            registry.Refuse(kUser, kSettingsKey, line == "!refuse");
            continue;
        }
        const size_t eq = line.find('=');
        const size_t colon = line.find(':', eq);
        if (eq == std::string::npos || colon == std::string::npos) continue;
        const std::string name = line.substr(0, eq);
        const std::string kind = line.substr(eq + 1, colon - eq - 1);
        const std::string payload = line.substr(colon + 1);
        if (kind == "dword")
            registry.SetInteger(kUser, kSettingsKey, name,
                                static_cast<int32_t>(std::strtoll(payload.c_str(), nullptr, 0)));
        else if (kind == "sz")
            registry.SetString(kUser, kSettingsKey, name, payload);
        else if (kind == "bin")
            registry.SetBinary(kUser, kSettingsKey, name, payload);
    }
}

const char* const kNames[] = {"SplashScreen", "Optimization", "HideTaskBar",      "K7CoolingMode",
                              "WaitForMBM",   "IdleDisplay",  "IdleInterval",     "SensorInterval",
                              "Emergency Action", "Temp",     "MBMSensor",        "OptFixSnd",
                              "WindowList",   "WindowListInterval"};

bool SameValues(const MemoryRegistry& a, const MemoryRegistry& b) {
    for (const char* name : kNames) {
        const MemoryRegistry::Value* x = a.Find(kUser, kSettingsKey, name);
        const MemoryRegistry::Value* y = b.Find(kUser, kSettingsKey, name);
        if (!x || !y || x->type != y->type || x->integer != y->integer || x->text != y->text) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LanguageFilePath.clear();  // no language file: the English texts
    TestServices services;
    StoreValues(std::string(reinterpret_cast<const char*>(data), size), services.registry);
    FakeHost host;
    FakeTray tray;
    TQuillarForm form(host, services.Services());
    form.tray = &tray;
    LoadSettings(form);
    FUZZ_REQUIRE(form.EditTemp->Text() == std::to_string(form.watch.TempThreshold));

    // What was loaded, written and read again, is written again unchanged.
    MemoryRegistry first;
    SaveSettings(form, first);
    FakeHost host2;
    TestServices services2;
    TQuillarForm again(host2, services2.Services());
    LoadSettings(again, first);
    MemoryRegistry second;
    SaveSettings(again, second);
    FUZZ_REQUIRE(SameValues(first, second));

    // The program runs on what it loaded.
    form.idle.ProcessorCount = 1;
    form.idle.CreateIdleThreads([](const std::string&) {});
    form.MainTimer->SetEnabled(true);
    form.SetCooling(true);
    services.threads.tick += 1000;
    form.TimerTimer();
    form.ButtonOKClick();
    form.SetCooling(false);
    return 0;
}
