// The options window's own handlers.
#include <cstdlib>

#include "app/form.h"
#include "app/languages.h"
#include "app/settings.h"

namespace {
// A whole number in decimal, as the action temperature must be.
bool ParseWholeNumber(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}
}  // namespace

void TQuillarForm::ButtonOKClick() {
    try {
        if (!ParseWholeNumber(EditTemp->Text(), watch.TempThreshold))
            throw std::invalid_argument("'" + EditTemp->Text() + "' is not a valid integer value");
        if (SettingsChanged) SaveSettings(*this);
        host.CloseOptions();
        const bool osMode = rgCoolingMode->ItemIndex() == 0;
        if (osMode && MainTimer->Enabled()) MainTimer->SetEnabled(false);
        if (!osMode && !MainTimer->Enabled()) MainTimer->SetEnabled(true);
        lvTimes->SetVisible(MainTimer->Enabled());
        idle.C2Idling = chipset.C2PortAvailable && rgCoolingMode->ItemIndex() == 2;
        if (CoolingEnabled) {
            SetCooling(false);
            SetCooling(true);
        }
    } catch (const std::exception&) {
        PageControl1->SetActivePage(tsMonitor);
        EditTemp->SetFocus();
    }
    UpdateWindowWatchTimer();
}

void TQuillarForm::ButtonHelpClick() { ShellExec("doc\\index.html", true); }

void TQuillarForm::ShellExec(const std::string& file, bool relative) {
    const std::string path = relative ? host.ProgramFolder() + file : file;
    if (!host.OpenWithShell(path))
        host.ErrorBoxWithCaption(TranslateText("Error", 5040),
                                 path + TranslateText(" could not be executed. Perhaps the file does not exist?", 5050));
}
