#pragma once

#include "weapons/SetupFigures.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

QT_BEGIN_NAMESPACE
class QLabel;
class QTableWidget;
QT_END_NAMESPACE

// What raising each input of the current setup would bring, one row per
// step in the order the caller ranked them, the best gain marked; below it
// the DEX that buys the next shorter swing. The caller computes both.
class TStatGainsView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(std::vector<TStatGain> Gains READ Gains WRITE SetGains)
    Q_PROPERTY(std::optional<TWeaponSpeed::TNextFasterSwing> NextFasterSwing READ NextFasterSwing
                   WRITE SetNextFasterSwing)
    Q_PROPERTY(int BestRow READ BestRow)

public:
    enum TColumn
    {
        InputColumn,
        StepColumn,
        RangeColumn,
        HQAverageColumn,
        AverageColumn,
        DelayColumn,
        DamagePerSecondColumn,
        ColumnCount
    };

    explicit TStatGainsView(QWidget* parent = nullptr);

    const std::vector<TStatGain>& Gains() const { return m_gains; }
    void SetGains(std::vector<TStatGain> gains);

    const std::optional<TWeaponSpeed::TNextFasterSwing>& NextFasterSwing() const
    {
        return m_nextFasterSwing;
    }
    void SetNextFasterSwing(std::optional<TWeaponSpeed::TNextFasterSwing> next);

    // The first row when its damage per second rises, else -1.
    int BestRow() const;

    QString CellText(int row, TColumn column) const;
    // The header line and every row, rows joined by "\n", cells by "\t".
    QString ToTabSeparatedText() const;
    void CopyToClipboard() const;

protected:
    // Follows a change of language, and of light and dark for the best
    // row's mark; rows follow the font, as the window's zoom sets it.
    void changeEvent(QEvent* event) override;

private:
    void Refill();

    std::vector<TStatGain> m_gains;
    std::optional<TWeaponSpeed::TNextFasterSwing> m_nextFasterSwing;
    QTableWidget* m_table = nullptr;
    QLabel* m_nextSwingLabel = nullptr;
};
