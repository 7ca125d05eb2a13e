#include "app/privileged_object_win32.h"

#include <string>

#include "common/com_win32.h"

namespace {

[[noreturn]] void RaiseComError(HRESULT hr) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    throw EComError(static_cast<int32_t>(hr), ComErrorText(static_cast<int32_t>(hr), text));
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Owns one reference to the COM object and hands out the program's one call.
class ComPrivilegedObject : public PrivilegedObject {
public:
    explicit ComPrivilegedObject(IQuillarPrivilegedObject* object) : object_(object) {}
    ~ComPrivilegedObject() override { object_->Release(); }

    int32_t SetAutoStart(const std::string& valueName, bool enable) override {
        const std::wstring name = Widen(valueName);
        const std::wstring path = ProgramFilePath();
        BSTR nameText = com::AllocStringLen(name.data(), static_cast<UINT>(name.size()));
        BSTR pathText = com::AllocStringLen(path.data(), static_cast<UINT>(path.size()));
        const HRESULT hr = object_->SetAutoStart(nameText, pathText, enable ? 1 : 0);
        com::FreeString(nameText);
        com::FreeString(pathText);
        return static_cast<int32_t>(hr);
    }

private:
    IQuillarPrivilegedObject* object_;
};

}  // namespace

bool IsProcessElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD elevation = 0;
    DWORD size = 0;
    const bool elevated =
        GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &elevation, sizeof elevation, &size) &&
        elevation != 0;
    CloseHandle(token);
    return elevated;
}

#if !defined(_WIN64)
static_assert(sizeof(BIND_OPTS3) == kBindOpts3Size, "the 36-byte bind options of a 32-bit program");
#endif

BIND_OPTS3 ElevationBindOptions(HWND owner) {
    BIND_OPTS3 options{};
    options.cbStruct = sizeof options;
    options.dwClassContext = kContextLocalServer;
    options.hwnd = owner;
    return options;
}

void* BindElevationMoniker(HWND owner, const GUID& cls, const GUID& iid) {
    ComGuid id;
    std::memcpy(&id, &cls, sizeof id);
    const std::wstring moniker = Widen(ElevationMonikerText(id));
    BIND_OPTS3 options = ElevationBindOptions(owner);
    void* object = nullptr;
    const HRESULT hr = com::GetObject(moniker.c_str(), reinterpret_cast<BIND_OPTS*>(&options), iid, &object);
    if (FAILED(hr)) RaiseComError(hr);
    return object;
}

void* CreateElevatedComObject(HWND owner, const GUID& cls, const GUID& iid) {
    if (!IsProcessElevated()) return BindElevationMoniker(owner, cls, iid);
    void* object = nullptr;
    const HRESULT hr = com::CreateInstance(cls, nullptr, kContextElevatedDirect, iid, &object);
    if (FAILED(hr)) RaiseComError(hr);
    return object;
}

IQuillarPrivilegedObject* CreatePrivilegedObject() {
    IUnknown* unknown = nullptr;
    HRESULT hr = com::CreateInstance(ToGuid(CLSID_QuillarPrivilegedObject), nullptr, kContextPlain, IID_IUnknown,
                                  reinterpret_cast<void**>(&unknown));
    if (FAILED(hr)) RaiseComError(hr);
    void* object = nullptr;
    hr = unknown->QueryInterface(ToGuid(IID_IQuillarPrivilegedObject), &object);
    unknown->Release();
    if (FAILED(hr)) RaiseComError(hr);
    return static_cast<IQuillarPrivilegedObject*>(object);
}

std::unique_ptr<PrivilegedObject> ComPrivilegedObjectSource::Create() {
    // COM joins the main thread here, at the program's first need of it (apartment-threaded:
    // the consent prompt is modal to the main window). A failure shows in the creation.
    com::EnsureApartment();
    IQuillarPrivilegedObject* object =
        UsesElevationPath(versionCode_)
            ? static_cast<IQuillarPrivilegedObject*>(CreateElevatedComObject(
                  owner_, ToGuid(CLSID_QuillarPrivilegedObject), ToGuid(IID_IQuillarPrivilegedObject)))
            : CreatePrivilegedObject();
    if (!object) RaiseComError(E_POINTER);
    return std::make_unique<ComPrivilegedObject>(object);
}

std::wstring ProgramFilePath() {
    // Long paths do not fit MAX_PATH; the buffer grows until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}
