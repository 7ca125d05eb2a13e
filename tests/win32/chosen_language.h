// The language module's platform for the Windows tests: the system's profile reader with a
// chosen language, and the shipped language file as Wine sees it.
#pragma once
#include <memory>
#include <string>

#include "app/languages.h"

// The source tree as Wine sees it (Z: is the root of the host's file system).
inline std::string ShippedLanguageFile() {
    std::string here = __FILE__;  // .../tests/win32/chosen_language.h
    std::string root = here.substr(0, here.rfind("/tests/win32/"));
    std::string path = "Z:" + root + "/data/quillar.ini";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The system's profile reader with a chosen language abbreviation.
class ChosenLanguage : public LanguagePlatform {
public:
    explicit ChosenLanguage(std::string abbrev) : abbrev_(std::move(abbrev)) {}
    std::unique_ptr<ProfileReader> OpenProfile(const std::string& path) override {
        return ProcessLanguagePlatform().OpenProfile(path);
    }
    std::string UserLanguageAbbrev() override { return abbrev_; }

private:
    std::string abbrev_;
};
