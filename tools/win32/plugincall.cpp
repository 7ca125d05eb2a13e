// Calls an installer plug-in function the way the installer does: loads the DLL, finds the
// function by name, calls it with the C calling convention on an empty string stack, then
// prints every text it pushed, top first, one per line.
//   plugincall DLL FUNCTION [STRING_SIZE]    (the installer's usual size is 1024)
// Exit code 0 when something was pushed, 1 when nothing was, 2 when the DLL or function is missing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
using PluginFunction = void(__cdecl*)(HWND parent, int string_size, char* variables, void** stack_head);
constexpr int kVariableCount = 25;  // $0-$9, $R0-$R9 and the installer's own five
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const int string_size = argc > 3 ? std::atoi(argv[3]) : 1024;
    HMODULE dll = LoadLibraryA(argv[1]);
    if (!dll) {
        std::fprintf(stderr, "cannot load %s: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    auto function = reinterpret_cast<PluginFunction>(reinterpret_cast<void*>(GetProcAddress(dll, argv[2])));
    if (!function) {
        std::fprintf(stderr, "no function %s\n", argv[2]);
        return 2;
    }
    std::vector<char> variables(static_cast<size_t>(kVariableCount) * (string_size > 0 ? string_size : 1));
    void* head = nullptr;
    function(nullptr, string_size, variables.data(), &head);
    const bool pushed = head != nullptr;
    while (head) {
        char* node = static_cast<char*>(head);
        std::printf("%s\n", node + sizeof(void*));
        head = *reinterpret_cast<void**>(node);
        GlobalFree(node);
    }
    std::fflush(stdout);
    FreeLibrary(dll);
    return pushed ? 0 : 1;
}
