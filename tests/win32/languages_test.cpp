// Language texts read through the system's profile functions and locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/languages.h"
#include "win32/chosen_language.h"

namespace {

std::string TempFile(const char* name, const std::string& content) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return path;
}

class Win32Languages : public ::testing::Test {
protected:
    void TearDown() override {
        SetLanguagePlatform(nullptr);
        LanguageSection.clear();
        LanguageFilePath.clear();
    }
};

}  // namespace

TEST_F(Win32Languages, ProfileFunctionsReadAsTheRulesSay) {
    const std::string path = TempFile("quillar_lang_test.ini",
                                      "[EMPTY]\r\n; only a comment\r\n"
                                      "[DEU]\r\n"
                                      "1=  eins\\nzwei  \r\n"
                                      "2=\"a b\",c,\"d e\"\r\n"
                                      "3=Er sagte \"hallo\"\r\n"
                                      "4=" + std::string(2100, 'y') + "\r\n"
                                      "-1=minus\r\n");
    auto reader = ProcessLanguagePlatform().OpenProfile(path);
    EXPECT_TRUE(reader->SectionHasKeys("DEU"));
    EXPECT_TRUE(reader->SectionHasKeys("deu"));
    EXPECT_FALSE(reader->SectionHasKeys("EMPTY"));
    EXPECT_FALSE(reader->SectionHasKeys("FRA"));
    EXPECT_EQ(reader->ReadString("DEU", "1"), "eins\\nzwei");
    EXPECT_EQ(reader->ReadString("DEU", "2"), "a b\",c,\"d e");  // the outer pair is dropped
    EXPECT_EQ(reader->ReadString("DEU", "3"), "Er sagte \"hallo\"");
    EXPECT_EQ(reader->ReadString("DEU", "4").size(), 2047u);
    EXPECT_EQ(reader->ReadString("DEU", "-1"), "minus");
    EXPECT_EQ(reader->ReadString("DEU", "5"), "");

    // The same file through the module's rules.
    ChosenLanguage deu("DEU");
    SetLanguagePlatform(&deu);
    LanguageFilePath = path;
    ASSERT_TRUE(OpenLanguageFile());
    EXPECT_EQ(ReadLanguageText(1), "eins\r\nzwei");
    EXPECT_EQ(ReadLanguageText(2), "\"a b\",c,\"d e\"");
    EXPECT_EQ(ReadLanguageText(3), "\"Er sagte \"hallo\"\"");
    CloseLanguageFile();
    DeleteFileA(path.c_str());
}

TEST_F(Win32Languages, ShippedFileServesGermanAndItsTwoLetterFallback) {
    for (const char* abbrev : {"DEU", "DES"}) {  // Germany; Switzerland falls back to "DE"
        SCOPED_TRACE(abbrev);
        ChosenLanguage lang(abbrev);
        SetLanguagePlatform(&lang);
        LanguageFilePath = ShippedLanguageFile();
        EXPECT_EQ(TranslateText("Quillar is already running.", 5054), "Quillar l\xE4uft bereits.");
        EXPECT_EQ(TranslateText("x", 5050).substr(0, 8), " konnte ");
        EXPECT_EQ(TranslateText("Enable &Autostart", 90), "&Autostart aktivieren");
        ASSERT_TRUE(OpenLanguageFile());
        EXPECT_EQ(LanguageSection, std::string(abbrev).substr(0, std::string(abbrev) == "DEU" ? 3 : 2));
        EXPECT_EQ(ReadLanguageText(2040), "\"&Keine\",\"&Numerische Anzeige\",\"&Grafische Anzeige\"");
        CloseLanguageFile();
    }
    ChosenLanguage fra("FRA");
    SetLanguagePlatform(&fra);
    EXPECT_EQ(TranslateText("Quillar is already running.", 5054), "Quillar is already running.");
}

TEST_F(Win32Languages, UserLocaleChoosesTheSection) {
    char expected[5] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, expected, sizeof expected), 0);
    EXPECT_EQ(GetUserLanguageAbbrev(), expected);
    std::printf("user language abbreviation: %s\n", expected);
    LanguageFilePath = ShippedLanguageFile();
    const bool german = PRIMARYLANGID(GetUserDefaultLangID()) == LANG_GERMAN;
    EXPECT_EQ(OpenLanguageFile(), german) << "locale " << expected;
    if (german) {
        EXPECT_EQ(ReadLanguageText(5062), "aktiviert");
    } else {
        EXPECT_EQ(TranslateText("enabled", 5062), "enabled");
    }
    CloseLanguageFile();
}
