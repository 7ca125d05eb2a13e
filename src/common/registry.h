// The registry as the settings and the message dialogs use it: keys under the current
// user or the machine, 32-bit integer and string values with their types. The Windows
// adapter is registry_win32.cpp; MemoryRegistry keeps keys in memory for the native
// build and for tests.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

enum class RegistryRoot { CurrentUser, LocalMachine };

enum class RegistryRead {
    Ok,
    Missing,    // no value of that name
    WrongType,  // a value of another type (or an integer of another size)
};

enum class KeyAccess {
    Read,      // open an existing key for reading only
    Full,      // open an existing key for reading and writing
    Create,    // open for reading and writing, creating the key (and its parents) when missing
};

// An open key; destroying it closes the key.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // REG_DWORD only.
    virtual RegistryRead ReadInteger(const std::string& name, int32_t& value) = 0;
    // REG_SZ (or REG_EXPAND_SZ, unexpanded); trailing NULs are dropped.
    virtual RegistryRead ReadString(const std::string& name, std::string& value) = 0;
    virtual bool WriteInteger(const std::string& name, int32_t value) = 0;
    virtual bool WriteString(const std::string& name, const std::string& value) = 0;
    virtual bool ValueExists(const std::string& name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Null when the key does not exist (and is not to be created) or access is refused.
    virtual std::unique_ptr<RegistryKey> Open(RegistryRoot root, const std::string& path, KeyAccess access) = 0;
};

// The registry of the running process: the system's on Windows, a MemoryRegistry elsewhere.
Registry& ProcessRegistry();

// Keys in memory. Paths and value names are compared without regard to letter case, as
// the system does; the write log and the refusals let tests see and provoke what the
// real registry does.
class MemoryRegistry : public Registry {
public:
    enum class Type { Integer, String, Binary };
    struct Value {
        Type type;
        int32_t integer = 0;
        std::string text;  // the string, or the bytes of a binary value
    };

    std::unique_ptr<RegistryKey> Open(RegistryRoot root, const std::string& path, KeyAccess access) override;

    // Direct access for tests (no refusals apply).
    void SetInteger(RegistryRoot root, const std::string& path, const std::string& name, int32_t v);
    void SetString(RegistryRoot root, const std::string& path, const std::string& name, const std::string& v);
    void SetBinary(RegistryRoot root, const std::string& path, const std::string& name, const std::string& bytes);
    void DeleteValue(RegistryRoot root, const std::string& path, const std::string& name);
    bool KeyExists(RegistryRoot root, const std::string& path) const;
    const Value* Find(RegistryRoot root, const std::string& path, const std::string& name) const;

    // Opening the key fails (refuseAll) or only opening it for writing or creating fails.
    void Refuse(RegistryRoot root, const std::string& path, bool refuseAll);

    // "path\name" of every successful write, in order.
    std::vector<std::string> writes;

private:
    friend class MemoryKey;
    using KeyId = std::pair<RegistryRoot, std::string>;  // path in lower case, no outer backslashes
    static KeyId Id(RegistryRoot root, const std::string& path);
    static std::string Lower(const std::string& s);
    void CreatePath(const KeyId& id);
    std::map<KeyId, std::map<std::string, Value>> keys_;
    std::map<KeyId, bool> refused_;  // true: every access refused; false: writing refused
};
