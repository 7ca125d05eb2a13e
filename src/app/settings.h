// The settings store: every option lives as one value under HKEY_CURRENT_USER
// "SOFTWARE\Quillar"; the form's controls are the working copy.
#pragma once
#include "common/registry.h"

class TQuillarForm;

extern const char* const kSettingsKey;  // "SOFTWARE\Quillar"
extern const char* const kRunKey;       // "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
extern const char* const kRunValue;     // "Quillar"

// Registry -> controls and TempThreshold, then the autostart display. Sets SettingsChanged
// when any stored value was missing or of the wrong type.
void LoadSettings(TQuillarForm& form, Registry& registry);
void LoadSettings(TQuillarForm& form);

// Controls -> registry, then the autostart change; clears SettingsChanged.
void SaveSettings(TQuillarForm& form, Registry& registry);
void SaveSettings(TQuillarForm& form);
