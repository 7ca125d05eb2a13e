// Start-up and timer steps of subsystems that are not built yet: the window watch and
// autostart. Each is a plain, named step here until its own module replaces it.
#pragma once
class TQuillarForm;

void SetButtonShield(TQuillarForm& form, bool on);
void UpdateWindowWatchTimer(TQuillarForm& form);
