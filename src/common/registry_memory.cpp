#include <cctype>

#include "common/registry.h"

std::string MemoryRegistry::Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

MemoryRegistry::KeyId MemoryRegistry::Id(RegistryRoot root, const std::string& path) {
    std::string p = Lower(path);
    while (!p.empty() && p.front() == '\\') p.erase(p.begin());
    while (!p.empty() && p.back() == '\\') p.pop_back();
    return {root, p};
}

void MemoryRegistry::CreatePath(const KeyId& id) {
    // Creating a key creates its parents too.
    size_t pos = 0;
    while ((pos = id.second.find('\\', pos)) != std::string::npos) {
        keys_[{id.first, id.second.substr(0, pos)}];
        ++pos;
    }
    keys_[id];
}

class MemoryKey : public RegistryKey {
public:
    MemoryKey(MemoryRegistry& reg, MemoryRegistry::KeyId id, bool writable, std::string path)
        : reg_(reg), id_(std::move(id)), writable_(writable), path_(std::move(path)) {}

    RegistryRead ReadInteger(const std::string& name, int32_t& value) override {
        const MemoryRegistry::Value* v = Get(name);
        if (!v) return RegistryRead::Missing;
        if (v->type != MemoryRegistry::Type::Integer) return RegistryRead::WrongType;
        value = v->integer;
        return RegistryRead::Ok;
    }
    RegistryRead ReadString(const std::string& name, std::string& value) override {
        const MemoryRegistry::Value* v = Get(name);
        if (!v) return RegistryRead::Missing;
        if (v->type != MemoryRegistry::Type::String) return RegistryRead::WrongType;
        value = v->text;
        return RegistryRead::Ok;
    }
    bool WriteInteger(const std::string& name, int32_t value) override {
        if (!writable_) return false;
        reg_.keys_[id_][MemoryRegistry::Lower(name)] = {MemoryRegistry::Type::Integer, value, {}};
        reg_.writes.push_back(path_ + "\\" + name);
        return true;
    }
    bool WriteString(const std::string& name, const std::string& value) override {
        if (!writable_) return false;
        reg_.keys_[id_][MemoryRegistry::Lower(name)] = {MemoryRegistry::Type::String, 0, value};
        reg_.writes.push_back(path_ + "\\" + name);
        return true;
    }
    bool ValueExists(const std::string& name) override { return Get(name) != nullptr; }

private:
    const MemoryRegistry::Value* Get(const std::string& name) const {
        auto key = reg_.keys_.find(id_);
        if (key == reg_.keys_.end()) return nullptr;  // deleted meanwhile
        auto it = key->second.find(MemoryRegistry::Lower(name));
        return it == key->second.end() ? nullptr : &it->second;
    }
    MemoryRegistry& reg_;
    MemoryRegistry::KeyId id_;
    bool writable_;
    std::string path_;
};

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RegistryRoot root, const std::string& path, KeyAccess access) {
    KeyId id = Id(root, path);
    auto refusal = refused_.find(id);
    if (refusal != refused_.end() && (refusal->second || access != KeyAccess::Read)) return nullptr;
    if (access == KeyAccess::Create)
        CreatePath(id);
    else if (!keys_.count(id))
        return nullptr;
    return std::make_unique<MemoryKey>(*this, id, access != KeyAccess::Read, path);
}

void MemoryRegistry::SetInteger(RegistryRoot root, const std::string& path, const std::string& name, int32_t v) {
    KeyId id = Id(root, path);
    CreatePath(id);
    keys_[id][Lower(name)] = {Type::Integer, v, {}};
}

void MemoryRegistry::SetString(RegistryRoot root, const std::string& path, const std::string& name,
                               const std::string& v) {
    KeyId id = Id(root, path);
    CreatePath(id);
    keys_[id][Lower(name)] = {Type::String, 0, v};
}

void MemoryRegistry::SetBinary(RegistryRoot root, const std::string& path, const std::string& name,
                               const std::string& bytes) {
    KeyId id = Id(root, path);
    CreatePath(id);
    keys_[id][Lower(name)] = {Type::Binary, 0, bytes};
}

void MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) {
    auto key = keys_.find(Id(root, path));
    if (key != keys_.end()) key->second.erase(Lower(name));
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::string& path) const {
    return keys_.count(Id(root, path)) != 0;
}

const MemoryRegistry::Value* MemoryRegistry::Find(RegistryRoot root, const std::string& path,
                                                  const std::string& name) const {
    auto key = keys_.find(Id(root, path));
    if (key == keys_.end()) return nullptr;
    auto it = key->second.find(Lower(name));
    return it == key->second.end() ? nullptr : &it->second;
}

void MemoryRegistry::Refuse(RegistryRoot root, const std::string& path, bool refuseAll) {
    refused_[Id(root, path)] = refuseAll;
}
