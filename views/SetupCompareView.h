#pragma once

#include "weapons/CompareTable.h"

#include <QString>
#include <QTableView>

#include <vector>

QT_BEGIN_NAMESPACE
class QAction;
QT_END_NAMESPACE

class TSetupCompareModel;

// The current setup and the pinned ones side by side, one column each, one
// row per figure; each pinned column also shows its difference to the
// current one, and the best figure of a row stands out. The caller owns the
// pins: removing or moving a column only asks for it through a signal, and
// the caller answers with new figures.
class TSetupCompareView : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(std::vector<TSetupFigures> Figures READ Figures WRITE SetFigures)

public:
    explicit TSetupCompareView(QWidget* parent = nullptr);
    ~TSetupCompareView() override;

    // The current setup first, then the pins in their order.
    void SetFigures(const std::vector<TSetupFigures>& figures);
    const std::vector<TSetupFigures>& Figures() const;

    // What a cell shows, its difference to the first column included.
    QString CellText(TCompareRow row, int column) const;
    bool IsBest(TCompareRow row, int column) const;

    // The header line and every row with its caption, rows joined by "\n",
    // cells by "\t".
    QString ToTabSeparatedText() const;
    void CopyToClipboard() const;

signals:
    // The user asked to remove the pin shown in column pinIndex + 1.
    void PinRemoved(int pinIndex);
    // The user dragged the pin `from` to the place of the pin `to`.
    void PinMoved(int from, int to);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Rows and columns follow the font, as the window's zoom sets it.
    void changeEvent(QEvent* event) override;

private:
    void ShowColumnMenu(int column, QPoint globalPos);
    void SectionMoved(int logical, int oldVisual, int newVisual);
    void FitColumns();

    TSetupCompareModel* m_model = nullptr;
    QAction* m_copyAction = nullptr;
    bool m_undoingMove = false;
};
