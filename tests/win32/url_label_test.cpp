// The hyperlink label's window: its colours as painted, the shell opening its target, the
// "Copy" menu and the clipboard, and the program's hand cursor.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ui/url_label_win32.h"
#include "file_text.h"

namespace {

std::string ExeFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1);
}

// Waits up to `ms` for the record to hold `lines` complete lines.
std::string WaitForLines(const std::string& path, int lines, DWORD ms) {
    const DWORD start = GetTickCount();
    std::string text;
    do {
        text = ReadFileText(path);
        int n = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
        if (n >= lines) return text;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return text;
}

// How many pixels the label paints in exactly `rgb` (0x00RRGGBB).
int PaintedPixels(HWND label, DWORD rgb) {
    RECT r;
    GetClientRect(label, &r);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    int count = 0;
    const auto* p = static_cast<const DWORD*>(bits);
    for (int i = 0; i < r.right * r.bottom; ++i) count += (p[i] & 0xFFFFFF) == rgb;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return count;
}
constexpr DWORD kBlue = 0x0000FF, kPurple = 0x800080;

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class UrlLabelWindow : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "QuillarTestLinkHost";
        RegisterClassA(&wc);
        host = CreateWindowExA(0, wc.lpszClassName, "link host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 120,
                               nullptr, nullptr, wc.hInstance, nullptr);
        label = CreateUrlLabelWindow(host, 7, RECT{10, 10, 330, 30}, true, "Quillar's home page",
                                     "http://www.quillar.example/page?a=1&b=2");
        font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    void TearDown() override {
        DestroyWindow(host);
        DeleteObject(font);
    }
    HWND host = nullptr, label = nullptr;
    HFONT font = nullptr;
};

TEST_F(UrlLabelWindow, IsBlueAndUnderlinedAndPurpleOnlyWhileTheLeftButtonIsHeld) {
    ASSERT_NE(label, nullptr);
    ASSERT_NE(UrlLabelOf(label), nullptr);
    EXPECT_EQ(UrlLabelOf(host), nullptr);
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(lf.lfHeight, -11) << "the window's font, underlined";

    const int blue = PaintedPixels(label, kBlue);
    EXPECT_GT(blue, 20);
    EXPECT_EQ(PaintedPixels(label, kPurple), 0);

    SendMessageA(label, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
    SendMessageA(label, WM_MBUTTONDOWN, MK_MBUTTON | MK_RBUTTON, At(5, 5));
    EXPECT_EQ(PaintedPixels(label, kPurple), 0) << "right and middle presses";
    SendMessageA(label, WM_MBUTTONUP, MK_RBUTTON, At(5, 5));

    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(GetCapture(), label);
    EXPECT_EQ(PaintedPixels(label, kPurple), blue);
    EXPECT_EQ(PaintedPixels(label, kBlue), 0);

    // Let go outside the label: nothing opens, the colour comes back, the mouse is free.
    SendMessageA(label, WM_LBUTTONUP, 0, At(-40, 60));
    EXPECT_EQ(PaintedPixels(label, kBlue), blue);
    EXPECT_EQ(GetCapture(), nullptr);

    // Another window taking the mouse while the button is held also brings the colour back.
    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SetCapture(host);
    EXPECT_EQ(PaintedPixels(label, kBlue), blue);
    ReleaseCapture();
}

// Points the shell's "open" of web addresses at the recorder for the test, and puts the
// prefix's own command back afterwards.
class UrlLabelShell : public UrlLabelWindow {
protected:
    static constexpr const char* kCommandKey = "http\\shell\\open\\command";
    void SetUp() override {
        UrlLabelWindow::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        record = std::string(temp) + "quillar link " + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(record.c_str());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        char old[1024];
        DWORD size = sizeof old;
        hadCommand = RegQueryValueExA(key, nullptr, nullptr, &oldType, reinterpret_cast<BYTE*>(old), &size) ==
                     ERROR_SUCCESS;
        if (hadCommand) oldCommand.assign(old, size);
        const std::string command = "\"" + ExeFolder() + "..\\urlrecord.exe\" \"" + record + "\" \"%1\"";
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    void TearDown() override {
        if (key) {
            if (hadCommand)
                RegSetValueExA(key, nullptr, 0, oldType, reinterpret_cast<const BYTE*>(oldCommand.data()),
                               static_cast<DWORD>(oldCommand.size()));
            else
                RegDeleteValueA(key, nullptr);
            RegCloseKey(key);
        }
        DeleteFileA(record.c_str());
        UrlLabelWindow::TearDown();
    }
    void ClickAt(int x, int y) {
        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        SendMessageA(label, WM_LBUTTONUP, 0, At(x, y));
    }
    std::string record;
    HKEY key = nullptr;
    bool hadCommand = false;
    DWORD oldType = REG_SZ;
    std::string oldCommand;
};

TEST_F(UrlLabelShell, AClickOpensTheTargetThroughTheShell) {
    // A press that is let go outside is no click: had it opened, the record would show it first.
    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SendMessageA(label, WM_LBUTTONUP, 0, At(5, 300));
    ClickAt(20, 8);
    EXPECT_EQ(WaitForLines(record, 1, 15000), "http://www.quillar.example/page?a=1&b=2\r\n");
    EXPECT_EQ(PaintedPixels(label, kPurple), 0) << "blue again after the click";

    // A blank target opens the caption, the one the window shows now.
    UrlLabelOf(label)->URL = "   ";
    SetWindowTextA(label, "http://caption.quillar.example/");
    ClickAt(20, 8);
    EXPECT_EQ(WaitForLines(record, 2, 15000),
              "http://www.quillar.example/page?a=1&b=2\r\nhttp://caption.quillar.example/\r\n");
}

// Runs beside the label's menu: finds it, reads its items, checks the label's colour while
// the menu is up, and chooses the first item with the keyboard.
struct MenuOperator {
    std::atomic<bool> found{false};
    int items = -1;
    char first[32] = "";
    TColor colourWhileOpen = 0;
    std::thread Start(HWND label) {
        return std::thread([this, label] {
            HWND menu = nullptr;
            for (int i = 0; i < 400; ++i) {  // up to 10 s
                menu = FindWindowA("#32768", nullptr);
                if (menu && IsWindowVisible(menu)) break;
                menu = nullptr;
                Sleep(25);
            }
            if (!menu) return;
            HMENU m = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            items = GetMenuItemCount(m);
            GetMenuStringA(m, 0, first, sizeof first, MF_BYPOSITION);
            colourWhileOpen = UrlLabelOf(label)->FontColor;
            found = true;
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        });
    }
};

void PutOnClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    strcpy(static_cast<char*>(GlobalLock(block)), text);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<not open>";
    std::string text = "<none>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(UrlLabelWindow, RightClickOffersCopyWhichPutsTheCaptionOnTheClipboard) {
    PutOnClipboard("sentinel");
    ASSERT_EQ(ClipboardText(), "sentinel");
    MenuOperator op;
    std::thread t = op.Start(label);
    SendMessageA(label, WM_RBUTTONDOWN, MK_RBUTTON, At(20, 8));
    SendMessageA(label, WM_RBUTTONUP, 0, At(20, 8));  // the menu runs inside this call
    t.join();
    ASSERT_TRUE(op.found) << "no menu appeared";
    EXPECT_EQ(op.items, 1);
    EXPECT_STREQ(op.first, "Copy");
    EXPECT_EQ(op.colourWhileOpen, clBlue);
    EXPECT_EQ(ClipboardText(), "Quillar's home page");
}

TEST_F(UrlLabelWindow, ShowsTheProgramsHandCursor) {
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "HAND");
    ASSERT_NE(hand, nullptr) << "the test program carries the program's cursor";
    SetCursor(nullptr);
    EXPECT_TRUE(SendMessageA(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), hand);

    // The program itself carries it too, with its hot spot at the finger tip.
    HMODULE program = LoadLibraryExA((ExeFolder() + "..\\QuillarSim.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC group = FindResourceA(program, "HAND", MAKEINTRESOURCEA(12) /* RT_GROUP_CURSOR */);
    EXPECT_NE(group, nullptr);
    FreeLibrary(program);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

}  // namespace
