#include "views/FormulaEditor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValidator>

#include <array>

// A line edit that draws its text with formats of the editor's choosing.
// QLineEdit takes formats only as an input method's attributes, so they go
// in as an input method event with nothing to insert.
class TFormulaLine : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

    // Called when the input method has committed or dropped what it was
    // composing, so the formats it replaced can be put back.
    std::function<void()> ComposingEnded;

    void SetFormats(const QList<QTextLayout::FormatRange>& formats)
    {
        // While the input method composes, its own formats mark the text being
        // composed, and an event of ours would cut the composition short.
        if (m_composing) {
            return;
        }
        QList<QInputMethodEvent::Attribute> attributes;
        for (const QTextLayout::FormatRange& range : formats) {
            // The attributes count from the cursor.
            attributes.append({QInputMethodEvent::TextFormat, range.start - cursorPosition(),
                               range.length, range.format});
        }
        QInputMethodEvent event(QString(), attributes);
        m_applying = true;
        QCoreApplication::sendEvent(this, &event);
        m_applying = false;
    }

protected:
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        const bool wasComposing = m_composing;
        if (!m_applying) {
            m_composing = !event->preeditString().isEmpty();
        }
        QLineEdit::inputMethodEvent(event);
        if (wasComposing && !m_composing && ComposingEnded) {
            ComposingEnded();
        }
    }

private:
    bool m_composing = false;
    bool m_applying = false;
};

namespace {

// A formula is one line, but a line edit takes line breaks from a paste or a
// drop; the evaluator would refuse them unseen, so they become spaces (one
// for one, so the cursor and the fault positions stay where they were).
class TOneLine : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        for (QChar& c : input) {
            if (c == u'\n' || c == u'\r' || c == u'\t') {
                c = u' ';
            }
        }
        return Acceptable;
    }
};

// The evaluator's functions and its one constant; a name is looked up whole.
const std::array<QLatin1String, 14> FunctionNames = {
    QLatin1String("log10"),  QLatin1String("sqrt"),   QLatin1String("ln"),
    QLatin1String("exp"),    QLatin1String("arcsin"), QLatin1String("arccos"),
    QLatin1String("arctan"), QLatin1String("sin"),    QLatin1String("cos"),
    QLatin1String("tan"),    QLatin1String("abs"),    QLatin1String("erfc"),
    QLatin1String("erf"),    QLatin1String("pi")};

// The code point at `i` and how many QChars it takes.
char32_t CodePointAt(const QString& text, qsizetype i, qsizetype& width)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        width = 2;
        return QChar::surrogateToUcs4(text[i], text[i + 1]);
    }
    width = 1;
    return text[i].unicode();
}

bool IsNameStart(char32_t c)
{
    return c == U'_' || QChar::isLetter(c);
}

bool IsNamePart(char32_t c)
{
    return c == U'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool IsNumberPart(char32_t c)
{
    return (c >= U'0' && c <= U'9') || c == U'.';
}

bool IsOpening(QChar c)
{
    return c == u'(' || c == u'[' || c == u'{';
}

bool IsClosing(QChar c)
{
    return c == u')' || c == u']' || c == u'}';
}

TFormulaTokenKind NameKind(QStringView name, const std::vector<TFormulaVariable>& variables)
{
    for (const QLatin1String function : FunctionNames) {
        if (name.compare(function, Qt::CaseInsensitive) == 0) {
            return TFormulaTokenKind::Function;
        }
    }
    // The evaluator lower-cases the whole formula, names and all.
    for (const TFormulaVariable& variable : variables) {
        if (!variable.Name.isEmpty() && name.compare(variable.Name, Qt::CaseInsensitive) == 0) {
            return TFormulaTokenKind::Variable;
        }
    }
    return TFormulaTokenKind::Unknown;
}

// A name runs as far as letters and digits go and is judged whole, so a
// misspelt or joined name ("Damagex") shows as unknown, where the
// evaluator, replacing names inside the text, would stumble over it later.
std::vector<TFormulaToken> FormulaTokens(const QString& text,
                                         const std::vector<TFormulaVariable>& variables)
{
    std::vector<TFormulaToken> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype width = 1;
        const char32_t c = CodePointAt(text, i, width);
        const qsizetype start = i;
        i += width;
        if (c == U' ') {
            continue;
        }
        TFormulaTokenKind kind = TFormulaTokenKind::Unknown;
        if (IsNumberPart(c)) {
            while (i < text.size() && IsNumberPart(text[i].unicode())) {
                ++i;
            }
            kind = TFormulaTokenKind::Number;
        } else if (IsNameStart(c)) {
            while (i < text.size() && IsNamePart(CodePointAt(text, i, width))) {
                i += width;
            }
            kind = NameKind(QStringView(text).mid(start, i - start), variables);
        } else if (c == U'+' || c == U'-' || c == U'*' || c == U'/' || c == U'^') {
            kind = TFormulaTokenKind::Operator;
        } else if (IsOpening(text[start]) || IsClosing(text[start])) {
            kind = TFormulaTokenKind::Bracket;
        }
        tokens.push_back({start, i - start, kind});
    }
    return tokens;
}

// The bracket just before the cursor (the one typed last), else the one just
// after it. Any kind closes any kind, as in the evaluator.
std::optional<TBracketMatch> MatchBracket(const QString& text, qsizetype cursor)
{
    const auto isBracket = [&](qsizetype i) {
        return i >= 0 && i < text.size() && (IsOpening(text[i]) || IsClosing(text[i]));
    };
    qsizetype at = cursor - 1;
    if (!isBracket(at)) {
        at = cursor;
        if (!isBracket(at)) {
            return std::nullopt;
        }
    }
    const bool forward = IsOpening(text[at]);
    const qsizetype step = forward ? 1 : -1;
    int depth = 0;
    for (qsizetype i = at; i >= 0 && i < text.size(); i += step) {
        if (!isBracket(i)) {
            continue;
        }
        depth += IsOpening(text[i]) == forward ? 1 : -1;
        if (depth == 0) {
            return TBracketMatch{at, i};
        }
    }
    return TBracketMatch{at, -1};
}

// Walks the text code point by code point, adding up the bytes each takes
// in UTF-8, the encoding the formula reaches the evaluator in.
qsizetype CharacterIndexOfByte(const QString& text, std::size_t byte)
{
    std::size_t bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype width = 1;
        const char32_t c = CodePointAt(text, i, width);
        // A lone surrogate goes out as the three bytes of U+FFFD.
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes > byte) {
            return i;
        }
        i += width;
    }
    return text.size();
}

struct TColours
{
    QColor Number, Operator, Function, Variable, Unknown, Matched, Unmatched, Fault;
};

// Darker inks on a light field, lighter ones on a dark field.
TColours ColoursFor(const QPalette& palette)
{
    if (palette.color(QPalette::Base).lightness() >= 128) {
        return {QColor(0x00, 0x00, 0xc0), QColor(0xa0, 0x50, 0x00), QColor(0x80, 0x00, 0x80),
                QColor(0x00, 0x70, 0x30), QColor(0xe0, 0x00, 0x00), QColor(0xb4, 0xe6, 0xb4),
                QColor(0xff, 0xb0, 0xb0), QColor(0xe0, 0x00, 0x00)};
    }
    return {QColor(0x8a, 0xb4, 0xff), QColor(0xff, 0xb8, 0x6c), QColor(0xe0, 0xa0, 0xff),
            QColor(0x7e, 0xe0, 0xa0), QColor(0xff, 0x6b, 0x6b), QColor(0x2f, 0x5f, 0x3f),
            QColor(0x7a, 0x2a, 0x2a), QColor(0xff, 0x6b, 0x6b)};
}

QTextLayout::FormatRange Range(qsizetype start, qsizetype length, const QTextCharFormat& format)
{
    QTextLayout::FormatRange range;
    range.start = static_cast<int>(start);
    range.length = static_cast<int>(length);
    range.format = format;
    return range;
}

} // namespace

TFormulaEditor::TFormulaEditor(QWidget* parent)
    : QWidget(parent), m_edit(new TFormulaLine(this)), m_faultLabel(new QLabel(this)),
      m_previewLabel(new QLabel(this)), m_variableList(new QTreeWidget(this)),
      m_standardBtn(new QPushButton(tr("標準の計算式"), this))
{
    setObjectName(QStringLiteral("FormulaEditor"));
    m_edit->setObjectName(QStringLiteral("FormulaEdit"));
    m_edit->setValidator(new TOneLine(m_edit));
    m_faultLabel->setObjectName(QStringLiteral("FormulaFaultLabel"));
    m_faultLabel->setWordWrap(true);
    m_faultLabel->hide();
    m_previewLabel->setObjectName(QStringLiteral("FormulaPreviewLabel"));
    m_previewLabel->setWordWrap(true);
    m_previewLabel->hide();
    m_variableList->setObjectName(QStringLiteral("FormulaVariableList"));
    m_variableList->setColumnCount(2);
    m_variableList->setHeaderHidden(true);
    m_variableList->setRootIsDecorated(false);
    m_variableList->setUniformRowHeights(true);
    m_variableList->setAllColumnsShowFocus(true);
    m_variableList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_variableList->setToolTip(tr("クリックすると変数を入力位置に挿入します"));
    m_variableList->installEventFilter(this);
    m_standardBtn->setObjectName(QStringLiteral("StandardFormulaBtn"));
    setFocusProxy(m_edit);

    auto* lower = new QHBoxLayout;
    lower->addWidget(m_variableList, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_standardBtn);
    side->addStretch();
    lower->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    layout->addWidget(m_faultLabel);
    layout->addWidget(m_previewLabel);
    layout->addLayout(lower, 1);

    m_edit->ComposingEnded = [this] { Recolour(); };
    connect(m_edit, &QLineEdit::textChanged, this, &TFormulaEditor::FormulaEdited);
    connect(m_edit, &QLineEdit::cursorPositionChanged, this, &TFormulaEditor::Recolour);
    connect(m_variableList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { VariableClick(item); });
    connect(m_standardBtn, &QPushButton::clicked, this, &TFormulaEditor::StandardBtnClick);
    Recolour();
}

QString TFormulaEditor::Formula() const
{
    return m_edit->text();
}

void TFormulaEditor::SetFormula(const QString& formula)
{
    m_edit->setText(formula);
}

void TFormulaEditor::SetStandardFormula(const QString& formula)
{
    m_standardFormula = formula;
    m_standardBtn->setToolTip(formula);
}

void TFormulaEditor::SetVariables(const std::vector<TFormulaVariable>& variables)
{
    m_variables = variables;
    m_variableList->clear();
    for (const TFormulaVariable& variable : m_variables) {
        auto* item = new QTreeWidgetItem(m_variableList, {variable.Name, variable.Meaning});
        item->setToolTip(1, variable.Meaning);
    }
    m_tokens = FormulaTokens(Formula(), m_variables);
    Recolour();
}

void TFormulaEditor::SetPreview(const TFormulaPreview& preview)
{
    m_preview = preview;
    RefreshPreview();
}

void TFormulaEditor::RefreshPreview()
{
    if (!m_preview) {
        m_previewLabel->clear();
        m_previewLabel->hide();
        return;
    }
    const TFormulaOutcome outcome = m_preview(Formula());
    if (const auto* fault = std::get_if<TFormulaFault>(&outcome)) {
        m_previewLabel->clear();
        SetFault(*fault);
    } else {
        m_previewLabel->setText(std::get<QString>(outcome));
        SetFault(std::nullopt);
    }
}

void TFormulaEditor::SetFault(const std::optional<TFormulaFault>& fault)
{
    m_fault = fault;
    m_faultLabel->setText(m_fault ? m_fault->Text : QString());
    m_faultLabel->setVisible(m_fault.has_value());
    m_previewLabel->setVisible(m_preview && !m_fault);
    Recolour();
}

QLineEdit* TFormulaEditor::Edit() const
{
    return m_edit;
}

void TFormulaEditor::InsertVariable(const QString& name)
{
    m_edit->insert(name);
    m_edit->setFocus();
}

void TFormulaEditor::StandardBtnClick()
{
    m_edit->selectAll();
    m_edit->insert(m_standardFormula);
    m_edit->setFocus();
}

bool TFormulaEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on the list inserts the variable; it must not reach the dialog,
    // where it would press the default button.
    if (watched == m_variableList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_variableList->currentItem()) {
            VariableClick(m_variableList->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormulaEditor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        Recolour();
    } else if (event->type() == QEvent::LanguageChange) {
        m_standardBtn->setText(tr("標準の計算式"));
        m_variableList->setToolTip(tr("クリックすると変数を入力位置に挿入します"));
    }
}

void TFormulaEditor::FormulaEdited()
{
    m_tokens = FormulaTokens(Formula(), m_variables);
    if (m_preview) {
        RefreshPreview();
    } else if (m_fault) {
        SetFault(std::nullopt);
    } else {
        Recolour();
    }
    emit FormulaChanged(Formula());
}

void TFormulaEditor::Recolour()
{
    const TColours colours = ColoursFor(m_edit->palette());
    QPalette faultPalette = m_faultLabel->palette();
    faultPalette.setColor(QPalette::WindowText, colours.Unknown);
    m_faultLabel->setPalette(faultPalette);

    const QString text = Formula();
    m_formats.clear();
    for (const TFormulaToken& token : m_tokens) {
        QTextCharFormat format;
        switch (token.Kind) {
        case TFormulaTokenKind::Number:
            format.setForeground(colours.Number);
            break;
        case TFormulaTokenKind::Operator:
            format.setForeground(colours.Operator);
            break;
        case TFormulaTokenKind::Function:
            format.setForeground(colours.Function);
            format.setFontWeight(QFont::Bold);
            break;
        case TFormulaTokenKind::Variable:
            format.setForeground(colours.Variable);
            break;
        case TFormulaTokenKind::Unknown:
            format.setForeground(colours.Unknown);
            break;
        case TFormulaTokenKind::Bracket:
            continue;
        }
        m_formats.append(Range(token.Start, token.Length, format));
    }

    m_brackets = MatchBracket(text, m_edit->cursorPosition());
    if (m_brackets) {
        QTextCharFormat format;
        format.setBackground(m_brackets->Partner < 0 ? colours.Unmatched : colours.Matched);
        m_formats.append(Range(m_brackets->At, 1, format));
        if (m_brackets->Partner >= 0) {
            m_formats.append(Range(m_brackets->Partner, 1, format));
        }
    }

    if (m_fault && m_fault->Position != Exception::NoPosition && !text.isEmpty()) {
        qsizetype at = CharacterIndexOfByte(text, m_fault->Position);
        qsizetype length = 1;
        // A fault at the very end (a bracket never closed) marks the last character.
        if (at >= text.size()) {
            at = text.size() - 1;
            if (at > 0 && text[at].isLowSurrogate() && text[at - 1].isHighSurrogate()) {
                --at;
            }
        }
        CodePointAt(text, at, length);
        for (const TFormulaToken& token : m_tokens) {
            if (token.Start <= at && at < token.Start + token.Length) {
                at = token.Start;
                length = token.Length;
            }
        }
        QTextCharFormat format;
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(colours.Fault);
        m_formats.append(Range(at, length, format));
    }
    m_edit->SetFormats(m_formats);
}

void TFormulaEditor::VariableClick(QTreeWidgetItem* item)
{
    if (item) {
        InsertVariable(item->text(0));
    }
}
