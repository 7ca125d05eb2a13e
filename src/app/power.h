// Power events: every power broadcast is written to the log by name; a suspend hands over
// to the companion program "Hibernate.dll" and ends the program, so that its idle threads,
// driver use and chipset changes are gone before the machine sleeps.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

constexpr unsigned kPowerBroadcastMessage = 0x218;  // WM_POWERBROADCAST
constexpr uint32_t kPowerSuspend = 4;               // PBT_APMSUSPEND

// The broadcast's name for the log: "PBT_APMSUSPEND" and the other known codes,
// "PBT_UNKNOWN (%x)" for every other code.
std::string PowerBroadcastName(uint32_t code);

extern const char* const kCompanionFile;  // "Hibernate.dll"

// What the companion is given: "Hibernate.dll " + the program's own command line exactly as
// the system handed it to the process (program path as started, then its arguments).
std::string CompanionCommandLine(const std::string& ownCommandLine);
// The companion's full path: the program's folder (a backslash added when missing) + "Hibernate.dll".
std::string CompanionPath(const std::string& programFolder);

struct CompanionStart {
    enum Outcome { Started, Missing, Failed } outcome;
    uint32_t error;  // the system's error code when not started
};

// Starts the companion from the program's own folder only, by its full path, with
// CompanionCommandLine(ownCommandLine) and the show command SW_SHOW. Nothing of the same
// name in the current folder or on the PATH is ever started. (Windows adapter.)
CompanionStart StartCompanion(const std::string& programFolder, const std::string& ownCommandLine);
// The program's own command line as the system handed it. (Windows adapter.)
std::string OwnCommandLine();

// The work of the main window's WM_POWERBROADCAST handler (whose result stays 0): logs
// "Power " + the name; on a suspend logs "Loading HIBERNATE.DLL", starts the companion
// through `start` (a companion that could not be started is logged, nothing is shown) and
// returns true: the program must end now, through its ordinary shutdown.
bool PowerBroadcast(uint32_t code, const std::function<CompanionStart()>& start);
