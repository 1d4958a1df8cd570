#include "views/WeaponListView.h"

#include "expr/Exception.h"
#include "weapons/FileKind.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>

#include <algorithm>
#include <cmath>
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

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_rebuilding) {
            return;
        }
        const QList<QTreeWidgetItem*> selected = selectedItems();
        m_selectedSlot =
            selected.isEmpty() ? 0 : selected.front()->data(NameColumn, FileOrderRole).toInt();
    });
    connect(this, &QTreeWidget::itemClicked, this, [this] {
        if (SelectedSlot() != 0) {
            emit WeaponClicked();
        }
    });
}

TWeaponListView::~TWeaponListView()
{
    ClearRows();
}

void TWeaponListView::SetZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    const auto scaled = [zoom](int pixels) { return static_cast<int>(std::lround(pixels * zoom)); };
    setColumnWidth(NameColumn, scaled(150));
    setColumnWidth(TypeColumn, scaled(60));
    setIconSize(QSize(scaled(IconSize), scaled(IconSize)));
    AddZoomedIcons();
    for (const TRow& row : m_rows) {
        const int type = IconIndexOfType(row.Type.toStdString());
        if (type >= 0) {
            row.Item->setIcon(NameColumn, m_icons[static_cast<std::size_t>(type)]);
        }
    }
}

void TWeaponListView::AddZoomedIcons()
{
    // An icon never draws its bitmap larger than it is, so the zoomed size
    // is added, pixel for pixel as the bitmap has it.
    const int size = iconSize().width();
    if (size <= IconSize) {
        return;
    }
    for (QIcon& type : m_icons) {
        const QPixmap bitmap = type.pixmap(QSize(IconSize, IconSize));
        if (!bitmap.isNull()) {
            type.addPixmap(
                bitmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
    }
}

void TWeaponListView::LoadWeapons(const QString& dataDir)
{
    LoadIcons(dataDir);
    const QString path = dataDir + QStringLiteral("/WData.csv");
    try {
        m_table.LoadFromFile(QFile::encodeName(path).toStdString());
    } catch (const EFileError&) {
        m_table.Clear();
        ClearRows();
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
    AddZoomedIcons();
}

void TWeaponListView::FillRows()
{
    ClearRows();
    m_rows.reserve(static_cast<std::size_t>(m_table.Count()));
    for (int line = 1; line <= m_table.Count(); ++line) {
        const TWDataCSVTable& weapon = m_table.Weapon(line);
        auto* item = new QTreeWidgetItem;
        const QString name = QString::fromStdString(weapon.Name);
        const QString type = QString::fromStdString(weapon.Type);
        item->setText(NameColumn, name);
        item->setText(IndexColumn, QString::number(weapon.Index));
        item->setText(TypeColumn, type);
        item->setData(NameColumn, FileOrderRole, line);
        const int icon = IconIndexOfType(weapon.Type);
        if (icon >= 0) {
            item->setIcon(NameColumn, m_icons[static_cast<std::size_t>(icon)]);
        }
        m_rows.push_back({item, line, name, type});
    }
    SortRows();
    ShowRows();
}

void TWeaponListView::ClearRows()
{
    m_rebuilding = true;
    // Rows out of the tree first: clear() deletes the others.
    for (const TRow& row : m_rows) {
        if (row.Item->treeWidget() == nullptr) {
            delete row.Item;
        }
    }
    m_rows.clear();
    clear();
    m_selectedSlot = 0;
    m_rebuilding = false;
}

void TWeaponListView::SetFilter(const TWeaponFilter& filter)
{
    if (filter == m_filter) {
        return;
    }
    const bool narrower = NarrowsWeaponFilter(m_filter, filter);
    m_filter = filter;
    ShowRows(narrower);
}

void TWeaponListView::ShowRows(bool amongShown)
{
    QList<QTreeWidgetItem*> shown;
    QTreeWidgetItem* selected = nullptr;
    const bool all = m_filter.IsEmpty();
    for (const TRow& row : m_rows) {
        if (amongShown && row.Item->treeWidget() == nullptr) {
            continue;
        }
        if (all || PassesWeaponFilter(m_filter, row.Name, row.Type)) {
            shown.append(row.Item);
            if (row.Slot == m_selectedSlot) {
                selected = row.Item;
            }
        }
    }
    QTreeWidgetItem* root = invisibleRootItem();
    bool same = root->childCount() == shown.size();
    for (int i = 0; same && i < shown.size(); ++i) {
        same = root->child(i) == shown[i];
    }
    if (same) {
        return;
    }
    // Hiding rows in place would make the tree track each hidden row and
    // check every row at each layout; out of the tree they cost nothing.
    m_rebuilding = true;
    root->takeChildren();
    addTopLevelItems(shown);
    if (selected != nullptr) {
        setCurrentItem(selected);
        scrollToItem(selected);
    }
    m_rebuilding = false;
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

bool TWeaponListView::SelectSlot(int slot)
{
    const auto row = std::find_if(m_rows.begin(), m_rows.end(),
                                  [slot](const TRow& r) { return r.Slot == slot; });
    if (row == m_rows.end()) {
        return false;
    }
    if (row->Item->treeWidget() != nullptr) {
        setCurrentItem(row->Item);
        scrollToItem(row->Item);
        return true;
    }
    m_rebuilding = true;
    clearSelection();
    m_rebuilding = false;
    m_selectedSlot = slot;
    return true;
}

void TWeaponListView::SetSortColumn(int column)
{
    m_sortColumn = column;
    m_collator = QCollator();
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
    SortRows();
    ShowRows();
    UpdateSortIndicator();
}

void TWeaponListView::SortRows()
{
    const int key = std::abs(m_sortColumn);
    // Stable, as the tree's own sort was: equal keys keep their last order.
    if (m_sortColumn < 0 && key <= columnCount()) {
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const TRow& a, const TRow& b) {
            return RowLess(*b.Item, *a.Item);
        });
    } else {
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const TRow& a, const TRow& b) {
            return RowLess(*a.Item, *b.Item);
        });
    }
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

void TWeaponListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        setHeaderLabels({tr("Name"), tr("Index"), tr("Type")});
    }
    QTreeWidget::changeEvent(event);
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
