#include "views/WeaponListView.h"

#include "expr/Exception.h"
#include "weapons/FileKind.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>

#include <cstdlib>

namespace {

constexpr int NameColumn = 0;
constexpr int IndexColumn = 1;
constexpr int TypeColumn = 2;
constexpr int IconSize = 16;
// The weapon's line number in the file, so sort column 0 can restore file order.
constexpr int FileOrderRole = Qt::UserRole;

constexpr std::array<const char*, 6> IconFiles = {"SS.bmp",   "AXE.bmp",     "Fencing.bmp",
                                                  "Mace.bmp", "Archery.bmp", "Staff.bmp"};

int IconIndexOfType(const std::string& type)
{
    for (std::size_t i = 0; i < WeaponTypeCodes.size(); ++i) {
        if (type == WeaponTypeCodes[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

// Sorting asks the items, so each row consults its view's sort column.
class TWeaponListItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const auto* view = static_cast<const TWeaponListView*>(treeWidget());
        return view != nullptr && view->RowLess(*this, other);
    }
};

TWeaponListView::TWeaponListView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("WeaponListView"));
    setColumnCount(3);
    setHeaderLabels({tr("Name"), tr("Index"), tr("Type")});
    setColumnWidth(NameColumn, 150);
    setColumnWidth(TypeColumn, 60);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(IconSize, IconSize));
    setSortingEnabled(false);

    QHeaderView* head = header();
    head->setSectionsClickable(true);
    head->setSectionsMovable(false);
    head->setStretchLastSection(false);
    head->setSortIndicatorShown(true);
    UpdateSortIndicator();
    connect(head, &QHeaderView::sectionClicked, this, [this](int logicalIndex) {
        emit ColumnClicked(logicalIndex);
        // The header flips its own indicator on a click; the sort column decides.
        UpdateSortIndicator();
    });
    connect(head, &QHeaderView::sortIndicatorChanged, this, [this] { UpdateSortIndicator(); });

    // The Index is only there to sort by; nobody reads it.
    setColumnHidden(IndexColumn, true);

    connect(this, &QTreeWidget::itemClicked, this, [this] {
        if (SelectedSlot() != 0) {
            emit WeaponClicked();
        }
    });
}

void TWeaponListView::LoadWeapons(const QString& dataDir)
{
    LoadIcons(dataDir);
    const QString path = dataDir + QStringLiteral("/WData.csv");
    try {
        m_table.LoadFromFile(QFile::encodeName(path).toStdString());
    } catch (const EFileError&) {
        m_table.Clear();
        clear();
        m_hiddenCount = 0;
        throw;
    }
    FillRows();
}

void TWeaponListView::LoadIcons(const QString& dataDir)
{
    const QDir dir(dataDir);
    for (std::size_t i = 0; i < IconFiles.size(); ++i) {
        QImage image;
        const QString path = dir.filePath(QString::fromLatin1(IconFiles[i]));
        // Only a regular file is opened: a named pipe in its place would
        // wait for a writer before the window ever appears.
        if (FileKindOf(QFile::encodeName(path).toStdString()) != TFileKind::Regular ||
            !image.load(path)) {
            // A white square keeps the type's slot when its bitmap is missing.
            image = QImage(IconSize, IconSize, QImage::Format_RGB32);
            image.fill(Qt::white);
        }
        if (image.size() != QSize(IconSize, IconSize)) {
            image = image.scaled(IconSize, IconSize);
        }
        // No mask: the bitmap is shown as it is, background included.
        image = image.convertToFormat(QImage::Format_RGB32);
        m_icons[i] = QIcon(QPixmap::fromImage(image));
    }
}

void TWeaponListView::FillRows()
{
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_table.Count());
    for (int line = 1; line <= m_table.Count(); ++line) {
        const TWDataCSVTable& weapon = m_table.Weapon(line);
        auto* item = new TWeaponListItem;
        item->setText(NameColumn, QString::fromStdString(weapon.Name));
        item->setText(IndexColumn, QString::number(weapon.Index));
        item->setText(TypeColumn, QString::fromStdString(weapon.Type));
        item->setData(NameColumn, FileOrderRole, line);
        const int icon = IconIndexOfType(weapon.Type);
        if (icon >= 0) {
            item->setIcon(NameColumn, m_icons[static_cast<std::size_t>(icon)]);
        }
        items.append(item);
    }
    addTopLevelItems(items);
    // The view forgot its hidden rows with the old ones.
    m_hiddenCount = 0;
    ApplyFilter();
    if (m_sortColumn != 0) {
        SetSortColumn(m_sortColumn);
    }
}

void TWeaponListView::SetFilter(const TWeaponFilter& filter)
{
    if (filter == m_filter) {
        return;
    }
    m_filter = filter;
    ApplyFilter();
}

void TWeaponListView::ApplyFilter()
{
    const QModelIndex root;
    const bool all = m_filter.IsEmpty();
    if (all && m_hiddenCount == 0) {
        return;
    }
    // Only rows that change are touched: each hidden row costs the view a
    // tracked index, and one more letter changes few rows.
    int hidden = 0;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        const bool hide =
            !all && !PassesWeaponFilter(m_filter, item->text(NameColumn), item->text(TypeColumn));
        if (hide != isRowHidden(row, root)) {
            setRowHidden(row, root, hide);
        }
        hidden += hide ? 1 : 0;
    }
    m_hiddenCount = hidden;
}

bool TWeaponListView::GetWeaponData(TWDataCSVTable& out) const
{
    // The row's own line, not its Index value: a table edited by hand may
    // skip or repeat an Index, and the user wants the weapon they clicked.
    const int line = SelectedSlot();
    if (line < 1 || line > m_table.Count()) {
        return false;
    }
    out = m_table.Weapon(line);
    return true;
}

int TWeaponListView::SelectedSlot() const
{
    // The selection model, not selectedItems(), which leaves hidden rows out.
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty()
               ? 0
               : selected.front().siblingAtColumn(NameColumn).data(FileOrderRole).toInt();
}

bool TWeaponListView::SelectSlot(int slot)
{
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        if (item->data(NameColumn, FileOrderRole).toInt() == slot) {
            setCurrentItem(item);
            scrollToItem(item);
            return true;
        }
    }
    return false;
}

void TWeaponListView::SetSortColumn(int column)
{
    m_sortColumn = column;
    m_collator = QCollator();
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
    const int key = std::abs(column);
    if (key >= 1 && key <= columnCount()) {
        sortItems(key - 1, column < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
    } else {
        sortItems(NameColumn, Qt::AscendingOrder);
    }
    UpdateSortIndicator();
}

int TWeaponListView::NextSortColumn(int current, int clickedColumnPosition)
{
    const int clicked = clickedColumnPosition + 1;
    return clicked != std::abs(current) ? clicked : -current;
}

bool TWeaponListView::RowLess(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const
{
    const int key = std::abs(m_sortColumn);
    if (key < 1 || key > columnCount()) {
        return a.data(NameColumn, FileOrderRole).toInt() <
               b.data(NameColumn, FileOrderRole).toInt();
    }
    // Column 1 is the caption; 2 and 3 are the sub-items (Index as text, Type).
    const int column = key - 1;
    return m_collator.compare(a.text(column), b.text(column)) < 0;
}

void TWeaponListView::UpdateSortIndicator()
{
    const int key = std::abs(m_sortColumn);
    const int section = key >= 1 && key <= columnCount() ? key - 1 : -1;
    const Qt::SortOrder order = m_sortColumn < 0 ? Qt::DescendingOrder : Qt::AscendingOrder;
    QHeaderView* head = header();
    if (head->sortIndicatorSection() != section || head->sortIndicatorOrder() != order) {
        head->setSortIndicator(section, order);
    }
}

void TWeaponListView::keyPressEvent(QKeyEvent* event)
{
    const int before = SelectedSlot();
    QTreeWidget::keyPressEvent(event);
    const int after = SelectedSlot();
    // Moving the selection with the keyboard picks a weapon as a click does.
    if (after != 0 && after != before) {
        emit WeaponClicked();
    }
}
