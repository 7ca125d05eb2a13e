// Start-up and cooling steps of subsystems that are not built yet: chipset support, the
// temperature watch, the window watch and autostart. Each is a plain, named step here
// until its own module replaces it.
#pragma once
#include <cstdint>

class TQuillarForm;

// Chipset identification state.
extern bool ChipsetKnown;
extern uint32_t NorthbridgeVendor;
extern bool C2PortAvailable;
extern bool AudioFixed;

void ScanPCIBus();
void IdentifyChipset();
void OptimizeChipset();
void UnoptimizeChipset();
void FixAudioVIA();
void UnfixAudioVIA();
void PreparePCIAccess();     // module start: ports 0xCF8-0xCFF from the driver, empty device list
void PrepareTempSources();   // module start: first detection of the temperature sources

void SetupMonitorTab(TQuillarForm& form);
bool TempSourceActive();
// The sensor steps of the main timer tick: countdown, reading, emergency action.
void WatchTemperature(TQuillarForm& form);
void ResetSensorCountdown(TQuillarForm& form);
void SetButtonShield(TQuillarForm& form, bool on);
void UpdateWindowWatchTimer(TQuillarForm& form);
