#pragma once

#include "views/WeaponFilter.h"

#include <QIcon>
#include <QWidget>

#include <array>

class QComboBox;
class QLineEdit;

// The search row above the weapon list: a part of the name and a type. It
// only says what the user asked for; whoever shows weapons listens to
// FilterChanged. Focusing the row focuses its field.
class TWeaponFinder : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TWeaponFilter Filter READ Filter WRITE SetFilter NOTIFY FilterChanged)

public:
    explicit TWeaponFinder(QWidget* parent = nullptr);

    TWeaponFilter Filter() const { return m_filter; }
    // Shows `filter` in the field and the combo, emitting FilterChanged once
    // when it differs. A type outside the six codes gets an entry of its own.
    void SetFilter(const TWeaponFilter& filter);

    // The list's icons, in the order of WeaponTypeCodes; they exist only
    // once the list has read its data folder.
    void SetTypeIcons(const std::array<QIcon, 6>& icons);

signals:
    void FilterChanged(const TWeaponFilter& filter);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ControlsChanged();

    QLineEdit* m_edit = nullptr;
    QComboBox* m_type = nullptr;
    TWeaponFilter m_filter;
};
