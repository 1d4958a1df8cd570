#include "app/Main.h"

#include "app/Appearance.h"
#include "app/AtomicFile.h"
#include "app/DataDir.h"
#include "app/ErrorText.h"
#include "app/FormulaCheck.h"
#include "app/Language.h"
#include "app/Messages.h"
#include "app/UOptionDlg.h"
#include "app/Zoom.h"
#include "expr/Exception.h"
#include "views/ChartOverlay.h"
#include "views/ColourScheme.h"
#include "views/SetupCompareView.h"
#include "views/StatGainsView.h"
#include "views/StatSweepChart.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponFinder.h"
#include "views/WeaponListView.h"
#include "views/WeaponRaderChart.h"
#include "views/WeaponRankingView.h"
#include "views/WeaponSpeedGrid.h"
#include "weapons/CompareTable.h"
#include "weapons/NumberFormat.h"
#include "weapons/SetupText.h"
#include "weapons/Working.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>

namespace {

const QSize DesignMinimumSize(635, 350);

QString General(double value)
{
    return QString::fromStdString(FormatGeneral(value));
}

QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& objectName = QString())
{
    auto* label = new QLabel(text, parent);
    if (!objectName.isEmpty()) {
        label->setObjectName(objectName);
    }
    return label;
}

// The evaluator's own message says what went wrong but not in which of the
// user's two formulas, nor for which weapon; `caption` adds both on a line
// of its own above it. The fault keeps its class and position, and its words
// are chosen here, where the caption's are.
template <class TFault>
[[noreturn]] void RaiseCaptioned(const QString& caption, const TFault& fault)
{
    throw TFault((caption + QLatin1Char('\n') + ErrorText(fault)).toStdString(), fault.Position());
}

void NamingTheFormula(const QString& caption, const std::function<void()>& step)
{
    try {
        step();
    } catch (const EZeroDivide& e) {
        RaiseCaptioned(caption, e);
    } catch (const EInvalidOp& e) {
        RaiseCaptioned(caption, e);
    } catch (const EOverflow& e) {
        RaiseCaptioned(caption, e);
    } catch (const EMathError& e) {
        RaiseCaptioned(caption, e);
    }
}

QString StatStepText(TStat stat, std::int32_t from, std::int32_t to)
{
    const std::string_view name = StatName(stat);
    return TMainForm::tr("%1 %2 → %3")
        .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())))
        .arg(from)
        .arg(to);
}

QList<QKeySequence> UndoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
}

QList<QKeySequence> RedoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
}

QString SetupTextFaultWords(TSetupTextFault fault)
{
    switch (fault) {
    case TSetupTextFault::NotSetupText:
        return TMainForm::tr("設定テキストではありません");
    case TSetupTextFault::UnknownVersion:
        return TMainForm::tr("知らない版です");
    case TSetupTextFault::MalformedField:
        return TMainForm::tr("「名前=値」の形ではありません");
    case TSetupTextFault::UnknownField:
        return TMainForm::tr("知らない項目です");
    case TSetupTextFault::MissingField:
        return TMainForm::tr("項目が足りません");
    case TSetupTextFault::RepeatedField:
        return TMainForm::tr("同じ項目が二度あります");
    case TSetupTextFault::BadEncoding:
        return TMainForm::tr("%の書き方が正しくありません");
    case TSetupTextFault::EmptyWeaponName:
        return TMainForm::tr("武器の名前がありません");
    case TSetupTextFault::StatCount:
        return TMainForm::tr("ステータスが6つではありません");
    case TSetupTextFault::NotAnInteger:
        return TMainForm::tr("整数ではありません");
    case TSetupTextFault::NegativeInput:
        return TMainForm::tr("負の値です");
    case TSetupTextFault::SkillAbove100:
        return TMainForm::tr("スキルが100を超えています");
    case TSetupTextFault::RoundingMode:
        return TMainForm::tr("丸め方は0から3です");
    }
    return {};
}

// The options dialog's words for the rounding modes.
QString WorkingText(const TWorking& working)
{
    QString text = QString::fromStdString(working.Substituted) + QStringLiteral(" = ") +
                   QString::fromStdString(ExactNumber(working.Raw));
    QString rounding;
    switch (working.Rounding) {
    case TWorkingRounding::Up:
        rounding = TMainForm::tr("切り上げ");
        break;
    case TWorkingRounding::Down:
        rounding = TMainForm::tr("切り捨て");
        break;
    case TWorkingRounding::HalfAwayFromZero:
        rounding = TMainForm::tr("四捨五入");
        break;
    case TWorkingRounding::UpToHalfSecond:
        rounding = TMainForm::tr("0.5秒単位に切り上げ");
        break;
    case TWorkingRounding::None:
        // Unrounded, the label may still show fewer digits than the value has.
        const QString shown = General(working.Rounded);
        return shown == QString::fromStdString(ExactNumber(working.Raw))
                   ? text
                   : text + QStringLiteral(" → ") + shown;
    }
    return text + QStringLiteral(" → ") + rounding + QStringLiteral(" → ") +
           General(working.Rounded);
}

QFrame* MakeSunkenBox(const QString& objectName, QWidget* parent)
{
    auto* box = new QFrame(parent);
    box->setObjectName(objectName);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return box;
}

} // namespace

// One step of the undo stack: the form's state before and after it. A run of
// changes of one spin box, each within a short while of the last, is one
// step, so holding an arrow key or the mouse on an arrow undoes at once.
class TFormStep : public QUndoCommand
{
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds MergeWindow{600};

    TFormStep(TMainForm& form, TMainForm::TFormState before, TMainForm::TFormState after,
              const QString& text, int mergeId)
        : QUndoCommand(text), m_form(form), m_before(std::move(before)), m_after(std::move(after)),
          m_mergeId(mergeId), m_at(TClock::now())
    {
    }

    int id() const override { return m_mergeId; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TFormStep*>(other);
        if (next->m_at - m_at > MergeWindow) {
            return false;
        }
        m_after = next->m_after;
        m_at = next->m_at;
        const TStat stat = AllStats[static_cast<std::size_t>(m_mergeId - SpinMergeBase)];
        setText(StatStepText(stat, StatOf(m_before.Stats, stat), StatOf(m_after.Stats, stat)));
        // Back where the run began, there is nothing left to undo.
        setObsolete(TMainForm::SameState(m_before, m_after));
        return true;
    }

    // The push itself runs redo, after the change was already made and shown.
    void redo() override
    {
        if (m_pushed) {
            m_form.Restore(m_after);
        }
        m_pushed = true;
    }

    void undo() override { m_form.Restore(m_before); }

    static constexpr int SpinMergeBase = 1;

private:
    TMainForm& m_form;
    TMainForm::TFormState m_before;
    TMainForm::TFormState m_after;
    int m_mergeId;
    TClock::time_point m_at;
    bool m_pushed = false;
};

TMainForm::TMainForm(const QString& dataDir, QWidget* parent)
    : TMainForm(dataDir, QString(), parent)
{
}

TMainForm::TMainForm(const QString& dataDir, const QString& configDir, QWidget* parent)
    : TMainForm(dataDir, configDir, true, parent)
{
}

TMainForm::TMainForm(const QString& dataDir, const QString& configDir, bool settingsBesideData,
                     QWidget* parent)
    : QMainWindow(parent), m_dataDir(dataDir), m_optionStore(dataDir, configDir, settingsBesideData)
{
    setObjectName(QStringLiteral("MainForm"));
    // Read first, so that every text and message from here on is in the
    // language chosen. Following the system is the program's start-up default.
    LoadOptions();
    if (m_option.Language != TLanguage::System) {
        SetLanguage(m_option.Language);
    }
    setWindowTitle(tr("Quillmarch"));
    resize(832, 478);
    setMinimumSize(DesignMinimumSize);
    m_userGuidePlaces = UserGuidePlaces(QCoreApplication::applicationDirPath());
    CreateControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(DefaultWindowRect(size(), minimumSize(), screen->availableGeometry()));
    }

    setWindowTitle(windowTitle() + tr("Ver1.02"));
    m_calculator = std::make_unique<TWeaponDamges>(m_stats);
    RunShowingErrors([this] { m_weaponListView->LoadWeapons(m_dataDir); });
    m_finder->SetTypeIcons(m_weaponListView->TypeIcons());
    // Before the window's place, which must leave the zoomed layout its room.
    SetZoom(m_optionStore.LoadedZoom());
    RestorePlacement(m_optionStore.LoadedPlacement());
    ApplyOptions();
    RestorePins();
    RestoreProfiles();
    RunShowingErrors([this] { RankingRefresh(); });
    m_recorded = State();
    m_constructed = true;
}

void TMainForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_constructed) {
        RetranslateUi();
    } else if (event->type() == QEvent::PaletteChange && WeaponShown()) {
        // The pins' colours follow a change between light and dark.
        RunShowingErrors([this] { CompareRefresh(); });
    }
    QMainWindow::changeEvent(event);
}

void TMainForm::RetranslateUi()
{
    setWindowTitle(tr("Quillmarch") + tr("Ver1.02"));
    const auto text = [this](const char* name, const QString& words) {
        if (auto* label = findChild<QLabel*>(QLatin1String(name))) {
            label->setText(words);
        }
    };
    text("LabelTypeCaption", tr("TYPE:"));
    text("LabelSpeedCaption", tr("Speed:"));
    text("LabelExceptional", tr("Exceptional"));
    text("LabelQuality", tr("Quality"));
    text("LabelHQLowCaption", tr("Low:"));
    text("LabelHQHighCaption", tr("High:"));
    text("LabelHQAveCaption", tr("Ave:"));
    text("LabelProfileCaption", tr("Profile"));
    text("LabelSTRCaption", tr("STR"));
    text("LabelTacticsCaption", tr("Tactics"));
    text("LabelAnatomyCaption", tr("Anatomy"));
    text("LabelLumberjackCaption", tr("Lumberjack"));
    text("LabelDEXCaption", tr("DEX"));
    text("LabelIntCaption", tr("INT"));
    m_labelNextSwing->setToolTip(tr("次に短いディレイまでに要るDEXと、そのディレイ"));
    findChild<QWidget*>(QStringLiteral("PanelStats"))->setToolTip(tr("上段：DEX 下段：ディレイ"));
    m_comboProfile->lineEdit()->setPlaceholderText(tr("新しい名前"));
    m_comboProfile->setToolTip(tr("名前を付けたステータス。新しい名前を入力して Save で追加"));
    const auto action = [this](const char* name, const QString& words) {
        if (auto* item = findChild<QAction*>(QLatin1String(name))) {
            item->setText(words);
        }
    };
    action("ActionProfileSave", tr("Save"));
    action("ActionProfileRename", tr("Rename…"));
    action("ActionProfileDelete", tr("Delete"));
    action("MenuSavePage", tr("Save page as PNG…"));
    action("MenuExit", tr("Exit"));
    action("ActionCopySetup", tr("Copy setup"));
    action("ActionPasteSetup", tr("Paste setup"));
    action("MenuOptionItem", tr("Option"));
    action("ActionFind", tr("Find weapon"));
    action("ActionPin", tr("Pin"));
    action("ActionZoomIn", tr("拡大"));
    action("ActionZoomOut", tr("縮小"));
    action("ActionActualSize", tr("実際のサイズ"));
    action("ActionNextPage", tr("次のページ"));
    action("ActionPreviousPage", tr("前のページ"));
    action("ActionUserGuide", tr("ユーザーガイド"));
    m_pinAction->setToolTip(tr("今の武器とステータスを比較用にピン留め（Ctrl+D、6つまで）"));
    const auto menu = [this](const char* name, const QString& words) {
        if (auto* item = findChild<QMenu*>(QLatin1String(name))) {
            item->setTitle(words);
        }
    };
    menu("MenuFile", tr("File"));
    menu("MenuEdit", tr("Edit"));
    menu("MenuOption", tr("Option"));
    menu("MenuView", tr("View"));
    menu("MenuHelp", tr("Help"));
    m_weaponDataGrid->setToolTip(tr("白：HQと同程度 薄青：HQより下 薄赤：HQより上"));
    m_spreadChart->setToolTip(tr("左Dクリック：標準位置 左ドラッグ：ズーム 右ドラッグ：移動"));
    const QStringList tabs = {tr("MagicDamages"), tr("SpreadChart"), tr("WeaponSpeed"),
                              tr("RaderChart"),   tr("Ranking"),     tr("Compare")};
    for (int i = 0; i < tabs.size() && i < m_pageControl->count(); ++i) {
        m_pageControl->setTabText(i, tabs[i]);
        action(QStringLiteral("ActionPage%1").arg(i + 1).toLatin1().constData(), tabs[i]);
    }
    // The figures' own words (tooltips, the next swing, the grids' captions)
    // are chosen when they are drawn; the status bar's last explanation was
    // worded before.
    statusBar()->clearMessage();
    // A fault here was shown when it arose: the words change, not the figures.
    try {
        WeaponPagesRefresh(false);
    } catch (const Exception&) {
    } catch (const std::exception&) {
    }
}

TMainForm::~TMainForm() = default;

QSpinBox* TMainForm::CreateSpinEdit(const QString& name, int maximum, TStat stat)
{
    auto* spin = new QSpinBox(this);
    spin->setObjectName(name);
    spin->setRange(0, maximum);
    spin->setValue(100);
    // Typed values count once the user confirms them, not at every digit.
    spin->setKeyboardTracking(false);
    spin->setAccelerated(true);
    // Narrow enough, with the strip's tight spacing, for the whole top strip
    // to fit the design's 832 pixels beside the profile box.
    spin->setMinimumWidth(52);
    connect(spin, &QSpinBox::valueChanged, this, [this, stat] { SpinEditChanged(stat); });
    // The spin box's own text undo would otherwise take Ctrl+Z from the window's.
    spin->installEventFilter(this);
    return spin;
}

QWidget* TMainForm::CreateWeaponBox()
{
    QFrame* box = MakeSunkenBox(QStringLiteral("PanelWeapon"), this);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(1);
    m_labelWName = MakeLabel(tr("WeaponName"), box, QStringLiteral("LabelWName"));
    QFont bold = m_labelWName->font();
    bold.setBold(true);
    m_labelWName->setFont(bold);
    m_labelWType = MakeLabel(tr("WType"), box, QStringLiteral("LabelWType"));
    m_labelWeaponSpeed = MakeLabel(tr("WSpeed"), box, QStringLiteral("LabelWeaponSpeed"));
    m_labelNextSwing = MakeLabel(QString(), box, QStringLiteral("LabelNextSwing"));
    m_labelNextSwing->setToolTip(tr("次に短いディレイまでに要るDEXと、そのディレイ"));
    m_labelDmethod = MakeLabel(tr("DamageMethod"), box, QStringLiteral("LabelDmethod"));
    layout->addWidget(m_labelWName, 0, 0, 1, 4);
    layout->addWidget(MakeLabel(tr("TYPE:"), box, QStringLiteral("LabelTypeCaption")), 1, 0);
    layout->addWidget(m_labelWType, 1, 1);
    layout->addWidget(MakeLabel(tr("Speed:"), box, QStringLiteral("LabelSpeedCaption")), 1, 2);
    layout->addWidget(m_labelWeaponSpeed, 1, 3);
    // The damage note is short, so its line has room for the next swing,
    // under the speed it belongs to.
    auto* noteLine = new QHBoxLayout;
    noteLine->setSpacing(6);
    noteLine->addWidget(m_labelDmethod);
    noteLine->addStretch(1);
    noteLine->addWidget(m_labelNextSwing);
    layout->addLayout(noteLine, 2, 0, 1, 4);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);
    box->setMinimumWidth(200);
    return box;
}

QWidget* TMainForm::CreateHQBox()
{
    QFrame* box = MakeSunkenBox(QStringLiteral("PanelHQ"), this);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setVerticalSpacing(1);
    layout->addWidget(MakeLabel(tr("Exceptional"), box, QStringLiteral("LabelExceptional")), 0, 0);
    layout->addWidget(MakeLabel(tr("Quality"), box, QStringLiteral("LabelQuality")), 1, 0);
    const auto addFigure = [&](int row, const QString& caption, const QString& text,
                               const QString& name) {
        QLabel* value = MakeLabel(text, box, name);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(30);
        layout->addWidget(MakeLabel(caption, box, name + QStringLiteral("Caption")), row, 1);
        layout->addWidget(value, row, 2);
        return value;
    };
    m_labelHQLow = addFigure(0, tr("Low:"), tr("HQLow"), QStringLiteral("LabelHQLow"));
    m_labelHQHigh = addFigure(1, tr("High:"), tr("HQHigh"), QStringLiteral("LabelHQHigh"));
    m_labelHQAve = addFigure(2, tr("Ave:"), tr("HQAve"), QStringLiteral("LabelHQAve"));
    return box;
}

QWidget* TMainForm::CreateStatBox()
{
    QFrame* box = MakeSunkenBox(QStringLiteral("PanelStats"), this);
    box->setToolTip(tr("上段：DEX 下段：ディレイ"));
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setVerticalSpacing(2);
    layout->setHorizontalSpacing(3);
    const int unlimited = std::numeric_limits<std::int32_t>::max();
    m_spinEditSTR = CreateSpinEdit(QStringLiteral("SpinEditSTR"), unlimited, TStat::STR);
    m_spinEditTactics = CreateSpinEdit(QStringLiteral("SpinEditTactics"), 100, TStat::Tactics);
    m_spinEditAnatomy = CreateSpinEdit(QStringLiteral("SpinEditAnatomy"), 100, TStat::Anatomy);
    m_spinEditLumberjack =
        CreateSpinEdit(QStringLiteral("SpinEditLumberjack"), 100, TStat::Lumberjack);
    m_spinEditDEX = CreateSpinEdit(QStringLiteral("SpinEditDEX"), unlimited, TStat::DEX);
    m_spinEditInt = CreateSpinEdit(QStringLiteral("SpinEditInt"), unlimited, TStat::INT);
    const auto place = [&](int row, int pair, const QString& caption, QSpinBox* spin) {
        const QString name = QStringLiteral("Label%1Caption").arg(spin->objectName().mid(8));
        layout->addWidget(MakeLabel(caption, box, name), row, pair * 2);
        layout->addWidget(spin, row, pair * 2 + 1);
    };
    place(0, 0, tr("STR"), m_spinEditSTR);
    place(1, 0, tr("Tactics"), m_spinEditTactics);
    place(0, 1, tr("Anatomy"), m_spinEditAnatomy);
    place(1, 1, tr("Lumberjack"), m_spinEditLumberjack);
    place(0, 2, tr("DEX"), m_spinEditDEX);
    place(1, 2, tr("INT"), m_spinEditInt);
    return box;
}

QWidget* TMainForm::CreateProfileBox()
{
    QFrame* box = MakeSunkenBox(QStringLiteral("PanelProfile"), this);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setVerticalSpacing(2);
    m_comboProfile = new QComboBox(box);
    m_comboProfile->setObjectName(QStringLiteral("ComboProfile"));
    m_comboProfile->setEditable(true);
    // A typed name becomes a profile through "Save" only, which checks it.
    m_comboProfile->setInsertPolicy(QComboBox::NoInsert);
    // The top strip is full; the field grows with the window instead.
    m_comboProfile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_comboProfile->setMinimumContentsLength(6);
    m_comboProfile->lineEdit()->setPlaceholderText(tr("新しい名前"));
    m_comboProfile->setToolTip(tr("名前を付けたステータス。新しい名前を入力して Save で追加"));
    connect(m_comboProfile, &QComboBox::activated, this, &TMainForm::ChooseProfile);

    auto* button = new QToolButton(box);
    button->setObjectName(QStringLiteral("ButtonProfile"));
    button->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("MenuProfile"));
    QAction* save = menu->addAction(tr("Save"));
    save->setObjectName(QStringLiteral("ActionProfileSave"));
    connect(save, &QAction::triggered, this, &TMainForm::SaveProfileClick);
    m_profileRenameAction = menu->addAction(tr("Rename…"));
    m_profileRenameAction->setObjectName(QStringLiteral("ActionProfileRename"));
    connect(m_profileRenameAction, &QAction::triggered, this, &TMainForm::RenameProfileClick);
    m_profileDeleteAction = menu->addAction(tr("Delete"));
    m_profileDeleteAction->setObjectName(QStringLiteral("ActionProfileDelete"));
    connect(m_profileDeleteAction, &QAction::triggered, this, &TMainForm::DeleteProfileClick);
    button->setMenu(menu);
    // Saving is what the button does most, so a plain click saves.
    button->setDefaultAction(save);

    layout->addWidget(MakeLabel(tr("Profile"), box, QStringLiteral("LabelProfileCaption")), 0, 0);
    layout->addWidget(button, 0, 1, Qt::AlignRight);
    layout->addWidget(m_comboProfile, 1, 0, 1, 2);
    return box;
}

void TMainForm::CreateControls()
{
    m_undoStack = new QUndoStack(this);
    auto* fileMenu = menuBar()->addMenu(tr("File"));
    fileMenu->setObjectName(QStringLiteral("MenuFile"));
    QAction* saveAction = fileMenu->addAction(tr("Save page as PNG…"));
    saveAction->setObjectName(QStringLiteral("MenuSavePage"));
    connect(saveAction, &QAction::triggered, this, &TMainForm::SavePageAsPngClick);
    fileMenu->addSeparator();
    QAction* exitAction = fileMenu->addAction(tr("Exit"));
    exitAction->setObjectName(QStringLiteral("MenuExit"));
    // Ctrl+Q everywhere, and whatever else the platform calls "Quit".
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    const QKeySequence ctrlQ(Qt::CTRL | Qt::Key_Q);
    quitKeys.removeAll(ctrlQ);
    quitKeys.prepend(ctrlQ);
    exitAction->setShortcuts(quitKeys);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    auto* editMenu = menuBar()->addMenu(tr("Edit"));
    editMenu->setObjectName(QStringLiteral("MenuEdit"));
    QAction* undo = m_undoStack->createUndoAction(this, tr("Undo"));
    undo->setObjectName(QStringLiteral("ActionUndo"));
    undo->setShortcuts(UndoKeys());
    editMenu->addAction(undo);
    QAction* redo = m_undoStack->createRedoAction(this, tr("Redo"));
    redo->setObjectName(QStringLiteral("ActionRedo"));
    redo->setShortcuts(RedoKeys());
    editMenu->addAction(redo);
    editMenu->addSeparator();
    QAction* copySetup = editMenu->addAction(tr("Copy setup"));
    copySetup->setObjectName(QStringLiteral("ActionCopySetup"));
    copySetup->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(copySetup, &QAction::triggered, this, &TMainForm::CopySetupClick);
    QAction* pasteSetup = editMenu->addAction(tr("Paste setup"));
    pasteSetup->setObjectName(QStringLiteral("ActionPasteSetup"));
    pasteSetup->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    connect(pasteSetup, &QAction::triggered, this, &TMainForm::PasteSetupClick);
    QMenu* viewMenu = CreateViewMenu();
    auto* optionMenu = menuBar()->addMenu(tr("Option"));
    optionMenu->setObjectName(QStringLiteral("MenuOption"));
    QAction* optionAction = optionMenu->addAction(tr("Option"));
    optionAction->setObjectName(QStringLiteral("MenuOptionItem"));
    connect(optionAction, &QAction::triggered, this, &TMainForm::OptionClick);
    auto* helpMenu = menuBar()->addMenu(tr("Help"));
    helpMenu->setObjectName(QStringLiteral("MenuHelp"));
    QAction* guideAction = helpMenu->addAction(tr("ユーザーガイド"));
    guideAction->setObjectName(QStringLiteral("ActionUserGuide"));
    guideAction->setShortcut(QKeySequence(Qt::Key_F1));
    connect(guideAction, &QAction::triggered, this, &TMainForm::UserGuideClick);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* top = new QWidget(central);
    m_topPanel = top;
    top->setObjectName(QStringLiteral("PanelTop"));
    top->setFixedHeight(65);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(2, 2, 2, 2);
    topLayout->setSpacing(2);
    topLayout->addWidget(CreateWeaponBox(), 1);
    m_pinAction = new QAction(tr("Pin"), this);
    m_pinAction->setObjectName(QStringLiteral("ActionPin"));
    m_pinAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_pinAction->setToolTip(tr("今の武器とステータスを比較用にピン留め（Ctrl+D、6つまで）"));
    m_pinAction->setEnabled(false);
    connect(m_pinAction, &QAction::triggered, this, &TMainForm::PinClick);
    addAction(m_pinAction);
    auto* pinButton = new QToolButton(top);
    pinButton->setObjectName(QStringLiteral("ButtonPin"));
    pinButton->setDefaultAction(m_pinAction);
    pinButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    topLayout->addWidget(pinButton);
    topLayout->addWidget(CreateHQBox());
    topLayout->addWidget(CreateProfileBox());
    topLayout->addWidget(CreateStatBox());
    layout->addWidget(top);

    auto* splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter = splitter;
    splitter->setObjectName(QStringLiteral("Splitter"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    // The search row sits over the list, so the splitter moves both together.
    auto* listPanel = new QWidget(splitter);
    listPanel->setObjectName(QStringLiteral("PanelWeaponList"));
    auto* listLayout = new QVBoxLayout(listPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(2);
    m_finder = new TWeaponFinder(listPanel);
    m_finder->setObjectName(QStringLiteral("WeaponFinder"));
    m_weaponListView = new TWeaponListView(listPanel);
    m_weaponListView->setObjectName(QStringLiteral("WeaponListView"));
    listLayout->addWidget(m_finder);
    listLayout->addWidget(m_weaponListView, 1);
    auto* findAction = new QAction(tr("Find weapon"), this);
    findAction->setObjectName(QStringLiteral("ActionFind"));
    findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(findAction, &QAction::triggered, this,
            [this] { m_finder->setFocus(Qt::ShortcutFocusReason); });
    addAction(findAction);
    connect(m_weaponListView, &TWeaponListView::WeaponClicked, this,
            &TMainForm::WeaponListViewClick);
    connect(m_weaponListView, &TWeaponListView::ColumnClicked, this,
            &TMainForm::WeaponListViewColumnClick);

    m_pageControl = new QTabWidget(splitter);
    m_pageControl->setObjectName(QStringLiteral("PageControl"));
    m_pageControl->setDocumentMode(true);

    auto* gridScroll = new QScrollArea(m_pageControl);
    gridScroll->setObjectName(QStringLiteral("ScrollBoxMagicDamages"));
    gridScroll->setWidgetResizable(true);
    gridScroll->setFrameShape(QFrame::NoFrame);
    m_weaponDataGrid = new TWeaponDataGrid(gridScroll);
    m_weaponDataGrid->SetCellExplainer(
        [this](int column, int row) { return DamageCellWorking(column, row); });
    ExplainInStatusBar(m_weaponDataGrid);
    m_weaponDataGrid->setObjectName(QStringLiteral("WeaponDataGrid"));
    m_weaponDataGrid->setToolTip(tr("白：HQと同程度 薄青：HQより下 薄赤：HQより上"));
    m_weaponDataGrid->installEventFilter(this);
    gridScroll->setWidget(m_weaponDataGrid);
    m_pageControl->addTab(gridScroll, tr("MagicDamages"));

    m_spreadChart = new TWeaponDamageSpreadChart(m_pageControl);
    m_spreadChart->setObjectName(QStringLiteral("WeaponDamageSpreadChart"));
    m_spreadChart->setToolTip(tr("左Dクリック：標準位置 左ドラッグ：ズーム 右ドラッグ：移動"));
    m_pageControl->addTab(m_spreadChart, tr("SpreadChart"));

    auto* speedScroll = new QScrollArea(m_pageControl);
    speedScroll->setObjectName(QStringLiteral("ScrollBoxWeaponSpeed"));
    speedScroll->setWidgetResizable(true);
    speedScroll->setFrameShape(QFrame::NoFrame);
    m_weaponSpeedGrid = new TWeaponSpeedGrid(speedScroll);
    m_weaponSpeedGrid->SetCellExplainer(
        [this](int column, int row) { return DelayCellWorking(column, row); });
    ExplainInStatusBar(m_weaponSpeedGrid);
    m_weaponSpeedGrid->setObjectName(QStringLiteral("WeaponSpeedGrid"));
    speedScroll->setWidget(m_weaponSpeedGrid);
    m_pageControl->addTab(speedScroll, tr("WeaponSpeed"));

    m_raderChart = new TWeaponRaderChart(m_pageControl);
    m_raderChart->setObjectName(QStringLiteral("WeaponRaderChart"));
    m_pageControl->addTab(m_raderChart, tr("RaderChart"));

    m_rankingView = new TWeaponRankingView(m_pageControl);
    m_rankingView->setObjectName(QStringLiteral("WeaponRankingView"));
    connect(m_rankingView, &TWeaponRankingView::WeaponChosen, this,
            &TMainForm::WeaponRankingViewChosen);
    // The ranking shows the weapons the list shows.
    connect(m_finder, &TWeaponFinder::FilterChanged, this, [this](const TWeaponFilter& filter) {
        m_weaponListView->SetFilter(filter);
        m_rankingView->SetFilter(filter);
    });
    m_pageControl->addTab(m_rankingView, tr("Ranking"));

    m_pageControl->addTab(CreateComparePage(), tr("Compare"));
    connect(m_pageControl, &QTabWidget::currentChanged, this, [this] {
        if (m_pageControl->currentWidget() == m_comparePage) {
            RunShowingErrors([this] { SweepRefresh(); });
        }
    });

    splitter->addWidget(listPanel);
    splitter->addWidget(m_pageControl);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({249, width() - 249 - splitter->handleWidth()});
    layout->addWidget(splitter, 1);

    setCentralWidget(central);
    // Made at once, so that the first message does not shift the pages.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    CreatePageActions(viewMenu);
}

QMenu* TMainForm::CreateViewMenu()
{
    QMenu* menu = menuBar()->addMenu(tr("View"));
    menu->setObjectName(QStringLiteral("MenuView"));
    m_zoomInAction = menu->addAction(tr("拡大"));
    m_zoomInAction->setObjectName(QStringLiteral("ActionZoomIn"));
    // Ctrl+= is the plus key without Shift on most keyboards.
    m_zoomInAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    connect(m_zoomInAction, &QAction::triggered, this, [this] { SetZoom(ZoomInStep(m_zoom)); });
    m_zoomOutAction = menu->addAction(tr("縮小"));
    m_zoomOutAction->setObjectName(QStringLiteral("ActionZoomOut"));
    m_zoomOutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(m_zoomOutAction, &QAction::triggered, this, [this] { SetZoom(ZoomOutStep(m_zoom)); });
    QAction* actualSize = menu->addAction(tr("実際のサイズ"));
    actualSize->setObjectName(QStringLiteral("ActionActualSize"));
    actualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(actualSize, &QAction::triggered, this, [this] { SetZoom(ActualSizeZoom); });
    return menu;
}

// The pages by number, and round them in order, from wherever the focus is:
// the tab widget's own Ctrl+Tab works only while the focus is inside it.
void TMainForm::CreatePageActions(QMenu* viewMenu)
{
    viewMenu->addSeparator();
    for (int index = 0; index < m_pageControl->count(); ++index) {
        QAction* page = viewMenu->addAction(m_pageControl->tabText(index));
        page->setObjectName(QStringLiteral("ActionPage%1").arg(index + 1));
        if (index < 9) {
            page->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + index)));
        }
        connect(page, &QAction::triggered, this, [this, index] {
            if (m_pageControl->isTabEnabled(index)) {
                m_pageControl->setCurrentIndex(index);
            }
        });
    }
    viewMenu->addSeparator();
    QAction* next = viewMenu->addAction(tr("次のページ"));
    next->setObjectName(QStringLiteral("ActionNextPage"));
    next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    connect(next, &QAction::triggered, this, [this] { StepPage(1); });
    QAction* previous = viewMenu->addAction(tr("前のページ"));
    previous->setObjectName(QStringLiteral("ActionPreviousPage"));
    // Shift+Tab arrives as Backtab, from some keyboards as Tab with Shift.
    previous->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    connect(previous, &QAction::triggered, this, [this] { StepPage(-1); });
}

void TMainForm::StepPage(int step)
{
    const int count = m_pageControl->count();
    int index = m_pageControl->currentIndex();
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step + count) % count;
        if (m_pageControl->isTabEnabled(index) && m_pageControl->isTabVisible(index)) {
            m_pageControl->setCurrentIndex(index);
            return;
        }
    }
}

void TMainForm::SetZoom(int percent)
{
    const int zoom = SnapZoom(percent);
    if (zoom != m_zoom) {
        const double ratio = static_cast<double>(zoom) / m_zoom;
        m_zoom = zoom;
        ApplyZoom(ratio);
    }
    m_zoomInAction->setEnabled(m_zoom < ZoomSteps.back());
    m_zoomOutAction->setEnabled(m_zoom > ZoomSteps.front());
}

void TMainForm::ApplyZoom(double ratio)
{
    const double zoom = m_zoom / 100.0;
    const auto scaled = [zoom](int pixels) { return static_cast<int>(std::lround(pixels * zoom)); };

    // Only the size is set, so every other property still comes from the
    // desktop; at 100 % nothing is, and the window is as it always was. The
    // menus stay at the desktop's size, as the controls of the zoom itself.
    QFont font;
    if (m_zoom != ActualSizeZoom) {
        const QFont desktop = QApplication::font();
        if (desktop.pointSizeF() > 0) {
            font.setPointSizeF(desktop.pointSizeF() * zoom);
        } else {
            font.setPixelSize(scaled(desktop.pixelSize()));
        }
    }
    centralWidget()->setFont(font);
    statusBar()->setFont(font);

    m_weaponListView->SetZoom(zoom);
    m_weaponDataGrid->SetZoom(zoom);
    m_weaponDataGrid->FitColumns();
    m_weaponSpeedGrid->SetZoom(zoom);
    m_spreadChart->SetZoom(zoom);
    m_raderChart->SetZoom(zoom);
    m_sweepChart->SetZoom(zoom);

    m_topPanel->setFixedHeight(scaled(65));
    if (auto* weaponBox = findChild<QWidget*>(QStringLiteral("PanelWeapon"))) {
        weaponBox->setMinimumWidth(scaled(200));
    }
    for (QLabel* figure : {m_labelHQLow, m_labelHQHigh, m_labelHQAve}) {
        figure->setMinimumWidth(scaled(30));
    }
    for (QSpinBox* spin : {m_spinEditSTR, m_spinEditTactics, m_spinEditAnatomy,
                           m_spinEditLumberjack, m_spinEditDEX, m_spinEditInt}) {
        spin->setMinimumWidth(scaled(52));
    }
    m_sweepChart->setMinimumHeight(scaled(320));
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 2) {
        const int list = static_cast<int>(std::lround(sizes[0] * ratio));
        m_splitter->setSizes({list, std::max(1, sizes[0] + sizes[1] - list)});
    }

    // The design's minimum leaves the top strip its room at 100 % on the
    // screens it was made for; a larger zoom needs what the layout asks.
    QSize minimum = DesignMinimumSize;
    if (m_zoom != ActualSizeZoom) {
        // The layouts learn the new fonts' sizes from posted requests.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        minimum = minimum.expandedTo(minimumSizeHint());
    }
    // A window smaller than its minimum grows to it.
    setMinimumSize(minimum);
}

void TMainForm::SetUrlOpener(std::function<bool(const QUrl&)> opener)
{
    m_openUrl = std::move(opener);
}

void TMainForm::SetUserGuidePlaces(const QStringList& places)
{
    m_userGuidePlaces = places;
}

void TMainForm::UserGuideClick()
{
    for (const QString& place : m_userGuidePlaces) {
        if (!QFileInfo(place).isFile()) {
            continue;
        }
        const QUrl url = QUrl::fromLocalFile(place);
        if (!(m_openUrl ? m_openUrl(url) : QDesktopServices::openUrl(url))) {
            ShowMessage(
                tr("ユーザーガイドを開けませんでした: %1").arg(QDir::toNativeSeparators(place)));
        }
        return;
    }
    QStringList places;
    for (const QString& place : m_userGuidePlaces) {
        places << QDir::toNativeSeparators(place);
    }
    ShowMessage(tr("ユーザーガイド（README.md）が見つかりません。探した場所:") + QLatin1Char('\n') +
                places.join(QLatin1Char('\n')));
}

// The table, the gains and the sweep each at their natural height, one
// under the other, the page scrolling when the window is small.
QWidget* TMainForm::CreateComparePage()
{
    auto* scroll = new QScrollArea(m_pageControl);
    scroll->setObjectName(QStringLiteral("ScrollBoxCompare"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget(scroll);
    page->setObjectName(QStringLiteral("PanelCompare"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);
    m_compareView = new TSetupCompareView(page);
    m_compareView->setObjectName(QStringLiteral("SetupCompareView"));
    m_gainsView = new TStatGainsView(page);
    m_gainsView->setObjectName(QStringLiteral("StatGainsView"));
    m_sweepChart = new TStatSweepChart(page);
    m_sweepChart->setObjectName(QStringLiteral("StatSweepChart"));
    m_sweepChart->setMinimumHeight(320);
    layout->addWidget(m_compareView);
    layout->addWidget(m_gainsView);
    layout->addWidget(m_sweepChart);
    layout->addStretch(1);
    connect(m_compareView, &TSetupCompareView::PinRemoved, this, &TMainForm::RemovePin);
    connect(m_compareView, &TSetupCompareView::PinMoved, this, &TMainForm::MovePin);
    connect(m_sweepChart, &TStatSweepChart::SweepRequested, this,
            [this] { RunShowingErrors([this] { SweepRefresh(); }); });
    scroll->setWidget(page);
    m_comparePage = scroll;
    return scroll;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // The grid fills its page, so its own resize is the page's.
    if (watched == m_weaponDataGrid && event->type() == QEvent::Resize) {
        m_weaponDataGrid->FitColumns();
    }
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QSpinBox*>(watched)) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        if (UndoKeys().contains(pressed) || RedoKeys().contains(pressed)) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::RestorePlacement(const std::optional<TWindowPlacement>& placement)
{
    if (!placement) {
        return;
    }
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    // A place that is no longer usable (a screen since removed, a file edited
    // by hand) falls back to the design's centred window; the other two
    // values still count.
    if (const std::optional<QRect> fitted = FitPlacement(*placement, minimumSize(), screens)) {
        setGeometry(*fitted);
    }
    if (placement->Splitter > 0 && placement->Splitter < width()) {
        m_splitter->setSizes(
            {placement->Splitter, width() - placement->Splitter - m_splitter->handleWidth()});
    }
    if (placement->Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

TWindowPlacement TMainForm::Placement() const
{
    QRect normal = geometry();
    if ((isMaximized() || isFullScreen()) && normalGeometry().isValid()) {
        normal = normalGeometry();
    }
    TWindowPlacement placement;
    placement.Left = normal.left();
    placement.Top = normal.top();
    placement.Width = normal.width();
    placement.Height = normal.height();
    placement.Maximized = isMaximized();
    placement.Splitter = m_splitter->sizes().value(0);
    return placement;
}

QWidget* TMainForm::CurrentPage() const
{
    QWidget* page = m_pageControl->currentWidget();
    if (const auto* scroll = qobject_cast<QScrollArea*>(page)) {
        return scroll->widget();
    }
    return page;
}

QImage TMainForm::PageImage() const
{
    return CurrentPage()->grab().toImage();
}

bool TMainForm::SavePageAsPng(const QString& path)
{
    // Encoded in memory first, so the file is written in one piece or not at all.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    QString error;
    if (!writer.write(PageImage())) {
        error = writer.errorString();
    } else {
        error = WriteFileWhole(path, png);
    }
    if (error.isEmpty()) {
        return true;
    }
    ShowMessage(tr("PNGファイルを保存できませんでした。") + QLatin1Char('\n') +
                QDir::toNativeSeparators(path) + QStringLiteral(": ") + error);
    return false;
}

void TMainForm::SetSavePathAsker(std::function<QString(const QString&)> asker)
{
    m_askSavePath = std::move(asker);
}

void TMainForm::SavePageAsPngClick()
{
    if (m_saveDir.isEmpty()) {
        m_saveDir = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (m_saveDir.isEmpty() || !QFileInfo(m_saveDir).isDir()) {
            m_saveDir = QDir::homePath();
        }
    }
    const QString suggested = QDir(m_saveDir).filePath(
        m_pageControl->tabText(m_pageControl->currentIndex()) + QStringLiteral(".png"));
    QString path = m_askSavePath ? m_askSavePath(suggested)
                                 : QFileDialog::getSaveFileName(this, tr("Save page as PNG"),
                                                                suggested, tr("PNG (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".png");
    }
    m_saveDir = QFileInfo(path).absolutePath();
    SavePageAsPng(path);
}

void TMainForm::LoadOptions()
{
    m_option = TOptionRecord();
    RunShowingErrors([this] { m_option = m_optionStore.Load(); });
}

void TMainForm::SaveOptions()
{
    std::vector<std::string> pinKeys;
    for (const TSetup& pin : m_pins) {
        pinKeys.push_back(SetupKeyText({pin.Weapon.Name, pin.Stats}));
    }
    TProfileBook profiles{m_profiles, {}, {}};
    if (m_profileIndex >= 0) {
        profiles.Current = m_profiles[static_cast<std::size_t>(m_profileIndex)].Name;
    }
    RunShowingErrors([&] { m_optionStore.Save(m_option, Placement(), pinKeys, profiles, m_zoom); });
}

void TMainForm::ApplyOptions()
{
    // Before the first pick the stats are all zero and no figure is shown, so
    // an evaluation fault here means nothing yet; the refresh that follows a
    // pick reports the ones that concern the weapon shown.
    const auto quietly = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const EMathError&) {
        }
    };
    // A formula the evaluator refuses is reported and replaced by the
    // standard one in the computation; the record keeps the user's text so
    // that nothing they wrote is lost and the dialog shows the complaint.
    const auto formula = [&](const std::function<void()>& step,
                             const std::function<void()>& fallback) {
        try {
            quietly(step);
        } catch (const Exception& e) {
            ShowMessage(ErrorText(e) + QLatin1Char('\n') + tr("標準の計算式を使います。"));
            quietly(fallback);
        }
    };

    // First, so that the pages refreshed after the options take its colours.
    ApplyAppearance(m_option.Appearance);
    quietly([this] { m_calculator->SetAnatomyOption(m_option.Base.Anatomy); });
    formula([this] { m_calculator->SetDamageMethod(m_option.Base.DamageMethod); },
            [this] { m_calculator->SetDamageMethod(DefaultDamageMethod); });
    quietly([this] { m_calculator->SetRoundingMode(m_option.Base.Decimal); });
    formula(
        [this] {
            m_weaponSpeedGrid->SetSpeedMethod(QString::fromStdString(m_option.WeaponSpeed.Method));
        },
        [this] { m_weaponSpeedGrid->SetSpeedMethod(QString::fromLatin1(DefaultSpeedMethod)); });
    m_spreadChart->SetView3D(m_option.SpreadChart3D);

    // The ranking takes the formulas the calculator and the grid ended up
    // with, so a refused one is complained about once and replaced alike.
    quietly([this] { m_ranking.SetDamageMethod(m_calculator->DamageMethod()); });
    quietly([this] { m_ranking.SetRoundingMode(m_calculator->RoundingMode()); });
    quietly([this] { m_ranking.SetSpeedMethod(m_weaponSpeedGrid->SpeedMethod().toStdString()); });
    quietly([this] { m_setups.SetDamageMethod(m_calculator->DamageMethod()); });
    quietly([this] { m_setups.SetRoundingMode(m_calculator->RoundingMode()); });
    quietly([this] { m_setups.SetSpeedMethod(m_weaponSpeedGrid->SpeedMethod().toStdString()); });
}

void TMainForm::SetOptionRecord(const TOptionRecord& record)
{
    // The dialog shows a language as it is chosen; the same choice again
    // would only retranslate every widget once more.
    const bool newLanguage =
        record.Language != m_option.Language && record.Language != CurrentLanguage();
    m_option = record;
    if (newLanguage) {
        SetLanguage(record.Language);
    }
    ApplyOptions();
    RefreshWithRanking([this] { WeaponPagesRefresh(false); });
    Record(tr("options"));
}

void TMainForm::OptionClick()
{
    TOptionDlg dialog(m_option, this);
    if (WeaponShown()) {
        dialog.SetPreviewSetup(TSetup{m_weapon, SpinEditStats()});
    }
    if (dialog.exec() == QDialog::Accepted) {
        SetOptionRecord(dialog.OptionRecord());
    }
}

void TMainForm::WeaponListViewClick()
{
    RunShowingErrors([this] { WeaponPagesRefresh(true); });
    m_rankingView->SelectSlot(m_weaponListView->SelectedSlot());
    Record(tr("pick %1").arg(QString::fromStdString(m_weapon.Name)));
}

void TMainForm::SpinEditChange()
{
    // A name being typed for a new profile stays while the inputs change.
    ShowProfiles(true);
    RefreshWithRanking([this] { WeaponPagesRefresh(false); });
}

void TMainForm::SpinEditChanged(TStat stat)
{
    SpinEditChange();
    Record(StatStepText(stat, StatOf(m_recorded.Stats, stat), StatOf(SpinEditStats(), stat)),
           TFormStep::SpinMergeBase + static_cast<int>(stat));
}

void TMainForm::RefreshWithRanking(const std::function<void()>& refresh)
{
    if (RunShowingErrors(refresh)) {
        RunShowingErrors([this] { RankingRefresh(); });
        return;
    }
    // Both computations share the formulas, so the fault just shown is most
    // likely the ranking's too; the ranking keeps its last good rows then.
    try {
        RankingRefresh();
    } catch (const Exception&) {
    } catch (const std::exception&) {
    }
}

void TMainForm::WeaponRankingViewChosen(int slot)
{
    if (m_weaponListView->SelectSlot(slot)) {
        WeaponListViewClick();
    }
}

void TMainForm::WeaponListViewColumnClick(int position)
{
    m_sortColumn = TWeaponListView::NextSortColumn(m_sortColumn, position);
    m_weaponListView->SetSortColumn(m_sortColumn);
}

TWeaponDataAndPCData TMainForm::SpinEditStats() const
{
    TWeaponDataAndPCData stats;
    stats.STR = m_spinEditSTR->value();
    stats.DEX = m_spinEditDEX->value();
    stats.INT = m_spinEditInt->value();
    stats.Tactics = m_spinEditTactics->value();
    stats.Anatomy = m_spinEditAnatomy->value();
    stats.Lumberjack = m_spinEditLumberjack->value();
    return stats;
}

bool TMainForm::DamageRefresh()
{
    TWDataCSVTable weapon;
    if (!m_weaponListView->GetWeaponData(weapon)) {
        return false;
    }
    m_stats = SpinEditStats();
    m_weapon = weapon;

    TWeaponBaseData& data = m_calculator->WeaponData();
    data.Name = m_weapon.Name;
    data.Type = m_weapon.Type;
    data.LowDamage = m_weapon.LowDamage;
    data.HighDamage = m_weapon.HighDamage;
    data.AverageDamage = m_weapon.AverageDamage;
    NamingTheFormula(tr("ダメージの計算式（%1）:").arg(QString::fromStdString(m_weapon.Name)),
                     [this] { m_calculator->SetStats(m_stats); });

    m_weaponDataGrid->SetDamageTable(m_calculator->Table());
    m_weaponDataGrid->SetHQDamgeAve(m_calculator->HQAve());
    m_weaponDataGrid->SetHQDamgeLow(m_calculator->HQLow());
    m_weaponDataGrid->SetHQDamgeHigh(m_calculator->HQHigh());
    m_weaponDataGrid->update();

    m_labelHQAve->setText(General(m_calculator->HQAve()));
    m_labelHQLow->setText(General(m_calculator->HQLow()));
    m_labelHQHigh->setText(General(m_calculator->HQHigh()));
    HQWorkingRefresh();

    m_labelWName->setText(QString::fromStdString(m_weapon.Name));
    m_labelWType->setText(QString::fromStdString(m_weapon.Type));
    m_labelDmethod->setText(QString::fromStdString(m_weapon.DamageNote));
    m_labelWeaponSpeed->setText(QString::number(m_weapon.Speed));
    return true;
}

void TMainForm::HQWorkingRefresh()
{
    TWeaponDataAndPCData setup = m_stats;
    setup.Weapon = m_calculator->WeaponData();
    const std::pair<QLabel*, std::size_t> labels[] = {
        {m_labelHQLow, 0}, {m_labelHQHigh, 1}, {m_labelHQAve, 2}};
    for (const auto& [label, figure] : labels) {
        TWeaponDamges::TResultAt at;
        at.HQ = true;
        at.Figure = figure;
        // The figures above came from the same inputs, so a fault here is
        // already shown; the tooltip is only left empty.
        try {
            label->setToolTip(WorkingText(DamageWorking(*m_calculator, setup, at)));
        } catch (const Exception&) {
            label->setToolTip(QString());
        }
    }
}

void TMainForm::SpreadChartRefresh()
{
    m_spreadChart->SetDiceData(m_weapon.DiceCount, m_weapon.DiceSides, m_weapon.DamageBonus);
}

void TMainForm::SpeedRefresh()
{
    m_speedData.Name = m_weapon.Name;
    m_speedData.Speed = m_weapon.Speed;
    m_speedData.INT = m_stats.INT;
    m_speedData.STR = m_stats.STR;
    m_speedData.DEX = m_stats.DEX;
    NamingTheFormula(tr("速度の計算式（%1）:").arg(QString::fromStdString(m_weapon.Name)), [this] {
        m_weaponSpeedGrid->SetWeaponSpeedData(m_speedData);
        NextSwingRefresh();
    });
}

void TMainForm::NextSwingRefresh()
{
    const std::optional<TWeaponSpeed::TNextFasterSwing> next =
        m_weaponSpeedGrid->Speed().NextFasterSwing(m_speedData.DEX);
    m_labelNextSwing->setText(
        next ? tr("+%1 DEX → %2sec").arg(next->MoreDex).arg(General(next->Delay)) : QString());
}

void TMainForm::RankingRefresh()
{
    m_ranking.SetStats(SpinEditStats());
    // Rank raises before it hands anything out, so a fault keeps the rows shown.
    m_rankingView->SetRanking(m_ranking.Rank(m_weaponListView->Table()));
}

void TMainForm::RaderRefresh()
{
    TRaderChartData data;
    data.Damage = RaderDamage(m_calculator->Table()[0][0][2]);
    data.TopProbability = m_spreadChart->HighProbability();
    data.Speed = m_weapon.Speed;
    data.WeaponType = m_weapon.Type;
    m_raderChart->SetRaderChartData(data);
    m_raderChart->setToolTip(m_raderChart->Summary());
}

// Every page of the weapon shown, in the order each needs the one before:
// the spread only when the weapon may have changed, as its dice are all it
// depends on, and the radar after it, whose steadiness it gives.
void TMainForm::WeaponPagesRefresh(bool withSpread)
{
    if (!DamageRefresh()) {
        return;
    }
    if (withSpread) {
        SpreadChartRefresh();
    }
    RaderRefresh();
    SpeedRefresh();
    CompareRefresh();
}

// Those who move over a grid by keyboard read in the status bar what the
// mouse would show in a tooltip.
void TMainForm::ExplainInStatusBar(TOwnerDrawnGrid* grid)
{
    connect(grid, &TOwnerDrawnGrid::CurrentCellChanged, this, [this, grid](int column, int row) {
        statusBar()->showMessage(grid->CellExplanation(grid->CellRect(column, row).center()));
    });
}

// The damage grid's cell (column, row): damage level column - 2, accuracy
// level and figure from the row, three rows per level below the header.
QString TMainForm::DamageCellWorking(int column, int row)
{
    if (!WeaponShown() || column < 2 || row < 1 || row > 18) {
        return {};
    }
    TWeaponDamges::TResultAt at;
    at.Accuracy = static_cast<std::size_t>(row - 1) / 3;
    at.Level = static_cast<std::size_t>(column - 2);
    at.Figure = static_cast<std::size_t>(row - 1) % 3;
    TWeaponDataAndPCData setup = m_stats;
    setup.Weapon = m_calculator->WeaponData();
    // The cell came from the same inputs, so a fault is already shown.
    try {
        return WorkingText(DamageWorking(*m_calculator, setup, at));
    } catch (const Exception&) {
        return {};
    }
}

// A range's two cells, the DEX values and the delay, tell the same story:
// the delay at the range's first DEX.
QString TMainForm::DelayCellWorking(int column, int row)
{
    if (!WeaponShown()) {
        return {};
    }
    for (const TSpeedRange& range : m_weaponSpeedGrid->Speed().Ranges()) {
        if (range.Column != column || (range.Row != row && range.Row + 1 != row)) {
            continue;
        }
        TWeaponSpeed speed;
        const TWeaponSpeedData& data = m_speedData;
        try {
            speed.SetSpeedMethod(m_weaponSpeedGrid->SpeedMethod().toStdString());
            const TWorking working =
                DelayWorking(speed, {static_cast<double>(data.Speed), static_cast<double>(data.STR),
                                     static_cast<double>(data.DEX), static_cast<double>(data.INT),
                                     static_cast<double>(range.From)});
            return QStringLiteral("DEX %1-%2: ").arg(range.From).arg(range.To) +
                   WorkingText(working);
        } catch (const Exception&) {
            return {};
        }
    }
    return {};
}

bool TMainForm::WeaponShown() const
{
    return m_weaponListView->SelectedSlot() > 0;
}

void TMainForm::PinClick()
{
    if (!WeaponShown() || m_pins.size() >= static_cast<std::size_t>(MaxPins)) {
        return;
    }
    TSetup setup{m_weapon, SpinEditStats()};
    for (const TSetup& pin : m_pins) {
        if (pin.Weapon.Name == setup.Weapon.Name &&
            SetupKeyText({{}, pin.Stats}) == SetupKeyText({{}, setup.Stats})) {
            return;
        }
    }
    const QString name = QString::fromStdString(setup.Weapon.Name);
    m_pins.push_back(std::move(setup));
    PinsChanged();
    Record(tr("pin %1").arg(name));
}

void TMainForm::RemovePin(int index)
{
    if (index < 0 || index >= static_cast<int>(m_pins.size())) {
        return;
    }
    const QString name =
        QString::fromStdString(m_pins[static_cast<std::size_t>(index)].Weapon.Name);
    m_pins.erase(m_pins.begin() + index);
    PinsChanged();
    Record(tr("unpin %1").arg(name));
}

void TMainForm::MovePin(int from, int to)
{
    const int count = static_cast<int>(m_pins.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) {
        return;
    }
    TSetup moved = std::move(m_pins[static_cast<std::size_t>(from)]);
    m_pins.erase(m_pins.begin() + from);
    m_pins.insert(m_pins.begin() + to, std::move(moved));
    PinsChanged();
    Record(tr("move pin %1")
               .arg(QString::fromStdString(m_pins[static_cast<std::size_t>(to)].Weapon.Name)));
}

void TMainForm::PinsChanged()
{
    m_pinAction->setEnabled(WeaponShown() && m_pins.size() < static_cast<std::size_t>(MaxPins));
    if (WeaponShown()) {
        RunShowingErrors([this] { CompareRefresh(); });
    }
}

// A pinned weapon is found again by its name, as the table may have been
// edited since; those no longer there are named once and dropped.
void TMainForm::RestorePins()
{
    QStringList dropped;
    for (const std::string& key : m_optionStore.LoadedPinKeys()) {
        const std::optional<TSetupKey> parsed = ParseSetupKey(key);
        const std::vector<TWDataCSVTable>& table = m_weaponListView->Table().Slots();
        const auto weapon =
            parsed ? std::find_if(
                         table.begin() +
                             std::min<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(table.size())),
                         table.end(),
                         [&](const TWDataCSVTable& w) { return w.Name == parsed->WeaponName; })
                   : table.end();
        if (weapon == table.end() || m_pins.size() >= static_cast<std::size_t>(MaxPins)) {
            dropped << QString::fromStdString(key);
            continue;
        }
        m_pins.push_back({*weapon, parsed->Stats});
    }
    if (!dropped.isEmpty()) {
        ShowMessage(tr("武器表に見つからないピンを外しました:") + QLatin1Char('\n') +
                    dropped.join(QLatin1Char('\n')));
    }
}

// One batch for the current setup and every pin. The charts draw the pins
// over the current weapon; the Compare page sets them side by side.
void TMainForm::CompareRefresh()
{
    std::vector<TSetup> setups;
    setups.push_back({m_weapon, m_stats});
    setups.insert(setups.end(), m_pins.begin(), m_pins.end());
    m_pinAction->setEnabled(m_pins.size() < static_cast<std::size_t>(MaxPins));
    try {
        m_setups.Figures(setups, m_compareFigures);
    } catch (const EMathError&) {
        // The current setup's own faults were shown by its pages; name the
        // pin whose inputs the formula cannot take.
        for (std::size_t i = 1; i < setups.size(); ++i) {
            NamingTheFormula(tr("比較（%1）:").arg(QString::fromStdString(SetupLabel(setups[i]))),
                             [&] { m_setups.Figures(std::span(&setups[i], 1)); });
        }
        throw;
    }

    QList<TChartOverlay> overlays;
    const TColourScheme& scheme = TColourScheme::For(palette());
    for (std::size_t i = 1; i < m_compareFigures.size(); ++i) {
        overlays << MakeChartOverlay(m_compareFigures[i], static_cast<int>(i) - 1, scheme);
    }
    m_spreadChart->SetOverlays(overlays);
    m_raderChart->SetOverlays(overlays);
    m_compareView->SetFigures(m_compareFigures);
    m_gainsView->SetGains(m_setups.Gains(setups.front()));
    m_gainsView->SetNextFasterSwing(m_compareFigures.front().NextFasterSwing);
    if (m_pageControl->currentWidget() == m_comparePage) {
        SweepRefresh();
    }
}

// The sweep is the page's costliest part, so it follows the inputs only
// while the page is shown, and catches up when the page is opened.
void TMainForm::SweepRefresh()
{
    if (m_compareFigures.empty()) {
        return;
    }
    const TStat stat = m_sweepChart->RequestedStat();
    const int from = m_sweepChart->From();
    const int to = std::max(from, m_sweepChart->To());
    std::vector<std::int32_t> values(static_cast<std::size_t>(to - from) + 1);
    std::iota(values.begin(), values.end(), from);
    std::vector<TSweepLine> lines;
    const TColourScheme& scheme = TColourScheme::For(palette());
    for (std::size_t i = 0; i < m_compareFigures.size(); ++i) {
        const TSetup& setup = m_compareFigures[i].Setup;
        lines.push_back({i == 0 ? tr("Current: %1").arg(QString::fromStdString(SetupLabel(setup)))
                                : QString::fromStdString(SetupLabel(setup)),
                         i == 0 ? scheme.Current : scheme.Pin(static_cast<int>(i) - 1),
                         m_setups.Sweep(setup, stat, values)});
    }
    m_sweepChart->SetSweep(stat, std::move(values), std::move(lines));
    m_sweepChart->SetCurrentValue(StatOf(m_compareFigures.front().Setup.Stats, stat));
}

void TMainForm::SetSpinStats(const TWeaponDataAndPCData& stats)
{
    const std::pair<QSpinBox*, std::int32_t> values[] = {
        {m_spinEditSTR, stats.STR},         {m_spinEditDEX, stats.DEX},
        {m_spinEditInt, stats.INT},         {m_spinEditTactics, stats.Tactics},
        {m_spinEditAnatomy, stats.Anatomy}, {m_spinEditLumberjack, stats.Lumberjack}};
    for (const auto& [spin, value] : values) {
        const QSignalBlocker blocker(spin);
        spin->setValue(value);
    }
}

int TMainForm::FindProfile(const std::string& name) const
{
    const auto found = std::find_if(m_profiles.begin(), m_profiles.end(),
                                    [&](const TProfile& p) { return p.Name == name; });
    return found == m_profiles.end() ? -1 : static_cast<int>(found - m_profiles.begin());
}

void TMainForm::ShowProfiles(bool keepTyped)
{
    const TWeaponDataAndPCData inputs = SpinEditStats();
    const auto sameInputs = [&](const TWeaponDataAndPCData& stats) {
        return std::all_of(AllStats.begin(), AllStats.end(),
                           [&](TStat stat) { return StatOf(stats, stat) == StatOf(inputs, stat); });
    };
    const QString typed = m_comboProfile->currentText();
    const int shown = m_comboProfile->currentIndex();
    keepTyped = keepTyped && (shown < 0 || typed != m_comboProfile->itemText(shown));
    while (m_comboProfile->count() > static_cast<int>(m_profiles.size())) {
        m_comboProfile->removeItem(m_comboProfile->count() - 1);
    }
    for (std::size_t i = 0; i < m_profiles.size(); ++i) {
        QString text = QString::fromStdString(m_profiles[i].Name);
        if (static_cast<int>(i) == m_profileIndex && !sameInputs(m_profiles[i].Stats)) {
            text += QStringLiteral(" *");
        }
        if (static_cast<int>(i) >= m_comboProfile->count()) {
            m_comboProfile->addItem(text);
        } else if (m_comboProfile->itemText(static_cast<int>(i)) != text) {
            m_comboProfile->setItemText(static_cast<int>(i), text);
        }
    }
    if (m_comboProfile->currentIndex() != m_profileIndex) {
        m_comboProfile->setCurrentIndex(m_profileIndex);
    }
    m_comboProfile->setEditText(
        keepTyped || m_profileIndex < 0 ? typed : m_comboProfile->itemText(m_profileIndex));
    m_profileRenameAction->setEnabled(m_profileIndex >= 0);
    m_profileDeleteAction->setEnabled(m_profileIndex >= 0);
}

void TMainForm::ChooseProfile(int index)
{
    if (index < 0 || index >= static_cast<int>(m_profiles.size())) {
        return;
    }
    m_profileIndex = index;
    SetSpinStats(m_profiles[static_cast<std::size_t>(index)].Stats);
    ShowProfiles();
    SpinEditChange();
    Record(tr("profile %1")
               .arg(QString::fromStdString(m_profiles[static_cast<std::size_t>(index)].Name)));
}

void TMainForm::SaveProfileClick()
{
    QString typed = m_comboProfile->currentText().trimmed();
    // The mark of a changed profile is no part of its name.
    if (m_profileIndex >= 0 && typed == m_comboProfile->itemText(m_profileIndex).trimmed()) {
        typed = QString::fromStdString(m_profiles[static_cast<std::size_t>(m_profileIndex)].Name);
    }
    const std::string name = TrimmedProfileName(typed.toStdString());
    if (name.empty()) {
        ShowMessage(tr("プロファイルの名前を入力してください。"));
        return;
    }
    const int found = FindProfile(name);
    if (found >= 0 && found != m_profileIndex) {
        ShowMessage(tr("同じ名前のプロファイルがあります: %1").arg(typed));
        return;
    }
    if (found < 0) {
        m_profiles.push_back({name, {}});
        m_profileIndex = static_cast<int>(m_profiles.size()) - 1;
    }
    m_profiles[static_cast<std::size_t>(m_profileIndex)].Stats = SpinEditStats();
    ShowProfiles();
    m_recorded = State();
}

void TMainForm::RenameProfileClick()
{
    if (m_profileIndex < 0) {
        return;
    }
    TProfile& profile = m_profiles[static_cast<std::size_t>(m_profileIndex)];
    const QString current = QString::fromStdString(profile.Name);
    const QString answer =
        m_askProfileName ? m_askProfileName(current)
                         : QInputDialog::getText(this, tr("Rename profile"), tr("新しい名前:"),
                                                 QLineEdit::Normal, current);
    const std::string name = TrimmedProfileName(answer.toStdString());
    if (name.empty() || name == profile.Name) {
        return;
    }
    if (FindProfile(name) >= 0) {
        ShowMessage(tr("同じ名前のプロファイルがあります: %1").arg(QString::fromStdString(name)));
        return;
    }
    profile.Name = name;
    ShowProfiles();
    m_recorded = State();
}

void TMainForm::DeleteProfileClick()
{
    if (m_profileIndex < 0) {
        return;
    }
    m_profiles.erase(m_profiles.begin() + m_profileIndex);
    m_profileIndex = -1;
    m_comboProfile->clearEditText();
    ShowProfiles();
    m_recorded = State();
}

void TMainForm::SetProfileNameAsker(std::function<QString(const QString&)> asker)
{
    m_askProfileName = std::move(asker);
}

// Entries that cannot be read are named in one message and left out; the
// profile in use comes back with its inputs.
void TMainForm::RestoreProfiles()
{
    TProfileBook book = m_optionStore.LoadedProfiles();
    if (!book.Skipped.empty()) {
        QStringList names;
        for (const std::string& entry : book.Skipped) {
            names << QString::fromStdString(entry);
        }
        ShowMessage(tr("読み込めないプロファイルを外しました:") + QLatin1Char('\n') +
                    names.join(QLatin1Char('\n')));
    }
    m_profiles = std::move(book.Profiles);
    m_profileIndex = FindProfile(book.Current);
    if (m_profileIndex >= 0) {
        SetSpinStats(m_profiles[static_cast<std::size_t>(m_profileIndex)].Stats);
    }
    ShowProfiles();
}

TMainForm::TFormState TMainForm::State() const
{
    TFormState state;
    state.Stats = SpinEditStats();
    state.Slot = m_weaponListView->SelectedSlot();
    state.Option = m_option;
    // The language is no step to undo: it stays as chosen last.
    state.Option.Language = TLanguage::System;
    state.Pins = m_pins;
    if (m_profileIndex >= 0) {
        state.Profile = m_profiles[static_cast<std::size_t>(m_profileIndex)].Name;
    }
    return state;
}

bool TMainForm::SameState(const TFormState& a, const TFormState& b)
{
    const auto keys = [](const TFormState& state) {
        std::vector<std::string> texts{SetupKeyText({state.Profile, state.Stats})};
        for (const TSetup& pin : state.Pins) {
            texts.push_back(SetupKeyText({pin.Weapon.Name, pin.Stats}));
        }
        return texts;
    };
    return a.Slot == b.Slot && a.Option == b.Option && keys(a) == keys(b);
}

void TMainForm::Record(const QString& text, int mergeId)
{
    if (m_restoring) {
        return;
    }
    TFormState before = std::move(m_recorded);
    m_recorded = State();
    // The first pick has no page to go back to: the pages stay filled, and
    // undoing what came with it keeps that weapon.
    if (before.Slot == 0) {
        before.Slot = m_recorded.Slot;
    }
    if (SameState(before, m_recorded)) {
        return;
    }
    m_undoStack->push(new TFormStep(*this, std::move(before), m_recorded, text, mergeId));
}

void TMainForm::Restore(const TFormState& state)
{
    const QScopedValueRollback restoring(m_restoring, true);
    SetSpinStats(state.Stats);
    // Steps from before the first pick keep the weapon shown.
    if (state.Slot > 0) {
        m_weaponListView->SelectSlot(state.Slot);
    }
    TOptionRecord option = state.Option;
    option.Language = m_option.Language;
    if (!(option == m_option)) {
        m_option = option;
        ApplyOptions();
    }
    m_pins = state.Pins;
    m_profileIndex = FindProfile(state.Profile);
    ShowProfiles();
    RefreshWithRanking([this] { WeaponPagesRefresh(true); });
    m_rankingView->SelectSlot(m_weaponListView->SelectedSlot());
    m_pinAction->setEnabled(WeaponShown() && m_pins.size() < static_cast<std::size_t>(MaxPins));
    m_recorded = State();
}

void TMainForm::ApplyAsStep(const TFormState& state, const QString& text)
{
    const TFormState before = m_recorded;
    Restore(state);
    // Restore takes the state as recorded; the step starts where the user was.
    m_recorded = before;
    Record(text);
}

void TMainForm::CopySetupClick()
{
    if (!WeaponShown()) {
        ShowMessage(tr("武器を選んでからコピーしてください。"));
        return;
    }
    // The formulas the pages were computed with: a refused one was replaced.
    const TSetupText setup{m_weapon.Name, SpinEditStats(), m_calculator->DamageMethod(),
                           m_weaponSpeedGrid->SpeedMethod().toStdString(),
                           m_calculator->RoundingMode()};
    QGuiApplication::clipboard()->setText(QString::fromStdString(SetupText(setup)));
}

void TMainForm::PasteSetupClick()
{
    PasteSetup(QGuiApplication::clipboard()->text());
}

void TMainForm::SetFormulaQuestionAsker(std::function<bool(const QString&)> asker)
{
    m_askFormulaQuestion = std::move(asker);
}

bool TMainForm::PasteSetup(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    TSetupText setup;
    try {
        setup = ParseSetupText(utf8.toStdString());
    } catch (const ESetupTextError& e) {
        // The codec counts bytes; the user counts characters.
        const qsizetype column =
            QString::fromUtf8(utf8.left(static_cast<qsizetype>(e.Position()))).size() + 1;
        ShowMessage(tr("設定テキストを貼り付けられません（%1文字目「%2」）: %3")
                        .arg(column)
                        .arg(QString::fromStdString(e.Piece()), SetupTextFaultWords(e.Fault())));
        return false;
    }
    const QString weaponName = QString::fromStdString(setup.WeaponName);
    const std::vector<TWDataCSVTable>& table = m_weaponListView->Table().Slots();
    int slot = 0;
    for (std::size_t i = 1; i < table.size() && slot == 0; ++i) {
        if (table[i].Name == setup.WeaponName) {
            slot = static_cast<int>(i);
        }
    }
    if (slot == 0) {
        ShowMessage(tr("武器表にない武器です: %1").arg(weaponName));
        return false;
    }
    std::optional<TFormulaFault> fault = DamageMethodFault(setup.DamageFormula);
    if (!fault) {
        fault = SpeedMethodFault(setup.SpeedFormula);
    }
    if (fault) {
        ShowMessage(tr("貼り付けた計算式を使えません:") + QLatin1Char('\n') + fault->Text);
        return false;
    }

    TFormState state = State();
    state.Stats = setup.Stats;
    state.Slot = slot;
    TOptionRecord option = m_option;
    option.Base.DamageMethod = setup.DamageFormula;
    option.WeaponSpeed.Method = setup.SpeedFormula;
    option.Base.Decimal = setup.Rounding;
    if (!(option == m_option)) {
        const QString question = tr("貼り付けた計算式と丸め方も使いますか？");
        const bool yes = m_askFormulaQuestion ? m_askFormulaQuestion(question)
                                              : QMessageBox::question(this, tr("Paste setup"),
                                                                      question) == QMessageBox::Yes;
        if (yes) {
            state.Option = option;
        }
    }
    ApplyAsStep(state, tr("paste %1").arg(weaponName));
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    SaveOptions();
    event->accept();
}
