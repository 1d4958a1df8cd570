#include "app/IniFile.h"
#include "app/FormulaCheck.h"
#include "app/Language.h"
#include "app/OptionRecord.h"
#include "app/WindowPlacement.h"
#include "weapons/TextEncoding.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace {

struct TLookupCase
{
    const char* Name;
    std::string Text;
    std::string Section;
    std::string Key;
    std::optional<std::string> Expected;
};

void PrintTo(const TLookupCase& c, std::ostream* os)
{
    *os << c.Name;
}

class IniLookup : public testing::TestWithParam<TLookupCase>
{
};

TEST_P(IniLookup, FindsTheValue)
{
    TIniFile ini;
    ini.Parse(GetParam().Text);
    EXPECT_EQ(ini.Value(GetParam().Section, GetParam().Key), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    testing::Values(
        TLookupCase{"Lf", "[Base]\nDecimal=2\n", "Base", "Decimal", "2"},
        TLookupCase{"CrLf", "[Base]\r\nDecimal=2\r\n", "Base", "Decimal", "2"},
        TLookupCase{"NoFinalNewline", "[Base]\nDecimal=2", "Base", "Decimal", "2"},
        TLookupCase{"BlanksAroundEverything", "  [ Base ]  \n  Decimal =  2  \n", "Base", "Decimal",
                    "2"},
        TLookupCase{"NamesIgnoreCase", "[BASE]\ndecimal=2\n", "Base", "Decimal", "2"},
        TLookupCase{"FirstOfTwoKeysWins", "[Base]\nDecimal=1\nDecimal=3\n", "Base", "Decimal", "1"},
        TLookupCase{"KeyOfAnotherSection", "[Other]\nDecimal=1\n[Base]\nAnatomy=1\n", "Base",
                    "Decimal", std::nullopt},
        TLookupCase{"KeyBeforeAnySection", "Decimal=1\n[Base]\n", "Base", "Decimal", std::nullopt},
        TLookupCase{"CommentedOut", "[Base]\n;Decimal=1\n#Decimal=2\n", "Base", "Decimal",
                    std::nullopt},
        TLookupCase{"QuotesDropped", "[Base]\nDamageMethod=\" Damage*2 \"\n", "Base",
                    "DamageMethod", " Damage*2 "},
        TLookupCase{"EqualsInsideValue", "[Base]\nDamageMethod=a=b\n", "Base", "DamageMethod",
                    "a=b"},
        TLookupCase{"EmptyValue", "[Base]\nDamageMethod=\n", "Base", "DamageMethod", ""},
        TLookupCase{"UnclosedSectionHeader", "[Base\nDecimal=1\n", "Base", "Decimal",
                    std::nullopt}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TTypedCase
{
    const char* Name;
    std::string Value;
    std::int32_t Integer;
    bool Boolean;
};

void PrintTo(const TTypedCase& c, std::ostream* os)
{
    *os << c.Name;
}

class IniTypedRead : public testing::TestWithParam<TTypedCase>
{
};

// Fallbacks 42 and true tell a malformed value from a parsed one.
TEST_P(IniTypedRead, FallsBackOnMalformedValues)
{
    TIniFile ini;
    ini.Parse("[S]\nK=" + GetParam().Value + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 42), GetParam().Integer);
    EXPECT_EQ(ini.ReadBool("S", "K", true), GetParam().Boolean);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTypedRead,
    testing::Values(TTypedCase{"One", "1", 1, true}, TTypedCase{"Zero", "0", 0, false},
                    TTypedCase{"Negative", "-7", -7, true}, TTypedCase{"Plus", "+3", 3, true},
                    TTypedCase{"Int32Max", "2147483647", 2147483647, true},
                    TTypedCase{"Overflow", "2147483648", 42, true},
                    TTypedCase{"TrailingText", "12abc", 42, true},
                    TTypedCase{"Word", "yes", 42, true}, TTypedCase{"Decimal", "1.5", 42, true},
                    TTypedCase{"Empty", "", 42, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IniFile, MissingKeysGiveTheFallbacks)
{
    TIniFile ini;
    ini.Parse("[Base]\n");
    EXPECT_EQ(ini.ReadString("Base", "DamageMethod", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("Base", "Decimal", 5), 5);
    EXPECT_TRUE(ini.ReadBool("Base", "Anatomy", true));
}

TEST(IniFile, SavingKeepsForeignLinesAndChangesValuesInPlace)
{
    TIniFile ini;
    ini.Parse("; written by hand\r\n"
              "[Base]\r\n"
              "Decimal=1\r\n"
              "Colour=blue\r\n"
              "\r\n"
              "[Mine]\r\n"
              "Keep = this  \r\n");
    ini.WriteInteger("Base", "Decimal", 3);
    ini.WriteBool("Base", "Anatomy", true);
    ini.WriteString("WeaponSpeed", "Method", "SPEED*2");
    EXPECT_EQ(ini.Text(), "; written by hand\r\n"
                          "[Base]\r\n"
                          "Decimal=3\r\n"
                          "Colour=blue\r\n"
                          "Anatomy=1\r\n"
                          "\r\n"
                          "[Mine]\r\n"
                          "Keep = this  \r\n"
                          "[WeaponSpeed]\r\n"
                          "Method=SPEED*2\r\n");
}

TEST(IniFile, ValuesWithOuterBlanksOrQuotesSurviveARoundTrip)
{
    for (const std::string value : {" lead", "trail ", "\"quoted\"", "'single'", "plain"}) {
        TIniFile ini;
        ini.WriteString("S", "K", value);
        TIniFile back;
        back.Parse(ini.Text());
        EXPECT_EQ(back.Value("S", "K"), value) << ini.Text();
    }
}

TEST(IniFile, ReadsShiftJisWrittenOnWindows)
{
    const std::string utf8 = "; 武器の設定\r\n[Base]\r\nDecimal=2\r\nメモ=日本語\r\n";
    TIniFile ini;
    ini.ParseBytes(EncodeUtf8ToShiftJis(utf8));
    EXPECT_TRUE(ini.UsesCrLf());
    EXPECT_EQ(ini.ReadInteger("Base", "Decimal", 0), 2);
    EXPECT_EQ(ini.Value("Base", "メモ"), "日本語");
    EXPECT_EQ(ini.Text(), utf8);
}

TEST(IniFile, UndecodableBytesStillYieldTheAsciiKeys)
{
    TIniFile ini;
    ini.ParseBytes(std::string("[Base]\nNote=\xff\xfe\x80\nDecimal=2\n"));
    EXPECT_EQ(ini.ReadInteger("Base", "Decimal", 0), 2);
}

TEST(OptionRecord, EmptyFileGivesTheDefaults)
{
    TIniFile ini;
    const TOptionRecord record = ReadOptionRecord(ini);
    EXPECT_FALSE(record.Base.Anatomy);
    EXPECT_EQ(record.Base.Decimal, 0);
    EXPECT_EQ(record.Base.DamageMethod, "(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus");
    EXPECT_FALSE(record.SpreadChart3D);
    EXPECT_EQ(record.WeaponSpeed.Method, "(15000/((25+2.5*DEXR)*SPEED))");
}

TEST(OptionRecord, RoundingModeOutsideItsRangeFallsBack)
{
    for (const char* text : {"-1", "4", "x"}) {
        TIniFile ini;
        ini.Parse(std::string("[Base]\nDecimal=") + text + "\nAnatomy=1\n");
        const TOptionRecord record = ReadOptionRecord(ini);
        EXPECT_EQ(record.Base.Decimal, 0) << text;
        EXPECT_TRUE(record.Base.Anatomy) << text;
    }
}

TEST(OptionRecord, NewFileListsTheKeysInOrder)
{
    TOptionRecord record;
    record.Base.Anatomy = true;
    record.Base.Decimal = 3;
    record.Base.DamageMethod = "Damage*2";
    record.SpreadChart3D = true;
    record.WeaponSpeed.Method = "SPEED/4";
    record.Language = TLanguage::English;
    TIniFile ini;
    WriteOptionRecord(record, ini);
    EXPECT_EQ(ini.Text(), "[Base]\nAnatomy=1\nDecimal=3\nDamageMethod=Damage*2\nLanguage=English\n"
                          "[SpreadChart]\n3D=1\n[WeaponSpeed]\nMethod=SPEED/4\n");
    TIniFile back;
    back.Parse(ini.Text());
    EXPECT_EQ(ReadOptionRecord(back), record);
}

TEST(OptionRecord, LanguageReadsBackAndFollowsTheSystemOtherwise)
{
    const std::pair<const char*, TLanguage> cases[] = {
        {"", TLanguage::System},
        {"[Base]\nLanguage=Japanese\n", TLanguage::Japanese},
        {"[Base]\nLanguage=English\n", TLanguage::English},
        {"[Base]\nLanguage=System\n", TLanguage::System},
        {"[Base]\nLanguage=Klingon\n", TLanguage::System},
        {"[Base]\nLanguage=english\n", TLanguage::System},
    };
    for (const auto& [text, language] : cases) {
        TIniFile ini;
        ini.Parse(text);
        EXPECT_EQ(ReadOptionRecord(ini).Language, language) << text;
    }
    // Following the system again is written over a choice; a file that never
    // held one gets none.
    TIniFile chosen;
    chosen.Parse("[Base]\nLanguage=English\n");
    WriteOptionRecord(TOptionRecord(), chosen);
    EXPECT_NE(chosen.Text().find("Language=System\n"), std::string::npos);
    TIniFile none;
    WriteOptionRecord(TOptionRecord(), none);
    EXPECT_EQ(none.Text().find("Language"), std::string::npos);
    EXPECT_EQ(SpokenLanguage(TLanguage::System, QLocale(QStringLiteral("ja_JP"))),
              TLanguage::Japanese);
    EXPECT_EQ(SpokenLanguage(TLanguage::System, QLocale::c()), TLanguage::English);
    EXPECT_EQ(SpokenLanguage(TLanguage::Japanese, QLocale::c()), TLanguage::Japanese);
}

TEST(OptionRecord, AppearanceIsReadByNameAndWrittenOnceChosen)
{
    const struct
    {
        const char* Line;
        TAppearance Expected;
    } reads[] = {
        {"", TAppearance::System},
        {"Appearance=Dark\n", TAppearance::Dark},
        {"appearance=light\n", TAppearance::Light},
        {"Appearance=System\n", TAppearance::System},
        {"Appearance=Sepia\n", TAppearance::System},
        {"Appearance=2\n", TAppearance::System},
    };
    for (const auto& c : reads) {
        TIniFile ini;
        ini.Parse(std::string("[Base]\nDecimal=1\n") + c.Line);
        EXPECT_EQ(ReadOptionRecord(ini).Appearance, c.Expected) << c.Line;
    }

    // A file that never chose gains no line; one that chose says when it
    // goes back to the desktop's look.
    TIniFile ini;
    for (const TAppearance appearance :
         {TAppearance::System, TAppearance::Dark, TAppearance::Light, TAppearance::System}) {
        TOptionRecord record;
        record.Appearance = appearance;
        WriteOptionRecord(record, ini);
        TIniFile back;
        back.Parse(ini.Text());
        EXPECT_EQ(ReadOptionRecord(back), record) << static_cast<int>(appearance);
    }
    EXPECT_NE(ini.Text().find("[Base]\nAnatomy=0\nDecimal=0\nDamageMethod="), std::string::npos);
    EXPECT_NE(ini.Text().find("Appearance=System\n[SpreadChart]"), std::string::npos);
    TIniFile untouched;
    WriteOptionRecord(TOptionRecord(), untouched);
    EXPECT_EQ(untouched.Text().find("Appearance"), std::string::npos);
}

TEST(FormulaCheck, KnowsEachFormulasOwnVariablesAndPlacesTheFault)
{
    const auto damage = [](const std::string& f) { return DamageMethodFault(f); };
    const auto speed = [](const std::string& f) { return SpeedMethodFault(f); };
    // The words the user reads, not the evaluator's what(); no translation is
    // installed here, so they are the Japanese ones.
    const QString syntax = QString::fromUtf8("誤った表記が見られます。修正して下さい。");
    const QString bracket =
        QString::fromUtf8("括弧の数が一致していません。式を再点検してください。");
    struct TCase
    {
        const char* Name;
        std::function<std::optional<TFormulaFault>(const std::string&)> Check;
        std::string Formula;
        std::optional<TFormulaFault> Expected;
    } const cases[] = {
        {"damage standard", damage, DefaultDamageMethod, std::nullopt},
        {"damage DEX and INT", damage, "Damage+DEX+INT", std::nullopt},
        {"speed standard", speed, DefaultSpeedMethod, std::nullopt},
        {"speed STR, DEX and INT", speed, "STR+DEX+INT", std::nullopt},
        {"damage refuses a speed name", damage, "SPEED*2", TFormulaFault{syntax, 0}},
        // The speed formula's own d and e stand in "Damage"; the a is left over.
        {"speed refuses a damage name", speed, "Damage*2", TFormulaFault{syntax, 1}},
        {"unknown name", damage, "2+y", TFormulaFault{syntax, 2}},
        {"unknown name in speed", speed, "2 + y", TFormulaFault{syntax, 4}},
        {"bracket", damage, "(Damage+2", TFormulaFault{bracket, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Check(c.Formula), c.Expected);
    }
}

TEST(WindowPlacement, UsableOnAnyScreenOnlyWithItsTopStripReachable)
{
    // A laptop screen and a second one to its left, shifted up.
    const QList<QRect> screens = {QRect(0, 0, 1366, 738), QRect(-1920, -300, 1920, 1050)};
    const QSize minimum(635, 350);
    struct TCase
    {
        const char* Name;
        TWindowPlacement Placement;
        bool Usable;
    } const cases[] = {
        {"on the first screen", {100, 50, 832, 478}, true},
        {"on the left screen", {-1800, -250, 900, 600}, true},
        {"across both screens", {-400, 10, 832, 478}, true},
        {"exactly the minimum", {0, 0, 635, 350}, true},
        {"one pixel too narrow", {0, 0, 634, 350}, false},
        {"one pixel too low", {0, 0, 635, 349}, false},
        {"title strip under the left screen only", {-1800, 760, 900, 600}, false},
        {"99 pixels showing at the right", {1267, 50, 832, 478}, false},
        {"100 pixels showing at the right", {1266, 50, 832, 478}, true},
        {"strip cut at the bottom", {100, 720, 832, 478}, false},
        {"left beyond the 32-bit range when added", {2147483000, 0, 832, 478}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(IsUsablePlacement(c.Placement, minimum, screens), c.Usable);
    }
    EXPECT_FALSE(IsUsablePlacement({100, 50, 832, 478}, minimum, {})) << "no screen at all";
}

TEST(WindowPlacement, ShrunkOntoTheScreenHoldingItsTopStripOrCentredAtFirst)
{
    const QList<QRect> two = {QRect(0, 0, 1366, 738), QRect(-1920, -300, 1920, 1050)};
    const QList<QRect> tiny = {QRect(0, 0, 600, 300)};
    // Without a stored placement: the first window on the first screen.
    struct TCase
    {
        const char* Name;
        QList<QRect> Screens;
        std::optional<TWindowPlacement> Stored;
        std::optional<QRect> Expected;
    } const cases[] = {
        {"fits: kept", two, TWindowPlacement{100, 50, 1366, 478}, QRect(100, 50, 1366, 478)},
        {"one pixel wider", two, TWindowPlacement{5, 9, 1367, 478}, QRect(0, 9, 1366, 478)},
        {"one pixel taller", two, TWindowPlacement{5, 0, 832, 739}, QRect(5, 0, 832, 738)},
        {"huge", two, TWindowPlacement{10, 20, 100000, 100000}, QRect(0, 0, 1366, 738)},
        {"most of the strip on the left screen", two, TWindowPlacement{-50000, 0, 100000, 478},
         QRect(-1920, 0, 1920, 478)},
        {"huge off every screen", two, TWindowPlacement{5000, 5000, 100000, 100000}, std::nullopt},
        {"screen below the minimum", tiny, TWindowPlacement{0, 0, 1000, 1000},
         QRect(0, 0, 635, 350)},
        {"first window, laptop", two, std::nullopt, QRect(267, 130, 832, 478)},
        {"first window, 1280 x 900 at twice the scale",
         {QRect(0, 0, 640, 450)},
         std::nullopt,
         QRect(0, 0, 640, 450)},
        {"first window, screen below the minimum", tiny, std::nullopt, QRect(0, 0, 635, 350)},
    };
    const QSize minimum(635, 350);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Stored ? FitPlacement(*c.Stored, minimum, c.Screens)
                           : DefaultWindowRect(QSize(832, 478), minimum, c.Screens[0]),
                  c.Expected);
    }
}

TEST(WindowPlacement, FollowsTheSettingsAndReadsBack)
{
    TIniFile ini;
    WriteOptionRecord(TOptionRecord(), ini);
    EXPECT_EQ(ReadWindowPlacement(ini), std::nullopt);
    const TWindowPlacement placement{-5, 12, 900, 500, true, 310};
    WriteWindowPlacement(placement, ini);
    EXPECT_EQ(ReadWindowPlacement(ini), placement);
    EXPECT_EQ(ReadOptionRecord(ini), TOptionRecord());
    const std::string text = ini.Text();
    EXPECT_LT(text.find("[WeaponSpeed]"), text.find("[Window]"));
    EXPECT_NE(text.find("[Window]\nLeft=-5\nTop=12\nWidth=900\nHeight=500\nMaximized=1\n"
                        "Splitter=310\n"),
              std::string::npos);

    // Maximized and Splitter may be missing; the rectangle may not.
    TIniFile partial;
    partial.Parse("[Window]\nLeft=1\nTop=2\nWidth=700\nHeight=400\n");
    EXPECT_EQ(ReadWindowPlacement(partial), (TWindowPlacement{1, 2, 700, 400, false, 0}));
    partial.Parse("[Window]\nLeft=1\nTop=2\nWidth=700\nHeight=4x\n");
    EXPECT_EQ(ReadWindowPlacement(partial), std::nullopt);
}

} // namespace
