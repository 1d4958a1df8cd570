#pragma once

#include "app/OptionRecord.h"

#include <QDialog>

QT_BEGIN_NAMESPACE
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
QT_END_NAMESPACE

// The options dialog, created afresh for each use from the main window's
// record. OK is refused while a formula does not compile, so a record it
// hands back always holds two formulas the evaluator accepts.
class TOptionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TOptionDlg(const TOptionRecord& record, QWidget* parent = nullptr);

    // The record the controls show now.
    TOptionRecord OptionRecord() const;

    enum TPage
    {
        PageBase,
        PageMagicDamages,
        PageSpreadChart,
        PageWeaponSpeed,
        PageRaderChart,
    };

private:
    void OKBtnClick();
    // Shows the evaluator's complaint under the edit; true when it compiles.
    bool CheckMagicDamageMethod();
    bool CheckWeaponSpeedMethod();

    QTabWidget* m_pages = nullptr;
    QCheckBox* m_checkBoxAnatomy = nullptr;
    QButtonGroup* m_radioGroupDecimal = nullptr;
    QButtonGroup* m_radioGroup3D = nullptr;
    QButtonGroup* m_radioGroupAppearance = nullptr;
    QLineEdit* m_editMagicDamageMethod = nullptr;
    QLineEdit* m_editWeaponSpeedMethod = nullptr;
    QLabel* m_labelMagicDamageError = nullptr;
    QLabel* m_labelWeaponSpeedError = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};
