// A host whose window uic made from a designer form with both widgets: the
// generated code compiles against the installed headers and restores the form.
#include <QApplication>
#include <cstdio>

#include "ui_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    Ui::ZylcartoForm ui;
    ui.setupUi(&window);
    if (ui.geoMap->AntiAlias() || ui.geoMap->GetUTMZone() != 33 || ui.geoMap->EmptyMsg() != "No map yet") return 1;
    if (ui.geoAtlas->CmdPanelVisible() || ui.geoAtlas->MinResDiff() != 25.5) return 2;
    std::printf("form host ok\n");
    return 0;
}
