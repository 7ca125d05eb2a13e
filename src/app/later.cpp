#include "app/later.h"

#include "hw/driver.h"

void PreparePCIAccess() {
    // The configuration ports are opened to the process once, before the main window exists.
    DriverRequest(drv::kGrantPorts, 0xCF8, 0xCFF, 0);
}

void PrepareTempSources() {}
void SetupMonitorTab(TQuillarForm&) {}
bool TempSourceActive() { return false; }
void WatchTemperature(TQuillarForm&) {}
void ResetSensorCountdown(TQuillarForm&) {}
void SetButtonShield(TQuillarForm&, bool) {}
void UpdateWindowWatchTimer(TQuillarForm&) {}
