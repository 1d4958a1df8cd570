#include "app/UOptionDlg.h"

#include "app/ErrorText.h"
#include "app/FormulaCheck.h"
#include "weapons/NumberFormat.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
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

// A page with one formula in a group box: its editor, whose line and words
// on a rejected formula keep the names the dialog always gave them.
QWidget* MakeFormulaPage(const QString& groupName, const QString& title, const QString& editorName,
                         const QString& editName, const QString& errorName, TFormulaEditor*& editor,
                         QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(title, page);
    group->setObjectName(groupName);
    auto* groupLayout = new QVBoxLayout(group);
    editor = new TFormulaEditor(group);
    editor->setObjectName(editorName);
    editor->Edit()->setObjectName(editName);
    editor->FaultLabel()->setObjectName(errorName);
    groupLayout->addWidget(editor);
    layout->addWidget(group);
    return page;
}

// The variables of a calculator's formula, by slot, with what each holds.
// A slot without a meaning (the speed formula's 4 to 6, which hold nothing
// the user sets) is left out, so the editor shows its name as unknown.
std::vector<TFormulaVariable> FormulaVariables(const std::array<const char*, 8>& names,
                                               const std::array<QString, 8>& meanings)
{
    std::vector<TFormulaVariable> variables;
    for (std::size_t slot = 0; slot < names.size(); ++slot) {
        if (!meanings[slot].isEmpty()) {
            variables.push_back({QString::fromLatin1(names[slot]), meanings[slot]});
        }
    }
    return variables;
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

        auto* languageGroup = new QGroupBox(tr("言語"), base);
        languageGroup->setObjectName(QStringLiteral("GroupBoxLanguage"));
        auto* languageLayout = new QVBoxLayout(languageGroup);
        m_comboLanguage = new QComboBox(languageGroup);
        m_comboLanguage->setObjectName(QStringLiteral("ComboBoxLanguage"));
        // Each language named in its own words, so it can be found from either.
        m_comboLanguage->addItem(tr("システム"), static_cast<int>(TLanguage::System));
        m_comboLanguage->addItem(QStringLiteral("日本語"), static_cast<int>(TLanguage::Japanese));
        m_comboLanguage->addItem(QStringLiteral("English"), static_cast<int>(TLanguage::English));
        languageLayout->addWidget(m_comboLanguage);
        layout->addWidget(languageGroup, 0, Qt::AlignTop);
        layout->addStretch();
    }
    m_pages->addTab(base, tr("Base"));

    m_pages->addTab(MakeFormulaPage(QStringLiteral("GroupBoxMagicDamageMethod"), tr("Damage計算式"),
                                    QStringLiteral("MagicDamageMethodEditor"),
                                    QStringLiteral("EditMagicDamageMethod"),
                                    QStringLiteral("LabelMagicDamageError"), m_magicDamageEditor,
                                    m_pages),
                    tr("MagicDamages"));

    auto* spread = new QWidget(m_pages);
    {
        auto* layout = new QHBoxLayout(spread);
        layout->addWidget(MakeRadioGroup(QStringLiteral("RadioGroup3D"), tr("3D View"),
                                         {tr("2D 表示"), tr("3D 表示")}, m_radioGroup3D, spread));
        layout->addStretch();
    }
    m_pages->addTab(spread, tr("SpreadChart"));

    m_pages->addTab(
        MakeFormulaPage(QStringLiteral("GroupBoxWeaponSpeedMethod"), tr("武器Speed計算式"),
                        QStringLiteral("WeaponSpeedMethodEditor"),
                        QStringLiteral("EditWeaponSpeedMethod"),
                        QStringLiteral("LabelWeaponSpeedError"), m_weaponSpeedEditor, m_pages),
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

    m_magicDamageEditor->SetStandardFormula(QString::fromLatin1(DefaultDamageMethod));
    m_magicDamageEditor->SetFormula(QString::fromStdString(record.Base.DamageMethod));
    m_magicDamageEditor->SetPreview(
        [this](const QString& formula) { return MagicDamagePreview(formula); });
    m_weaponSpeedEditor->SetStandardFormula(QString::fromLatin1(DefaultSpeedMethod));
    m_weaponSpeedEditor->SetFormula(QString::fromStdString(record.WeaponSpeed.Method));
    m_weaponSpeedEditor->SetPreview(
        [this](const QString& formula) { return WeaponSpeedPreview(formula); });

    // The damage preview rounds as the rounding chosen on the first page.
    connect(m_radioGroupDecimal, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            m_magicDamageEditor->RefreshPreview();
        }
    });
    m_comboLanguage->setCurrentIndex(m_comboLanguage->findData(static_cast<int>(record.Language)));
    m_languageAtOpen = CurrentLanguage();
    SetVariableDescriptions();

    // The choice is shown at once, in this dialog too; Cancel takes it back.
    connect(m_comboLanguage, &QComboBox::currentIndexChanged, this, [this] {
        SetLanguage(static_cast<TLanguage>(m_comboLanguage->currentData().toInt()));
    });
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
    record.Base.DamageMethod = m_magicDamageEditor->Formula().toStdString();
    record.SpreadChart3D = m_radioGroup3D->checkedId() == 1;
    record.WeaponSpeed.Method = m_weaponSpeedEditor->Formula().toStdString();
    record.Language = static_cast<TLanguage>(m_comboLanguage->currentData().toInt());
    record.Appearance = m_radioGroupAppearance->checkedId() < 0
                            ? TAppearance::System
                            : static_cast<TAppearance>(m_radioGroupAppearance->checkedId());
    return record;
}

void TOptionDlg::reject()
{
    if (CurrentLanguage() != m_languageAtOpen) {
        SetLanguage(m_languageAtOpen);
    }
    QDialog::reject();
}

void TOptionDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
    }
    QDialog::changeEvent(event);
}

void TOptionDlg::RetranslateUi()
{
    const auto group = [this](const char* name) {
        return findChild<QGroupBox*>(QLatin1String(name));
    };
    const auto items = [](QButtonGroup* buttons, const QStringList& texts) {
        for (int i = 0; i < texts.size(); ++i) {
            buttons->button(i)->setText(texts[i]);
        }
    };
    setWindowTitle(tr("Option"));
    group("GroupBoxAnatomy")->setTitle(tr("Anatomy"));
    m_checkBoxAnatomy->setText(tr("Anatomy の最大修正を40%にする"));
    group("RadioGroupDecimal")->setTitle(tr("Damage計算結果の小数点"));
    items(m_radioGroupDecimal,
          {tr("切り上げ"), tr("切り捨て"), tr("四捨五入"), tr("小数点も表示する")});
    QGroupBox* logic = group("RadioGroupDLogic");
    logic->setTitle(tr("計算式"));
    const QStringList logicTexts = {tr("(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus"),
                                    tr("以前の計算式"), tr("自分で入力した計算式")};
    for (int i = 0; i < logicTexts.size(); ++i) {
        logic->findChild<QRadioButton*>(QStringLiteral("RadioGroupDLogic%1").arg(i))
            ->setText(logicTexts[i]);
    }
    group("RadioGroupAppearance")->setTitle(tr("外観"));
    items(m_radioGroupAppearance, {tr("システム"), tr("ライト"), tr("ダーク")});
    group("GroupBoxLanguage")->setTitle(tr("言語"));
    m_comboLanguage->setItemText(0, tr("システム"));
    group("GroupBoxMagicDamageMethod")->setTitle(tr("Damage計算式"));
    group("RadioGroup3D")->setTitle(tr("3D View"));
    items(m_radioGroup3D, {tr("2D 表示"), tr("3D 表示")});
    group("GroupBoxWeaponSpeedMethod")->setTitle(tr("武器Speed計算式"));
    findChild<QLabel*>(QStringLiteral("LabelNoSettings"))->setText(tr("設定項目無し"));
    const QStringList tabs = {tr("Base"), tr("MagicDamages"), tr("SpreadChart"), tr("WeaponSpeed"),
                              tr("RaderChart")};
    for (int i = 0; i < tabs.size(); ++i) {
        m_pages->setTabText(i, tabs[i]);
    }
    m_okBtn->setText(tr("OK"));
    m_cancelBtn->setText(tr("キャンセル"));
    SetVariableDescriptions();
    // The evaluator's complaints and the previews are worded in the language
    // of the moment.
    m_magicDamageEditor->RefreshPreview();
    m_weaponSpeedEditor->RefreshPreview();
}

void TOptionDlg::SetVariableDescriptions()
{
    const QString characters = tr("キャラクターの%1");
    m_magicDamageEditor->SetVariables(FormulaVariables(
        TWeaponDamges::VariableNames(),
        {characters.arg(QStringLiteral("STR")), tr("武器の基本ダメージ（HQでは1.2倍）"),
         tr("(Tactics + 50 + 命中修正) / 100"), tr("Anatomy ボーナス / 100（Anatomy 100 で 0.3）"),
         tr("Lumberjack ボーナス / 100（斧のみ）"), tr("ダメージ修正（Normal 0 〜 Vanquishing 9）"),
         characters.arg(QStringLiteral("DEX")), characters.arg(QStringLiteral("INT"))}));
    m_weaponSpeedEditor->SetVariables(FormulaVariables(
        TWeaponSpeed::VariableNames(),
        {characters.arg(QStringLiteral("STR")), tr("武器のSpeed"), tr("表の行のDEX（0〜200）"),
         QString(), QString(), QString(), characters.arg(QStringLiteral("DEX")),
         characters.arg(QStringLiteral("INT"))}));
}

void TOptionDlg::SetPreviewSetup(const std::optional<TSetup>& setup)
{
    m_previewSetup = setup;
    m_magicDamageEditor->RefreshPreview();
    m_weaponSpeedEditor->RefreshPreview();
}

TFormulaOutcome TOptionDlg::MagicDamagePreview(const QString& formula) const
{
    const std::string text = formula.toStdString();
    if (std::optional<TFormulaFault> fault = DamageMethodFault(text)) {
        return *fault;
    }
    if (!m_previewSetup) {
        return tr("武器を選ぶと、その武器と今の入力での値がここに出ます");
    }
    const int rounding =
        m_radioGroupDecimal->checkedId() < 0 ? RoundUp : m_radioGroupDecimal->checkedId();
    try {
        const std::array<double, 3> damages = NormalDamages(text, *m_previewSetup, rounding);
        return tr("%1 の Normal/Normal: 最低 %2、最高 %3、平均 %4")
            .arg(QString::fromStdString(m_previewSetup->Weapon.Name),
                 QString::fromStdString(FormatGeneral(damages[0])),
                 QString::fromStdString(FormatGeneral(damages[1])),
                 QString::fromStdString(FormatGeneral(damages[2])));
    } catch (const Exception& e) {
        return tr("この武器と入力では計算できません: %1").arg(ErrorText(e));
    }
}

TFormulaOutcome TOptionDlg::WeaponSpeedPreview(const QString& formula) const
{
    const std::string text = formula.toStdString();
    if (std::optional<TFormulaFault> fault = SpeedMethodFault(text)) {
        return *fault;
    }
    if (!m_previewSetup) {
        return tr("武器を選ぶと、その武器と今の入力での値がここに出ます");
    }
    try {
        const TSwingAtDex swing = SwingAtOwnDex(text, *m_previewSetup);
        return tr("%1、DEX %2 での値: %3（%4sec）")
            .arg(QString::fromStdString(m_previewSetup->Weapon.Name),
                 QString::number(m_previewSetup->Stats.DEX),
                 QString::fromStdString(FormatTwoDecimals(swing.Value)),
                 QString::fromStdString(FormatGeneral(swing.Delay)));
    } catch (const Exception& e) {
        return tr("この武器と入力では計算できません: %1").arg(ErrorText(e));
    }
}

void TOptionDlg::OKBtnClick()
{
    const std::pair<TFormulaEditor*, TPage> editors[] = {{m_magicDamageEditor, PageMagicDamages},
                                                         {m_weaponSpeedEditor, PageWeaponSpeed}};
    for (const auto& [editor, page] : editors) {
        editor->RefreshPreview();
        if (editor->Fault()) {
            m_pages->setCurrentIndex(page);
            editor->Edit()->setFocus();
            return;
        }
    }
    accept();
}
