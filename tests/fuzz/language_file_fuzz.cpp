// The language file beside the program is written by translators and users. Whatever it
// holds (sections, keys, long values, "\n" pairs, quotes, bytes of any kind), reading it and
// translating the main window and the messages from it must work.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/languages.h"
#include "fuzz/fuzz_check.h"
#include "unit/core/fakes.h"

namespace {

// The file's text as the language file, in the language of its first section.
class FileLanguage : public LanguagePlatform {
public:
    FileLanguage(std::string text, std::string abbrev) : text_(std::move(text)), abbrev_(std::move(abbrev)) {}
    std::unique_ptr<ProfileReader> OpenProfile(const std::string&) override {
        return std::make_unique<IniProfileReader>(text_);
    }
    std::string UserLanguageAbbrev() override { return abbrev_; }

private:
    std::string text_;
    std::string abbrev_;
};

// Section and key names as a reader of the text would guess them: the words between
// brackets and before equal signs, a bounded number of each.
void GuessNames(const std::string& text, std::vector<std::string>& sections, std::vector<std::string>& keys) {
    size_t pos = 0;
    while (pos < text.size() && (sections.size() < 6 || keys.size() < 32)) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line[0] == '[' && sections.size() < 6)
            sections.push_back(line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
        else if (line.find('=') != std::string::npos && keys.size() < 32)
            keys.push_back(line.substr(0, line.find('=')));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> sections{"DEU", "DE"};
    std::vector<std::string> keys{"5064", "90"};
    GuessNames(text, sections, keys);

    IniProfileReader reader(text);
    for (const std::string& section : sections)
        for (const std::string& key : keys) {
            const std::string value = reader.ReadString(section, key);
            FUZZ_REQUIRE(value.size() <= 2047);
            FUZZ_REQUIRE(value.empty() || reader.SectionHasKeys(section));
        }

    // The program's own path: choose a section, translate the window, then some messages.
    FileLanguage language(text, sections.size() > 2 ? sections[2] : "DEU");
    SetLanguagePlatform(&language);
    SetLanguageFilePath("C:\\Quillar\\Quillar.exe");
    if (OpenLanguageFile()) {
        FakeHost host;
        TestServices services;
        TQuillarForm form(host, services.Services());
        TranslateForm(form);
        for (const std::string& key : keys) {
            const std::string message = ReadLanguageText(std::atoi(key.c_str()));
            FUZZ_REQUIRE(message.find("\\n") == std::string::npos);
        }
    }
    CloseLanguageFile();
    FUZZ_REQUIRE(!TranslateText("enabled", 5062).empty());
    SetLanguagePlatform(nullptr);
    LanguageSection.clear();
    LanguageFilePath.clear();
    return 0;
}
