// Autostart: the Run entry "Quillar" under HKEY_LOCAL_MACHINE, shown on the StartUp page
// and changed through the privileged object.
#pragma once

class Button;
class TQuillarForm;

// Ticks cbAutoStart by `state` (its click handler runs when that changes it) and gives
// btAutoStart the caption of what a click will do: text 90 "Enable &Autostart" while off,
// text 91 "Disable &Autostart" while on.
void ShowAutoStartState(TQuillarForm& form, bool state);

// Asks the privileged object to add or remove the Run entry; shows the new state when the
// object reports success, and a message box when creating it or the request failed.
void ApplyAutoStart(TQuillarForm& form, bool enable);

// Shows (or hides) the elevation shield on a button: a click on it will ask for consent.
void SetButtonShield(Button& button, bool show);
