#pragma once

#include "views/FormulaFault.h"

#include <QList>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class TFormulaLine;

// What a formula gives for the inputs at hand: the text the preview shows
// (a value, or why there is none), or the fault that rejects the formula.
using TFormulaOutcome = std::variant<QString, TFormulaFault>;
// Turns a formula into its outcome; it raises nothing.
using TFormulaPreview = std::function<TFormulaOutcome(const QString& formula)>;

// A variable the formula may use, with a line on what it holds.
struct TFormulaVariable
{
    QString Name;
    QString Meaning;

    bool operator==(const TFormulaVariable&) const = default;
};

enum class TFormulaTokenKind
{
    Number,
    Operator,
    Bracket,
    Function,
    Variable,
    Unknown,
};

// A piece of the formula as the evaluator reads it, in QString indices.
struct TFormulaToken
{
    qsizetype Start = 0;
    qsizetype Length = 0;
    TFormulaTokenKind Kind = TFormulaTokenKind::Unknown;

    bool operator==(const TFormulaToken&) const = default;
};

// The bracket at the cursor and the one closing or opening it; Partner is -1
// when there is none.
struct TBracketMatch
{
    qsizetype At = 0;
    qsizetype Partner = -1;

    bool operator==(const TBracketMatch&) const = default;
};

// One formula being edited: the line, coloured as the evaluator reads it as
// it is typed; what rejects it, underlined where it lies; its value for the
// inputs the owner's preview computes from; the variables it may use, a
// click inserting one; and a button for the standard formula. It computes
// nothing: the owner hands it the preview and the names.
class TFormulaEditor : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Formula READ Formula WRITE SetFormula NOTIFY FormulaChanged)
    Q_PROPERTY(QString StandardFormula READ StandardFormula WRITE SetStandardFormula)
    Q_PROPERTY(std::vector<TFormulaVariable> Variables READ Variables WRITE SetVariables)
    Q_PROPERTY(TFormulaPreview Preview READ Preview WRITE SetPreview)
    Q_PROPERTY(std::optional<TFormulaFault> Fault READ Fault WRITE SetFault)

public:
    explicit TFormulaEditor(QWidget* parent = nullptr);

    QString Formula() const;
    // Replaces the text and its undo history.
    void SetFormula(const QString& formula);
    QString StandardFormula() const { return m_standardFormula; }
    void SetStandardFormula(const QString& formula);
    const std::vector<TFormulaVariable>& Variables() const { return m_variables; }
    void SetVariables(const std::vector<TFormulaVariable>& variables);

    const TFormulaPreview& Preview() const { return m_preview; }
    // Asked again at every change of the formula; its fault is shown as one
    // given to SetFault. Without one there is no preview line.
    void SetPreview(const TFormulaPreview& preview);
    // Asks the preview again, for when what it computes from has changed.
    void RefreshPreview();

    const std::optional<TFormulaFault>& Fault() const { return m_fault; }
    // Shows the words under the line and underlines the name, number or
    // character at the fault's position. Without a preview the fault holds
    // until the formula changes.
    void SetFault(const std::optional<TFormulaFault>& fault);

    // What the line is drawn with now.
    const std::vector<TFormulaToken>& Tokens() const { return m_tokens; }
    std::optional<TBracketMatch> Brackets() const { return m_brackets; }
    const QList<QTextLayout::FormatRange>& Formats() const { return m_formats; }

    // The parts an owner names after controls of its own.
    QLineEdit* Edit() const;
    QLabel* FaultLabel() const { return m_faultLabel; }

    // Puts `name` at the cursor, in place of a selection, as typing would,
    // and gives the line the focus.
    void InsertVariable(const QString& name);
    // The "standard formula" button: the standard formula in place of the
    // text, undoable like typing.
    void StandardBtnClick();

signals:
    void FormulaChanged(const QString& formula);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormulaEdited();
    void Recolour();
    void VariableClick(QTreeWidgetItem* item);

    TFormulaLine* m_edit = nullptr;
    QLabel* m_faultLabel = nullptr;
    QLabel* m_previewLabel = nullptr;
    QTreeWidget* m_variableList = nullptr;
    QPushButton* m_standardBtn = nullptr;

    QString m_standardFormula;
    std::vector<TFormulaVariable> m_variables;
    TFormulaPreview m_preview;
    std::optional<TFormulaFault> m_fault;
    std::vector<TFormulaToken> m_tokens;
    std::optional<TBracketMatch> m_brackets;
    QList<QTextLayout::FormatRange> m_formats;
};
