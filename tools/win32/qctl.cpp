// Posts one of the private messages to the running program's main window.
//   qctl quit | show | on | off     exit code 0 when posted, 1 when no window was found
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    struct Command {
        const char* name;
        UINT message;
    };
    const Command commands[] = {{"quit", 0x8000}, {"show", 0x8001}, {"on", 0x8002}, {"off", 0x8003}};
    for (const Command& c : commands)
        if (std::strcmp(argv[1], c.name) == 0) {
            HWND window = FindWindowA("TQuillarForm", nullptr);
            if (!window) return 1;
            return PostMessageA(window, c.message, 0, 0) ? 0 : 1;
        }
    return 2;
}
