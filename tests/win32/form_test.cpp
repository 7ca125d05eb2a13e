// The options window's control windows (ui/controls_win32): hints where the mouse really
// is, lists that keep the user's place while the program updates them, the window state
// following handlers that change their own control, timers and the dialog keys.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls_win32.h"

namespace {

constexpr UINT kHintPause = 12345;

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* view = reinterpret_cast<ControlWindows*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    LRESULT result = 0;
    if (view && view->Handle(m, w, l, result)) return result;
    return DefWindowProcA(h, m, w, l);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// A page with the kinds of controls the options window has, as the form lays them out.
class ControlWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                 ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "QuillarTestFormHost";
        RegisterClassA(&wc);
        host = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "form host", WS_POPUP | WS_CAPTION, 40, 40, 563, 299,
                               nullptr, nullptr, wc.hInstance, nullptr);
        view = std::make_unique<ControlWindows>(host, wc.hInstance, kHintPause);
        SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view.get()));

        tabs.pages = {&page, &other};
        tabs.SetActivePage(&page);
        for (int i = 0; i < 40; ++i) names.Add("window " + std::to_string(i));
        times.AddColumn({"", 132, false});
        for (const char* row : {"Total Time:", "Total Idle Percent:", "Current Idle Percent:"}) times.AddRow(row);
        for (int cpu = 1; cpu <= 2; ++cpu) times.AddColumn({"CPU " + std::to_string(cpu), 58, true});
        for (size_t row = 0; row < 3; ++row) times.SetSubItemCount(row, 2);
        display.SetItemIndex(0);
        ok.isDefault = ok.isCancel = true;
    }
    void TearDown() override {
        view->Detach();
        DestroyWindow(host);
        view.reset();
    }
    void Show() {
        view->Attach(controls);
        view->CreateWindows();
        ShowWindow(host, SW_SHOWNORMAL);
        UpdateWindow(host);
        Pump();
    }
    // The tip shown while the mouse rests in the middle of `target`: the window the mouse
    // is over there is asked for, as the tooltip does.
    std::string HintAtCentreOf(HWND target) {
        RECT r;
        GetWindowRect(target, &r);
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        HWND under = WindowFromPoint(centre);
        TTHITTESTINFOA hit{};
        hit.hwnd = under;
        hit.pt = centre;
        ScreenToClient(under, &hit.pt);
        char text[256] = "";
        hit.ti.cbSize = sizeof hit.ti;
        hit.ti.lpszText = text;
        if (!SendMessageA(view->Tooltip(), TTM_HITTESTA, 0, reinterpret_cast<LPARAM>(&hit))) return "(no tip)";
        return text;
    }

    HWND host = nullptr;
    std::unique_ptr<ControlWindows> view;
    PageControl tabs{"PageControl1", nullptr, Bounds{8, 8, 547, 248}};
    TabSheet page{"tsTaskBar", 907, &tabs, "&TaskBar"};
    TabSheet other{"tsWindows", 908, &tabs, "Auto-Off Windows"};
    RadioGroup display{"rgIdle", 40, &page, Bounds{8, 4, 250, 92}, "&Idle display in task bar",
                       {"&None", "N&umeric display", "&Graphical display"}, "Choose taskbar icon layout."};
    CheckBox splash{"cbSplash", 32, &page, Bounds{268, 130, 240, 17}, "Show &Splash Screen",
                    "Enable/ disable the splash screen at startup."};
    ListBox names{"ListBoxWindows", &page, Bounds{20, 110, 220, 92}};
    ListView times{"lvTimes", &page, Bounds{268, 10, 262, 110}};
    Button ok{"ButtonOK", 100, nullptr, Bounds{464, 264, 81, 25}, "&OK"};
    Timer timer{"Timer", 10};
    std::vector<Control*> controls{&tabs, &page, &other, &display, &splash, &names, &times, &ok, &timer};
};

TEST_F(ControlWindowsTest, HintsShowWhereverTheMouseRestsOnTheControl) {
    Show();
    const ControlWindow* group = view->Find(display);
    ASSERT_EQ(group->items.size(), 3u);
    for (size_t i = 0; i < group->items.size(); ++i)
        EXPECT_EQ(HintAtCentreOf(group->items[i]), "Choose taskbar icon layout.") << "radio item " << i;
    EXPECT_EQ(HintAtCentreOf(view->WindowOf(splash)), "Enable/ disable the splash screen at startup.");
    EXPECT_EQ(HintAtCentreOf(view->WindowOf(names)), "(no tip)") << "the list has no hint";

    // A translated hint replaces the old one on every window of the group.
    display.SetHint("Symbolart w\xE4hlen.");
    EXPECT_EQ(HintAtCentreOf(group->items[2]), "Symbolart w\xE4hlen.");
}

TEST_F(ControlWindowsTest, ListBoxKeepsTheUsersPlaceWhileTheProgramChangesIt) {
    Show();
    HWND list = view->WindowOf(names);
    SendMessageA(list, LB_SETTOPINDEX, 20, 0);
    const int row = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    auto click = [&](int index, WPARAM keys) {
        const int y = (index - 20) * row + row / 2;
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(10, y));
        SendMessageA(list, WM_LBUTTONUP, keys, MAKELPARAM(10, y));
        Pump();
    };
    click(22, 0);
    click(24, MK_SHIFT);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20) << "the list stays where the user scrolled it";
    EXPECT_EQ(SendMessageA(list, LB_GETANCHORINDEX, 0, 0), 22) << "the shift-click anchor stays";
    for (int i : {21, 22, 23, 24, 25}) EXPECT_EQ(names.Selected(i), i >= 22 && i <= 24) << "item " << i;

    names.Add("Media Player");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 41);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 3);

    // "&Delete": the selected names go, the others stay in their order.
    std::vector<std::string> kept;
    for (int i = 0; i < static_cast<int>(names.Items().size()); ++i)
        if (!names.Selected(i)) kept.push_back(names.Items()[static_cast<size_t>(i)]);
    names.SetItems(kept);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 38);
    char text[64] = "";
    SendMessageA(list, LB_GETTEXT, 22, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "window 25");
    SendMessageA(list, LB_GETTEXT, 37, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Media Player");
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
}

WNDPROC gListViewProc = nullptr;
int gCellsSent = 0;
LRESULT CALLBACK CountCells(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == LVM_SETITEMTEXTA || m == LVM_SETITEMTEXTW || m == LVM_SETITEMA || m == LVM_SETITEMW) ++gCellsSent;
    return CallWindowProcA(gListViewProc, h, m, w, l);
}

std::string Cell(HWND list, int row, int column) {
    char text[64] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

TEST_F(ControlWindowsTest, StatisticsListIsSentOnlyTheCellsThatChanged) {
    times.SetCell(0, 1, "0:01");
    times.SetCell(0, 2, "0:01");
    Show();
    HWND list = view->WindowOf(times);
    EXPECT_EQ(Cell(list, 0, 2), "0:01");
    EXPECT_EQ(Cell(list, 2, 0), "Current Idle Percent:");
    gCellsSent = 0;
    gListViewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountCells)));

    // One tick on two processors: six cells written, two of them new.
    for (int cpu = 1; cpu <= 2; ++cpu) {
        times.SetCell(0, static_cast<size_t>(cpu), "0:01");
        times.SetCell(1, static_cast<size_t>(cpu), "");
        times.SetCell(2, static_cast<size_t>(cpu), cpu == 1 ? "97%" : "95%");
    }
    EXPECT_EQ(gCellsSent, 2);
    EXPECT_EQ(Cell(list, 2, 1), "97%");
    EXPECT_EQ(Cell(list, 2, 2), "95%");
    EXPECT_EQ(Cell(list, 0, 1), "0:01");
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gListViewProc));
}

TEST_F(ControlWindowsTest, WindowsFollowHandlersThatChangeTheirOwnControl) {
    // As the cooling mode does without a C2 port: a click on item 2 falls back to item 1.
    display.OnClick = [this] {
        if (display.ItemIndex() == 2) display.SetItemIndex(1);
    };
    int splashClicks = 0;
    splash.OnClick = [&] { ++splashClicks; };
    Show();
    const ControlWindow* group = view->Find(display);
    SendMessageA(group->items[2], BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(display.ItemIndex(), 1);
    std::vector<LRESULT> checks;
    for (HWND item : group->items) checks.push_back(SendMessageA(item, BM_GETCHECK, 0, 0));
    EXPECT_EQ(checks, (std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));

    SendMessageA(view->WindowOf(splash), BM_CLICK, 0, 0);
    EXPECT_TRUE(splash.Checked());
    EXPECT_EQ(splashClicks, 1);
    splash.SetChecked(false);
    EXPECT_EQ(SendMessageA(view->WindowOf(splash), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // A hidden page loses its tab; the captions follow.
    other.SetVisible(false);
    EXPECT_EQ(SendMessageA(view->WindowOf(tabs), TCM_GETITEMCOUNT, 0, 0), 1);
    page.SetCaption("&Taskleiste");
    char text[64] = "";
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    SendMessageA(view->WindowOf(tabs), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_STREQ(text, "&Taskleiste");
}

// What the user does in the windows arrives in the model, and the model's answer in the windows.
class ControlInputTest : public ControlWindowsTest {
protected:
    void SetUp() override {
        ControlWindowsTest::SetUp();
        controls.insert(controls.end(), {&temp, &arrows, &interval, &entry});
        entry.SetItems({"Media Player", "Viewer"});
    }
    Edit temp{"EditTemp", 64, &page, Bounds{268, 150, 34, 21}, "75"};
    UpDown arrows{"UpDown2", &page, Bounds{302, 150, 16, 21}, &temp, 1, 255, 75};
    TrackBar interval{"TrackBarIdle", 44, &page, Bounds{268, 180, 200, 30}, 1, 100, 10};
    ComboBox entry{"cbWindows", &other, Bounds{20, 26, 300, 21}, "Media Player"};
};

TEST_F(ControlInputTest, UserInputReachesTheModel) {
    int arrowClicks = 0, intervalChanges = 0;
    arrows.OnClick = [&] { ++arrowClicks; };
    interval.OnChange = [&] { ++intervalChanges; };
    Show();

    // The upper arrow, pressed once: one step up, shown in the edit field beside it.
    HWND up = view->WindowOf(arrows);
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 2));
    SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(8, 2));
    Pump();
    EXPECT_EQ(arrows.Position(), 76);
    EXPECT_EQ(arrowClicks, 1);
    char text[64] = "";
    GetWindowTextA(view->WindowOf(temp), text, sizeof text);
    EXPECT_STREQ(text, "76");
    EXPECT_EQ(temp.Text(), "76");

    // The track bar moved one step by the keyboard.
    HWND bar = view->WindowOf(interval);
    SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(bar, WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(interval.Position(), 11);
    EXPECT_EQ(intervalChanges, 1);
    interval.SetPosition(40);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 40);

    // A name chosen from the drop-down list becomes the entry's text; added names are listed.
    HWND combo = view->WindowOf(entry);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(entry.Text(), "Viewer");
    entry.Add("Viewer");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);

    // Another tab chosen: its page shows, the other one hides.
    HWND tabRow = view->WindowOf(tabs);
    SendMessageA(tabRow, TCM_SETCURSEL, 1, 0);
    NMHDR nm{tabRow, static_cast<UINT_PTR>(GetDlgCtrlID(tabRow)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(host, WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(tabs.ActivePage(), &other);
    EXPECT_TRUE(IsWindowVisible(view->WindowOf(other)));
    EXPECT_FALSE(IsWindowVisible(view->WindowOf(page)));
}

TEST_F(ControlWindowsTest, TimerSwitchedThroughAnyControlRunsAndEscPressesOk) {
    int ticks = 0, presses = 0;
    timer.OnTimer = [&] { ++ticks; };
    ok.OnClick = [&] { ++presses; };
    Show();
    Control& control = timer;
    control.SetEnabled(true);
    const DWORD start = GetTickCount();
    while (ticks == 0 && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    EXPECT_GT(ticks, 0) << "the timer never ran";
    timer.SetEnabled(false);

    // Esc and Enter, as the dialog keys deliver them.
    LRESULT result = 0;
    view->Handle(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, result);
    view->Handle(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, result);
    EXPECT_EQ(presses, 2);
}

}  // namespace
