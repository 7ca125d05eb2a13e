// A small reader and writer of Windows ini text: sections and keys compared without
// regard to case, values trimmed, lines starting with ';' ignored, order kept.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"

class IniText {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };

    static IniText Parse(const std::string& text);

    const Section* Find(const std::string& section) const;
    // The value of key in section, or `fallback` when absent.
    std::string Get(const std::string& section, const std::string& key, const std::string& fallback = {}) const;
    bool Has(const std::string& section, const std::string& key) const;
    // Adds or replaces a value.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    std::string Text() const;

    std::vector<Section> sections;
};
