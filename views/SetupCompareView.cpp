#include "views/SetupCompareView.h"

#include "views/ColourScheme.h"
#include "views/CopyAction.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStringList>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct TRowInfo
{
    const char* Caption;
    const char* ToolTip;
};

// In TCompareRow order.
constexpr std::array<TRowInfo, CompareRowCount> Rows = {{
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Weapon"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "STR"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "DEX"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "INT"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Tactics"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Anatomy"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Lumberjack"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "HQ Low"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "HQ High"), nullptr},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "HQ Ave"),
     QT_TRANSLATE_NOOP("TSetupCompareView", "Average damage of an exceptional-quality weapon")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Normal/Normal Ave"),
     QT_TRANSLATE_NOOP("TSetupCompareView", "Average damage at Normal accuracy, Normal damage")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Supremely/Vanquishing Ave"),
     QT_TRANSLATE_NOOP("TSetupCompareView",
                       "Average damage at Supremely accuracy, Vanquishing damage")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Delay"),
     QT_TRANSLATE_NOOP("TSetupCompareView", "Swing delay at the character's DEX, in seconds")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "DPS"),
     QT_TRANSLATE_NOOP("TSetupCompareView", "Normal/Normal average divided by the delay")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Top %"),
     QT_TRANSLATE_NOOP("TSetupCompareView",
                       "Probability of the most likely base damage, in percent")},
    {QT_TRANSLATE_NOOP("TSetupCompareView", "Overall"),
     QT_TRANSLATE_NOOP("TSetupCompareView", "Overall rating of the radar chart")},
}};

// The cell's own figure and its difference to the first column, apart, so
// the delegate can set the difference in a lighter, smaller hand.
constexpr int ValueRole = Qt::UserRole;
constexpr int DifferenceRole = Qt::UserRole + 1;

QString Translated(const char* text)
{
    return QCoreApplication::translate("TSetupCompareView", text);
}

QString WithDifference(const QString& value, const QString& difference)
{
    return difference.isEmpty() ? value : value + QStringLiteral(" (") + difference + ')';
}

} // namespace

class TSetupCompareModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    const std::vector<TSetupFigures>& Figures() const { return m_figures; }

    void Replace(const std::vector<TSetupFigures>& figures)
    {
        beginResetModel();
        m_figures = figures;
        for (int row = 0; row < CompareRowCount; ++row)
            m_best[static_cast<std::size_t>(row)] =
                BestColumns(m_figures, static_cast<TCompareRow>(row));
        endResetModel();
    }

    bool IsBest(TCompareRow row, int column) const
    {
        const std::vector<bool>& best = m_best[static_cast<std::size_t>(row)];
        return column >= 0 && static_cast<std::size_t>(column) < best.size() &&
               best[static_cast<std::size_t>(column)];
    }

    QString Value(TCompareRow row, int column) const
    {
        return QString::fromStdString(
            CompareCellText(m_figures[static_cast<std::size_t>(column)], row));
    }

    QString Difference(TCompareRow row, int column) const
    {
        if (column == 0)
            return {};
        return QString::fromStdString(CompareDifferenceText(
            m_figures.front(), m_figures[static_cast<std::size_t>(column)], row));
    }

    QString Text(TCompareRow row, int column) const
    {
        return WithDifference(Value(row, column), Difference(row, column));
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : CompareRowCount;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_figures.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
            return {};
        const auto row = static_cast<TCompareRow>(index.row());
        const int column = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return Text(row, column);
        case ValueRole:
            return Value(row, column);
        case DifferenceRole:
            return Difference(row, column);
        case Qt::ToolTipRole:
            return row == TCompareRow::Weapon
                       ? QString::fromStdString(
                             SetupLabel(m_figures[static_cast<std::size_t>(column)].Setup))
                       : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                Qt::Alignment(row == TCompareRow::Weapon ? Qt::AlignLeft : Qt::AlignRight) |
                Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return IsBest(row, column) ? QVariant(BestColour()) : QVariant();
        case Qt::FontRole:
            if (IsBest(row, column)) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical && section >= 0 && section < CompareRowCount) {
            const TRowInfo& info = Rows[static_cast<std::size_t>(section)];
            if (role == Qt::DisplayRole)
                return Translated(info.Caption);
            if (role == Qt::ToolTipRole && info.ToolTip != nullptr)
                return Translated(info.ToolTip);
            return {};
        }
        if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
            if (role == Qt::DisplayRole)
                return section == 0 ? Translated(QT_TRANSLATE_NOOP("TSetupCompareView", "Current"))
                                    : Translated(QT_TRANSLATE_NOOP("TSetupCompareView", "Pin %1"))
                                          .arg(section);
            if (role == Qt::ToolTipRole)
                return QString::fromStdString(
                    SetupLabel(m_figures[static_cast<std::size_t>(section)].Setup));
            return {};
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    // The view's palette chooses, and the view asks again at every paint.
    QColor BestColour() const
    {
        const auto* view = qobject_cast<const QWidget*>(QObject::parent());
        return (view != nullptr ? TColourScheme::For(view->palette()) : TColourScheme::Light())
            .Best;
    }

    std::vector<TSetupFigures> m_figures;
    std::array<std::vector<bool>, CompareRowCount> m_best;
};

namespace {

// Draws a pinned cell's difference after its figure, smaller and grey, so
// the figures stay the first thing read down a row.
class TDifferenceDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QString difference = index.data(DifferenceRole).toString();
        if (difference.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString value = index.data(ValueRole).toString();
        item.text.clear();
        const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

        const int margin =
            style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget)
                               .adjusted(margin, 0, -margin, 0);
        const QFont small = SmallFont(item.font);
        const QFontMetrics valueMetrics(item.font), smallMetrics(small);
        const QString suffix = Suffix(difference);
        const int suffixWidth = smallMetrics.horizontalAdvance(suffix);
        const int baseline =
            text.center().y() + (valueMetrics.ascent() - valueMetrics.descent()) / 2 + 1;
        const int right = text.right() + 1;

        painter->save();
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        painter->setPen(selected ? item.palette.highlightedText().color()
                                 : item.palette.text().color());
        painter->setFont(item.font);
        painter->drawText(
            QPoint(right - suffixWidth - valueMetrics.horizontalAdvance(value), baseline), value);
        painter->setFont(small);
        if (!selected)
            painter->setPen(item.palette.color(QPalette::Disabled, QPalette::Text));
        painter->drawText(QPoint(right - suffixWidth, baseline), suffix);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString difference = index.data(DifferenceRole).toString();
        if (!difference.isEmpty()) {
            QStyleOptionViewItem item = option;
            initStyleOption(&item, index);
            const QFontMetrics valueMetrics(item.font), smallMetrics(SmallFont(item.font));
            const int shown = valueMetrics.horizontalAdvance(item.text);
            const int drawn = valueMetrics.horizontalAdvance(index.data(ValueRole).toString()) +
                              smallMetrics.horizontalAdvance(Suffix(difference));
            size.rwidth() += drawn - shown;
        }
        return size;
    }

private:
    static QFont SmallFont(QFont font)
    {
        font.setBold(false);
        font.setPointSizeF(font.pointSizeF() * 0.85);
        return font;
    }

    static QString Suffix(const QString& difference)
    {
        return WithDifference(QString(), difference);
    }
};

} // namespace

TSetupCompareView::TSetupCompareView(QWidget* parent)
    : QTableView(parent), m_model(new TSetupCompareModel(this))
{
    setObjectName(QStringLiteral("SetupCompareView"));
    setModel(m_model);
    setItemDelegate(new TDifferenceDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // As tall as its rows: the page around it scrolls, not the table.
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    rows->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QHeaderView* head = horizontalHeader();
    head->setSectionsMovable(true);
    // The current setup is what the pins are measured against: it keeps
    // the first place.
    head->setFirstSectionMovable(false);
    head->setHighlightSections(false);
    head->setStretchLastSection(false);
    head->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(head, &QHeaderView::sectionMoved, this, &TSetupCompareView::SectionMoved);
    connect(head, &QHeaderView::customContextMenuRequested, this, [this, head](QPoint pos) {
        ShowColumnMenu(head->logicalIndexAt(pos), head->mapToGlobal(pos));
    });

    m_copyAction = AddCopyAction(
        this, [this] { CopyToClipboard(); }, false);
}

TSetupCompareView::~TSetupCompareView() = default;

void TSetupCompareView::SetFigures(const std::vector<TSetupFigures>& figures)
{
    m_model->Replace(figures);
    FitColumns();
}

const std::vector<TSetupFigures>& TSetupCompareView::Figures() const
{
    return m_model->Figures();
}

QString TSetupCompareView::CellText(TCompareRow row, int column) const
{
    if (column < 0 || column >= m_model->columnCount())
        return {};
    return m_model->Text(row, column);
}

bool TSetupCompareView::IsBest(TCompareRow row, int column) const
{
    return m_model->IsBest(row, column);
}

QString TSetupCompareView::ToTabSeparatedText() const
{
    const int columns = m_model->columnCount();
    QStringList lines;
    QStringList cells{QString()};
    for (int column = 0; column < columns; ++column)
        cells.append(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    lines.append(cells.join(QLatin1Char('\t')));
    for (int row = 0; row < CompareRowCount; ++row) {
        cells = QStringList{m_model->headerData(row, Qt::Vertical, Qt::DisplayRole).toString()};
        for (int column = 0; column < columns; ++column)
            cells.append(m_model->Text(static_cast<TCompareRow>(row), column));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TSetupCompareView::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}

void TSetupCompareView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (const int column = currentIndex().column(); column >= 1)
            emit PinRemoved(column - 1);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TSetupCompareView::contextMenuEvent(QContextMenuEvent* event)
{
    // Sent through the viewport, so the position is the viewport's.
    const QModelIndex index = indexAt(event->pos());
    ShowColumnMenu(index.isValid() ? index.column() : -1, event->globalPos());
}

void TSetupCompareView::ShowColumnMenu(int column, QPoint globalPos)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("SetupCompareMenu"));
    QAction* remove = menu.addAction(tr("Remove pin"));
    remove->setObjectName(QStringLiteral("RemovePinAction"));
    remove->setEnabled(column >= 1);
    connect(remove, &QAction::triggered, this, [this, column] { emit PinRemoved(column - 1); });
    menu.addSeparator();
    menu.addAction(m_copyAction);
    menu.exec(globalPos);
}

void TSetupCompareView::SectionMoved(int logical, int oldVisual, int newVisual)
{
    if (m_undoingMove)
        return;
    // The columns stay in the caller's order; the caller reorders its pins
    // and hands the figures back in the new order.
    m_undoingMove = true;
    horizontalHeader()->moveSection(newVisual, oldVisual);
    m_undoingMove = false;
    if (logical == 0 || newVisual == 0)
        return;
    emit PinMoved(logical - 1, newVisual - 1);
}

void TSetupCompareView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        FitColumns();
    }
}

void TSetupCompareView::FitColumns()
{
    // Columns as wide as their figures, not as the weapon's name: a long
    // name is elided (its tooltip and the header's hold it whole), so six
    // pins need less scrolling.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QAbstractItemDelegate* delegate = itemDelegate();
    QHeaderView* head = horizontalHeader();
    const int minimum = fontMetrics().horizontalAdvance(QStringLiteral("000.00")) + 16;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        int width = std::max(minimum, head->sectionSizeHint(column));
        for (int row = 1; row < CompareRowCount; ++row)
            width =
                std::max(width, delegate->sizeHint(option, m_model->index(row, column)).width());
        head->resizeSection(column, width + 6);
    }
}
