#include <cctype>

#include "app/languages.h"
#include "common/text.h"

namespace {

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

constexpr size_t kMaxValue = 2047;  // the readers' buffer holds 2048 bytes with the NUL

}  // namespace

IniProfileReader::IniProfileReader(const std::string& text) {
    Section* current = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            sections_.push_back({Trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), {}});
            current = &sections_.back();
            continue;
        }
        if (!current) continue;  // lines before the first section belong to none
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            current->entries.emplace_back(line, std::string());
        else
            current->entries.emplace_back(Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1)));
    }
}

const IniProfileReader::Section* IniProfileReader::Find(const std::string& section) const {
    for (const Section& s : sections_)
        if (EqualsIgnoreCase(s.name, section)) return &s;
    return nullptr;
}

std::string IniProfileReader::ReadString(const std::string& section, const std::string& key) {
    const Section* s = Find(section);
    if (!s) return {};
    for (const auto& [name, value] : s->entries) {
        if (!EqualsIgnoreCase(name, key)) continue;
        std::string v = value;
        if (v.size() > 1 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        if (v.size() > kMaxValue) v.resize(kMaxValue);
        return v;
    }
    return {};
}

bool IniProfileReader::SectionHasKeys(const std::string& section) {
    const Section* s = Find(section);
    return s && !s->entries.empty();
}
