#include "common/com_win32.h"

#include <string>

#include "common/library_win32.h"

namespace com {

namespace {

// Loads a system library by its full path, so no copy in the program's or the current
// folder is ever taken for it.
HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH] = "";
    const UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) return nullptr;
    return LoadLibraryA((std::string(folder) + "\\" + name).c_str());
}

struct Functions {
    HMODULE ole32 = LoadSystemLibrary("ole32.dll");
    HMODULE oleaut32 = LoadSystemLibrary("oleaut32.dll");
    decltype(&CoInitializeEx) initialize = LibraryFunction<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
    decltype(&CoUninitialize) uninitialize = LibraryFunction<decltype(&CoUninitialize)>(ole32, "CoUninitialize");
    decltype(&CoCreateInstance) createInstance = LibraryFunction<decltype(&CoCreateInstance)>(ole32, "CoCreateInstance");
    decltype(&CoGetObject) getObject = LibraryFunction<decltype(&CoGetObject)>(ole32, "CoGetObject");
    decltype(&SysAllocStringLen) allocString =
        LibraryFunction<decltype(&SysAllocStringLen)>(oleaut32, "SysAllocStringLen");
    decltype(&SysFreeString) freeString = LibraryFunction<decltype(&SysFreeString)>(oleaut32, "SysFreeString");
    // What a call answers when its function is missing.
    HRESULT missing = HRESULT_FROM_WIN32(ole32 ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
};

const Functions& Loaded() {
    static const Functions functions;
    return functions;
}

bool joined = false;

}  // namespace

HRESULT EnsureApartment() {
    static const HRESULT result = [] {
        const Functions& f = Loaded();
        if (!f.initialize || !f.uninitialize) return f.missing;
        const HRESULT hr = f.initialize(nullptr, COINIT_APARTMENTTHREADED);
        joined = SUCCEEDED(hr);
        return hr;
    }();
    return result;
}

void LeaveApartment() {
    if (!joined) return;
    Loaded().uninitialize();
    joined = false;
}

HRESULT CreateInstance(REFCLSID cls, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    const Functions& f = Loaded();
    return f.createInstance ? f.createInstance(cls, outer, context, iid, object) : f.missing;
}

HRESULT GetObject(LPCWSTR name, BIND_OPTS* options, REFIID iid, void** object) {
    const Functions& f = Loaded();
    return f.getObject ? f.getObject(name, options, iid, object) : f.missing;
}

BSTR AllocStringLen(const OLECHAR* text, UINT length) {
    const Functions& f = Loaded();
    return f.allocString ? f.allocString(text, length) : nullptr;
}

void FreeString(BSTR text) {
    const Functions& f = Loaded();
    if (f.freeString) f.freeString(text);
}

}  // namespace com
