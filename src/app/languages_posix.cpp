// Native stand-in: the language file is read with the same rules as the system's profile
// functions; the language is English.
#include <fstream>
#include <sstream>

#include "app/languages.h"

namespace {

class PosixLanguagePlatform : public LanguagePlatform {
public:
    std::unique_ptr<ProfileReader> OpenProfile(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        if (in) text << in.rdbuf();
        return std::make_unique<IniProfileReader>(text.str());
    }
    std::string UserLanguageAbbrev() override { return "ENU"; }
};

}  // namespace

LanguagePlatform& ProcessLanguagePlatform() {
    static PosixLanguagePlatform platform;
    return platform;
}
