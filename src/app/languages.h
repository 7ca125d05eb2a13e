// Interface texts and their translation: every message is fetched by its number with the
// English text as fallback, and the main window's controls are translated by their Tag,
// from the section of "quillar.ini" (beside the program) named after the user's language.
#pragma once
#include <memory>
#include <utility>
#include <vector>
#include <string>

#include "common/format.h"

class TQuillarForm;

// The language file: the program's folder + "quillar.ini"; empty until start-up sets it.
extern std::string LanguageFilePath;
// The chosen section in upper case; empty while none is chosen.
extern std::string LanguageSection;

// `programFile` is the full name of the running program file.
void SetLanguageFilePath(const std::string& programFile);

// Opens the language file and chooses the section of the user's language (the locale's
// abbreviated language name, else its first two letters). True when a section was chosen.
bool OpenLanguageFile();
// Releases the language file, but only when a section was chosen: without one the reader
// stays, so later lookups go straight to the English texts.
void CloseLanguageFile();

// The raw text of key `number` in the chosen section (empty when absent), with a value
// holding a double quote put back in quotes and each backslash + n turned into CR LF.
std::string ReadLanguageText(int number);
// The translation of text `number`, or `english` when there is none.
std::string TranslateText(const std::string& english, int number);
// Text `number` formatted over `args`. A translation is outside input: when it does not fit
// the arguments, the English pattern is formatted instead.
std::string FormatTranslated(const std::string& english, int number, std::initializer_list<FormatArg> args);
// Captions by Tag, hints by Tag + 10000, radio items by Tag + 2000 (comma text).
void TranslateForm(TQuillarForm& form);

// The abbreviated language name of the user's default locale ("DEU", "ENU", ...).
std::string GetUserLanguageAbbrev();

// ---- the platform's part ----

// An ini file read the way the system's profile functions read it.
class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    // The value (outer quotes dropped, at most 2047 characters) or empty.
    virtual std::string ReadString(const std::string& section, const std::string& key) = 0;
    // A section counts only when it holds at least one key.
    virtual bool SectionHasKeys(const std::string& section) = 0;
};

class LanguagePlatform {
public:
    virtual ~LanguagePlatform() = default;
    // A reader on `path`; the file need not exist.
    virtual std::unique_ptr<ProfileReader> OpenProfile(const std::string& path) = 0;
    virtual std::string UserLanguageAbbrev() = 0;
};

// The system's profile functions and locale (Windows), or a stand-in reading the file itself.
LanguagePlatform& ProcessLanguagePlatform();
// Replaces the platform (tests); null restores the process's own. Drops any open reader.
void SetLanguagePlatform(LanguagePlatform* platform);

// Ini text read with the profile functions' rules: names without regard to case, blanks
// around names and values dropped, ';' comment lines, the first of equal keys wins, a
// value in matching quotes loses them, values cut to 2047 characters.
class IniProfileReader : public ProfileReader {
public:
    explicit IniProfileReader(const std::string& text);
    std::string ReadString(const std::string& section, const std::string& key) override;
    bool SectionHasKeys(const std::string& section) override;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const Section* Find(const std::string& section) const;
    std::vector<Section> sections_;
};
