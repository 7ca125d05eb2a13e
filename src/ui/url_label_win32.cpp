#include "ui/url_label_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstring>

#include "common/com_win32.h"
#include "common/handles_win32.h"

const char* const kUrlLabelClass = "TUrlLabel";

namespace {

// One label window: the label's rules, its menu, its font and its cursor.
class UrlLabelWindow : public UrlLabelShell {
public:
    explicit UrlLabelWindow(HWND window) : label(*this), window_(window) {
        // The program's own hand cursor; a module without one (a test program, say) gets
        // the system's, so the pointer never vanishes over the link.
        cursor_ = LoadCursorA(GetModuleHandleA(nullptr), "HAND");
        if (!cursor_) cursor_ = LoadCursor(nullptr, IDC_HAND);
        menu_ = CreatePopupMenu();
        AppendMenuA(menu_, MF_STRING, kUrlLabelCopyCommand, TUrlLabel::kCopyCaption);
        SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    ~UrlLabelWindow() override {
        DestroyMenu(menu_);
    }
    UrlLabelWindow(const UrlLabelWindow&) = delete;
    UrlLabelWindow& operator=(const UrlLabelWindow&) = delete;

    void Open(const std::string& target) override {
        // The shell may hand the address to a COM handler.
        com::EnsureApartment();
        ShellExecuteA(GetDesktopWindow(), "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }

    void CopyText(const std::string& text) override {
        if (!OpenClipboard(window_)) return;
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (void* p = block ? GlobalLock(block) : nullptr) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            // The clipboard owns the block once it took it.
            if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
        } else if (block) {
            GlobalFree(block);
        }
        CloseClipboard();
    }

    // The given font, underlined: the label keeps its own copy.
    void SetFont(HFONT base) {
        LOGFONTA lf{};
        if (!base || !GetObjectA(base, sizeof lf, &lf)) GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfUnderline = label.FontUnderline;
        if (HFONT font = CreateFontIndirectA(&lf)) font_.Reset(font);
    }

    void Paint(HDC dc) {
        RECT r;
        GetClientRect(window_, &r);
        // The parent chooses the background, as it does for its other labels.
        HWND parent = GetParent(window_);
        auto brush = reinterpret_cast<HBRUSH>(
            parent ? SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(window_))
                   : 0);
        FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        const win32::Selection font(dc, font_.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(window_) ? static_cast<COLORREF>(label.FontColor) : GetSysColor(COLOR_GRAYTEXT));
        // An address may hold "&": it is shown, not taken as an accelerator.
        DrawTextA(dc, label.Caption.c_str(), static_cast<int>(label.Caption.size()), &r,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }

    // Runs one of the label's mouse events and repaints when its colour changed.
    template <typename Event>
    void Mouse(Event event) {
        const TColor before = label.FontColor;
        event();
        if (label.FontColor != before) {
            InvalidateRect(window_, nullptr, TRUE);
            UpdateWindow(window_);
        }
    }

    void ContextMenu(LPARAM at) {
        POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
        if (at == -1) {  // from the keyboard: at the label's top left corner
            p = {0, 0};
            ClientToScreen(window_, &p);
        }
        const UINT command = static_cast<UINT>(
            TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, p.x, p.y, 0, window_, nullptr));
        if (command == kUrlLabelCopyCommand) label.CopyClick();
    }

    HFONT Font() const { return font_.Get(); }
    HCURSOR Cursor() const { return cursor_; }

    TUrlLabel label;

private:
    HWND window_;
    HMENU menu_ = nullptr;
    win32::Font font_;
    HCURSOR cursor_ = nullptr;
};

UrlLabelWindow* WindowObject(HWND window) {
    return reinterpret_cast<UrlLabelWindow*>(GetWindowLongPtrA(window, 0));
}

TShiftState ShiftOf(WPARAM keys) {
    return ((keys & MK_SHIFT) ? 1u : 0u) | ((GetKeyState(VK_MENU) < 0) ? 2u : 0u) | ((keys & MK_CONTROL) ? 4u : 0u);
}

LRESULT CALLBACK UrlLabelProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        auto* self = new UrlLabelWindow(window);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(self));
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
        if (cs->lpszName) self->label.Caption = cs->lpszName;
        if (cs->lpCreateParams) self->label.URL = static_cast<const char*>(cs->lpCreateParams);
        return DefWindowProcA(window, message, wp, lp);
    }
    UrlLabelWindow* self = WindowObject(window);
    if (!self) return DefWindowProcA(window, message, wp, lp);
    TUrlLabel& label = self->label;
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, 0, 0);
        delete self;
        return DefWindowProcA(window, message, wp, lp);
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(window, message, wp, lp);
        label.Caption = lp ? reinterpret_cast<const char*>(lp) : "";
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        self->SetFont(reinterpret_cast<HFONT>(wp));
        if (LOWORD(lp)) InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(self->Font());
    case WM_ERASEBKGND:
        return 1;  // painting fills the background
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        self->Paint(dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        self->Paint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) != HTCLIENT) break;
        SetCursor(self->Cursor());
        return TRUE;
    case WM_LBUTTONDOWN:
        // The release belongs to the press even outside the label.
        SetCapture(window);
        self->Mouse([&] { label.MouseDown(TMouseButton::mbLeft, ShiftOf(wp), x, y); });
        return 0;
    case WM_LBUTTONUP: {
        RECT r;
        GetClientRect(window, &r);
        const bool clicked = label.LeftHeld() && PtInRect(&r, POINT{x, y});
        self->Mouse([&] {
            if (clicked) label.Click();
            label.MouseUp(TMouseButton::mbLeft, ShiftOf(wp), x, y);
        });
        if (GetCapture() == window) ReleaseCapture();
        return 0;
    }
    case WM_CAPTURECHANGED:
        // Another window took the mouse while the button was down (a dialog, a task switch).
        if (label.LeftHeld()) self->Mouse([&] { label.CancelMode(); });
        return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        self->Mouse([&] {
            label.MouseDown(message == WM_RBUTTONDOWN ? TMouseButton::mbRight : TMouseButton::mbMiddle, ShiftOf(wp),
                            x, y);
        });
        return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        self->Mouse([&] {
            label.MouseUp(message == WM_RBUTTONUP ? TMouseButton::mbRight : TMouseButton::mbMiddle, ShiftOf(wp), x,
                          y);
        });
        break;  // the system turns a right release into WM_CONTEXTMENU
    case WM_CONTEXTMENU:
        self->ContextMenu(lp);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

void RegisterUrlLabelClass() {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kUrlLabelClass, &wc)) return;
    wc.lpfnWndProc = UrlLabelProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kUrlLabelClass;
    RegisterClassA(&wc);
}

}  // namespace

HWND CreateUrlLabelWindow(HWND parent, int id, const RECT& bounds, bool visible, const std::string& caption,
                          const std::string& url) {
    RegisterUrlLabelClass();
    return CreateWindowExA(0, kUrlLabelClass, caption.c_str(), WS_CHILD | (visible ? WS_VISIBLE : 0), bounds.left,
                           bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           const_cast<char*>(url.c_str()));
}

TUrlLabel* UrlLabelOf(HWND window) {
    char name[32] = "";
    if (!window || !GetClassNameA(window, name, sizeof name) || std::strcmp(name, kUrlLabelClass) != 0) return nullptr;
    UrlLabelWindow* self = WindowObject(window);
    return self ? &self->label : nullptr;
}
