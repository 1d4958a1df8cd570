#include "views/WeaponRankingView.h"

#include "views/CopyAction.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct TColumnInfo
{
    const char* Header;
    const char* ToolTip;
    // A text as wide as the column's usual contents, to size it by.
    const char* Sample;
};

// In TRankColumn order.
constexpr std::array<TColumnInfo, RankColumnCount> Columns = {{
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Name"), nullptr, "Executioner's Axe"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Type"), nullptr, "Fencing"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Speed"), nullptr, "00"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Delay"),
     QT_TRANSLATE_NOOP("TWeaponRankingView", "Swing delay at the character's DEX, in seconds"),
     "00.0"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Ave"),
     QT_TRANSLATE_NOOP("TWeaponRankingView", "Average damage at Normal / Normal"), "00"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "HQ Ave"),
     QT_TRANSLATE_NOOP("TWeaponRankingView", "Average damage of an exceptional-quality weapon"),
     "00"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "DPS"),
     QT_TRANSLATE_NOOP("TWeaponRankingView", "Average damage divided by the delay"), "00.00"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Top %"),
     QT_TRANSLATE_NOOP("TWeaponRankingView",
                       "Probability of the most likely base damage, in percent"),
     "00.00"},
    {QT_TRANSLATE_NOOP("TWeaponRankingView", "Overall"),
     QT_TRANSLATE_NOOP("TWeaponRankingView", "Overall rating of the radar chart"), "000"},
}};

QString Format(const TWeaponRank& rank, TRankColumn column)
{
    return QString::fromStdString(RankCellText(rank, column));
}

} // namespace

// The rows as the view shows them, already in sorted order: nothing is
// sorted or formatted ahead of being painted, so ten thousand rows cost
// only what is on screen. All rows are kept, so a wider filter needs no
// new ranking.
class TWeaponRankingModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    const std::vector<TWeaponRank>& Rows() const { return m_filter.IsEmpty() ? m_all : m_rows; }

    void Replace(std::vector<TWeaponRank> rows, TRankColumn column, bool descending)
    {
        SortRanking(rows, column, descending);
        beginResetModel();
        m_all = std::move(rows);
        Filter();
        endResetModel();
    }

    void Sort(TRankColumn column, bool descending)
    {
        beginResetModel();
        SortRanking(m_all, column, descending);
        Filter();
        endResetModel();
    }

    void SetFilter(const TWeaponFilter& filter)
    {
        beginResetModel();
        m_filter = filter;
        Filter();
        endResetModel();
    }

    int RowOfSlot(int slot) const
    {
        const std::vector<TWeaponRank>& rows = Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].Slot == slot) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(Rows().size());
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : RankColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= RankColumnCount) {
            return {};
        }
        const auto column = static_cast<TRankColumn>(index.column());
        if (role == Qt::DisplayRole) {
            return Format(Rows()[static_cast<std::size_t>(index.row())], column);
        }
        // What the cell divides or takes, with the row's own figures.
        if (role == Qt::ToolTipRole) {
            const TWeaponRank& rank = Rows()[static_cast<std::size_t>(index.row())];
            if (column == TRankColumn::DamagePerSecond && rank.DamagePerSecond) {
                return QStringLiteral("%1 / %2 = %3")
                    .arg(Format(rank, TRankColumn::Average), Format(rank, TRankColumn::Delay),
                         Format(rank, column));
            }
            return headerData(index.column(), Qt::Horizontal, Qt::ToolTipRole);
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(
                Qt::Alignment(IsTextColumn(column) ? Qt::AlignLeft : Qt::AlignRight) |
                Qt::AlignVCenter);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= RankColumnCount) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        if (role == Qt::DisplayRole) {
            return QCoreApplication::translate("TWeaponRankingView",
                                               Columns[static_cast<std::size_t>(section)].Header);
        }
        if (role == Qt::ToolTipRole) {
            const char* tip = Columns[static_cast<std::size_t>(section)].ToolTip;
            return tip != nullptr ? QCoreApplication::translate("TWeaponRankingView", tip)
                                  : QVariant();
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::Alignment(
                (IsTextColumn(static_cast<TRankColumn>(section)) ? Qt::AlignLeft : Qt::AlignRight) |
                Qt::AlignVCenter));
        }
        return {};
    }

private:
    // An empty filter shows m_all itself rather than a copy of it.
    void Filter()
    {
        m_rows.clear();
        if (m_filter.IsEmpty()) {
            return;
        }
        for (const TWeaponRank& rank : m_all) {
            if (PassesWeaponFilter(m_filter, QString::fromStdString(rank.Name),
                                   QString::fromStdString(rank.Type))) {
                m_rows.push_back(rank);
            }
        }
    }

    std::vector<TWeaponRank> m_all;
    TWeaponFilter m_filter;
    std::vector<TWeaponRank> m_rows;
};

TWeaponRankingView::TWeaponRankingView(QWidget* parent)
    : QTableView(parent), m_model(new TWeaponRankingModel(this))
{
    setObjectName(QStringLiteral("WeaponRankingView"));
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setAlternatingRowColors(true);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    // Fixed heights spare the view from measuring every row of a long table.
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* head = horizontalHeader();
    head->setSectionsClickable(true);
    head->setSectionsMovable(false);
    head->setSortIndicatorShown(true);
    head->setHighlightSections(false);
    head->setStretchLastSection(false);
    FitToFont();
    UpdateSortIndicator();
    connect(head, &QHeaderView::sectionClicked, this, &TWeaponRankingView::HeaderClicked);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_restoring) {
            return;
        }
        m_filteredOutSlot = 0;
        if (const int slot = SelectedSlot(); slot != 0) {
            emit WeaponChosen(slot);
        }
    });

    AddCopyAction(this, [this] { CopyToClipboard(); });
}

void TWeaponRankingView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitToFont();
    }
}

void TWeaponRankingView::FitToFont()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* head = horizontalHeader();
    const QFontMetrics metrics = fontMetrics();
    const QFontMetrics headMetrics = head->fontMetrics();
    const int textMargins =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    for (int i = 0; i < RankColumnCount; ++i) {
        const TColumnInfo& info = Columns[static_cast<std::size_t>(i)];
        // Texts are left-aligned against the cell's margins and would be
        // elided first, so they get the margins on top.
        const int contents = metrics.horizontalAdvance(QString::fromLatin1(info.Sample)) +
                             (IsTextColumn(static_cast<TRankColumn>(i)) ? 12 : 0);
        // Room for the sort arrow beside the caption.
        const int caption =
            headMetrics.horizontalAdvance(
                m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString()) +
            12;
        // Never narrower than the figure inside the cell's own margins, which
        // stay the same when a larger font takes the caption's slack.
        head->resizeSection(
            i, std::max(std::max(contents, caption) + 6,
                        metrics.horizontalAdvance(QString::fromLatin1(info.Sample)) + textMargins));
    }
}

TWeaponRankingView::~TWeaponRankingView() = default;

void TWeaponRankingView::SetRanking(std::vector<TWeaponRank> ranking)
{
    const int slot = SlotToKeep();
    const int scroll = verticalScrollBar()->value();
    m_restoring = true;
    m_model->Replace(std::move(ranking), m_sortColumn, m_descending);
    m_restoring = false;
    RestoreSelection(slot, false);
    verticalScrollBar()->setValue(scroll);
}

const std::vector<TWeaponRank>& TWeaponRankingView::Ranking() const
{
    return m_model->Rows();
}

void TWeaponRankingView::SetSort(TRankColumn column, bool descending)
{
    const int slot = SlotToKeep();
    m_sortColumn = column;
    m_descending = descending;
    m_restoring = true;
    m_model->Sort(column, descending);
    m_restoring = false;
    RestoreSelection(slot, true);
    UpdateSortIndicator();
}

void TWeaponRankingView::SetFilter(const TWeaponFilter& filter)
{
    if (filter == m_filter) {
        return;
    }
    const int slot = SlotToKeep();
    m_filter = filter;
    m_restoring = true;
    m_model->SetFilter(filter);
    m_restoring = false;
    RestoreSelection(slot, true);
}

std::pair<TRankColumn, bool> TWeaponRankingView::NextSort(TRankColumn current, bool descending,
                                                          TRankColumn clicked)
{
    if (clicked == current) {
        return {current, !descending};
    }
    return {clicked, BestFirstIsDescending(clicked)};
}

void TWeaponRankingView::HeaderClicked(int section)
{
    if (section < 0 || section >= RankColumnCount) {
        return;
    }
    const auto [column, descending] =
        NextSort(m_sortColumn, m_descending, static_cast<TRankColumn>(section));
    SetSort(column, descending);
}

int TWeaponRankingView::SelectedSlot() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return 0;
    }
    const auto row = static_cast<std::size_t>(rows.front().row());
    return row < m_model->Rows().size() ? m_model->Rows()[row].Slot : 0;
}

void TWeaponRankingView::SelectSlot(int slot)
{
    if (slot == SelectedSlot() && slot != 0) {
        scrollTo(selectionModel()->selectedRows().front());
        return;
    }
    RestoreSelection(slot, true);
}

void TWeaponRankingView::RestoreSelection(int slot, bool scroll)
{
    m_restoring = true;
    const int row = slot != 0 ? m_model->RowOfSlot(slot) : -1;
    if (row < 0) {
        selectionModel()->clearSelection();
        m_filteredOutSlot = m_filter.IsEmpty() ? 0 : slot;
        m_restoring = false;
        return;
    }
    m_filteredOutSlot = 0;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    if (scroll) {
        scrollTo(index);
    }
    m_restoring = false;
}

int TWeaponRankingView::SlotToKeep() const
{
    const int slot = SelectedSlot();
    return slot != 0 ? slot : m_filteredOutSlot;
}

void TWeaponRankingView::UpdateSortIndicator()
{
    horizontalHeader()->setSortIndicator(static_cast<int>(m_sortColumn),
                                         m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString TWeaponRankingView::CellText(int row, TRankColumn column) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_model->Rows().size()) {
        return {};
    }
    return Format(m_model->Rows()[static_cast<std::size_t>(row)], column);
}

QString TWeaponRankingView::ToTabSeparatedText() const
{
    QStringList lines;
    QStringList cells;
    for (int i = 0; i < RankColumnCount; ++i) {
        cells.append(m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    lines.append(cells.join(QLatin1Char('\t')));
    for (const TWeaponRank& rank : m_model->Rows()) {
        cells.clear();
        for (int i = 0; i < RankColumnCount; ++i) {
            cells.append(Format(rank, static_cast<TRankColumn>(i)));
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TWeaponRankingView::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}
