#include "views/WeaponFinder.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

TWeaponFinder::TWeaponFinder(QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_type(new QComboBox(this))
{
    setObjectName(QStringLiteral("WeaponFinder"));
    m_edit->setObjectName(QStringLiteral("WeaponSearchEdit"));
    m_edit->setPlaceholderText(tr("Search"));
    m_edit->setClearButtonEnabled(true);
    m_edit->installEventFilter(this);

    m_type->setObjectName(QStringLiteral("WeaponTypeFilter"));
    m_type->setToolTip(tr("Type"));
    m_type->addItem(tr("All"), QString());
    for (const char* code : WeaponTypeCodes) {
        m_type->addItem(QString::fromLatin1(code), QString::fromLatin1(code));
    }
    m_type->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_type);
    setFocusProxy(m_edit);

    connect(m_edit, &QLineEdit::textChanged, this, &TWeaponFinder::ControlsChanged);
    connect(m_type, &QComboBox::currentIndexChanged, this, &TWeaponFinder::ControlsChanged);
}

void TWeaponFinder::SetFilter(const TWeaponFilter& filter)
{
    {
        const QSignalBlocker blockEdit(m_edit);
        const QSignalBlocker blockType(m_type);
        m_edit->setText(filter.Text);
        int index = m_type->findData(filter.Type);
        if (index < 0) {
            m_type->addItem(filter.Type, filter.Type);
            index = m_type->count() - 1;
        }
        m_type->setCurrentIndex(index);
    }
    ControlsChanged();
}

void TWeaponFinder::SetTypeIcons(const std::array<QIcon, 6>& icons)
{
    for (std::size_t i = 0; i < icons.size(); ++i) {
        // Entry 0 is "all types".
        m_type->setItemIcon(static_cast<int>(i) + 1, icons[i]);
    }
}

void TWeaponFinder::ControlsChanged()
{
    const TWeaponFilter filter{m_edit->text(), m_type->currentData().toString()};
    if (filter == m_filter) {
        return;
    }
    m_filter = filter;
    emit FilterChanged(m_filter);
}

void TWeaponFinder::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_edit->setPlaceholderText(tr("Search"));
        m_type->setToolTip(tr("Type"));
        m_type->setItemText(0, tr("All"));
    }
    QWidget::changeEvent(event);
}

bool TWeaponFinder::eventFilter(QObject* watched, QEvent* event)
{
    // An empty field lets Escape go on, so a dialog around the row still closes.
    const bool clearing =
        watched == m_edit && !m_edit->text().isEmpty() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (clearing && event->type() == QEvent::ShortcutOverride) {
        // Claimed here, so a window's own Escape shortcut waits for an empty field.
        event->accept();
        return true;
    }
    if (clearing) {
        m_edit->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
