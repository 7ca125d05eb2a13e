// The system's registry behind the Registry interface (ANSI calls: names and texts are
// Windows-1252 bytes).
#include <windows.h>

#include <vector>

#include "common/registry.h"

namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Key : public RegistryKey {
public:
    explicit Win32Key(HKEY key) : key_(key) {}
    ~Win32Key() override { RegCloseKey(key_); }

    RegistryRead ReadInteger(const std::string& name, int32_t& value) override {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return RegistryRead::Missing;
        if (type != REG_DWORD || size != sizeof(DWORD)) return RegistryRead::WrongType;
        DWORD data = 0;
        size = sizeof(data);
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS)
            return RegistryRead::Missing;
        value = static_cast<int32_t>(data);
        return RegistryRead::Ok;
    }

    RegistryRead ReadString(const std::string& name, std::string& value) override {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return RegistryRead::Missing;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return RegistryRead::WrongType;
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
            ERROR_SUCCESS)
            return RegistryRead::Missing;
        std::string text(buffer.data(), got);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        value = text;
        return RegistryRead::Ok;
    }

    bool WriteInteger(const std::string& name, int32_t value) override {
        DWORD data = static_cast<DWORD>(value);
        return RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof(data)) == ERROR_SUCCESS;
    }

    bool WriteString(const std::string& name, const std::string& value) override {
        return RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool ValueExists(const std::string& name) override {
        return RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

private:
    HKEY key_;
};

class Win32Registry : public Registry {
public:
    std::unique_ptr<RegistryKey> Open(RegistryRoot root, const std::string& path, KeyAccess access) override {
        HKEY key = nullptr;
        LONG rc;
        if (access == KeyAccess::Create) {
            rc = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
        } else {
            rc = RegOpenKeyExA(RootKey(root), path.c_str(), 0, access == KeyAccess::Read ? KEY_READ : KEY_ALL_ACCESS,
                               &key);
        }
        if (rc != ERROR_SUCCESS) return nullptr;
        return std::make_unique<Win32Key>(key);
    }
};

}  // namespace

Registry& ProcessRegistry() {
    static Win32Registry registry;
    return registry;
}
