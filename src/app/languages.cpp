#include "app/languages.h"

#include <cctype>

#include "app/commatext.h"
#include "app/form.h"

std::string LanguageFilePath;
std::string LanguageSection;

namespace {

LanguagePlatform* gPlatform = nullptr;     // null: the process's own
std::unique_ptr<ProfileReader> gReader;    // the open language file

LanguagePlatform& Platform() { return gPlatform ? *gPlatform : ProcessLanguagePlatform(); }

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool SectionPresent(const std::string& section) { return !section.empty() && gReader->SectionHasKeys(section); }

// Looks a text up in the open file; empty when nothing is open or no section was chosen.
std::string Lookup(int number) {
    if (!gReader || LanguageSection.empty()) return {};
    return ReadLanguageText(number);
}

bool HasCaption(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:      // an edit field's text is the user's, never replaced
        case ControlKind::TrackBar:  // these have no caption at all
        case ControlKind::UpDown:
        case ControlKind::ListBox:
        case ControlKind::ListView:
        case ControlKind::Image:
        case ControlKind::Timer:
            return false;
        default:
            return true;
    }
}

void TranslateComponent(Control& c) {
    if (c.tag == 0) return;
    const std::string text = ReadLanguageText(c.tag);
    if (text.empty()) return;
    if (c.kind == ControlKind::MenuItem) {
        c.SetCaption(text);
        return;
    }
    if (c.kind == ControlKind::ComboBox)
        static_cast<ComboBox&>(c).SetText(text);
    else if (HasCaption(c.kind))
        c.SetCaption(text);
    if (!c.Hint().empty()) {
        const std::string hint = ReadLanguageText(c.tag + 10000);
        if (hint.empty()) return;  // without a translated hint the items stay English too
        c.SetHint(hint);
    }
    if (c.kind == ControlKind::RadioGroup) {
        const std::string items = ReadLanguageText(c.tag + 2000);
        if (items.empty()) return;
        // The selection stays where it was: no user change, so the group's handler stays out.
        static_cast<RadioGroup&>(c).SetItems(SplitCommaText(items));
    }
}

}  // namespace

void SetLanguageFilePath(const std::string& programFile) {
    size_t slash = programFile.find_last_of("\\/");
    std::string folder = slash == std::string::npos ? std::string() : programFile.substr(0, slash + 1);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    LanguageFilePath = folder + "quillar.ini";
}

std::string GetUserLanguageAbbrev() { return Platform().UserLanguageAbbrev(); }

bool OpenLanguageFile() {
    gReader = Platform().OpenProfile(LanguageFilePath);
    const std::string abbrev = Upper(GetUserLanguageAbbrev());
    std::string section = abbrev;
    if (!SectionPresent(section) && abbrev.size() > 2) section = abbrev.substr(0, 2);
    if (SectionPresent(section)) {
        LanguageSection = section;
        return true;
    }
    LanguageSection.clear();
    CloseLanguageFile();  // keeps the reader: no section was chosen
    return false;
}

void CloseLanguageFile() {
    if (!LanguageSection.empty()) gReader.reset();
}

std::string ReadLanguageText(int number) {
    if (!gReader) return {};
    std::string text = gReader->ReadString(LanguageSection, std::to_string(number));
    // The profile reader drops a pair of outer quotes; a value with quotes in it is a
    // comma text whose first and last items were quoted, so the pair goes back on.
    if (text.find('"') != std::string::npos) text = "\"" + text + "\"";
    size_t pos = 0;
    while ((pos = text.find("\\n", pos)) != std::string::npos) {
        text.replace(pos, 2, "\r\n");
        pos += 2;
    }
    return text;
}

std::string TranslateText(const std::string& english, int number) {
    std::string text;
    if (gReader || LanguageFilePath.empty()) {
        text = Lookup(number);
    } else {
        OpenLanguageFile();
        text = Lookup(number);
        CloseLanguageFile();
    }
    return text.empty() ? english : text;
}

std::string FormatTranslated(const std::string& english, int number, std::initializer_list<FormatArg> args) {
    return FormatWithFallback(TranslateText(english, number), english, args);
}

void TranslateForm(TQuillarForm& form) {
    for (Control* c : form.components) TranslateComponent(*c);
    // Menu items not listed among the components are the form's too.
    for (MenuItem* item : form.menu) {
        bool listed = false;
        for (Control* c : form.components) listed = listed || c == item;
        if (!listed) TranslateComponent(*item);
    }
}

void SetLanguagePlatform(LanguagePlatform* platform) {
    gReader.reset();
    gPlatform = platform;
}
