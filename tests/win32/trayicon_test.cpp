// The tray icon component, the picture list and the text icons, against a fake shell
// window that records what Shell_NotifyIconA sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "common/handles_win32.h"
#include "ui/imagelist_win32.h"
#include "ui/tray_view_win32.h"
#include "ui/trayicon2_win32.h"
#include "win32/fake_shell.h"

using fakeshell::FakeShell;
using fakeshell::TrayRecord;

namespace {

void PumpOnce() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        PumpOnce();
        Sleep(5);
    } while (GetTickCount() - start < ms);
    PumpOnce();
}

template <class Pred>
bool PumpUntil(Pred done, DWORD ms = 3000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        PumpOnce();
        Sleep(5);
    }
    return true;
}

// The committed picture strip, found from this file's place in the tree. Under Wine the
// Unix path is turned into a drive path.
std::string PictureStripPath() {
    std::string file = __FILE__;
    std::string root = file.substr(0, file.rfind("tests"));
    std::string unixPath = root + "src/app/res/trayicons.bmp";
    using ToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos && !unixPath.empty() && unixPath[0] == '/') {
        if (WCHAR* dos = toDos(unixPath.c_str())) {
            char buffer[MAX_PATH * 2];
            WideCharToMultiByte(CP_ACP, 0, dos, -1, buffer, sizeof buffer, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, dos);
            return buffer;
        }
    }
    return unixPath;
}

std::unique_ptr<ImageList> LoadPictures() {
    auto list = std::make_unique<ImageList>();
    EXPECT_TRUE(list->AddStripFromFile(PictureStripPath().c_str())) << PictureStripPath();
    return list;
}

// Pixels of a 16 x 16 bitmap as 0xRRGGBB, top row first.
std::vector<uint32_t> Pixels(HBITMAP bitmap) {
    std::vector<uint32_t> out(16 * 16, 0xDEADBEEF);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const win32::WindowDC screen;
    GetDIBits(screen.Get(), bitmap, 0, 16, out.data(), &bi, DIB_RGB_COLORS);
    for (auto& p : out) p &= 0xFFFFFF;
    return out;
}

// Picture `index` drawn through its mask onto a plain background.
std::vector<uint32_t> PixelsOn(const ImageList& list, int index, COLORREF background) {
    const win32::Bitmap b(CreateCompatibleBitmap(win32::WindowDC().Get(), 16, 16));
    {
        const win32::MemoryDC dc(nullptr);
        const win32::Selection select(dc.Get(), b.Get());
        const win32::Brush brush(CreateSolidBrush(background));
        RECT all{0, 0, 16, 16};
        FillRect(dc.Get(), &all, brush.Get());
        list.Draw(index, dc.Get(), 0, 0);
    }
    return Pixels(b.Get());
}

std::vector<uint32_t> PicturePixels(const ImageList& list, int index) {
    return Pixels(list.GetBitmap(index).Get());
}

bool IsRed(uint32_t p) { return (p >> 16 & 0xFF) > 150 && (p >> 8 & 0xFF) < 80 && (p & 0xFF) < 80; }
bool IsGreen(uint32_t p) { return (p >> 8 & 0xFF) > 90 && (p >> 16 & 0xFF) < 80 && (p & 0xFF) < 80; }
bool IsDark(uint32_t p) { return (p >> 16 & 0xFF) < 100 && (p >> 8 & 0xFF) < 100 && (p & 0xFF) < 100; }

class TrayIconTest : public testing::Test {
protected:
    static void SetUpTestSuite() { shell_ = new FakeShell; }
    static void TearDownTestSuite() {
        delete shell_;
        shell_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(shell_->IsFound()) << "another Shell_TrayWnd window is in front of the fake shell";
        shell_->SetAccept(true);
        shell_->Clear();
    }
    static std::vector<TrayRecord> Records() { return shell_->Records(); }
    static TrayRecord Last() {
        auto all = Records();
        return all.empty() ? TrayRecord{} : all.back();
    }
    static FakeShell* shell_;
};
FakeShell* TrayIconTest::shell_ = nullptr;

}  // namespace

TEST_F(TrayIconTest, AddModifyDeleteReachTheShellOnlyWhileActive) {
    auto pictures = LoadPictures();
    const win32::Icon nine = pictures->GetIcon(9);
    {
        TTrayIcon2 tray;
        EXPECT_EQ(tray.AnimateInterval(), 100);
        // Changes while inactive are stored, not sent.
        tray.SetToolTip("Quillar Vantor");
        tray.SetIcon(nine.Get());
        EXPECT_EQ(shell_->Count(), 0u);

        tray.SetActive(true);
        tray.SetActive(true);
        auto records = Records();
        ASSERT_EQ(records.size(), 1u) << "setting Active twice must add once";
        const TrayRecord& add = records[0];
        std::printf("add record: %s\n", fakeshell::Describe(add).c_str());
        EXPECT_EQ(add.op, unsigned{NIM_ADD});
        EXPECT_EQ(add.id, 0u);
        EXPECT_EQ(add.flags, unsigned(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(add.callback, RegisterWindowMessageA("WM_TOOLTRAYICON"));
        EXPECT_EQ(add.window, uint32_t(uintptr_t(tray.Handle())));
        EXPECT_EQ(add.tip, "Quillar Vantor");
        ASSERT_TRUE(add.iconLayoutOk);
        EXPECT_EQ(add.width, 16u);
        EXPECT_EQ(add.height, 16u);
        // The stored copy of the icon, not the caller's handle, is what the component shows.
        EXPECT_NE(tray.Icon(), nine.Get());

        tray.SetToolTip("second");
        TrayRecord modify = Last();
        EXPECT_EQ(modify.op, unsigned{NIM_MODIFY});
        EXPECT_EQ(modify.flags, unsigned(NIF_ICON | NIF_TIP));
        EXPECT_EQ(modify.tip, "second");
        EXPECT_EQ(modify.checksum, add.checksum);

        tray.SetActive(false);
        tray.SetActive(false);
        records = Records();
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[2].op, unsigned{NIM_DELETE});
        EXPECT_EQ(records[2].window, add.window);

        // The destruction of an inactive icon sends nothing.
    }
    EXPECT_EQ(shell_->Count(), 3u);

    // ... and of an active one removes it.
    {
        TTrayIcon2 tray;
        tray.SetActive(true);
    }
    ASSERT_EQ(shell_->Count(), 5u);
    EXPECT_EQ(Last().op, unsigned{NIM_DELETE});
}

TEST_F(TrayIconTest, ToolTipIsCutTo62CharactersAndKeepsItsBytes) {
    TTrayIcon2 tray;
    tray.SetActive(true);
    std::string tip = "Quillar Vantor\rTemp: 48\xB0\rCPU 1: 97%\rCPU 2: 95%\rCPU 3: 99%\rCPU 4: 98%";
    while (tip.size() < 70) tip += 'x';
    tip.resize(70);
    tray.SetToolTip(tip);
    EXPECT_EQ(tray.ToolTip(), tip.substr(0, 62));
    TrayRecord r = Last();
    std::printf("tip record: %s\n", fakeshell::Describe(r).c_str());
    EXPECT_EQ(r.op, unsigned{NIM_MODIFY});
    EXPECT_EQ(r.tip.size(), 62u);
    EXPECT_EQ(r.tip, tip.substr(0, 62));
}

TEST_F(TrayIconTest, EmptyTipAtAddIsSentAgainFromTheMessageLoop) {
    TTrayIcon2 tray;
    tray.SetActive(true);
    ASSERT_EQ(shell_->Count(), 1u);
    // A tip set before the queued reset is handled is what the shell gets in the end.
    tray.SetToolTip("late tip");
    ASSERT_TRUE(PumpUntil([] { return shell_->Count() >= 3; }));
    TrayRecord r = Last();
    EXPECT_EQ(r.op, unsigned{NIM_MODIFY});
    EXPECT_TRUE(r.flags & NIF_TIP);
    EXPECT_EQ(r.tip, "late tip");

    // With a tip at the add nothing more follows.
    TTrayIcon2 other;
    other.SetToolTip("ready");
    shell_->Clear();
    other.SetActive(true);
    Pump(100);
    EXPECT_EQ(shell_->Count(), 1u);
}

TEST_F(TrayIconTest, AnimationNeedsPicturesAndAnActiveIconAndRestoresThePicture) {
    auto pictures = LoadPictures();
    ImageList empty;
    TTrayIcon2 tray;
    tray.SetActive(true);
    tray.SetAnimate(true);
    EXPECT_FALSE(tray.Animate()) << "no pictures";
    tray.SetImages(&empty);
    tray.SetAnimate(true);
    EXPECT_FALSE(tray.Animate()) << "empty picture list";
    tray.SetImages(pictures.get());
    tray.SetActive(false);
    tray.SetAnimate(true);
    EXPECT_FALSE(tray.Animate()) << "inactive icon";
    tray.SetActive(true);

    tray.SetTrayIcon(9);
    const uint32_t nine = Last().checksum;
    tray.SetTrayIcon(3);
    const uint32_t three = Last().checksum;
    EXPECT_NE(nine, three);
    tray.SetTrayIcon(9);
    EXPECT_EQ(Last().checksum, nine);

    tray.SetAnimateInterval(0);
    tray.SetAnimateInterval(-5);
    EXPECT_EQ(tray.AnimateInterval(), 100);
    tray.SetAnimateInterval(20);
    EXPECT_EQ(tray.AnimateInterval(), 20);

    shell_->Clear();
    tray.SetAnimate(true);
    ASSERT_TRUE(tray.Animate());
    EXPECT_TRUE(PumpUntil([] { return shell_->Count() >= 4; }));
    std::set<uint32_t> frames;
    for (auto& r : Records()) {
        EXPECT_EQ(r.op, unsigned{NIM_MODIFY});
        frames.insert(r.checksum);
    }
    EXPECT_GE(frames.size(), 3u) << "the frames should differ";

    tray.SetAnimate(false);
    EXPECT_FALSE(tray.Animate());
    EXPECT_EQ(Last().checksum, nine) << "the picture before the animation comes back";
    shell_->Clear();
    Pump(100);
    EXPECT_EQ(shell_->Count(), 0u) << "the animation timer must stop";

    // Turning it off again must not bring back anything.
    tray.SetTrayIcon(5);
    shell_->Clear();
    tray.SetAnimate(false);
    EXPECT_EQ(shell_->Count(), 0u);
}

TEST_F(TrayIconTest, SetTrayIconStopsTheAnimationAndIgnoresBadIndexes) {
    auto pictures = LoadPictures();
    TTrayIcon2 tray;
    tray.SetImages(pictures.get());
    tray.SetActive(true);
    tray.SetTrayIcon(3);
    const uint32_t three = Last().checksum;
    tray.SetTrayIcon(0);

    tray.SetAnimateInterval(20);
    tray.SetAnimate(true);
    Pump(60);
    tray.SetTrayIcon(3);
    EXPECT_FALSE(tray.Animate());
    EXPECT_EQ(tray.FrameIndex(), 3);
    EXPECT_EQ(Last().checksum, three);
    shell_->Clear();
    Pump(100);
    EXPECT_EQ(shell_->Count(), 0u) << "no more frames after SetTrayIcon";

    tray.SetTrayIcon(pictures->Count());
    tray.SetTrayIcon(-1);
    EXPECT_EQ(shell_->Count(), 0u);
    EXPECT_EQ(tray.FrameIndex(), 3);

    // The picture list going away ends the animation and the reference.
    tray.SetAnimate(true);
    ASSERT_TRUE(tray.Animate());
    pictures.reset();
    EXPECT_FALSE(tray.Animate());
    EXPECT_EQ(tray.Images(), nullptr);
    shell_->Clear();
    Pump(80);
    EXPECT_EQ(shell_->Count(), 0u);
}

TEST_F(TrayIconTest, ShellCallbacksRaiseTheEvents) {
    TTrayIcon2 tray;
    int clicks = 0, doubles = 0, rights = 0;
    TTrayIcon2* sender = nullptr;
    tray.OnClick = [&](TTrayIcon2& s) {
        ++clicks;
        sender = &s;
    };
    tray.OnDblClick = [&](TTrayIcon2&) { ++doubles; };
    TMouseButton button = TMouseButton::mbLeft;
    TShiftState shift = 99;
    POINT at{-1, -1};
    tray.OnRightClick = [&](TTrayIcon2&, TMouseButton b, TShiftState s, int x, int y) {
        ++rights;
        button = b;
        shift = s;
        at = {x, y};
    };
    tray.SetToolTip("events");
    tray.SetActive(true);

    // The shell's sequence for a double click.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_MOUSEMOVE})
        ASSERT_TRUE(shell_->PostCallback(m));
    Pump(50);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(sender, &tray);
    EXPECT_EQ(rights, 0);

    SetCursorPos(120, 90);
    POINT cursor{};
    GetCursorPos(&cursor);
    ASSERT_TRUE(shell_->PostCallback(WM_RBUTTONUP));
    ASSERT_TRUE(PumpUntil([&] { return rights == 1; }));
    EXPECT_EQ(button, TMouseButton::mbRight);
    EXPECT_EQ(shift, 0u);
    EXPECT_EQ(at.x, cursor.x);
    EXPECT_EQ(at.y, cursor.y);
}

namespace {
// Chooses the first item of whatever pop-up menu is open, as a user with the keyboard would.
void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu) return;
    KillTimer(nullptr, id);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}
}  // namespace

TEST_F(TrayIconTest, RightClickOpensTheMenuAndRunsTheChosenCommandAfterwards) {
    TTrayIcon2 tray;
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 800, "&Hide");
    AppendMenuA(menu, MF_STRING, 803, "E&xit");
    std::vector<std::string> order;
    UINT chosen = 0;
    tray.SetPopupMenu(
        menu,
        [&](UINT command) {
            order.push_back("command");
            chosen = command;
        },
        [&](TTrayIcon2&) { order.push_back("popup"); });
    tray.OnRightClick = [&](TTrayIcon2&, TMouseButton, TShiftState, int, int) { order.push_back("right"); };
    tray.SetActive(true);

    UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseFirstMenuItem);
    ASSERT_TRUE(shell_->PostCallback(WM_RBUTTONUP));
    bool done = PumpUntil([&] { return order.size() >= 3; }, 5000);
    KillTimer(nullptr, timer);
    if (!done) EndMenu();
    ASSERT_TRUE(done) << "menu never closed; events so far: " << order.size();
    EXPECT_EQ(order, (std::vector<std::string>{"popup", "right", "command"}));
    EXPECT_EQ(chosen, 800u);
    EXPECT_TRUE(IsMenu(menu)) << "a menu given by the host stays the host's";
    DestroyMenu(menu);

    // A menu built for each opening is shown over the application window and destroyed
    // after it closed.
    HWND app = CreateWindowExA(0, "STATIC", "application", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    tray.SetApplicationWindowProvider([app] { return app; });
    std::vector<HMENU> built;
    tray.SetPopupMenuBuilder(
        [&] {
            HMENU m = CreatePopupMenu();
            AppendMenuA(m, MF_STRING | MF_CHECKED, 801, "&Enabled");
            built.push_back(m);
            return m;
        },
        [&](UINT command) { chosen = command; });
    chosen = 0;
    timer = SetTimer(nullptr, 0, 50, ChooseFirstMenuItem);
    ASSERT_TRUE(shell_->PostCallback(WM_RBUTTONUP));
    done = PumpUntil([&] { return chosen != 0; }, 5000);
    KillTimer(nullptr, timer);
    if (!done) EndMenu();
    ASSERT_TRUE(done);
    EXPECT_EQ(chosen, 801u);
    ASSERT_EQ(built.size(), 1u);
    EXPECT_FALSE(IsMenu(built[0]));
    DestroyWindow(app);
}

namespace {
// A stand-in for the application window that counts the close requests it gets and, as a
// window whose owner decides, does not go by itself.
int g_applicationCloses = 0;
LRESULT CALLBACK CountingApplicationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++g_applicationCloses;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

TEST_F(TrayIconTest, ACloseRequestFromOutsideIsTheApplicationsAndTheIconStays) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingApplicationProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrayTestApplication";
    RegisterClassA(&wc);  // a second run in the same process finds it registered
    HWND app = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                               nullptr);
    ASSERT_TRUE(app);
    g_applicationCloses = 0;

    TTrayIcon2 tray;
    tray.SetToolTip("close me");
    tray.SetActive(true);
    const HWND window = tray.Handle();

    // Without an application window nobody could end the program the ordinary way: the
    // request goes nowhere, and the component keeps its window.
    PostMessageA(window, WM_CLOSE, 0, 0);
    Pump(50);
    EXPECT_TRUE(IsWindow(window));

    // A task manager's close (without force) reaches every top-level window of the process,
    // this one too: it is passed on to the application window, whose owner ends the program.
    tray.SetApplicationWindow(app);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return g_applicationCloses == 1; }, 2000))
        << "close requests the application window got: " << g_applicationCloses;
    Pump(50);
    EXPECT_EQ(g_applicationCloses, 1);
    EXPECT_TRUE(IsWindow(window)) << "the component's window goes only with the component";
    auto records = Records();
    ASSERT_EQ(records.size(), 1u) << "the icon stays until its owner removes it";
    EXPECT_EQ(records[0].op, unsigned{NIM_ADD});
    DestroyWindow(app);
}

TEST_F(TrayIconTest, TaskbarCreatedAddsTheActiveIconAgain) {
    auto pictures = LoadPictures();
    TTrayIcon2 shown, hidden;
    shown.SetImages(pictures.get());
    shown.SetToolTip("shown");
    // The first add fails (the shell is not ready); the setter keeps Active all the same.
    shell_->SetAccept(false);
    shown.SetActive(true);
    EXPECT_TRUE(shown.Active());
    shell_->SetAccept(true);
    shown.SetTrayIcon(9);
    const uint32_t nine = Last().checksum;
    hidden.SetToolTip("hidden");
    shell_->Clear();

    shell_->Restart();
    ASSERT_TRUE(shell_->IsFound());
    ASSERT_TRUE(PumpUntil([] { return shell_->Count() >= 1; }));
    Pump(100);
    auto records = Records();
    ASSERT_EQ(records.size(), 1u) << "only the active icon comes back";
    EXPECT_EQ(records[0].op, unsigned{NIM_ADD});
    EXPECT_EQ(records[0].window, uint32_t(uintptr_t(shown.Handle())));
    EXPECT_EQ(records[0].tip, "shown");
    EXPECT_EQ(records[0].checksum, nine);
}

TEST_F(TrayIconTest, RecreatedComponentAddsTheIconAgainWithItsPropertiesAndEvents) {
    auto pictures = LoadPictures();
    auto tray = std::make_unique<TTrayIcon2>();
    tray->SetImages(pictures.get());
    tray->SetToolTip("kept tip");
    tray->SetActive(true);
    tray->SetTrayIcon(9);
    const uint32_t nine = Last().checksum;
    int doubleClicks = 0;
    bool recreatedInsideItsEvent = false;
    tray->OnDblClick = [&](TTrayIcon2& sender) {
        ++doubleClicks;
        // The component cannot go while it raises an event: it is handed back unchanged.
        TTrayIcon2* self = &sender;
        tray = TTrayIcon2::Recreate(std::move(tray));
        recreatedInsideItsEvent = tray.get() != self || !tray;
    };
    int clicks = 0;
    tray->OnClick = [&](TTrayIcon2&) { ++clicks; };
    tray->SetAnimateInterval(250);
    tray->SetHideAppOnActive(true);
    HMENU menu = CreatePopupMenu();
    tray->SetPopupMenu(menu, [](UINT) {});
    const HWND app = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "application", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                     nullptr, nullptr, nullptr, nullptr);
    tray->SetApplicationWindowProvider([app] { return app; });
    const HWND oldWindow = tray->Handle();
    shell_->Clear();
    shell_->Restart(false);  // no announcement: nothing comes back by itself
    ASSERT_TRUE(shell_->IsFound());
    Pump(100);
    EXPECT_EQ(shell_->Count(), 0u);

    tray = TTrayIcon2::Recreate(std::move(tray));
    ASSERT_TRUE(tray);
    TrayRecord add = Last();
    EXPECT_EQ(add.op, 0u) << fakeshell::Describe(add);
    EXPECT_EQ(add.flags, 7u) << "message, icon and tip in one add";
    EXPECT_EQ(add.tip, "kept tip");
    EXPECT_EQ(add.checksum, nine) << "the picture shown before";
    EXPECT_EQ(add.window, uint32_t(uintptr_t(tray->Handle())));
    EXPECT_NE(tray->Handle(), oldWindow);
    EXPECT_FALSE(IsWindow(oldWindow)) << "the old component is gone";
    EXPECT_EQ(tray->Images(), pictures.get());
    EXPECT_EQ(tray->AnimateInterval(), 250);
    EXPECT_TRUE(tray->HideAppOnActive());
    EXPECT_EQ(tray->PopupMenu(), menu);
    EXPECT_EQ(tray->ApplicationWindow(), app);
    EXPECT_FALSE(IsWindowVisible(app)) << "the application window goes while the icon is shown";

    ASSERT_TRUE(shell_->PostCallback(WM_LBUTTONDBLCLK));
    ASSERT_TRUE(PumpUntil([&] { return doubleClicks == 1; }));
    EXPECT_FALSE(recreatedInsideItsEvent);
    ASSERT_TRUE(shell_->PostCallback(WM_LBUTTONUP));
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; })) << "the click event came along too";
    DestroyMenu(menu);
    DestroyWindow(app);

    // An inactive component comes back inactive: nothing reaches the shell.
    tray->SetActive(false);
    shell_->Clear();
    tray = TTrayIcon2::Recreate(std::move(tray));
    EXPECT_FALSE(tray->Active());
    EXPECT_EQ(tray->ToolTip(), "kept tip");
    EXPECT_EQ(shell_->Count(), 0u);
}

TEST(TrayPictures, TheStripHoldsTheTwelvePicturesInTheirOrder) {
    auto pictures = LoadPictures();
    ASSERT_EQ(pictures->Count(), 12);
    // The level bar (columns 13-14) fills from the bottom, more for each level, and turns
    // from red through yellow to green.
    int previous = -1;
    for (int level = 0; level < 8; ++level) {
        auto p = PicturePixels(*pictures, level);
        int filled = 0;
        for (int y = 1; y < 15; ++y)
            if (IsRed(p[y * 16 + 13]) || IsGreen(p[y * 16 + 13]) || (p[y * 16 + 13] & 0xFFFF00) == 0xF0C800)
                ++filled;
        EXPECT_GT(filled, previous) << "level " << level;
        previous = filled;
        EXPECT_TRUE(IsDark(p[7 * 16 + 1])) << "processor body, level " << level;
    }
    EXPECT_EQ(previous, 14) << "picture 7 is full";
    auto seven = PicturePixels(*pictures, 7);
    EXPECT_TRUE(IsRed(seven[14 * 16 + 13]));
    EXPECT_TRUE(IsGreen(seven[1 * 16 + 13]));

    auto count = [](const std::vector<uint32_t>& p, bool (*pred)(uint32_t)) {
        int n = 0;
        for (auto v : p) n += pred(v);
        return n;
    };
    auto cross = PicturePixels(*pictures, 8), arrows = PicturePixels(*pictures, 9),
         crossed = PicturePixels(*pictures, 10), blank = PicturePixels(*pictures, 11);
    EXPECT_GT(count(cross, IsRed), 20);
    EXPECT_EQ(count(cross, IsGreen), 0);
    EXPECT_GT(count(arrows, IsGreen), 20);
    EXPECT_EQ(count(arrows, IsRed), 0);
    EXPECT_GT(count(crossed, IsRed), 20);
    EXPECT_GT(count(crossed, IsDark), 10);
    for (auto v : blank) ASSERT_EQ(v, 0xFFFFFFu) << "the drawing slot starts blank";

    // White is transparent: on another background the background shows where the picture
    // is white, and the drawn parts stay as they are.
    const uint32_t blue = 0x0000C0;  // as 0xRRGGBB
    for (auto v : PixelsOn(*pictures, 11, RGB(0, 0, 0xC0))) ASSERT_EQ(v, blue);
    auto onBlue = PixelsOn(*pictures, 8, RGB(0, 0, 0xC0));
    EXPECT_EQ(onBlue[0], blue) << "corner of the cross";
    EXPECT_EQ(onBlue[15], blue);
    EXPECT_EQ(onBlue[1 * 16 + 1], cross[1 * 16 + 1]) << "the stroke itself";
}

TEST_F(TrayIconTest, TextIconsAreDrawnIntoTheLastPicture) {
    // The program's tray, with the committed pictures instead of the program's resources.
    ProgramTrayView view(nullptr, 0);
    ASSERT_EQ(view.ImageCount(), 0);
    ASSERT_TRUE(view.Images().AddStripFromFile(PictureStripPath().c_str()));
    ImageList* pictures = &view.Images();
    TTrayIcon2& tray = view.Tray();
    EXPECT_EQ(view.ImageCount(), 12);
    const auto five = PicturePixels(*pictures, 5);

    // A number on white.
    EXPECT_EQ(view.RenderTextIcon("97", -1), 11);
    auto slot = PicturePixels(*pictures, 11);
    int dark = 0, leftOfText = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (IsDark(slot[y * 16 + x])) {
                ++dark;
                if (x < 2) ++leftOfText;
            }
    EXPECT_GT(dark, 10) << "the digits should be visible";
    EXPECT_EQ(leftOfText, 0) << "the text starts at x = 2";

    // Through the shell: white is transparent, the digits are opaque black.
    tray.SetActive(true);
    view.SetTrayIcon(11);
    TrayRecord r = Last();
    ASSERT_TRUE(r.iconLayoutOk) << fakeshell::Describe(r);
    int transparent = 0, black = 0;
    for (unsigned y = 0; y < r.height; ++y)
        for (unsigned x = 0; x < r.width; ++x) {
            unsigned maskStride = (r.width + 15) / 16 * 2;
            if (r.mask[y * maskStride + x / 8] & (0x80 >> (x % 8))) {
                ++transparent;
                // Black under the mask, or the tray's background would show inverted.
                EXPECT_EQ(r.PixelOnWhite(x, y), 0xFFFFFFu) << x << "," << y;
            } else if (IsDark(r.PixelOnWhite(x, y)))
                ++black;
        }
    EXPECT_GT(transparent, 100);
    EXPECT_GT(black, 10);

    // One character over a picture goes to the right half, longer texts start at x = 3.
    struct Case {
        const char* text;
        int minX;
    };
    for (Case c : {Case{"3", 8}, Case{"12", 3}}) {
        EXPECT_EQ(view.RenderTextIcon(c.text, 5), 11);
        auto drawn = PicturePixels(*pictures, 11);
        int changed = 0, before = 0, firstX = 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (drawn[y * 16 + x] != five[y * 16 + x]) {
                    ++changed;
                    if (x < c.minX) ++before;
                    firstX = std::min(firstX, x);
                }
        EXPECT_GT(changed, 5) << c.text;
        EXPECT_EQ(before, 0) << c.text << " drawn left of x = " << c.minX;
        if (c.minX == 3) {
            EXPECT_LT(firstX, 8) << "a longer text starts further left";
        }
    }
    EXPECT_EQ(PicturePixels(*pictures, 5), five) << "the source picture must stay as it was";
}
