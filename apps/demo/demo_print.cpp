// Printing the shown map from the demo: the view or the whole map, fitted to
// the page or at a common map scale, into a PDF file.
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QStatusBar>

#include "demo_window.h"

namespace zylcarto::demo {

void TDemoWindow::PrintToPdf() {
    using TArea = TPrintLayout::TArea;
    struct TChoice {
        QString Text;
        TPrintLayout Layout;
    };
    const TChoice Choices[] = {
        {QStringLiteral("The view, fitted to the page"), {TArea::paView, 0}},
        {QStringLiteral("The whole map, fitted to the page"), {TArea::paWholeMap, 0}},
        {QStringLiteral("At 1:10 000 around the view's centre"), {TArea::paView, 10000}},
        {QStringLiteral("At 1:25 000 around the view's centre"), {TArea::paView, 25000}},
        {QStringLiteral("At 1:50 000 around the view's centre"), {TArea::paView, 50000}},
        {QStringLiteral("At 1:100 000 around the view's centre"), {TArea::paView, 100000}},
    };
    QStringList Texts;
    for (const TChoice& C : Choices) Texts << C.Text;
    bool Ok = false;
    const QString Chosen =
        QInputDialog::getItem(this, QStringLiteral("Print to PDF"), QStringLiteral("Print:"), Texts, 0, false, &Ok);
    if (!Ok) return;
    const QString Name = QFileDialog::getSaveFileName(this, QStringLiteral("Print to PDF"),
                                                      QDir::home().filePath(QStringLiteral("zylland.pdf")),
                                                      QStringLiteral("PDF files (*.pdf)"));
    if (Name.isEmpty()) return;
    PrintToPdfFile(Name, Choices[Texts.indexOf(Chosen)].Layout);
}

bool TDemoWindow::PrintToPdfFile(const QString& FileName, const TPrintLayout& Layout) {
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(FileName);
    Printer.setPageOrientation(QPageLayout::Landscape);
    QPainter Painter;
    int Scale = 0;
    try {
        if (!Painter.begin(&Printer)) throw std::runtime_error("cannot write " + FileName.toStdString());
        Scale = FAtlas->CurrentMap()->PrintMap(Painter, Layout);
        Painter.end();
    } catch (const std::exception& E) {
        if (Painter.isActive()) Painter.end();
        QMessageBox::warning(this, QStringLiteral("Print to PDF"), QString::fromUtf8(E.what()));
        return false;
    }
    statusBar()->showMessage(Scale > 0 ? QStringLiteral("Printed to %1 at 1:%2").arg(FileName).arg(Scale)
                                       : QStringLiteral("Printed to %1").arg(FileName),
                             MessageMilliseconds);
    return true;
}

}  // namespace zylcarto::demo
