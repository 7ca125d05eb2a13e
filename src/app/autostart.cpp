#include "app/autostart.h"

#include <string>

#include "app/form.h"
#include "app/languages.h"

void ShowAutoStartState(TQuillarForm& form, bool state) {
    form.cbAutoStart->SetChecked(state);
    const std::string english = std::string(state ? "Disable" : "Enable") + " &Autostart";
    form.btAutoStart->SetCaption(TranslateText(english, 90 + (state ? 1 : 0)));
}

void ApplyAutoStart(TQuillarForm& form, bool enable) {
    const bool done = RequestAutoStart(form.host.PrivilegedObjects(), enable,
                                       [&form](const std::string& caption, const std::string& text) {
                                           form.host.ErrorBoxWithCaption(caption, text);
                                       });
    if (done) ShowAutoStartState(form, enable);
}

void SetButtonShield(Button& button, bool show) { button.SetShield(show); }

void TQuillarForm::btAutoStartClick() { ApplyAutoStart(*this, !cbAutoStart->Checked()); }
