#pragma once
// The reference points of the shown map as a table, with the commands that
// edit them; the window does the editing.
#include <QDockWidget>
#include <vector>

#include "calib_review.h"

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace zylcarto::demo {

class TCalibrationPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit TCalibrationPanel(QWidget* Parent);

    // Points that stand out from the others are shown in red.
    void ShowPoints(const std::vector<TReferencePoint>& Points, bool UTM);
    void SetUndoEnabled(bool Value);
    // The residual arrows are asked for.
    bool ResidualsShown() const;

signals:
    void RemoveRequested(int Row);  // 0-based
    void UndoRequested();
    void SaveRequested();
    void ResidualsToggled(bool On);

private:
    QTableWidget* FTable;
    QPushButton* FRemove;
    QPushButton* FUndo;
    QPushButton* FSave;
    QCheckBox* FResiduals;
};

}  // namespace zylcarto::demo
