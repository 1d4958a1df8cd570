#include "views/StatGainsView.h"

#include "views/ColourScheme.h"
#include "views/CopyAction.h"
#include "weapons/NumberFormat.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>
#include <string>

namespace {

struct TColumnInfo
{
    const char* Header;
    const char* ToolTip;
};

// In TStatGainsView::TColumn order.
constexpr std::array<TColumnInfo, TStatGainsView::ColumnCount> Columns = {{
    {QT_TRANSLATE_NOOP("TStatGainsView", "Input"), nullptr},
    {QT_TRANSLATE_NOOP("TStatGainsView", "Step"), nullptr},
    {QT_TRANSLATE_NOOP("TStatGainsView", "From → To"), nullptr},
    {QT_TRANSLATE_NOOP("TStatGainsView", "ΔHQ Ave"),
     QT_TRANSLATE_NOOP("TStatGainsView", "Change of the exceptional-quality average damage")},
    {QT_TRANSLATE_NOOP("TStatGainsView", "ΔAve"),
     QT_TRANSLATE_NOOP("TStatGainsView", "Change of the Normal/Normal average damage")},
    {QT_TRANSLATE_NOOP("TStatGainsView", "ΔDelay"),
     QT_TRANSLATE_NOOP("TStatGainsView", "Change of the swing delay, in seconds")},
    {QT_TRANSLATE_NOOP("TStatGainsView", "ΔDPS"),
     QT_TRANSLATE_NOOP("TStatGainsView", "Change of the damage per second")},
}};

QString Translated(const char* text)
{
    return QCoreApplication::translate("TStatGainsView", text);
}

// A change in the figure's own format with its sign; one that rounds to
// nothing there reads as none, unsigned.
QString Signed(double change, std::string (*format)(double))
{
    const std::string text = format(change);
    if (text.find_first_not_of("0.-") == std::string::npos)
        return QString::fromStdString(format(0.0));
    return QString::fromStdString(change > 0 ? "+" + text : text);
}

QString StepText(TGainStep step)
{
    switch (step) {
    case TGainStep::One:
        return QStringLiteral("+1");
    case TGainStep::Ten:
        return QStringLiteral("+10");
    case TGainStep::ToMaximum:
        return Translated(QT_TRANSLATE_NOOP("TStatGainsView", "max"));
    }
    return {};
}

} // namespace

TStatGainsView::TStatGainsView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StatGainsView"));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("StatGainsTable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    for (int column = 0; column < ColumnCount; ++column) {
        const TColumnInfo& info = Columns[static_cast<std::size_t>(column)];
        auto* item = new QTableWidgetItem(Translated(info.Header));
        if (info.ToolTip != nullptr)
            item->setToolTip(Translated(info.ToolTip));
        m_table->setHorizontalHeaderItem(column, item);
    }
    QHeaderView* head = m_table->horizontalHeader();
    head->setHighlightSections(false);
    // Columns of equal width read as one table at any page width.
    head->setSectionResizeMode(QHeaderView::Stretch);

    m_nextSwingLabel = new QLabel(this);
    m_nextSwingLabel->setObjectName(QStringLiteral("NextFasterSwingLabel"));
    m_nextSwingLabel->setContentsMargins(4, 0, 4, 2);
    m_nextSwingLabel->setToolTip(
        tr("How much more DEX gives the next shorter swing delay, and that delay"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_nextSwingLabel);

    AddCopyAction(this, [this] { CopyToClipboard(); });
}

void TStatGainsView::SetGains(std::vector<TStatGain> gains)
{
    m_gains = std::move(gains);
    Refill();
}

void TStatGainsView::SetNextFasterSwing(std::optional<TWeaponSpeed::TNextFasterSwing> next)
{
    m_nextFasterSwing = next;
    m_nextSwingLabel->setText(next ? tr("Next faster swing: +%1 DEX → %2 s")
                                         .arg(next->MoreDex)
                                         .arg(QString::fromStdString(FormatGeneral(next->Delay)))
                                   : QString());
}

int TStatGainsView::BestRow() const
{
    if (m_gains.empty())
        return -1;
    const std::optional<double> gain = m_gains.front().DamagePerSecondGain();
    return gain && *gain > 0 ? 0 : -1;
}

QString TStatGainsView::CellText(int row, TColumn column) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_gains.size())
        return {};
    const TStatGain& gain = m_gains[static_cast<std::size_t>(row)];
    switch (column) {
    case InputColumn:
        return QString::fromUtf8(StatName(gain.Stat).data(),
                                 static_cast<qsizetype>(StatName(gain.Stat).size()));
    case StepColumn:
        return StepText(gain.Step);
    case RangeColumn:
        return QStringLiteral("%1 → %2").arg(gain.From).arg(gain.To);
    case HQAverageColumn:
        return Signed(gain.After.HQAverage - gain.Before.HQAverage, FormatGeneral);
    case AverageColumn:
        return Signed(gain.After.Average - gain.Before.Average, FormatGeneral);
    case DelayColumn:
        return Signed(gain.After.Delay - gain.Before.Delay, FormatGeneral);
    case DamagePerSecondColumn:
        if (const std::optional<double> change = gain.DamagePerSecondGain())
            return Signed(*change, FormatTwoDecimals);
        return QStringLiteral("-");
    case ColumnCount:
        break;
    }
    return {};
}

void TStatGainsView::Refill()
{
    const int rows = static_cast<int>(m_gains.size());
    const int best = BestRow();
    QFont bold = m_table->font();
    bold.setBold(true);
    m_table->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(CellText(row, static_cast<TColumn>(column)));
            item->setTextAlignment((column == InputColumn ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
            if (row == best) {
                item->setBackground(TColourScheme::For(palette()).Best);
                item->setFont(bold);
            }
            m_table->setItem(row, column, item);
        }
    }
}

QString TStatGainsView::ToTabSeparatedText() const
{
    QStringList lines;
    QStringList cells;
    for (int column = 0; column < ColumnCount; ++column)
        cells.append(m_table->horizontalHeaderItem(column)->text());
    lines.append(cells.join(QLatin1Char('\t')));
    for (int row = 0; row < static_cast<int>(m_gains.size()); ++row) {
        cells.clear();
        for (int column = 0; column < ColumnCount; ++column)
            cells.append(CellText(row, static_cast<TColumn>(column)));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TStatGainsView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_nextSwingLabel->setToolTip(
            tr("How much more DEX gives the next shorter swing delay, and that delay"));
        for (int column = 0; column < ColumnCount; ++column) {
            const TColumnInfo& info = Columns[static_cast<std::size_t>(column)];
            QTableWidgetItem* item = m_table->horizontalHeaderItem(column);
            item->setText(Translated(info.Header));
            item->setToolTip(info.ToolTip != nullptr ? Translated(info.ToolTip) : QString());
        }
        SetNextFasterSwing(m_nextFasterSwing);
        Refill();
    } else if (event->type() == QEvent::PaletteChange) {
        // The best row's mark follows a change between light and dark.
        Refill();
    } else if (event->type() == QEvent::FontChange) {
        m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        // The best row's bold font was taken from the old one.
        Refill();
    }
    QWidget::changeEvent(event);
}

void TStatGainsView::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}
