// Runs a command line as a non-administrator: with this process's token restricted so that
// the Administrators group counts only for denying access. Waits for it and returns its exit
// code (255 when it could not be started). Standard handles are passed on.
//   nonadmin PROGRAM [ARGUMENTS...]
#include <windows.h>

#include <cstdio>

namespace {

// The command line after this program's own name.
char* ArgumentsOf(char* line) {
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace

int main() {
    char* command = ArgumentsOf(GetCommandLineA());
    if (!*command) return 255;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &token))
        return 255;
    SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                             0, 0, &admins);
    SID_AND_ATTRIBUTES deny_only{admins, 0};
    HANDLE restricted = nullptr;
    const BOOL made = CreateRestrictedToken(token, 0, 1, &deny_only, 0, nullptr, 0, nullptr, &restricted);
    FreeSid(admins);
    CloseHandle(token);
    if (!made) {
        std::fprintf(stderr, "CreateRestrictedToken failed: error %lu\n", GetLastError());
        return 255;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessAsUserA(restricted, nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &child)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", command, GetLastError());
        CloseHandle(restricted);
        return 255;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(restricted);
    return static_cast<int>(code);
}
