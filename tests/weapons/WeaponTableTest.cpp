#include "weapons/WeaponTable.h"

#include "expr/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Header = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n";
const std::string Broadsword = "0,Broadsword,5,29,17,45,Swords,2,13,3,2d13+3\n";
const std::string Katana = "1,Katana,5,26,15.5,58,Swords,3,8,2,3d8+2\n";

std::string LoadError(TWeaponTable& table, const std::string& bytes, bool isPath = false)
{
    try {
        isPath ? table.LoadFromFile(bytes) : table.LoadFromBytes(bytes);
    } catch (const EFileError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(WeaponTable, EmptyAndHeaderOnlyFilesGiveNoWeaponsAndNoError)
{
    for (const std::string& bytes :
         {std::string(), Header, std::string("garbage,,,\r\n"), Header + "\n\n"}) {
        TWeaponTable table;
        EXPECT_NO_THROW(table.LoadFromBytes(bytes)) << bytes;
        EXPECT_EQ(table.Count(), 0) << bytes;
        EXPECT_FALSE(table.FindByIndex(0)) << bytes;
    }
}

TEST(WeaponTable, ReadsEveryColumnOfALine)
{
    TWeaponTable table;
    table.LoadFromBytes(Header + Broadsword + Katana);
    ASSERT_EQ(table.Count(), 2);
    ASSERT_EQ(table.Slots().size(), 3u);
    const TWDataCSVTable& katana = table.Weapon(2);
    EXPECT_EQ(katana.Index, 1);
    EXPECT_EQ(katana.Name, "Katana");
    EXPECT_EQ(katana.LowDamage, 5);
    EXPECT_EQ(katana.HighDamage, 26);
    EXPECT_EQ(katana.AverageDamage, 15.5);
    EXPECT_EQ(katana.Speed, 58);
    EXPECT_EQ(katana.Type, "Swords");
    EXPECT_EQ(katana.DiceCount, 3);
    EXPECT_EQ(katana.DiceSides, 8);
    EXPECT_EQ(katana.DamageBonus, 2);
    EXPECT_EQ(katana.DamageNote, "3d8+2");
}

TEST(WeaponTable, FindByIndexFetchesSlotIndexPlusOneWithinTheCount)
{
    TWeaponTable table;
    table.LoadFromBytes(Header + Broadsword + Katana);
    ASSERT_TRUE(table.FindByIndex(0));
    EXPECT_EQ(table.FindByIndex(0)->Name, "Broadsword");
    EXPECT_EQ(table.FindByIndex(1)->Name, "Katana");
    EXPECT_FALSE(table.FindByIndex(-1));
    EXPECT_FALSE(table.FindByIndex(2));
    EXPECT_FALSE(table.FindByIndex(std::numeric_limits<int>::max()));
}

TEST(WeaponTable, TextColumnsAreTakenAsTheyStand)
{
    struct Case
    {
        const char* name;
        std::string line;
        std::string weaponName, type, note;
    };
    const Case cases[] = {
        {"type Sword kept", "0,Sabre,1,2,1.5,40,Sword,1,2,0,1d2\n", "Sabre", "Sword", "1d2"},
        {"blanks kept", "0, Sabre ,1,2,1.5,40, AXE,1,2,0, note \n", " Sabre ", " AXE", " note "},
        {"note with blanks and plus", "0,A,1,2,1.5,40,Mace,1,2,0,2d13 + 3 (x)\n", "A", "Mace",
         "2d13 + 3 (x)"},
        {"empty note", "0,A,1,2,1.5,40,Mace,1,2,0,\n", "A", "Mace", ""},
        {"CR LF", "0,A,1,2,1.5,40,Mace,1,2,0,note\r\n", "A", "Mace", "note"},
        {"no final line end", "0,A,1,2,1.5,40,Mace,1,2,0,note", "A", "Mace", "note"},
    };
    for (const Case& c : cases) {
        TWeaponTable table;
        ASSERT_NO_THROW(table.LoadFromBytes(Header + c.line)) << c.name;
        ASSERT_EQ(table.Count(), 1) << c.name;
        EXPECT_EQ(table.Weapon(1).Name, c.weaponName) << c.name;
        EXPECT_EQ(table.Weapon(1).Type, c.type) << c.name;
        EXPECT_EQ(table.Weapon(1).DamageNote, c.note) << c.name;
    }
}

TEST(WeaponTable, NumberConversions)
{
    struct Case
    {
        const char* name;
        std::string integer, average;
        bool accepted;
        std::int32_t integerValue;
        double averageValue;
    };
    const Case cases[] = {
        {"plain", "45", "17", true, 45, 17},
        {"blanks around numbers", " 45\t", " 15.5 ", true, 45, 15.5},
        {"signs", "+45", "-0.5", true, 45, -0.5},
        {"decimal forms", "-7", ".5", true, -7, 0.5},
        {"exponent", "0", "1.5e1", true, 0, 15},
        {"int32 limits", "-2147483648", "2147483647", true, -2147483647 - 1, 2147483647.0},
        {"int32 overflow", "2147483648", "1", false, 0, 0},
        {"decimal in integer column", "4.5", "1", false, 0, 0},
        {"letter in integer column", "4x", "1", false, 0, 0},
        {"hex", "0x10", "1", false, 0, 0},
        {"two signs", "+-4", "1", false, 0, 0},
        {"blank inside", "4 5", "1", false, 0, 0},
        {"blank only", " ", "1", false, 0, 0},
        {"infinity", "1", "inf", false, 0, 0},
        {"not a number", "1", "nan", false, 0, 0},
        {"decimal out of range", "1", "1e999", false, 0, 0},
        {"two points", "1", "1.2.3", false, 0, 0},
    };
    for (const Case& c : cases) {
        TWeaponTable table;
        const std::string line = "0,A,1,2," + c.average + ",40,Mace,1,2," + c.integer + ",n\n";
        if (!c.accepted) {
            EXPECT_THROW(table.LoadFromBytes(Header + line), EFileError) << c.name;
            EXPECT_EQ(table.Count(), 0) << c.name;
            continue;
        }
        ASSERT_NO_THROW(table.LoadFromBytes(Header + line)) << c.name;
        EXPECT_EQ(table.Weapon(1).DamageBonus, c.integerValue) << c.name;
        EXPECT_EQ(table.Weapon(1).AverageDamage, c.averageValue) << c.name;
    }
}

TEST(WeaponTable, ABadLineEmptiesTheTableAndNamesTheLine)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string message;
    };
    const std::string prefix = "Error in the CSV file.\n";
    const Case cases[] = {
        {"letter in speed", Header + Broadsword + "1,Katana,5,26,15.5,4x,Swords,3,8,2,3d8+2\n",
         prefix + "Line 3: Speed column \"4x\" is not an integer"},
        {"decimal column", Header + "0,A,1,2,x1,40,Mace,1,2,0,n\n",
         prefix + "Line 2: Average column \"x1\" is not a number"},
        {"empty numeric column", Header + "0,A,,2,1,40,Mace,1,2,0,n\n",
         prefix + "Line 2: Low column is empty"},
        {"fewer than ten commas",
         Header + Broadsword + Katana + "2,Katana,5,26,15.5,58,Swords,3,8\n",
         prefix + "Line 4: Sides column is empty (11 columns separated by commas are needed, but "
                  "there are only 8 commas)"},
        {"overflow", Header + "0,A,1,2,1,40,Mace,99999999999,2,0,n\n",
         prefix + "Line 2: Dice column \"99999999999\" is outside the 32-bit integer range"},
        {"blank line in the middle", Header + Broadsword + "\r\n" + Katana,
         prefix + "Line 3: empty line"},
        {"neither UTF-8 nor Shift_JIS",
         Header + Broadsword + "1,\xFF\xFE,5,26,15.5,58,Swords,3,8,2,n\n",
         prefix + "Line 3: a character that is neither UTF-8 nor Shift_JIS"},
        {"CR only, line named", "Index\r" + Broadsword + "1,\xFF\xFE,5,26,15.5,58,Swords,3,8,2,n\r",
         prefix + "Line 3: a character that is neither UTF-8 nor Shift_JIS"},
        {"comma in the note", Header + "0,A,1,2,1.5,40,Mace,1,2,0,first,second\n",
         prefix +
             "Line 2: too many columns (11 columns separated by commas, but there are 11 commas)"},
        {"speed 0", Header + "0,A,1,2,1,0,Mace,1,2,0,n\n",
         prefix + "Line 2: Speed column \"0\" must be a positive integer"},
        {"negative dice", Header + "0,A,1,2,1,40,Mace,-1,2,0,n\n",
         prefix + "Line 2: Dice column \"-1\" cannot be negative"},
        {"negative sides", Header + "0,A,1,2,1,40,Mace,1,-1,0,n\n",
         prefix + "Line 2: Sides column \"-1\" cannot be negative"},
        {"broken UTF-8 after a byte-order mark",
         "\xEF\xBB\xBF" + Header + "0,\x97\xbc,5,26,15.5,58,Swords,3,8,2,n\n",
         prefix + "Line 2: a character that is neither UTF-8 nor Shift_JIS"},
    };
    for (const Case& c : cases) {
        TWeaponTable table;
        table.LoadFromBytes(Header + Broadsword);
        ASSERT_EQ(table.Count(), 1);
        EXPECT_EQ(LoadError(table, c.bytes), c.message) << c.name;
        EXPECT_EQ(table.Count(), 0) << c.name;
        EXPECT_TRUE(table.Slots().empty()) << c.name;
        EXPECT_FALSE(table.FindByIndex(0)) << c.name;
    }
}

TEST(WeaponTable, EncodingsAndLineEnds)
{
    // "両手斧です" in Shift_JIS and in UTF-8.
    const std::string sjisNote = "\x97\xbc\x8e\xe8\x95\x80\x82\xc5\x82\xb7";
    const std::string utf8Note = "両手斧です";
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string note;
    };
    const Case cases[] = {
        {"Shift_JIS", Header + "0,Axe,6,33,19.5,37,AXE,3,10,3," + sjisNote + "\r\n", utf8Note},
        {"UTF-8", Header + "0,Axe,6,33,19.5,37,AXE,3,10,3," + utf8Note + "\n", utf8Note},
        {"UTF-8 with byte-order mark",
         "\xEF\xBB\xBF" + Header + "0,Axe,6,33,19.5,37,AXE,3,10,3," + utf8Note + "\n", utf8Note},
        // Only CP932 has these, where Shift_JIS lacks ① and reads ～ as a wave dash.
        {"Shift_JIS, Windows characters",
         Header + "0,Axe,6,33,19.5,37,AXE,3,10,3,\x87\x40\x81\x60\n", "\xE2\x91\xA0\xEF\xBD\x9E"},
        // The slowest speed and no dice at all are still a weapon.
        {"CR only", "Index\r0,Axe,6,33,19.5,1,AXE,0,10,3,n\r\r", "n"},
        {"CR LF and blank lines at the end",
         "Index\r\n0,Axe,6,33,19.5,37,AXE,3,10,3,n\r\n\r\n\n \r\n", "n"},
    };
    for (const Case& c : cases) {
        TWeaponTable table;
        ASSERT_NO_THROW(table.LoadFromBytes(c.bytes)) << c.name;
        ASSERT_EQ(table.Count(), 1) << c.name;
        EXPECT_EQ(table.Weapon(1).DamageNote, c.note) << c.name;
        EXPECT_EQ(table.Weapon(1).DiceSides, 10) << c.name;
    }
}

TEST(WeaponTable, MissingFileSaysSoAndLeavesTheTableEmpty)
{
    TWeaponTable table;
    table.LoadFromBytes(Header + Broadsword);
    try {
        table.LoadFromFile("/nonexistent/dir/WData.csv");
        FAIL() << "no error raised";
    } catch (const EFileError& error) {
        EXPECT_STREQ(error.what(), "The file WData.csv does not exist.");
    }
    EXPECT_EQ(table.Count(), 0);

    // Opening a FIFO would wait for a writer; should it ever be opened, the
    // alarm ends the test instead of leaving it hanging.
    const std::string directory = testing::TempDir() + "fifo-" + std::to_string(getpid());
    std::filesystem::create_directories(directory);
    ASSERT_EQ(mkfifo((directory + "/WData.csv").c_str(), 0600), 0);
    alarm(10);
    for (const auto& [path, kind] :
         {std::pair{directory, "a directory"}, {directory + "/WData.csv", "a named pipe (FIFO)"}})
        EXPECT_EQ(LoadError(table, path, true),
                  "Error in the CSV file.\nNot a regular file: " + path + " (" + kind + ")");
    alarm(0);
    std::filesystem::remove_all(directory);
}

// The table shipped with the program: it must load, and its figures must agree
// with the dice they describe, or the charts contradict the damage grid.
TEST(WeaponTable, BundledTableLoadsAndIsConsistent)
{
    TWeaponTable table;
    ASSERT_NO_THROW(table.LoadFromFile(std::string(QUILLMARCH_DATA_DIR) + "/WData.csv"));
    ASSERT_EQ(table.Count(), 41);
    const std::set<std::string> types = {"Swords", "AXE", "Fencing", "Mace", "Archery", "Staff"};
    for (int i = 0; i < table.Count(); ++i) {
        const auto weapon = table.FindByIndex(i);
        ASSERT_TRUE(weapon);
        EXPECT_EQ(weapon->Index, i);
        EXPECT_TRUE(types.count(weapon->Type)) << weapon->Name;
        EXPECT_EQ(weapon->LowDamage, weapon->DiceCount + weapon->DamageBonus) << weapon->Name;
        EXPECT_EQ(weapon->HighDamage, weapon->DiceCount * weapon->DiceSides + weapon->DamageBonus)
            << weapon->Name;
        EXPECT_EQ(weapon->AverageDamage, (weapon->LowDamage + weapon->HighDamage) / 2)
            << weapon->Name;
        EXPECT_GE(weapon->LowDamage, 1) << weapon->Name;
        EXPECT_LE(weapon->HighDamage, 60) << weapon->Name;
    }
    EXPECT_EQ(table.FindByIndex(0)->Name, "Broadsword");
    EXPECT_EQ(table.FindByIndex(40)->Name, "Heavy Crossbow");
}

} // namespace
