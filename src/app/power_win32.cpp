// Starting the companion program on a suspend. It is started by its full path in the
// program's own folder: started by bare name, the system would also look in the current
// folder and along the PATH, and a file of that name planted there would run on every
// suspend.
#include <windows.h>

#include <vector>

#include "app/power.h"

CompanionStart StartCompanion(const std::string& programFolder, const std::string& ownCommandLine) {
    const std::string path = CompanionPath(programFolder);
    // Only a full path (drive or network share) is accepted, so that no search applies.
    const bool fullPath = path.size() > 2 && ((path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
                                              path.rfind("\\\\", 0) == 0);
    if (!fullPath) return CompanionStart{CompanionStart::Missing, ERROR_BAD_PATHNAME};
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return CompanionStart{CompanionStart::Missing, GetLastError()};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return CompanionStart{CompanionStart::Missing, ERROR_FILE_NOT_FOUND};

    std::string text = CompanionCommandLine(ownCommandLine);
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return CompanionStart{CompanionStart::Failed, GetLastError()};
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return CompanionStart{CompanionStart::Started, 0};
}

std::string OwnCommandLine() {
    const char* line = GetCommandLineA();
    return line ? line : "";
}
