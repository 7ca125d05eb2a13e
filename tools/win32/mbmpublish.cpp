// Stand-in for Motherboard Monitor 5: publishes temperatures in the mapping "$M$B$M$5$S$D$"
// with its layout (sensor count at 12; sensor i named at 89 + 80 i, 15 bytes, and read at
// 104 + 80 i as a double; 8,488 bytes), and owns a window of class "TMBM" that records the
// messages it is sent or posted.
//   --names A,B,...   sensor names (default "Sensor 1", "Sensor 2", ...)
//   --record FILE     each message of the private range received by the "TMBM" window is
//                     appended as a line "<message> <wParam> <lParam>"
// See publisher.h for the rest of the command line.
#include "publisher.h"

namespace {

std::string g_record;

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER && message < 0xC000 && !g_record.empty()) {
        if (FILE* f = std::fopen(g_record.c_str(), "ab")) {
            std::fprintf(f, "%u %lu %ld\r\n", message, static_cast<unsigned long>(wParam), static_cast<long>(lParam));
            std::fclose(f);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void WriteMbm(std::vector<uint8_t>& b, const publisher::Step& s, int count, const publisher::Options& o) {
    publisher::Put32(b, 12, count);
    const std::string names = publisher::Extra(o, "names");
    size_t start = 0;
    for (size_t i = 0; i < s.temps.size() && 104 + 80 * i + 8 <= b.size(); ++i) {
        std::string name = "Sensor " + std::to_string(i + 1);
        if (start <= names.size() && !names.empty()) {
            size_t comma = names.find(',', start);
            if (comma == std::string::npos) comma = names.size();
            name = names.substr(start, comma - start);
            start = comma + 1;
        }
        // A name of 15 characters or more fills its field without a terminating zero.
        std::memcpy(&b[89 + 80 * i], name.data(), std::min<size_t>(name.size(), 15));
        publisher::Put64(b, 104 + 80 * i, s.temps[i]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    publisher::Options o;
    if (!publisher::ParseCommandLine(argc, argv, {"names", "record"}, o)) {
        std::fprintf(stderr, "usage: mbmpublish [--names A,B] [--record FILE] [--size N] [--count N] [--control FILE] "
                             "[--ready FILE] T1[,T2...][@MS]...\n");
        return 2;
    }
    g_record = publisher::Extra(o, "record");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MonitorWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TMBM";
    RegisterClassA(&wc);
    // A hidden top-level window, as the monitor keeps while it sits in the tray.
    CreateWindowExA(0, "TMBM", "Motherboard Monitor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                    wc.hInstance, nullptr);
    return publisher::Run("$M$B$M$5$S$D$", 8488, WriteMbm, o);
}
