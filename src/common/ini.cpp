#include "common/ini.h"

IniText IniText::Parse(const std::string& text) {
    IniText ini;
    Section* current = nullptr;
    // Plain line splitting: a string stream would bring the whole locale machinery into
    // every program that links this reader.
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            Section* found = nullptr;
            for (auto& s : ini.sections)
                if (EqualsIgnoreCase(s.name, name)) found = &s;
            if (!found) {
                ini.sections.push_back(Section{name, {}});
                found = &ini.sections.back();
            }
            current = found;
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = line.substr(eq + 1);
        // A ';' after the value starts a comment.
        size_t comment = value.find(" ;");
        if (comment != std::string::npos) value.resize(comment);
        value = Trim(value);
        bool replaced = false;
        for (auto& [k, v] : current->entries)
            if (EqualsIgnoreCase(k, key)) {
                v = value;
                replaced = true;
            }
        if (!replaced) current->entries.emplace_back(key, value);
    }
    return ini;
}

const IniText::Section* IniText::Find(const std::string& section) const {
    for (const auto& s : sections)
        if (EqualsIgnoreCase(s.name, section)) return &s;
    return nullptr;
}

std::string IniText::Get(const std::string& section, const std::string& key, const std::string& fallback) const {
    if (const Section* s = Find(section))
        for (const auto& [k, v] : s->entries)
            if (EqualsIgnoreCase(k, key)) return v;
    return fallback;
}

bool IniText::Has(const std::string& section, const std::string& key) const {
    if (const Section* s = Find(section))
        for (const auto& [k, v] : s->entries)
            if (EqualsIgnoreCase(k, key)) return true;
    return false;
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    Section* target = nullptr;
    for (auto& s : sections)
        if (EqualsIgnoreCase(s.name, section)) target = &s;
    if (!target) {
        sections.push_back(Section{section, {}});
        target = &sections.back();
    }
    for (auto& [k, v] : target->entries)
        if (EqualsIgnoreCase(k, key)) {
            v = value;
            return;
        }
    target->entries.emplace_back(key, value);
}

std::string IniText::Text() const {
    std::string out;
    for (const auto& s : sections) {
        out += "[" + s.name + "]\r\n";
        for (const auto& [k, v] : s.entries) out += k + "=" + v + "\r\n";
        out += "\r\n";
    }
    return out;
}
