// Shutting Windows down, the last of the temperature watch's emergency actions.
#pragma once
#include <cstdint>

// ExitWindowsEx flags of the emergency shutdown: EWX_SHUTDOWN (1) + EWX_FORCE (4) + EWX_POWEROFF (8).
constexpr uint16_t kEmergencyShutdownFlags = 13;

class SystemShutdown {
public:
    virtual ~SystemShutdown() = default;
    // Enables the shutdown privilege of the process (results not examined), then asks the
    // system to end the session with `flags`; true when it agreed.
    virtual bool ShutdownWindows(uint16_t flags) = 0;
};

// The system's shutdown in the Windows build. The native build's stand-in ends nothing
// and answers false.
SystemShutdown& SystemShutdownCall();
