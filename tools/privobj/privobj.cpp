// Stand-in for the privileged object: an in-process COM server with the object's class and
// interface. SetAutoStart writes (enable) or deletes (disable) the value under
// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" with the program's
// path as its data, and returns 0, or E_FAIL when the key cannot be written. Deleting a
// value that is not there succeeds: the entry is absent as asked.
//
// For tests, the environment variable QUILLAR_PRIVOBJ_RESULT (hexadecimal) makes
// SetAutoStart return that result without touching the registry.
//
// Registered with "regsvr32 /s QuillarPrivileged.dll" (tools/privobj/register.sh).
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "app/privileged_object_win32.h"

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

const wchar_t* const kRunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

bool ForcedResult(HRESULT& result) {
    char text[32];
    const DWORD n = GetEnvironmentVariableA("QUILLAR_PRIVOBJ_RESULT", text, sizeof text);
    if (n == 0 || n >= sizeof text) return false;
    result = static_cast<HRESULT>(std::strtoul(text, nullptr, 16));
    return true;
}

class PrivilegedObject : public IQuillarPrivilegedObject {
public:
    PrivilegedObject() { ++g_objects; }
    virtual ~PrivilegedObject() { --g_objects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, ToGuid(IID_IQuillarPrivilegedObject))) {
            *out = static_cast<IQuillarPrivilegedObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE SetAutoStart(BSTR valueName, BSTR programPath, BOOL enable) override {
        HRESULT forced;
        if (ForcedResult(forced)) return forced;
        if (!valueName || !*valueName) return E_FAIL;
        if (enable) {
            if (!programPath) return E_FAIL;
            HKEY key;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
                ERROR_SUCCESS)
                return E_FAIL;
            const DWORD bytes = static_cast<DWORD>((SysStringLen(programPath) + 1) * sizeof(wchar_t));
            const LONG r = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(programPath), bytes);
            RegCloseKey(key);
            return r == ERROR_SUCCESS ? S_OK : E_FAIL;
        }
        HKEY key;
        const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key);
        if (opened == ERROR_FILE_NOT_FOUND) return S_OK;
        if (opened != ERROR_SUCCESS) return E_FAIL;
        const LONG r = RegDeleteValueW(key, valueName);
        RegCloseKey(key);
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
    }

private:
    std::atomic<long> refs_{1};
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static and lives as long as the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        PrivilegedObject* object = new (std::nothrow) PrivilegedObject;
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }
};

Factory g_factory;

std::wstring ClassKey() {
    wchar_t text[40];
    StringFromGUID2(ToGuid(CLSID_QuillarPrivilegedObject), text, 40);
    return std::wstring(L"CLSID\\") + text;
}

bool SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID cls, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(cls, ToGuid(CLSID_QuillarPrivilegedObject))) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return E_FAIL;
    const std::wstring cls = ClassKey();
    const bool ok = SetText(HKEY_CLASSES_ROOT, cls, nullptr, L"Quillar privileged object (stand-in)") &&
                    SetText(HKEY_CLASSES_ROOT, cls + L"\\InprocServer32", nullptr, path) &&
                    SetText(HKEY_CLASSES_ROOT, cls + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return ok ? S_OK : E_FAIL;
}

HRESULT WINAPI DllUnregisterServer() {
    const LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}

}  // extern "C"
