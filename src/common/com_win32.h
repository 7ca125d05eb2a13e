// The program's few COM calls, with ole32 and oleaut32 loaded at their first use: a run that
// never creates the privileged object or opens a web address does not carry the two
// libraries and the ones they bring (more than 1 MB of private memory under Wine, which
// relocates them).
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

namespace com {

// Joins the calling thread to a single-threaded apartment the first time it is called (the
// main thread, before its first COM or shell call); later calls return the first result.
// A library that cannot be loaded gives its load error as a result.
HRESULT EnsureApartment();
// Leaves the apartment if EnsureApartment joined it (the end of the program).
void LeaveApartment();

HRESULT CreateInstance(REFCLSID cls, IUnknown* outer, DWORD context, REFIID iid, void** object);
HRESULT GetObject(LPCWSTR name, BIND_OPTS* options, REFIID iid, void** object);
// nullptr when oleaut32 is missing, as when out of memory.
BSTR AllocStringLen(const OLECHAR* text, UINT length);
void FreeString(BSTR text);

}  // namespace com
