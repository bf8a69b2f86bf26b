#include "calibration_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace zylcarto::demo {

TCalibrationPanel::TCalibrationPanel(QWidget* Parent)
    : QDockWidget(QStringLiteral("Reference points"), Parent), FTable(new QTableWidget(0, 5)),
      FRemove(new QPushButton(QStringLiteral("Remove"))), FUndo(new QPushButton(QStringLiteral("Undo removal"))),
      FSave(new QPushButton(QStringLiteral("Save calibration..."))),
      FResiduals(new QCheckBox(QStringLiteral("Residual arrows (x10)"))) {
    setObjectName(QStringLiteral("ReferencePoints"));
    FTable->setObjectName(QStringLiteral("ReferencePointTable"));
    FUndo->setObjectName(QStringLiteral("UndoRemoval"));
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FTable->setSelectionMode(QAbstractItemView::SingleSelection);
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->verticalHeader()->setVisible(false);
    FTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    FRemove->setEnabled(false);
    FUndo->setEnabled(false);
    connect(FTable, &QTableWidget::itemSelectionChanged, this,
            [this] { FRemove->setEnabled(FTable->currentRow() >= 0); });
    connect(FRemove, &QPushButton::clicked, this, [this] {
        if (FTable->currentRow() >= 0) emit RemoveRequested(FTable->currentRow());
    });
    connect(FUndo, &QPushButton::clicked, this, &TCalibrationPanel::UndoRequested);
    connect(FSave, &QPushButton::clicked, this, &TCalibrationPanel::SaveRequested);
    FResiduals->setObjectName(QStringLiteral("ResidualArrows"));
    FResiduals->setToolTip(QStringLiteral("An arrow from each point to where the fit puts it, ten times as long; "
                                          "magenta for a point the fit of the others does not follow"));
    connect(FResiduals, &QCheckBox::toggled, this, &TCalibrationPanel::ResidualsToggled);

    auto* Body = new QWidget(this);
    auto* Layout = new QVBoxLayout(Body);
    Layout->addWidget(FTable, 1);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(FRemove);
    Buttons->addWidget(FUndo);
    Buttons->addWidget(FSave);
    Layout->addLayout(Buttons);
    Layout->addWidget(FResiduals);
    setWidget(Body);
}

void TCalibrationPanel::ShowPoints(const std::vector<TReferencePoint>& Points, bool UTM) {
    FTable->setHorizontalHeaderLabels({UTM ? QStringLiteral("Northing") : QStringLiteral("Latitude"),
                                       UTM ? QStringLiteral("Easting") : QStringLiteral("Longitude"),
                                       QStringLiteral("Pixel x"), QStringLiteral("Pixel y"),
                                       QStringLiteral("Residual (px)")});
    FTable->clearContents();
    FTable->setRowCount(static_cast<int>(Points.size()));
    const int Decimals = UTM ? 1 : 5;
    for (int Row = 0; Row < FTable->rowCount(); ++Row) {
        const TReferencePoint& P = Points[static_cast<std::size_t>(Row)];
        const QStringList Cells{QString::number(P.Lat, 'f', Decimals), QString::number(P.Long, 'f', Decimals),
                                QString::number(P.X), QString::number(P.Y),
                                std::isnan(P.Review.LeftOutResidual)
                                    ? QStringLiteral("-")
                                    : QString::number(P.Review.LeftOutResidual, 'f', 1)};
        const bool Flagged = P.Review.Outlier;
        for (int Col = 0; Col < Cells.size(); ++Col) {
            auto* Item = new QTableWidgetItem(Cells[Col]);
            Item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (Flagged) Item->setForeground(Qt::red);
            FTable->setItem(Row, Col, Item);
        }
    }
    FRemove->setEnabled(FTable->currentRow() >= 0);
}

void TCalibrationPanel::SetUndoEnabled(bool Value) { FUndo->setEnabled(Value); }

bool TCalibrationPanel::ResidualsShown() const { return FResiduals->isChecked(); }

}  // namespace zylcarto::demo
