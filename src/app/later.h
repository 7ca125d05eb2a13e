// Start-up and timer steps of subsystems that are not built yet: the temperature watch.
// Each is a plain, named step here until its own module replaces it.
#pragma once
class TQuillarForm;

void PrepareTempSources();   // module start: first detection of the temperature sources

void SetupMonitorTab(TQuillarForm& form);
bool TempSourceActive();
// The sensor steps of the main timer tick: countdown, reading, emergency action.
void WatchTemperature(TQuillarForm& form);
void ResetSensorCountdown(TQuillarForm& form);
