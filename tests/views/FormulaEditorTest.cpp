#include "views/FormulaEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace {

using K = TFormulaTokenKind;

std::vector<TFormulaVariable> DamageVariables()
{
    std::vector<TFormulaVariable> variables;
    for (const char* name : {"STR", "Damage", "TacticsR", "Plus", "攻撃力"}) {
        variables.push_back({QString::fromUtf8(name), QStringLiteral("meaning")});
    }
    return variables;
}

// The one wave-underlined range of the line, if any.
std::optional<std::pair<int, int>> Underline(const TFormulaEditor& editor)
{
    std::optional<std::pair<int, int>> found;
    for (const QTextLayout::FormatRange& range : editor.Formats()) {
        if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline) {
            EXPECT_FALSE(found) << "two underlines";
            found = std::pair(range.start, range.length);
        }
    }
    return found;
}

TEST(FormulaEditor, ColoursEachPieceAsTheEvaluatorReadsIt)
{
    TFormulaEditor editor;
    editor.SetVariables(DamageVariables());
    editor.SetFormula(QStringLiteral("log10(Damage)*2.5 + [str-Speeed]^pi#"));
    const std::vector<TFormulaToken> expected = {
        {0, 5, K::Function},  {5, 1, K::Bracket},   {6, 6, K::Variable},  {12, 1, K::Bracket},
        {13, 1, K::Operator}, {14, 3, K::Number},   {18, 1, K::Operator}, {20, 1, K::Bracket},
        {21, 3, K::Variable}, {24, 1, K::Operator}, {25, 6, K::Unknown},  {31, 1, K::Bracket},
        {32, 1, K::Operator}, {33, 2, K::Function}, {35, 1, K::Unknown}};
    EXPECT_EQ(editor.Tokens(), expected);
}

TEST(FormulaEditor, MarksTheBracketAtTheCursorAndItsPartner)
{
    struct TCase
    {
        const char* Name;
        const char* Formula;
        int Cursor;
        std::optional<TBracketMatch> Expected;
    } const cases[] = {
        {"after an opening one", "2*(Damage+[STR-1])", 3, TBracketMatch{2, 17}},
        {"before a closing one of another kind", "2*(Damage+[STR-1])", 16, TBracketMatch{16, 10}},
        {"never closed", "(Damage", 1, TBracketMatch{0, -1}},
        {"no bracket at the cursor", "(Damage", 4, std::nullopt},
    };
    TFormulaEditor editor;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        editor.SetFormula(QString::fromUtf8(c.Formula));
        editor.Edit()->setCursorPosition(c.Cursor);
        EXPECT_EQ(editor.Brackets(), c.Expected);
    }
}

TEST(FormulaEditor, UnderlinesTheFaultAtItsUtf8Position)
{
    struct TCase
    {
        const char* Name;
        std::size_t Position;
        std::optional<std::pair<int, int>> Expected;
    } const cases[] = {
        // Each of the three kanji takes three bytes, "*2+" three more.
        {"after a Japanese name", 12, std::pair(6, 1)},
        {"inside the name's first character", 1, std::pair(0, 3)},
        {"inside the number", 10, std::pair(4, 1)},
        {"past the end", 100, std::pair(6, 1)},
        {"nowhere in particular", Exception::NoPosition, std::nullopt},
    };
    TFormulaEditor editor;
    editor.SetVariables(DamageVariables());
    editor.SetFormula(QString::fromUtf8("攻撃力*2+y"));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        editor.SetFault(TFormulaFault{QStringLiteral("what is wrong"), c.Position});
        EXPECT_EQ(Underline(editor), c.Expected);
        EXPECT_EQ(editor.FaultLabel()->text(), QStringLiteral("what is wrong"));
        EXPECT_FALSE(editor.FaultLabel()->isHidden());
    }
    // Without a preview to ask, typing takes a fault given from outside away.
    editor.Edit()->end(false);
    QTest::keyClick(editor.Edit(), Qt::Key_Backspace);
    EXPECT_EQ(Underline(editor), std::nullopt);
    EXPECT_TRUE(editor.FaultLabel()->isHidden());
}

TEST(FormulaEditor, AClickOrEnterOnAVariableInsertsItAtTheCursor)
{
    TFormulaEditor editor;
    editor.SetVariables(DamageVariables());
    editor.SetFormula(QStringLiteral("2*+1"));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto* list = editor.findChild<QTreeWidget*>(QStringLiteral("FormulaVariableList"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->topLevelItemCount(), 5);

    editor.Edit()->setCursorPosition(2);
    QTreeWidgetItem* damage = list->topLevelItem(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(damage).center());
    EXPECT_EQ(editor.Formula(), QStringLiteral("2*Damage+1"));
    EXPECT_EQ(editor.Edit()->cursorPosition(), 8);

    list->setCurrentItem(list->topLevelItem(3));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &enter);
    // Taken by the list, so the dialog around it does not press its default button.
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(editor.Formula(), QStringLiteral("2*DamagePlus+1"));
}

TEST(FormulaEditor, TheStandardButtonRestoresTheStandardFormulaUndoably)
{
    TFormulaEditor editor;
    editor.SetStandardFormula(QStringLiteral("(Damage*TacticsR)/2"));
    editor.SetFormula(QStringLiteral("Damage"));
    QTest::keyClicks(editor.Edit(), QStringLiteral("*3"));
    auto* button = editor.findChild<QPushButton*>(QStringLiteral("StandardFormulaBtn"));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), QString::fromUtf8("標準の計算式"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(editor.Formula(), QStringLiteral("(Damage*TacticsR)/2"));
    editor.Edit()->undo();
    EXPECT_EQ(editor.Formula(), QStringLiteral("Damage*3"));
}

TEST(FormulaEditor, APastedLineBreakBecomesASpace)
{
    TFormulaEditor editor;
    editor.SetFormula(QStringLiteral("Damage*2"));
    editor.Edit()->setCursorPosition(7);
    QGuiApplication::clipboard()->setText(QStringLiteral("\r\n(1+\t1)"));
    editor.Edit()->paste();
    EXPECT_EQ(editor.Formula(), QStringLiteral("Damage*  (1+ 1)2"));
}

} // namespace
