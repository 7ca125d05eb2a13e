// The language file through the system's profile functions, the language from the user's locale.
#include <windows.h>

#include <vector>

#include "app/languages.h"

namespace {

class Win32ProfileReader : public ProfileReader {
public:
    explicit Win32ProfileReader(std::string path) : path_(std::move(path)) {}

    std::string ReadString(const std::string& section, const std::string& key) override {
        char buffer[2048];
        DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof(buffer), path_.c_str());
        return std::string(buffer, n);
    }

    bool SectionHasKeys(const std::string& section) override {
        std::vector<char> buffer(4096);
        return GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                         path_.c_str()) > 0;
    }

private:
    std::string path_;
};

class Win32LanguagePlatform : public LanguagePlatform {
public:
    std::unique_ptr<ProfileReader> OpenProfile(const std::string& path) override {
        return std::make_unique<Win32ProfileReader>(path);
    }
    std::string UserLanguageAbbrev() override {
        char buffer[5] = {};
        if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, sizeof(buffer)) == 0) return {};
        return buffer;
    }
};

}  // namespace

LanguagePlatform& ProcessLanguagePlatform() {
    static Win32LanguagePlatform platform;
    return platform;
}
