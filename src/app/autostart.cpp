#include "app/autostart.h"

#include <string>

#include "app/form.h"
#include "app/languages.h"

void ShowAutoStartState(TQuillarForm& form, bool state) {
    form.cbAutoStart->SetChecked(state);
    const std::string english = std::string(state ? "Disable" : "Enable") + " &Autostart";
    form.btAutoStart->SetCaption(TranslateText(english, 90 + (state ? 1 : 0)));
}

void ApplyAutoStart(TQuillarForm& /*form*/, bool /*enable*/) {
    // The Run entry lives under HKEY_LOCAL_MACHINE and is written only by the elevated
    // privileged object; until that object is wired in, nothing is changed here and the
    // displayed state stays as it is.
}
