// Owners of the system's handles that must be given back: GDI objects, memory device
// contexts, screen device contexts and icons. Each gives its handle back when it goes;
// Release() hands the handle over to someone else instead.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

namespace win32 {

namespace detail {
struct DeleteGdiObject {
    void operator()(void* h) const { DeleteObject(static_cast<HGDIOBJ>(h)); }
};
struct DeleteMemoryDC {
    void operator()(HDC h) const { DeleteDC(h); }
};
struct DestroyIconHandle {
    void operator()(HICON h) const { DestroyIcon(h); }
};
}  // namespace detail

// A brush, pen, font or bitmap.
template <typename H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : p_(h) {}
    H Get() const { return static_cast<H>(p_.get()); }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset(H h = nullptr) { p_.reset(h); }
    H Release() { return static_cast<H>(p_.release()); }

private:
    std::unique_ptr<std::remove_pointer_t<H>, detail::DeleteGdiObject> p_;
};

using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;

// A device context of the program's own (CreateCompatibleDC), deleted when it goes.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    HDC Get() const { return dc_.get(); }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    std::unique_ptr<std::remove_pointer_t<HDC>, detail::DeleteMemoryDC> dc_;
};

// A window's device context (GetDC; the screen's for no window), released when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a while; the earlier one returns after it.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class Icon {
public:
    Icon() = default;
    explicit Icon(HICON h) : p_(h) {}
    HICON Get() const { return p_.get(); }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset(HICON h = nullptr) { p_.reset(h); }
    HICON Release() { return p_.release(); }

private:
    std::unique_ptr<std::remove_pointer_t<HICON>, detail::DestroyIconHandle> p_;
};

}  // namespace win32
