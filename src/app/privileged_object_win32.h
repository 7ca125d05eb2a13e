// The privileged object's COM side: its interface, the elevation test and the two ways of
// creating it. Shared by the program and the stand-in object of the tests.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "app/privileged_object.h"

// IQuillarPrivilegedObject: IUnknown's three slots, then SetAutoStart (stdcall, the
// interface pointer first; `enable` is a 32-bit slot holding 0 or 1).
struct IQuillarPrivilegedObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetAutoStart(BSTR valueName, BSTR programPath, BOOL enable) = 0;
};

inline GUID ToGuid(const ComGuid& id) {
    static_assert(sizeof(GUID) == sizeof(ComGuid));
    GUID g;
    std::memcpy(&g, &id, sizeof g);
    return g;
}

// True when the process token reports elevation (TokenElevation); false when it cannot be read.
bool IsProcessElevated();

// Creates an object elevated when needed: directly (CoCreateInstance, context 7) when the
// process is elevated, otherwise through the elevation moniker with the owner window for
// the consent prompt. Raises EComError with the failing result.
void* CreateElevatedComObject(HWND owner, const GUID& cls, const GUID& iid);
// The bind options given with the moniker: all zero but the structure's size, the class
// context (local server) and the owner window of the consent prompt.
BIND_OPTS3 ElevationBindOptions(HWND owner);
// The moniker's half of the above, on its own. Raises EComError.
void* BindElevationMoniker(HWND owner, const GUID& cls, const GUID& iid);

// Plain creation for systems before version 6: CoCreateInstance with context 5 for
// IUnknown, then the interface by QueryInterface. Raises EComError.
IQuillarPrivilegedObject* CreatePrivilegedObject();

// The object as ApplyAutoStart creates it: the elevation way when `windowsVersionCode` is 14,
// the plain way otherwise. Joins the calling thread to COM on first use.
class ComPrivilegedObjectSource : public PrivilegedObjectSource {
public:
    ComPrivilegedObjectSource(HWND owner, int windowsVersionCode) : owner_(owner), versionCode_(windowsVersionCode) {}
    std::unique_ptr<PrivilegedObject> Create() override;

private:
    HWND owner_;
    int versionCode_;
};

// The running program's full file name, as the system reports it for its module.
std::wstring ProgramFilePath();
