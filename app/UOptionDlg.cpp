#include "app/UOptionDlg.h"

#include "app/FormulaCheck.h"
#include "views/ColourScheme.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QGroupBox* MakeRadioGroup(const QString& objectName, const QString& title, const QStringList& items,
                          QButtonGroup*& group, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(objectName);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box);
        button->setObjectName(objectName + QString::number(i));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    return box;
}

QLabel* MakeErrorLabel(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    // Red that reads on the dialog's ground, light or dark.
    label->setStyleSheet(
        QStringLiteral("color: %1;").arg(TColourScheme::For(parent->palette()).Error.name()));
    return label;
}

// A page with one formula in a group box: its edit, and below it what is
// wrong with the formula.
QWidget* MakeFormulaPage(const QString& groupName, const QString& title, const QString& editName,
                         const QString& errorName, QLineEdit*& edit, QLabel*& error,
                         QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(title, page);
    group->setObjectName(groupName);
    auto* groupLayout = new QVBoxLayout(group);
    edit = new QLineEdit(group);
    edit->setObjectName(editName);
    error = MakeErrorLabel(errorName, group);
    groupLayout->addWidget(edit);
    groupLayout->addWidget(error);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

} // namespace

TOptionDlg::TOptionDlg(const TOptionRecord& record, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OptionDlg"));
    setWindowTitle(tr("Option"));
    setFixedSize(544, 299);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));

    auto* base = new QWidget(m_pages);
    {
        auto* layout = new QHBoxLayout(base);
        auto* anatomyGroup = new QGroupBox(tr("Anatomy"), base);
        anatomyGroup->setObjectName(QStringLiteral("GroupBoxAnatomy"));
        auto* anatomyLayout = new QVBoxLayout(anatomyGroup);
        m_checkBoxAnatomy = new QCheckBox(tr("Anatomy の最大修正を40%にする"), anatomyGroup);
        m_checkBoxAnatomy->setObjectName(QStringLiteral("CheckBoxAnatomy"));
        anatomyLayout->addWidget(m_checkBoxAnatomy);
        // The flag is kept and saved, but what it should change is not settled yet.
        m_checkBoxAnatomy->setVisible(false);
        anatomyGroup->setVisible(false);
        layout->addWidget(anatomyGroup);

        layout->addWidget(
            MakeRadioGroup(QStringLiteral("RadioGroupDecimal"), tr("Damage計算結果の小数点"),
                           {tr("切り上げ"), tr("切り捨て"), tr("四捨五入"), tr("小数点も表示する")},
                           m_radioGroupDecimal, base));

        QButtonGroup* logic = nullptr;
        QGroupBox* logicBox =
            MakeRadioGroup(QStringLiteral("RadioGroupDLogic"), tr("計算式"),
                           {tr("(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus"),
                            tr("以前の計算式"), tr("自分で入力した計算式")},
                           logic, base);
        logicBox->setVisible(false);
        layout->addWidget(logicBox);

        // Three short items: at the top, not spread over the rounding group's height.
        layout->addWidget(MakeRadioGroup(QStringLiteral("RadioGroupAppearance"), tr("外観"),
                                         {tr("システム"), tr("ライト"), tr("ダーク")},
                                         m_radioGroupAppearance, base),
                          0, Qt::AlignTop);
        layout->addStretch();
    }
    m_pages->addTab(base, tr("Base"));

    m_pages->addTab(MakeFormulaPage(QStringLiteral("GroupBoxMagicDamageMethod"), tr("Damage計算式"),
                                    QStringLiteral("EditMagicDamageMethod"),
                                    QStringLiteral("LabelMagicDamageError"),
                                    m_editMagicDamageMethod, m_labelMagicDamageError, m_pages),
                    tr("MagicDamages"));

    auto* spread = new QWidget(m_pages);
    {
        auto* layout = new QHBoxLayout(spread);
        layout->addWidget(MakeRadioGroup(QStringLiteral("RadioGroup3D"), tr("3D View"),
                                         {tr("2D 表示"), tr("3D 表示")}, m_radioGroup3D, spread));
        layout->addStretch();
    }
    m_pages->addTab(spread, tr("SpreadChart"));

    m_pages->addTab(MakeFormulaPage(QStringLiteral("GroupBoxWeaponSpeedMethod"),
                                    tr("武器Speed計算式"), QStringLiteral("EditWeaponSpeedMethod"),
                                    QStringLiteral("LabelWeaponSpeedError"),
                                    m_editWeaponSpeedMethod, m_labelWeaponSpeedError, m_pages),
                    tr("WeaponSpeed"));

    auto* rader = new QWidget(m_pages);
    {
        auto* layout = new QVBoxLayout(rader);
        auto* label = new QLabel(tr("設定項目無し"), rader);
        label->setObjectName(QStringLiteral("LabelNoSettings"));
        layout->addWidget(label);
        layout->addStretch();
    }
    m_pages->addTab(rader, tr("RaderChart"));

    m_okBtn = new QPushButton(tr("OK"), this);
    m_okBtn->setObjectName(QStringLiteral("OKBtn"));
    m_okBtn->setDefault(true);
    m_cancelBtn = new QPushButton(tr("キャンセル"), this);
    m_cancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    m_checkBoxAnatomy->setChecked(record.Base.Anatomy);
    if (QAbstractButton* item = m_radioGroupDecimal->button(record.Base.Decimal)) {
        item->setChecked(true);
    }
    m_radioGroup3D->button(record.SpreadChart3D ? 1 : 0)->setChecked(true);
    if (QAbstractButton* item =
            m_radioGroupAppearance->button(static_cast<int>(record.Appearance))) {
        item->setChecked(true);
    }
    m_editMagicDamageMethod->setText(QString::fromStdString(record.Base.DamageMethod));
    m_editWeaponSpeedMethod->setText(QString::fromStdString(record.WeaponSpeed.Method));
    CheckMagicDamageMethod();
    CheckWeaponSpeedMethod();

    connect(m_editMagicDamageMethod, &QLineEdit::textChanged, this,
            [this] { CheckMagicDamageMethod(); });
    connect(m_editWeaponSpeedMethod, &QLineEdit::textChanged, this,
            [this] { CheckWeaponSpeedMethod(); });
    connect(m_okBtn, &QPushButton::clicked, this, &TOptionDlg::OKBtnClick);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TOptionRecord TOptionDlg::OptionRecord() const
{
    TOptionRecord record;
    record.Base.Anatomy = m_checkBoxAnatomy->isChecked();
    record.Base.Decimal =
        m_radioGroupDecimal->checkedId() < 0 ? RoundUp : m_radioGroupDecimal->checkedId();
    record.Base.DamageMethod = m_editMagicDamageMethod->text().toStdString();
    record.SpreadChart3D = m_radioGroup3D->checkedId() == 1;
    record.WeaponSpeed.Method = m_editWeaponSpeedMethod->text().toStdString();
    record.Appearance = m_radioGroupAppearance->checkedId() < 0
                            ? TAppearance::System
                            : static_cast<TAppearance>(m_radioGroupAppearance->checkedId());
    return record;
}

bool TOptionDlg::CheckMagicDamageMethod()
{
    const std::string error = DamageMethodError(m_editMagicDamageMethod->text().toStdString());
    m_labelMagicDamageError->setText(QString::fromStdString(error));
    return error.empty();
}

bool TOptionDlg::CheckWeaponSpeedMethod()
{
    const std::string error = SpeedMethodError(m_editWeaponSpeedMethod->text().toStdString());
    m_labelWeaponSpeedError->setText(QString::fromStdString(error));
    return error.empty();
}

void TOptionDlg::OKBtnClick()
{
    if (!CheckMagicDamageMethod()) {
        m_pages->setCurrentIndex(PageMagicDamages);
        m_editMagicDamageMethod->setFocus();
        return;
    }
    if (!CheckWeaponSpeedMethod()) {
        m_pages->setCurrentIndex(PageWeaponSpeed);
        m_editWeaponSpeedMethod->setFocus();
        return;
    }
    accept();
}
