// A stand-in for the shell's notification area, for tests and for the fakeshell tool.
// It owns a top-most window of class "Shell_TrayWnd" on a thread of its own, so that
// Shell_NotifyIcon finds it first, and records every WM_COPYDATA the icon calls send it.
//
// Wine's record (960 bytes in Wine 8): +0 icon window (32 bits), +4 identifier, +8 flags,
// +12 callback message, +16 tip as 128 UTF-16 characters, ..., and as its last 16 bytes the
// icon's width, height, planes and bits per pixel; with NIF_ICON the mask bits and then the
// colour bits (GetBitmapBits layout: top row first, rows padded to 16 bits) follow it.
// The decoding below checks the sizes and keeps whatever it could not make sense of.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace fakeshell {

struct TrayRecord {
    unsigned op = ~0u;  // dwData: 0 add, 1 modify, 2 delete
    size_t size = 0;    // bytes received
    uint32_t window = 0, id = 0, flags = 0, callback = 0;
    std::wstring tipWide;
    std::string tip;  // the tip in the ANSI code page, as the program wrote it
    bool hasIcon = false;
    bool iconLayoutOk = false;  // the icon bits had the expected sizes
    unsigned width = 0, height = 0, planes = 0, bpp = 0;
    std::vector<uint8_t> mask, colour;
    uint32_t checksum = 0;  // FNV-1a over mask and colour bits

    // Pixel (x, y) as 0xRRGGBB as it would look on a white background.
    uint32_t PixelOnWhite(unsigned x, unsigned y) const {
        if (!iconLayoutOk || x >= width || y >= height) return 0xFFFFFF;
        unsigned maskStride = (width + 15) / 16 * 2;
        bool transparent = mask[y * maskStride + x / 8] & (0x80 >> (x % 8));
        unsigned stride = (width * bpp + 15) / 16 * 2;
        const uint8_t* p = &colour[y * stride + x * (bpp / 8)];
        uint32_t rgb = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        return transparent ? (0xFFFFFF ^ rgb) : rgb;
    }
};

inline const char* OpName(unsigned op) {
    switch (op) {
    case 0: return "add";
    case 1: return "modify";
    case 2: return "delete";
    default: return "other";
    }
}

// Printable form of a text: bytes outside 0x20..0x7E as \xHH, the backslash doubled.
inline std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

inline std::string Describe(const TrayRecord& r) {
    char head[200];
    std::snprintf(head, sizeof head, "%s size=%u window=%08X id=%u flags=%X callback=%04X", OpName(r.op),
                  unsigned(r.size), unsigned(r.window), r.id, r.flags, r.callback);
    std::string s = head;
    if (r.flags & 4) s += " tip=\"" + Escaped(r.tip) + "\"";
    if (r.hasIcon) {
        std::snprintf(head, sizeof head, " icon=%ux%ux%u%s checksum=%08X", r.width, r.height, r.bpp,
                      r.iconLayoutOk ? "" : "(unexpected layout)", unsigned(r.checksum));
        s += head;
    }
    return s;
}

inline uint32_t Fnv1a(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    uint32_t h = 2166136261u;
    for (const auto* v : {&a, &b})
        for (uint8_t c : *v) h = (h ^ c) * 16777619u;
    return h;
}

inline TrayRecord Decode(unsigned op, const void* data, size_t size) {
    TrayRecord r;
    r.op = op;
    r.size = size;
    auto bytes = static_cast<const uint8_t*>(data);
    auto word = [&](size_t at) {
        uint32_t v = 0;
        if (at + 4 <= size) std::memcpy(&v, bytes + at, 4);
        return v;
    };
    if (!bytes || size < 16) return r;
    r.window = word(0);
    r.id = word(4);
    r.flags = word(8);
    r.callback = word(12);
    const size_t tipChars = 128;
    if (size >= 16 + tipChars * 2) {
        for (size_t i = 0; i < tipChars; ++i) {
            wchar_t c = static_cast<wchar_t>(bytes[16 + 2 * i] | (bytes[17 + 2 * i] << 8));
            if (!c) break;
            r.tipWide += c;
        }
        if (!r.tipWide.empty()) {
            char buffer[512];
            int n = WideCharToMultiByte(CP_ACP, 0, r.tipWide.data(), int(r.tipWide.size()), buffer,
                                        sizeof buffer, nullptr, nullptr);
            r.tip.assign(buffer, n > 0 ? size_t(n) : 0);
        }
    }
    const size_t header = 960;
    // Exactly the header with NIF_ICON: the icon was null, no bits follow.
    if ((r.flags & 2 /* NIF_ICON */) && size > header) {
        r.hasIcon = true;
        r.width = word(header - 16);
        r.height = word(header - 12);
        r.planes = word(header - 8);
        r.bpp = word(header - 4);
        size_t maskBytes = (size_t(r.planes) * r.width * r.height + 15) / 16 * 2;
        size_t colourBytes = (size_t(r.planes) * r.width * r.height * r.bpp + 15) / 16 * 2;
        r.iconLayoutOk = r.width > 0 && r.width <= 256 && r.height > 0 && r.height <= 256 && r.planes == 1 &&
                         (r.bpp == 24 || r.bpp == 32) && header + maskBytes + colourBytes == size;
        if (r.iconLayoutOk) {
            r.mask.assign(bytes + header, bytes + header + maskBytes);
            r.colour.assign(bytes + header + maskBytes, bytes + size);
        } else {
            r.colour.assign(bytes + header, bytes + size);  // kept raw for the checksum
        }
        r.checksum = Fnv1a(r.mask, r.colour);
    }
    return r;
}

// Writes the icon of a record as a 24-bit .bmp, drawn through its mask onto `background`
// (0xRRGGBB), so that what the tray would show can be looked at. False without icon bits.
inline bool WriteIconBmp(const TrayRecord& r, const char* path, uint32_t background) {
    if (!r.iconLayoutOk) return false;
    const unsigned stride = (r.width * 3 + 3) & ~3u;
    std::vector<uint8_t> pixels(size_t(stride) * r.height, 0);
    const unsigned maskStride = (r.width + 15) / 16 * 2;
    const unsigned colourStride = (r.width * r.bpp + 15) / 16 * 2;
    for (unsigned y = 0; y < r.height; ++y) {
        for (unsigned x = 0; x < r.width; ++x) {
            const uint8_t* c = &r.colour[y * colourStride + x * (r.bpp / 8)];
            uint32_t rgb = (uint32_t(c[2]) << 16) | (uint32_t(c[1]) << 8) | c[0];
            // The icon rule: the screen is ANDed with the mask, then XORed with the colour.
            if (r.mask[y * maskStride + x / 8] & (0x80 >> (x % 8))) rgb ^= background;
            uint8_t* out = &pixels[(r.height - 1 - y) * stride + x * 3];  // bottom-up rows
            out[0] = uint8_t(rgb);
            out[1] = uint8_t(rgb >> 8);
            out[2] = uint8_t(rgb >> 16);
        }
    }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    info.biSize = sizeof info;
    info.biWidth = LONG(r.width);
    info.biHeight = LONG(r.height);
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = DWORD(pixels.size());
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
              std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
    return std::fclose(f) == 0 && ok;
}

// The shell window and its thread.
class FakeShell {
public:
    // Runs on the shell's thread for every record, before the call returns to the program.
    using Listener = std::function<void(const TrayRecord&)>;

    explicit FakeShell(Listener listener = {}) : listener_(std::move(listener)) {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &FakeShell::ThreadMain, this, 0, &threadId_);
        WaitForSingleObject(ready_, 10000);
    }
    ~FakeShell() {
        if (thread_) {
            PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
            WaitForSingleObject(thread_, 10000);
            CloseHandle(thread_);
        }
        if (ready_) CloseHandle(ready_);
    }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    HWND Window() const { return window_; }
    // Whether Shell_NotifyIcon would talk to this window.
    bool IsFound() const { return window_ && FindWindowA("Shell_TrayWnd", nullptr) == window_; }

    // What the shell answers (TRUE accepts); false imitates a shell that refuses.
    void SetAccept(bool accept) {
        std::lock_guard<std::mutex> lock(mutex_);
        accept_ = accept;
    }
    std::vector<TrayRecord> Records() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return records_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return records_.size();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        records_.clear();
    }
    // The last record that added an icon (for the callback window and message).
    bool LastAdd(TrayRecord& out) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = records_.rbegin(); it != records_.rend(); ++it)
            if (it->op == 0) {
                out = *it;
                return true;
            }
        return false;
    }

    // Posts the icon's callback message as the shell does on a mouse event: wParam the
    // icon identifier, lParam the mouse message. False when no icon was added yet.
    bool PostCallback(UINT mouseMessage) {
        TrayRecord add;
        if (!LastAdd(add)) return false;
        return SendMessageA(window_, kPostCallback, mouseMessage, 0) != 0;
    }

    // A shell restart: the window goes away, a new one comes, and the registered
    // "TaskbarCreated" is broadcast to every top-level window (unless not `announced`).
    void Restart(bool announced = true) { SendMessageA(window_, kRestart, announced ? 0 : 1, 0); }

    // Requests another process may send to the shell window (see tools/win32/fakeshell.cpp):
    // kPostCallback with wParam the mouse message, kRestart, and kIdentify, answered with
    // kIdentity so that a caller can tell this window from a real shell's.
    static constexpr UINT kPostCallback = WM_APP + 1;
    static constexpr UINT kRestart = WM_APP + 2;
    static constexpr UINT kIdentify = WM_APP + 3;
    static constexpr LRESULT kIdentity = 0x5E11;

private:

    static DWORD WINAPI ThreadMain(void* param) {
        auto* self = static_cast<FakeShell*>(param);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &FakeShell::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);  // fails harmlessly when an earlier shell registered it
        self->Create();
        SetEvent(self->ready_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (self->window_) DestroyWindow(self->window_);
        self->window_ = nullptr;
        return 0;
    }

    void Create() {
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), this);
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<FakeShell*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!self) return DefWindowProcA(window, message, wParam, lParam);
        switch (message) {
        case WM_COPYDATA: {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lParam);
            TrayRecord r = Decode(unsigned(cds->dwData), cds->lpData, cds->cbData);
            bool accept;
            {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->records_.push_back(r);
                accept = self->accept_;
            }
            if (self->listener_) self->listener_(r);
            return accept;
        }
        case kPostCallback: {
            TrayRecord add;
            if (!self->LastAdd(add)) return 0;
            return PostMessageA(reinterpret_cast<HWND>(uintptr_t(add.window)), add.callback, add.id, LPARAM(wParam));
        }
        case kIdentify:
            return kIdentity;
        case kRestart:
            // The new window comes first, so that Window() never names a dead one.
            self->Create();
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
            // wParam 1: a quiet restart, as under Wine, whose shell never announces itself.
            if (wParam == 0) PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            return 1;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
        }
    }

    Listener listener_;
    mutable std::mutex mutex_;
    std::vector<TrayRecord> records_;
    bool accept_ = true;
    std::atomic<HWND> window_{nullptr};
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

}  // namespace fakeshell
