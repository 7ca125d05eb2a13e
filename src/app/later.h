// Start-up and cooling steps of subsystems that are not built yet: chipset support, the
// temperature watch, the window watch and autostart. Each is a plain, named step here
// until its own module replaces it.
#pragma once
#include <atomic>
#include <cstdint>

class TQuillarForm;

// Chipset identification state and operations.
struct ChipsetSupport {
    bool known = false;
    uint32_t northbridgeVendor = 0;
    bool ChipsetKnown() const { return known; }
    uint32_t NorthbridgeVendor() const { return northbridgeVendor; }
    bool C2PortAvailable = false;
    bool AudioFixed = false;
    // Read by the idle threads on every pass.
    std::atomic<bool> ChipsetOptimized{false};
    std::atomic<uint32_t> C2PortAddress{0};

    void ScanPCIBus() {}
    bool IdentifyChipset() { return false; }
    void OptimizeChipset() {}
    void UnoptimizeChipset() {}
    void FixAudioVIA() {}
    void UnfixAudioVIA() {}
};

void PreparePCIAccess();     // module start: ports 0xCF8-0xCFF from the driver
void PrepareTempSources();   // module start: first detection of the temperature sources

void SetupMonitorTab(TQuillarForm& form);
bool TempSourceActive();
// The sensor steps of the main timer tick: countdown, reading, emergency action.
void WatchTemperature(TQuillarForm& form);
void ResetSensorCountdown(TQuillarForm& form);
void SetButtonShield(TQuillarForm& form, bool on);
void UpdateWindowWatchTimer(TQuillarForm& form);
