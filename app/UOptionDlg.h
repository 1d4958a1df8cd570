#pragma once

#include "app/OptionRecord.h"
#include "views/FormulaEditor.h"
#include "weapons/SetupFigures.h"

#include <QDialog>

#include <optional>

QT_BEGIN_NAMESPACE
class QButtonGroup;
class QCheckBox;
class QComboBox;
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
    Q_PROPERTY(std::optional<TSetup> PreviewSetup READ PreviewSetup WRITE SetPreviewSetup)

public:
    explicit TOptionDlg(const TOptionRecord& record, QWidget* parent = nullptr);

    // The record the controls show now.
    TOptionRecord OptionRecord() const;

    // The weapon and inputs the formulas' previews are worked out for: the
    // main window's, nothing before a weapon is picked.
    const std::optional<TSetup>& PreviewSetup() const { return m_previewSetup; }
    void SetPreviewSetup(const std::optional<TSetup>& setup);

    enum TPage
    {
        PageBase,
        PageMagicDamages,
        PageSpreadChart,
        PageWeaponSpeed,
        PageRaderChart,
    };

protected:
    void changeEvent(QEvent* event) override;

public:
    // Cancel also takes back a language tried in the dialog.
    void reject() override;

private:
    void RetranslateUi();
    void SetVariableDescriptions();
    void OKBtnClick();
    // What the editors show under each formula.
    TFormulaOutcome MagicDamagePreview(const QString& formula) const;
    TFormulaOutcome WeaponSpeedPreview(const QString& formula) const;

    QTabWidget* m_pages = nullptr;
    QCheckBox* m_checkBoxAnatomy = nullptr;
    QButtonGroup* m_radioGroupDecimal = nullptr;
    QButtonGroup* m_radioGroup3D = nullptr;
    QButtonGroup* m_radioGroupAppearance = nullptr;
    TFormulaEditor* m_magicDamageEditor = nullptr;
    TFormulaEditor* m_weaponSpeedEditor = nullptr;
    std::optional<TSetup> m_previewSetup;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QComboBox* m_comboLanguage = nullptr;
    TLanguage m_languageAtOpen = TLanguage::System;
};
