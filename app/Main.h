#pragma once

#include "app/OptionRecord.h"
#include "app/OptionStore.h"
#include "app/ProfileKeys.h"
#include "app/WindowPlacement.h"
#include "weapons/SetupFigures.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponRanking.h"
#include "weapons/WeaponSpeed.h"
#include "weapons/WeaponTable.h"

#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

QT_BEGIN_NAMESPACE
class QComboBox;
class QLabel;
class QMenu;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QToolButton;
class QUndoStack;
class QUrl;
QT_END_NAMESPACE

class TSetupCompareView;
class TStatGainsView;
class TStatSweepChart;

class TOwnerDrawnGrid;
class TWeaponDamageSpreadChart;
class TWeaponDataGrid;
class TWeaponFinder;
class TWeaponListView;
class TWeaponRaderChart;
class TWeaponRankingView;
class TWeaponSpeedGrid;

// The program's only window. Owns the damage calculator, the settings and
// the copy of the selected weapon, and decides which page is recomputed
// after each user action. The pages of one weapon stay empty until a weapon
// is picked; the ranking of the whole table is there from the start.
class TMainForm : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(int Zoom READ Zoom WRITE SetZoom)

public:
    // `dataDir` holds WData.csv, the icons and (usually) Option.ini.
    explicit TMainForm(const QString& dataDir, QWidget* parent = nullptr);
    // `configDir` is where Option.ini goes when the data folder refuses it.
    TMainForm(const QString& dataDir, const QString& configDir, QWidget* parent = nullptr);
    // Without `settingsBesideData` Option.ini lives in `configDir` only.
    TMainForm(const QString& dataDir, const QString& configDir, bool settingsBesideData,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    const TOptionRecord& OptionRecord() const { return m_option; }
    // Copies and applies the record, then recomputes every page of the
    // selected weapon, so they all follow the new formulas at once.
    void SetOptionRecord(const TOptionRecord& record);

    const TWeaponDamges& Calculator() const { return *m_calculator; }
    // Ranks the table for the Ranking page with the same formulas and rounding.
    const TWeaponRanking& Ranking() const { return m_ranking; }
    const TOptionStore& OptionStore() const { return m_optionStore; }

    // The menu item "Option": the dialog, modal, made and destroyed here.
    void OptionClick();

    // The widget of the page shown: for a grid the grid itself, whose full
    // size a scroll area may show only in part.
    QWidget* CurrentPage() const;
    // The page shown, whole, at the screen's scale.
    QImage PageImage() const;
    // Writes PageImage to `path` as PNG; a failure is shown and gives false,
    // and an existing file is replaced only by a complete picture.
    bool SavePageAsPng(const QString& path);
    // The menu item "Save page as PNG…": asks where, then SavePageAsPng.
    void SavePageAsPngClick();
    // Replaces the file dialog: gets the suggested path, returns the chosen
    // one or an empty text for "cancelled". Empty restores the dialog.
    void SetSavePathAsker(std::function<QString(const QString& suggested)> asker);

    // Where the window stands now, as it is written to Option.ini at close.
    TWindowPlacement Placement() const;

    // The setups pinned for comparison, at most six, kept in Option.ini.
    const std::vector<TSetup>& Pins() const { return m_pins; }
    // "Pin" (Ctrl+D): pins the weapon shown with the six inputs; nothing
    // before a pick, with six pins, or for a setup already pinned.
    void PinClick();
    void RemovePin(int index);
    // Moves pin `from` to the place of pin `to`, the others shifting.
    void MovePin(int from, int to);
    // The figures the Compare page shows: the current setup, then the pins;
    // empty before a pick.
    const std::vector<TSetupFigures>& CompareFigures() const { return m_compareFigures; }

    // The named characters, kept in Option.ini, in the order of the
    // "Profile" combo box; the one in use, -1 for none.
    const std::vector<TProfile>& Profiles() const { return m_profiles; }
    int CurrentProfile() const { return m_profileIndex; }
    // Sets the six inputs to the profile's and recomputes once.
    void ChooseProfile(int index);
    // "Save": the name in the combo box names the profile in use, whose
    // inputs are replaced, or a new one; another profile's name is refused.
    void SaveProfileClick();
    // "Rename…": asks for the new name; another profile's name is refused.
    void RenameProfileClick();
    // "Delete": the profile in use; the inputs stay as they are.
    void DeleteProfileClick();
    // Replaces the name dialog of "Rename…": gets the current name, returns
    // the new one or an empty text for "cancelled". Empty restores the dialog.
    void SetProfileNameAsker(std::function<QString(const QString& current)> asker);

    // The steps "Undo" and "Redo" (menu Edit) go back and forth over: each
    // change of an input (a run of changes of one spin box in quick
    // succession as one), pick, profile chosen, options applied and pin.
    QUndoStack& UndoStack() const { return *m_undoStack; }

    // "Copy setup" (Ctrl+Shift+C): the weapon shown, the six inputs, both
    // formulas and the rounding as one line of text, on the clipboard.
    void CopySetupClick();
    // "Paste setup" (Ctrl+Shift+V): PasteSetup with the clipboard's text.
    void PasteSetupClick();
    // Picks the text's weapon and sets its inputs, and, when the user agrees,
    // its formulas and rounding, as one step. A text that does not read, an
    // unknown weapon or a formula that does not compile is shown and changes
    // nothing; false then.
    bool PasteSetup(const QString& text);
    // Replaces the question whether to take a pasted setup's formulas: gets
    // the question, returns the answer. Empty restores the message box.
    void SetFormulaQuestionAsker(std::function<bool(const QString& question)> asker);

    // The window's zoom in percent, one of ZoomSteps, kept in Option.ini.
    int Zoom() const { return m_zoom; }
    // Snaps `percent` to a step and scales the fonts, every view and the
    // window's fixed sizes with it; the window grows where the new size
    // needs more room than it has. "Zoom in" and "Zoom out" grey at the ends.
    void SetZoom(int percent);

    // F1: opens the user guide, the first of its places that holds it, in
    // the desktop's viewer; when none does, a message names the places.
    void UserGuideClick();
    // Replaces the desktop's opener: gets the guide's address and tells
    // whether it opened. Empty restores QDesktopServices::openUrl.
    void SetUrlOpener(std::function<bool(const QUrl& url)> opener);
    // Where the guide is looked for, in order; UserGuidePlaces of the
    // executable's folder unless set.
    void SetUserGuidePlaces(const QStringList& places);

protected:
    // Retranslates at a change of language. The pins' colours are chosen
    // here for the palette, so a desktop that turns dark or light while the
    // program runs has them chosen again.
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TFormStep;

    // Sets every text the window chose at construction again, in the
    // language of the moment, and words its figures anew.
    void RetranslateUi();

    // What a step changes, so that undoing one sets all of it back.
    struct TFormState
    {
        TWeaponDataAndPCData Stats;
        // 0 before the first pick.
        int Slot = 0;
        TOptionRecord Option;
        std::vector<TSetup> Pins;
        std::string Profile;
    };
    TFormState State() const;
    static bool SameState(const TFormState& a, const TFormState& b);
    // Sets everything `state` holds and recomputes as a user's change does,
    // recording no step of its own.
    void Restore(const TFormState& state);
    // Pushes the step from the state last recorded to the present one;
    // steps of the same `mergeId` in quick succession become one.
    void Record(const QString& text, int mergeId = -1);
    // Sets `state` as one step of the user's, named `text`.
    void ApplyAsStep(const TFormState& state, const QString& text);

    void CreateControls();
    QWidget* CreateWeaponBox();
    QWidget* CreateHQBox();
    QWidget* CreateStatBox();
    QWidget* CreateProfileBox();
    QWidget* CreateComparePage();
    // "Zoom in", "Zoom out" and "Actual size", then a line per page.
    QMenu* CreateViewMenu();
    void CreatePageActions(QMenu* viewMenu);
    // Scales everything the zoom touches; `ratio` is new zoom / old zoom.
    void ApplyZoom(double ratio);
    // One page forward (1) or back (-1), round the end, over enabled pages.
    void StepPage(int step);
    QSpinBox* CreateSpinEdit(const QString& name, int maximum, TStat stat);

    void RestorePlacement(const std::optional<TWindowPlacement>& placement);
    void LoadOptions();
    void SaveOptions();
    void ApplyOptions();

    void WeaponListViewClick();
    void SpinEditChange();
    void SpinEditChanged(TStat stat);
    void WeaponListViewColumnClick(int position);
    void WeaponRankingViewChosen(int slot);
    // Runs `refresh`, then the ranking; when `refresh` has shown a fault, a
    // fault of the ranking in the same user action is not shown again.
    void RefreshWithRanking(const std::function<void()>& refresh);

    // The six spin boxes; the weapon part is left empty.
    TWeaponDataAndPCData SpinEditStats() const;
    bool DamageRefresh();
    void WeaponPagesRefresh(bool withSpread);
    // The HQ labels' tooltips: the formula with its values, the value before
    // rounding, the rounding and the figure shown.
    void HQWorkingRefresh();
    // How a grid cell's figure was reached, for its tooltip; empty where the
    // cell holds no figure.
    QString DamageCellWorking(int column, int row);
    void ExplainInStatusBar(TOwnerDrawnGrid* grid);
    QString DelayCellWorking(int column, int row);
    void SpreadChartRefresh();
    void SpeedRefresh();
    void RaderRefresh();
    void NextSwingRefresh();
    void RankingRefresh();
    // The pins' figures, and the current setup's beside them on the Compare
    // page and under the pins on the charts.
    void CompareRefresh();
    void SweepRefresh();
    void PinsChanged();
    // The pages of one weapon show a weapon: one has been picked.
    bool WeaponShown() const;
    void RestorePins();
    void RestoreProfiles();
    // Sets the spin boxes without their signals, so the caller recomputes once.
    void SetSpinStats(const TWeaponDataAndPCData& stats);
    // The combo box's entries as the profiles and the inputs stand: the one
    // in use marked when the inputs differ from its own. `keepTyped` keeps
    // the text of the name field, else it shows the profile in use.
    void ShowProfiles(bool keepTyped = false);
    int FindProfile(const std::string& name) const;

    QString m_dataDir;
    TOptionStore m_optionStore;
    std::unique_ptr<TWeaponDamges> m_calculator;
    TWeaponRanking m_ranking;
    TSetupCalculator m_setups;
    std::vector<TSetup> m_pins;
    std::vector<TSetupFigures> m_compareFigures;
    TWeaponDataAndPCData m_stats;
    TWDataCSVTable m_weapon;
    TOptionRecord m_option;
    TWeaponSpeedData m_speedData;
    int m_sortColumn = 0;
    std::function<QString(const QString&)> m_askSavePath;
    QString m_saveDir;
    std::vector<TProfile> m_profiles;
    int m_profileIndex = -1;
    std::function<QString(const QString&)> m_askProfileName;
    std::function<bool(const QString&)> m_askFormulaQuestion;
    QUndoStack* m_undoStack = nullptr;
    TFormState m_recorded;
    bool m_restoring = false;
    // The language is set once the window is whole; a change before has
    // nothing to retranslate.
    bool m_constructed = false;
    int m_zoom = 100;
    std::function<bool(const QUrl&)> m_openUrl;
    QStringList m_userGuidePlaces;

    QSplitter* m_splitter = nullptr;
    QWidget* m_topPanel = nullptr;
    QAction* m_zoomInAction = nullptr;
    QAction* m_zoomOutAction = nullptr;
    TWeaponFinder* m_finder = nullptr;
    TWeaponListView* m_weaponListView = nullptr;
    QTabWidget* m_pageControl = nullptr;
    TWeaponDataGrid* m_weaponDataGrid = nullptr;
    TWeaponDamageSpreadChart* m_spreadChart = nullptr;
    TWeaponSpeedGrid* m_weaponSpeedGrid = nullptr;
    TWeaponRaderChart* m_raderChart = nullptr;
    TWeaponRankingView* m_rankingView = nullptr;
    QWidget* m_comparePage = nullptr;
    TSetupCompareView* m_compareView = nullptr;
    TStatGainsView* m_gainsView = nullptr;
    TStatSweepChart* m_sweepChart = nullptr;
    QAction* m_pinAction = nullptr;
    QComboBox* m_comboProfile = nullptr;
    QAction* m_profileRenameAction = nullptr;
    QAction* m_profileDeleteAction = nullptr;
    QLabel* m_labelWName = nullptr;
    QLabel* m_labelWType = nullptr;
    QLabel* m_labelWeaponSpeed = nullptr;
    QLabel* m_labelNextSwing = nullptr;
    QLabel* m_labelDmethod = nullptr;
    QLabel* m_labelHQLow = nullptr;
    QLabel* m_labelHQHigh = nullptr;
    QLabel* m_labelHQAve = nullptr;
    QSpinBox* m_spinEditSTR = nullptr;
    QSpinBox* m_spinEditTactics = nullptr;
    QSpinBox* m_spinEditAnatomy = nullptr;
    QSpinBox* m_spinEditLumberjack = nullptr;
    QSpinBox* m_spinEditDEX = nullptr;
    QSpinBox* m_spinEditInt = nullptr;
};
