#include "app/later.h"

void PrepareTempSources() {}
void SetupMonitorTab(TQuillarForm&) {}
bool TempSourceActive() { return false; }
void WatchTemperature(TQuillarForm&) {}
void ResetSensorCountdown(TQuillarForm&) {}
