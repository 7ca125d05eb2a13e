// Stand-in for the companion program "Hibernate.dll" (a Windows program under that name).
// It appends the command line it was started with, exactly as received, to a record file:
// the file named by QUILLAR_HIBERNATE_RECORD, else "Hibernate.txt" beside itself.
//
// With QUILLAR_HIBERNATE_RESTART set (for the demo), it then waits until the program that
// started it has ended (its instance mutex "Quillar" is gone, at most 30 s) and starts it
// again with the same command line plus "/HIBEROFF".
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    const size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

std::string Environment(const char* name) {
    char value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Record(const std::string& line) {
    std::string path = Environment("QUILLAR_HIBERNATE_RECORD");
    if (path.empty()) path = OwnFolder() + "Hibernate.txt";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Splits off the first argument (quoted or not) and returns the rest, blanks skipped.
std::string AfterFirstArgument(const std::string& line, std::string* first) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    size_t start = i, end;
    if (i < line.size() && line[i] == '"') {
        start = ++i;
        while (i < line.size() && line[i] != '"') ++i;
        end = i;
        if (i < line.size()) ++i;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        end = i;
    }
    if (first) *first = line.substr(start, end - start);
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return line.substr(i);
}

void RestartProgram(const std::string& programCommandLine) {
    std::string program;
    AfterFirstArgument(programCommandLine, &program);
    if (program.empty()) return;
    for (int waited = 0; waited < 30000; waited += 100) {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Quillar");
        if (!mutex) break;
        CloseHandle(mutex);
        Sleep(100);
    }
    std::string text = programCommandLine + " /HIBEROFF";
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string line = GetCommandLineA();
    Record(line);
    if (!Environment("QUILLAR_HIBERNATE_RESTART").empty()) RestartProgram(AfterFirstArgument(line, nullptr));
    return 0;
}
