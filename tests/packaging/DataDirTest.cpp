#include "app/DataDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// A prefix laid out like an install (bin/ and share/quillmarch/) or like a
// build tree, with WData.csv wherever a case puts it.
class InstallTree
{
public:
    InstallTree()
    {
        EXPECT_TRUE(m_root.isValid());
        EXPECT_TRUE(QDir(m_root.path()).mkpath("bin"));
        EXPECT_TRUE(QDir(m_root.path()).mkpath("share/quillmarch"));
    }

    QString Bin() const { return m_root.filePath("bin"); }
    QString Share() const { return m_root.filePath("share/quillmarch"); }

    static void PutTable(const QString& dir)
    {
        QFile file(QDir(dir).filePath("WData.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Index,Name\n");
    }

private:
    QTemporaryDir m_root;
};

struct LayoutCase
{
    const char* name;
    bool tableBesideExe;
    bool tableInShare;
    bool expectShare;
};

void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.name;
}

class DataDirLayout : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(DataDirLayout, PicksTheFolderThatHoldsTheTable)
{
    const LayoutCase& c = GetParam();
    InstallTree tree;
    if (c.tableBesideExe)
        InstallTree::PutTable(tree.Bin());
    if (c.tableInShare)
        InstallTree::PutTable(tree.Share());

    const QString found = FindDataDir(tree.Bin());
    EXPECT_EQ(found, c.expectShare ? tree.Share() : tree.Bin());
    EXPECT_EQ(IsInstalledLayout(tree.Bin()), c.expectShare);
    if (c.expectShare) {
        EXPECT_TRUE(QFile::exists(QDir(found).filePath("WData.csv")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DataDirLayout,
    ::testing::Values(LayoutCase{"BuildTree", true, false, false},
                      LayoutCase{"Installed", false, true, true},
                      // A table beside the executable wins, so a copied build
                      // keeps working next to an installed package.
                      LayoutCase{"BothBesideWins", true, true, false},
                      // The list then reports the missing file from where the
                      // user looks for it.
                      LayoutCase{"NeitherFallsBackToExeDir", false, false, false}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(DataDir, AFolderNamedLikeTheTableIsNoTable)
{
    InstallTree tree;
    ASSERT_TRUE(QDir(tree.Share()).mkdir("WData.csv"));
    EXPECT_EQ(FindDataDir(tree.Bin()), tree.Bin());
    EXPECT_FALSE(IsInstalledLayout(tree.Bin()));
}

TEST(DataDir, ResultHasNoDotDotSoMessagesShowAPlainPath)
{
    InstallTree tree;
    InstallTree::PutTable(tree.Share());
    const QString found = FindDataDir(tree.Bin() + "/");
    EXPECT_FALSE(found.contains(".."));
    EXPECT_EQ(QDir(found).canonicalPath(), QDir(tree.Share()).canonicalPath());
}

TEST(DataDir, UserGuideIsLookedForInstalledThenAboveABuildTree)
{
    EXPECT_EQ(UserGuidePlaces("/usr/bin"),
              QStringList({"/usr/share/doc/quillmarch/README.md", "/usr/README.md"}));
    EXPECT_EQ(UserGuidePlaces("/src/quillmarch/build/"),
              QStringList(
                  {"/src/quillmarch/share/doc/quillmarch/README.md", "/src/quillmarch/README.md"}));
}

} // namespace
