#include "app/power.h"

#include "common/format.h"
#include "common/log.h"

namespace {

struct PowerName {
    uint32_t code;
    const char* name;
};

const PowerName kPowerNames[] = {
    {0, "PBT_APMQUERYSUSPEND"},
    {2, "PBT_APMQUERYSUSPENDFAILED"},
    {4, "PBT_APMSUSPEND"},
    {6, "PBT_APMRESUMECRITICAL"},
    {7, "PBT_APMRESUMESUSPEND"},
    {9, "PBT_APMBATTERYLOW"},
    {10, "PBT_APMPOWERSTATUSCHANGE"},
    {11, "PBT_APMOEMEVENT"},
    {18, "PBT_APMRESUMEAUTOMATIC"},
};

}  // namespace

const char* const kCompanionFile = "Hibernate.dll";

std::string PowerBroadcastName(uint32_t code) {
    for (const PowerName& row : kPowerNames)
        if (row.code == code) return row.name;
    return Format("PBT_UNKNOWN (%x)", {code});
}

std::string CompanionCommandLine(const std::string& ownCommandLine) {
    return std::string(kCompanionFile) + " " + ownCommandLine;
}

std::string CompanionPath(const std::string& programFolder) {
    std::string path = programFolder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path + kCompanionFile;
}

bool PowerBroadcast(uint32_t code, const std::function<CompanionStart()>& start) {
    LogFormat("Power %s", {PowerBroadcastName(code)});
    if (code != kPowerSuspend) return false;
    LogText("Loading HIBERNATE.DLL");
    const CompanionStart result = start();
    if (result.outcome == CompanionStart::Missing)
        LogText("HIBERNATE.DLL not found in the program folder");
    else if (result.outcome == CompanionStart::Failed)
        LogFormat("HIBERNATE.DLL could not be started, error %d", {result.error});
    return true;
}
