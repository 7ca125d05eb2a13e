#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

#include "app/form.h"
#include "app/languages.h"
#include "unit/core/fakes.h"

namespace {


// A language file held in memory, read with the profile functions' rules.
class FakeLanguages : public LanguagePlatform {
public:
    std::string text;
    std::string abbrev = "DEU";
    std::vector<std::string> opened;
    std::unique_ptr<ProfileReader> OpenProfile(const std::string& path) override {
        opened.push_back(path);
        return std::make_unique<IniProfileReader>(text);
    }
    std::string UserLanguageAbbrev() override { return abbrev; }
};

class LanguagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguagePlatform(&fake);
        LanguageSection.clear();
        SetLanguageFilePath("C:\\Program Files\\Quillar\\Quillar.exe");
    }
    void TearDown() override {
        SetLanguagePlatform(nullptr);
        LanguageSection.clear();
        LanguageFilePath.clear();
    }
    FakeLanguages fake;
};

}  // namespace

TEST_F(LanguagesTest, FilePathIsTheProgramsFolderPlusTheFileName) {
    EXPECT_EQ(LanguageFilePath, "C:\\Program Files\\Quillar\\quillar.ini");
    SetLanguageFilePath("D:\\Quillar.exe");
    EXPECT_EQ(LanguageFilePath, "D:\\quillar.ini");
}

TEST_F(LanguagesTest, ChoosesTheThreeLetterSectionThenItsFirstTwoLetters) {
    fake.text = "[DE]\n5062=aktiv (DE)\n[DEU]\n5062=aktiviert\n";
    fake.abbrev = "deu";
    EXPECT_TRUE(OpenLanguageFile());
    EXPECT_EQ(LanguageSection, "DEU");
    EXPECT_EQ(ReadLanguageText(5062), "aktiviert");
    CloseLanguageFile();

    // Austrian German has no section of its own.
    fake.abbrev = "DEA";
    EXPECT_TRUE(OpenLanguageFile());
    EXPECT_EQ(LanguageSection, "DE");
    EXPECT_EQ(ReadLanguageText(5062), "aktiv (DE)");
    CloseLanguageFile();

    // A section without keys does not count.
    fake.text = "[DEU]\n; nothing yet\n[DE]\n5062=zwei\n";
    fake.abbrev = "DEU";
    EXPECT_TRUE(OpenLanguageFile());
    EXPECT_EQ(LanguageSection, "DE");
    CloseLanguageFile();
}

TEST_F(LanguagesTest, NoMatchingSectionKeepsEnglishWithoutReopening) {
    fake.text = "[DEU]\n5062=aktiviert\n";
    fake.abbrev = "FRA";
    EXPECT_FALSE(OpenLanguageFile());
    EXPECT_EQ(LanguageSection, "");
    CloseLanguageFile();  // keeps the reader: no section was chosen
    EXPECT_EQ(TranslateText("enabled", 5062), "enabled");
    EXPECT_EQ(TranslateText("disabled", 5063), "disabled");
    EXPECT_EQ(fake.opened.size(), 1u);
    // A two-letter abbreviation is not cut further.
    SetLanguagePlatform(&fake);
    fake.abbrev = "D";
    EXPECT_FALSE(OpenLanguageFile());
}

TEST_F(LanguagesTest, TranslateTextOpensAroundEachLookupWhileTheFileIsClosed) {
    fake.text = "[DEU]\n5062=aktiviert\n5054=Quillar l\xE4uft bereits.\n";
    EXPECT_EQ(TranslateText("enabled", 5062), "aktiviert");
    EXPECT_EQ(TranslateText("Quillar is already running.", 5054), "Quillar l\xE4uft bereits.");
    EXPECT_EQ(TranslateText("available", 5082), "available");  // key missing
    EXPECT_EQ(fake.opened.size(), 3u);
    EXPECT_EQ(fake.opened[0], "C:\\Program Files\\Quillar\\quillar.ini");

    // While open (during the main window's creation) no further opening happens.
    ASSERT_TRUE(OpenLanguageFile());
    EXPECT_EQ(TranslateText("enabled", 5062), "aktiviert");
    EXPECT_EQ(fake.opened.size(), 4u);
    CloseLanguageFile();

    // Before the path is known every text is English.
    LanguageFilePath.clear();
    EXPECT_EQ(TranslateText("enabled", 5062), "enabled");
    EXPECT_EQ(fake.opened.size(), 4u);
}

TEST_F(LanguagesTest, ValuesGetLineBreaksAndTheQuoteRule) {
    fake.text =
        "[DEU]\n"
        "1=eins\\nzwei\\n\\ndrei\n"
        "2=Er sagte \"hallo\" laut\n"
        "3=\"umschlossen\"\n"
        "4=\"a b\",c,\"d e\"\n"
        "5=  Leerzeichen au\xDF" "en  \n"
        "-1=Optimierung\n"
        "9999=Hinweis\n"
        "6=\\\\n\n";
    ASSERT_TRUE(OpenLanguageFile());
    EXPECT_EQ(ReadLanguageText(1), "eins\r\nzwei\r\n\r\ndrei");
    // A quote inside: one quote added at each end.
    EXPECT_EQ(ReadLanguageText(2), "\"Er sagte \"hallo\" laut\"");
    // Outer quotes alone are dropped by the reader and nothing is added.
    EXPECT_EQ(ReadLanguageText(3), "umschlossen");
    // Comma text with its first and last items quoted comes back complete.
    EXPECT_EQ(ReadLanguageText(4), "\"a b\",c,\"d e\"");
    EXPECT_EQ(ReadLanguageText(5), "Leerzeichen au\xDF" "en");
    EXPECT_EQ(ReadLanguageText(-1), "Optimierung");
    EXPECT_EQ(ReadLanguageText(9999), "Hinweis");
    EXPECT_EQ(ReadLanguageText(6), "\\\r\n");
    EXPECT_EQ(ReadLanguageText(7), "");
    CloseLanguageFile();
}

TEST_F(LanguagesTest, ATranslatedPatternThatDoesNotFitGivesTheEnglishMessage) {
    fake.text =
        "[DEU]\n"
        "5071=S1 gew\xE4hlt (%s).\n"
        "5072=Kein C2 f\xFCr %d.\n"
        "5069=%99999999999s\n";
    FakeHost host;
    TestServices formServices;
    TQuillarForm form{host, formServices.Services()};
    form.LabelTitle->SetCaption("Quillar Vantor");
    form.Loading = false;
    host.optionsVisible = true;
    form.cbOptimize->SetChecked(true);

    // Choosing C2 without a C2 port: the message, then S1's message, each without a throw.
    form.rgCoolingMode->SetItemIndex(2);
    ASSERT_GE(host.dialogs.size(), 2u);
    EXPECT_EQ(host.dialogs[0].rfind("C2 cooling support has not been detected on your chipset.", 0), 0u);
    EXPECT_NE(host.dialogs[0].find("that Quillar Vantor does not work"), std::string::npos);
    EXPECT_EQ(host.dialogs[1], "S1 gew\xE4hlt (Quillar Vantor).");
    host.dialogs.clear();
    form.rgCoolingMode->SetItemIndex(0);
    ASSERT_FALSE(host.dialogs.empty());
    EXPECT_EQ(host.dialogs.back().rfind("If you have an Athlon/ Duron CPU", 0), 0u);
}

TEST_F(LanguagesTest, ValuesAreCutTo2047Characters) {
    fake.text = "[DEU]\n1=" + std::string(3000, 'x') + "\n";
    ASSERT_TRUE(OpenLanguageFile());
    EXPECT_EQ(ReadLanguageText(1).size(), 2047u);
    CloseLanguageFile();
}

TEST(IniProfileReader, ReadsLikeTheProfileFunctions) {
    IniProfileReader ini(
        "5=before any section\r\n"
        "[ Deu ]\r\n"
        "  7 = sieben  \r\n"
        "7=second seven\r\n"
        "; 8=comment\r\n"
        "9='single'\r\n"
        "10=\"\r\n"
        "[other]\r\n"
        "7=anders\r\n");
    EXPECT_EQ(ini.ReadString("DEU", "7"), "sieben");
    EXPECT_EQ(ini.ReadString("deu", "8"), "");
    EXPECT_EQ(ini.ReadString("DEU", "9"), "single");
    EXPECT_EQ(ini.ReadString("DEU", "10"), "\"");
    EXPECT_EQ(ini.ReadString("OTHER", "7"), "anders");
    EXPECT_EQ(ini.ReadString("missing", "7"), "");
    EXPECT_TRUE(ini.SectionHasKeys("deu"));
    EXPECT_FALSE(ini.SectionHasKeys("missing"));
}

TEST_F(LanguagesTest, TranslateFormByTag) {
    fake.text =
        "[DEU]\n"
        "903=&Start\n"
        "32=&Startbildschirm zeigen\n"
        "10032=Startbildschirm ein- oder ausschalten.\n"
        "-1=C&PU / Chipsatz optimieren\n"
        "9999=Optimierung beim Start.\n"
        "40=Leerlauf&anzeige\n"
        "10040=Symbolart w\xE4hlen.\n"
        "2040=\"&Keine\",\"&Zahl\",\"&Grafik mit Balken\"\n"
        "39=Athlon-K\xFChlmodus\n"
        "2039=\"OS\",\"S1\",\"C2\"\n"
        "44=\n"
        "63=x\n"
        "10063=Abfrageintervall des Sensors.\n"
        "64=unused\n"
        "10064=H\xF6" "chsttemperatur.\n"
        "803=&Beenden\n"
        "42=Aktualisierungs&intervall\n";
    FakeHost host;
    TestServices formServices;
    TQuillarForm form{host, formServices.Services()};
    int idleClicks = 0;
    form.rgIdle->SetItemIndex(2);
    form.rgIdle->OnClick = [&] { ++idleClicks; };
    const std::string coolingHint = form.rgCoolingMode->Hint();
    const std::vector<std::string> coolingItems = form.rgCoolingMode->Items();
    const std::string idleBarHint = form.TrackBarIdle->Hint();
    const std::string editText = form.EditTemp->Text();

    ASSERT_TRUE(OpenLanguageFile());
    TranslateForm(form);
    CloseLanguageFile();

    EXPECT_EQ(form.tsStartup->Caption(), "&Start");
    EXPECT_EQ(form.cbSplash->Caption(), "&Startbildschirm zeigen");
    EXPECT_EQ(form.cbSplash->Hint(), "Startbildschirm ein- oder ausschalten.");
    EXPECT_EQ(form.cbOptimize->Caption(), "C&PU / Chipsatz optimieren");
    EXPECT_EQ(form.cbOptimize->Hint(), "Optimierung beim Start.");
    EXPECT_EQ(form.Exit1->Caption(), "&Beenden");
    EXPECT_EQ(form.GroupBox8->Caption(), "Aktualisierungs&intervall");
    EXPECT_EQ(form.GroupBox6->Caption(), "Aktualisierungs&intervall");

    // Radio items by comma text; the selection stays and no click is reported.
    EXPECT_EQ(form.rgIdle->Items(), (std::vector<std::string>{"&Keine", "&Zahl", "&Grafik mit Balken"}));
    EXPECT_EQ(form.rgIdle->ItemIndex(), 2);
    EXPECT_EQ(idleClicks, 0);

    // A hint whose key is missing keeps the English hint and the English items.
    EXPECT_EQ(form.rgCoolingMode->Caption(), "Athlon-K\xFChlmodus");
    EXPECT_EQ(form.rgCoolingMode->Hint(), coolingHint);
    EXPECT_EQ(form.rgCoolingMode->Items(), coolingItems);

    // Track bars: no caption; an empty caption key skips the hint too.
    EXPECT_EQ(form.TrackBarIdle->Hint(), idleBarHint);
    EXPECT_EQ(form.TrackBarSensor->Hint(), "Abfrageintervall des Sensors.");
    EXPECT_EQ(form.TrackBarSensor->Caption(), "");
    // The edit field keeps its text but takes the hint.
    EXPECT_EQ(form.EditTemp->Text(), editText);
    EXPECT_EQ(form.EditTemp->Hint(), "H\xF6" "chsttemperatur.");
    // Untranslated controls stay as they were.
    EXPECT_EQ(form.ButtonOK->Caption(), "&OK");
}

// ---- the shipped German language file ----

namespace {

std::string ReadFileText(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    std::string text;
    if (!f) return text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

const std::string kShippedFile = std::string(QUILLAR_FIXTURES) + "/../../data/quillar.ini";

// The % conversions of a text, in order ("%1s %x ...").
std::string Conversions(const std::string& text) {
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        size_t j = i + 1;
        while (j < text.size() && !std::isalpha(static_cast<unsigned char>(text[j])) && text[j] != '%') ++j;
        if (j < text.size()) out += text.substr(i, j - i + 1) + " ";
        i = j;
    }
    return out;
}

// The accelerator of a caption in lower case (Windows-1252), or 0.
unsigned char Accelerator(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        auto c = static_cast<unsigned char>(caption[i + 1]);
        if (c < 0x80) return static_cast<unsigned char>(std::tolower(c));
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
        return c;
    }
    return 0;
}

const TabSheet* PageOf(const Control* c) {
    for (; c; c = c->parent)
        if (c->kind == ControlKind::TabSheet) return static_cast<const TabSheet*>(c);
    return nullptr;
}

}  // namespace

TEST_F(LanguagesTest, ShippedFileIsWindows1252WithCrLfAndBothGermanSections) {
    const std::string text = ReadFileText(kShippedFile);
    ASSERT_FALSE(text.empty()) << kShippedFile;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    EXPECT_EQ(text.find("\xC3"), std::string::npos) << "UTF-8 sequences in the file";
    IniProfileReader ini(text);
    const int messages[] = {90, 91, 5040, 5050, 5054, 5061, 5062, 5063, 5064, 5068, 5069, 5070, 5071, 5072, 5082, 5083};
    for (const char* section : {"DEU", "DE"}) {
        SCOPED_TRACE(section);
        for (int n : messages) EXPECT_FALSE(ini.ReadString(section, std::to_string(n)).empty()) << n;
        EXPECT_EQ(ini.ReadString(section, "5054"), "Quillar l\xE4uft bereits.");
        // The leading blank is part of the text that follows the file name.
        EXPECT_EQ(ini.ReadString(section, "5050").substr(0, 8), " konnte ");
    }
    // Placeholders as in the English texts.
    fake.text = text;
    ASSERT_TRUE(OpenLanguageFile());
    EXPECT_EQ(Conversions(ReadLanguageText(5064)), "%1s ");
    EXPECT_EQ(Conversions(ReadLanguageText(5068)), "%1s ");
    EXPECT_EQ(Conversions(ReadLanguageText(5069)), "%s ");
    EXPECT_EQ(Conversions(ReadLanguageText(5070)), "%s %x %s %x %x %x ");
    EXPECT_EQ(Conversions(ReadLanguageText(5072)), "%s ");
    EXPECT_EQ(Conversions(ReadLanguageText(5071)), "");
    EXPECT_EQ(Conversions(ReadLanguageText(56)), "%s %d ");
    EXPECT_NE(ReadLanguageText(56).find("%d\xB0."), std::string::npos);
    EXPECT_NE(ReadLanguageText(5064).find("Mal.\r\n\r\nKlicken"), std::string::npos);
    CloseLanguageFile();
}

TEST_F(LanguagesTest, ShippedFileTranslatesEveryControlWithUniqueAcceleratorsPerPage) {
    fake.text = ReadFileText(kShippedFile);
    FakeHost h1, h2;
    TestServices englishServices, germanServices;
    TQuillarForm english(h1, englishServices.Services()), german(h2, germanServices.Services());
    ASSERT_TRUE(OpenLanguageFile());
    TranslateForm(german);

    for (size_t i = 0; i < german.components.size(); ++i) {
        const Control& e = *english.components[i];
        const Control& g = *german.components[i];
        if (e.tag == 0) continue;
        SCOPED_TRACE(e.name);
        // Every Tag has its key (also those without a caption: their hints depend on it).
        EXPECT_FALSE(ReadLanguageText(e.tag).empty()) << e.tag;
        // Every English hint has its translation.
        if (!e.Hint().empty()) {
            EXPECT_NE(g.Hint(), e.Hint());
        }
        if (e.kind == ControlKind::RadioGroup) {
            const auto& eItems = static_cast<const RadioGroup&>(e).Items();
            const auto& gItems = static_cast<const RadioGroup&>(g).Items();
            EXPECT_EQ(gItems.size(), eItems.size());
            EXPECT_NE(gItems, eItems);
            EXPECT_EQ(static_cast<const RadioGroup&>(g).ItemIndex(), static_cast<const RadioGroup&>(e).ItemIndex());
        }
    }
    CloseLanguageFile();
    EXPECT_EQ(german.cbSplash->Caption(), "Startbildschirm an&zeigen");
    EXPECT_EQ(german.Exit1->Caption(), "&Beenden");

    // Accelerators: the tabs and the OK button are reachable from every page.
    std::vector<std::pair<unsigned char, std::string>> shared;
    for (const TabSheet* t : german.PageControl1->pages)
        if (unsigned char a = Accelerator(t->Caption())) shared.emplace_back(a, t->name);
    if (unsigned char a = Accelerator(german.ButtonOK->Caption())) shared.emplace_back(a, "ButtonOK");
    for (const TabSheet* page : german.PageControl1->pages) {
        SCOPED_TRACE(page->name);
        std::vector<std::pair<unsigned char, std::string>> keys = shared;
        for (const Control* c : german.components) {
            if (PageOf(c) != page || c == page) continue;
            if (unsigned char a = Accelerator(c->Caption())) keys.emplace_back(a, c->name);
            if (c->kind == ControlKind::RadioGroup)
                for (const std::string& item : static_cast<const RadioGroup*>(c)->Items())
                    if (unsigned char a = Accelerator(item)) keys.emplace_back(a, c->name + " item " + item);
        }
        for (size_t i = 0; i < keys.size(); ++i)
            for (size_t j = i + 1; j < keys.size(); ++j)
                EXPECT_NE(keys[i].first, keys[j].first) << keys[i].second << " and " << keys[j].second;
    }
    // The tray menu is a page of its own.
    std::vector<unsigned char> menuKeys;
    for (const MenuItem* m : {german.Hide1, german.Enabled1, german.About1, german.Exit1}) {
        unsigned char a = Accelerator(m->Caption());
        EXPECT_NE(a, 0) << m->name;
        for (unsigned char k : menuKeys) EXPECT_NE(k, a) << m->name;
        menuKeys.push_back(a);
    }
}
