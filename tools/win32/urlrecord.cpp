// Stand-in for the web browser the shell starts to open an address. Registered as the shell's
// "open" command of a protocol with the command line
//     "...\urlrecord.exe" "<record file>" "%1"
// it appends what it was given to open, one line, to the record file.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string line;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) line += ' ';
        line += argv[i];
    }
    line += "\r\n";
    HANDLE file = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
