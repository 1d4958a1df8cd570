#include "weapons/SetupText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(SetupText, WritesOneLineThatReadsBackWhole)
{
    const TWeaponDataAndPCData katana{100, 25, 100, 100, 100, 0, {}};
    struct TCase
    {
        const char* Name;
        TSetupText Setup;
        // Empty: only the round trip is checked.
        const char* Text;
    } const cases[] = {
        {"defaults as they stand",
         {"Katana", katana, DefaultDamageMethod, DefaultSpeedMethod, RoundUp},
         "qm1;w=Katana;s=100,25,100,100,100,0;r=0;d=(Damage*(TacticsR+(STR/500)+AnatomyR+"
         "LumberjR))/2+Plus;v=(15000/((25+2.5*DEXR)*SPEED))"},
        {"separators, blanks and percent encoded",
         {"Bad; name=%", katana, "Damage * 2", "SPEED", NoRounding},
         "qm1;w=Bad%3B%20name%3D%25;s=100,25,100,100,100,0;r=3;d=Damage%20*%202;v=SPEED"},
        {"Japanese as UTF-8 bytes",
         {"刀", katana, "Damage", "SPEED", RoundDown},
         "qm1;w=%E5%88%80;s=100,25,100,100,100,0;r=1;d=Damage;v=SPEED"},
        {"control characters and blanks at the ends",
         {" a\tb\r\n\x7F ", katana, "\n1+2 ", " 3", RoundHalfAwayFromZero},
         "qm1;w=%20a%09b%0D%0A%7F%20;s=100,25,100,100,100,0;r=2;d=%0A1+2%20;v=%203"},
        {"inputs at their ends",
         {"@,x", {2147483647, 0, 250, 0, 100, 100, {}}, "", "", RoundUp},
         ""},
        {"Japanese formula and name with every special",
         {"%%;;==  ％；＝　剣", {0, 0, 0, 0, 0, 0, {}}, "ダメージ;=%", "速さ 100%", 3},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string text = SetupText(c.Setup);
        if (*c.Text) {
            EXPECT_EQ(text, c.Text);
        }
        // Only printable ASCII, and the separators only between the fields.
        EXPECT_TRUE(
            std::all_of(text.begin(), text.end(), [](char ch) { return ch > ' ' && ch < 0x7F; }));
        EXPECT_EQ(std::count(text.begin(), text.end(), ';'), 5);
        EXPECT_EQ(std::count(text.begin(), text.end(), '='), 5);
        // Chat clients add blanks around a pasted line.
        for (const std::string& pasted :
             {text, " \t" + text + "\r\n", "\u3000\u200B" + text + "\u00A0"}) {
            // The encoding is one-to-one, so the same text means the same fields.
            EXPECT_EQ(SetupText(ParseSetupText(pasted)), text);
        }
    }
    // The fields may come in any order.
    EXPECT_EQ(SetupText(ParseSetupText("qm1;v=SPEED;d=Damage;r=1;s=1,2,3,4,5,6;w=Club")),
              "qm1;w=Club;s=1,2,3,4,5,6;r=1;d=Damage;v=SPEED");
}

TEST(SetupText, MalformedTextsAreRefusedWithWhatAndWhere)
{
    using F = TSetupTextFault;
    struct TCase
    {
        const char* Text;
        TSetupTextFault Fault;
        const char* Piece;
        std::size_t Position;
        const char* Message;
    } const cases[] = {
        {"", F::NotSetupText, "", 0, "not a setup text: it starts with \"qm1;\""},
        {"  Katana@1,2,3,4,5,6", F::NotSetupText, "Katana@1,2,3,4,5,6", 2, "not a setup text"},
        {"qm2;w=K;s=1,2,3,4,5,6;r=0;d=1;v=1", F::UnknownVersion, "qm2", 0,
         "unknown setup text version \"qm2\"; this program reads qm1"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=1;v=1;x=3", F::UnknownField, "x", 34,
         "unknown field \"x\"; a setup text holds w, s, r, d and v"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=1", F::MissingField, "v", 29,
         "field \"v\" (the speed formula) is missing"},
        {"qm1;w=K;s=1,2,3,4,5,6;w=L;r=0;d=1;v=1", F::RepeatedField, "w", 22,
         "field \"w\" (the weapon's name) is given twice"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=1;v=1;", F::MalformedField, "", 34,
         "field \"\" is not KEY=VALUE"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=1%2;v=1", F::BadEncoding, "%2", 29,
         "field \"d\" (the damage formula): \"%2\" is not \"%\" followed by two hex digits"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=1 + 2;v=1", F::BadEncoding, " ", 29,
         "\" \" must be percent-encoded"},
        {"qm1;w=刀;s=1,2,3,4,5,6;r=0;d=1;v=1", F::BadEncoding, "\xE5", 6,
         "must be percent-encoded"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=0;d=a=b;v=1", F::BadEncoding, "=", 29, "must be percent-encoded"},
        {"qm1;w=%E5%88;s=1,2,3,4,5,6;r=0;d=1;v=1", F::BadEncoding, "%E5", 6,
         "decodes to a byte that is not UTF-8"},
        {"qm1;w=;s=1,2,3,4,5,6;r=0;d=1;v=1", F::EmptyWeaponName, "", 6,
         "field \"w\" (the weapon's name) is empty"},
        {"qm1;w=K;s=1,2,3,4,5;r=0;d=1;v=1", F::StatCount, "1,2,3,4,5", 10,
         "field \"s\" (the six inputs): expected six comma-separated integers "
         "STR,DEX,INT,Tactics,Anatomy,Lumberjack, got 5"},
        {"qm1;w=K;s=1,2,x,4,5,6;r=0;d=1;v=1", F::NotAnInteger, "x", 14,
         "field \"s\" (the six inputs): INT \"x\" is not an integer"},
        {"qm1;w=K;s=+1,2,3,4,5,6;r=0;d=1;v=1", F::NotAnInteger, "+1", 10, "STR \"+1\""},
        {"qm1;w=K;s=2147483648,2,3,4,5,6;r=0;d=1;v=1", F::NotAnInteger, "2147483648", 10,
         "STR \"2147483648\" lies outside the range of a 32-bit integer"},
        {"qm1;w=K;s=1,-2,3,4,5,6;r=0;d=1;v=1", F::NegativeInput, "-2", 12,
         "field \"s\" (the six inputs): DEX -2 is below 0"},
        {"qm1;w=K;s=300,300,300,100,101,0;r=0;d=1;v=1", F::SkillAbove100, "101", 26,
         "Anatomy 101 is above 100"},
        {"qm1;w=K;s=1,2,3,4,5,6;r=4;d=1;v=1", F::RoundingMode, "4", 24,
         "field \"r\" (the rounding mode): \"4\" is not 0, 1, 2 or 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        try {
            ParseSetupText(c.Text);
            ADD_FAILURE() << "accepted";
        } catch (const ESetupTextError& error) {
            EXPECT_EQ(error.Fault(), c.Fault);
            EXPECT_EQ(error.Piece(), c.Piece);
            EXPECT_EQ(error.Position(), c.Position);
            EXPECT_NE(std::string(error.what()).find(c.Message), std::string::npos) << error.what();
        }
    }
}

} // namespace
