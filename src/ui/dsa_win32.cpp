// The don't-show-again dialog on Windows: a message dialog (icon, text, buttons) built
// with plain windows and run modally, with the check box placed under the icon.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles_win32.h"
#include "common/window_win32.h"
#include "ui/dsa.h"

namespace {

struct ButtonInfo {
    unsigned bit;
    const char* caption;
    int result;  // mrNone: the button does not close the dialog
};

const ButtonInfo kButtons[] = {
    {dbYes, "&Yes", mrYes},       {dbNo, "&No", mrNo},          {dbOK, "OK", mrOk},
    {dbCancel, "Cancel", mrCancel}, {dbAbort, "&Abort", mrAbort}, {dbRetry, "&Retry", mrRetry},
    {dbIgnore, "&Ignore", mrIgnore}, {dbAll, "&All", mrAll},      {dbNoToAll, "N&o to All", mrNoToAll},
    {dbYesToAll, "Yes to &All", mrYesToAll}, {dbHelp, "&Help", mrNone},
};

const char* KindCaption(int kind) {
    switch (kind) {
        case 0: return "Warning";
        case 1: return "Error";
        case 2: return "Information";
        case 3: return "Confirm";
        default: return "Quillar";  // custom dialogs carry the application title
    }
}

LPCSTR KindIcon(int kind) {
    switch (kind) {
        case 0: return IDI_EXCLAMATION;
        case 1: return IDI_HAND;
        case 2: return IDI_ASTERISK;
        case 3: return IDI_QUESTION;
        default: return nullptr;
    }
}

struct DialogState {
    int result = mrNone;
    bool done = false;
    int defaultId = 0;
    int cancelResult = mrCancel;
    std::vector<int> resultsById;  // by button index

    // Ends the dialog. A press sent from another process (a screen reader, a test tool) is
    // handled inside GetMessage without returning from it: the posted message wakes the
    // modal loop so that it sees the dialog is done.
    void Finish(HWND dialog, int with) {
        result = with;
        done = true;
        PostMessageA(dialog, WM_NULL, 0, 0);
    }
};

int MulDivInt(int a, int b, int c) { return MulDiv(a, b, c); }

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = win32::WindowOwner<DialogState>(hwnd, msg, lParam);
    switch (msg) {
        case DM_GETDEFID:
            if (state && state->defaultId) return MAKELRESULT(state->defaultId, DC_HASDEFID);
            return 0;
        case WM_COMMAND: {
            if (!state) break;
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {  // Esc
                state->Finish(hwnd, state->cancelResult);
                return 0;
            }
            if (id == IDOK) {  // Enter with no button focused: the default button
                if (state->defaultId) SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(state->defaultId, BN_CLICKED), 0);
                return 0;
            }
            const int index = id - kDSAButtonIdBase;
            if (index >= 0 && index < static_cast<int>(state->resultsById.size()) && HIWORD(wParam) == BN_CLICKED) {
                if (state->resultsById[index] != mrNone) state->Finish(hwnd, state->resultsById[index]);
                return 0;
            }
            break;
        }
        case WM_CLOSE:
            if (state) state->Finish(hwnd, mrCancel);
            return 0;
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterDialogClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kDSADialogClass;
    registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The system's message font, the dialog's own copy; empty when the system cannot say.
win32::Font MessageFont() {
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) {
        // Systems before version 6 know the structure without its last field.
        ncm.cbSize = sizeof(ncm) - sizeof(ncm.iPaddedBorderWidth);
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) return win32::Font();
    }
    return win32::Font(CreateFontIndirectA(&ncm.lfMessageFont));
}

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, RECT r, int id, HFONT font) {
    HWND w = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
}

RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

class Win32DSAPlatform : public DSAPlatform {
public:
    bool IsAlphaNumeric(unsigned char c) override { return IsCharAlphaNumericA(static_cast<CHAR>(c)) != FALSE; }

    DSADialogOutcome ShowDialog(const DSADialogRequest& request) override {
        RegisterDialogClass();
        DialogState state;
        const win32::Font ownFont = MessageFont();
        const HFONT font = ownFont ? ownFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

        // Measure in the font's dialog units.
        win32::WindowDC screen;
        const HDC dc = screen.Get();
        std::optional<win32::Selection> measuring(std::in_place, dc, font);
        SIZE abc = {};
        static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        GetTextExtentPoint32A(dc, kAlphabet, 52, &abc);
        const int unitX = (abc.cx / 26 + 1) / 2;
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        const int unitY = tm.tmHeight;
        const int horzMargin = MulDivInt(8, unitX, 4);
        const int vertMargin = MulDivInt(8, unitY, 8);
        const int horzSpacing = MulDivInt(10, unitX, 4);
        const int vertSpacing = MulDivInt(10, unitY, 8);
        const int buttonWidth = MulDivInt(50, unitX, 4);
        const int buttonHeight = MulDivInt(14, unitY, 8);
        const int buttonSpacing = MulDivInt(4, unitX, 4);

        RECT textRect = {0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
        DrawTextA(dc, request.message.c_str(), static_cast<int>(request.message.size()), &textRect,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        SIZE boxText = {};
        GetTextExtentPoint32A(dc, request.checkBoxCaption.c_str(), static_cast<int>(request.checkBoxCaption.size()),
                              &boxText);
        // The accelerator's "&" is not drawn.
        if (request.checkBoxCaption.find('&') != std::string::npos) {
            SIZE amp = {};
            GetTextExtentPoint32A(dc, "&", 1, &amp);
            boxText.cx -= amp.cx;
        }
        measuring.reset();

        const LPCSTR iconName = KindIcon(request.kind);
        const HICON icon = iconName ? LoadIconA(nullptr, iconName) : nullptr;
        const int iconSize = icon ? 32 : 0;
        const int textWidth = textRect.right - textRect.left;
        const int textHeight = textRect.bottom - textRect.top;

        std::vector<const ButtonInfo*> buttons;
        for (const ButtonInfo& b : kButtons)
            if (request.buttons & b.bit) buttons.push_back(&b);
        const int count = static_cast<int>(buttons.size());
        const int buttonGroupWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonSpacing : 0;
        const int iconTextWidth = textWidth + (icon ? iconSize + horzSpacing : 0);
        int clientWidth = (iconTextWidth > buttonGroupWidth ? iconTextWidth : buttonGroupWidth) + 2 * horzMargin;
        const int buttonTop = (iconSize > textHeight ? iconSize : textHeight) + vertMargin + vertSpacing;
        int clientHeight = buttonTop + buttonHeight + vertMargin;

        // The reference the check box is placed by: the icon, else the text.
        const RECT iconRect = Rect(horzMargin, vertMargin, iconSize, iconSize);
        const int textLeft = icon ? horzMargin + iconSize + horzSpacing : horzMargin;
        const RECT messageRect = Rect(textLeft, vertMargin, textWidth, textHeight);
        const RECT reference = icon ? iconRect : messageRect;
        const int boxWidth = boxText.cx + 19;
        const int boxHeight = tm.tmHeight + 4 > 17 ? tm.tmHeight + 4 : 17;

        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        auto windowSize = [&](int cw, int ch) {
            RECT r = {0, 0, cw, ch};
            AdjustWindowRectEx(&r, style, FALSE, exStyle);
            return SIZE{r.right - r.left, r.bottom - r.top};
        };
        // The dialog is first centred on the screen; growing for the check box centres it
        // again vertically only.
        SIZE size = windowSize(clientWidth, clientHeight);
        const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - size.cx / 2;
        const RECT boxRect = Rect(reference.left, clientHeight, boxWidth, boxHeight);
        clientHeight += boxHeight + reference.top;
        if (clientWidth < boxWidth + 2 * reference.left) clientWidth = boxWidth + 2 * reference.left;
        size = windowSize(clientWidth, clientHeight);
        const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - size.cy / 2;

        HWND owner = GetActiveWindow();
        HWND dlg = CreateWindowExA(exStyle, kDSADialogClass, KindCaption(request.kind), style, left, top, size.cx,
                                   size.cy, owner, nullptr, GetModuleHandleA(nullptr), &state);
        if (!dlg) return {mrNone, false, false};

        if (icon) {
            HWND image = MakeChild(dlg, "STATIC", nullptr, SS_ICON, iconRect, -1, font);
            SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        MakeChild(dlg, "STATIC", request.message.c_str(), SS_LEFT | SS_NOPREFIX, messageRect, -1, font);

        // Default: OK, else Yes, else Retry. Esc: Cancel, else No, else OK.
        unsigned defaultBit = (request.buttons & dbOK) ? dbOK : (request.buttons & dbYes) ? dbYes : dbRetry;
        unsigned cancelBit = (request.buttons & dbCancel) ? dbCancel : (request.buttons & dbNo) ? dbNo : dbOK;
        state.cancelResult = mrCancel;
        int x = (clientWidth - buttonGroupWidth) / 2;
        HWND focus = nullptr;
        for (int i = 0; i < count; ++i) {
            const ButtonInfo& b = *buttons[i];
            const int id = kDSAButtonIdBase + i;
            state.resultsById.push_back(b.result);
            const bool isDefault = b.bit == defaultBit;
            HWND w = MakeChild(dlg, "BUTTON", b.caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                               Rect(x, buttonTop, buttonWidth, buttonHeight), id, font);
            if (isDefault) {
                state.defaultId = id;
                focus = w;
            }
            if (b.bit == cancelBit) state.cancelResult = b.result;
            x += buttonWidth + buttonSpacing;
        }
        HWND box = MakeChild(dlg, "BUTTON", request.checkBoxCaption.c_str(), WS_TABSTOP | BS_AUTOCHECKBOX, boxRect,
                             kDSACheckBoxId, font);

        // Modal: the owner is disabled while the dialog runs.
        const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (ownerWasEnabled) EnableWindow(owner, FALSE);
        ShowWindow(dlg, SW_SHOWNORMAL);
        SetForegroundWindow(dlg);
        SetFocus(focus ? focus : box);

        const std::optional<WPARAM> quit = win32::RunMessages([&] { return state.done; }, [dlg] { return dlg; });
        const bool ticked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        DestroyWindow(dlg);
        if (owner) SetActiveWindow(owner);
        if (quit) PostQuitMessage(static_cast<int>(*quit));  // the program's loop must see it too

        DSADialogOutcome outcome;
        outcome.result = state.done ? state.result : mrCancel;
        outcome.hadCheckBox = true;
        outcome.ticked = ticked;
        return outcome;
    }
};

}  // namespace

DSAPlatform& ProcessDSAPlatform() {
    static Win32DSAPlatform platform;
    return platform;
}
