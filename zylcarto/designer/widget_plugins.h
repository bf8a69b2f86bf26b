#pragma once
// The library's widgets in Qt Designer's widget box, group "zylcarto". A
// widget made for the designer's form is in the designing state; one made for
// a form loader (QUiLoader, which uses the same plugins but initializes none)
// restores its properties in the loading state.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace zylcarto::designer {

// What the widget box shows of one widget, and how to make it.
struct TWidgetEntry {
    QString ClassName;  // with its namespace, as in the form
    QString IncludeFile;
    QString IconResource;  // the left half of a library bitmap
    QString ToolTip;
    QString WhatsThis;
    QString DomXml;
    std::function<QWidget*(QWidget* Parent, bool Designing)> Create;
};

class TWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    TWidgetPlugin(TWidgetEntry Entry, QObject* Parent) : QObject(Parent), FEntry(std::move(Entry)) {}

    QString name() const override { return FEntry.ClassName; }
    QString group() const override { return QStringLiteral("zylcarto"); }
    QString toolTip() const override { return FEntry.ToolTip; }
    QString whatsThis() const override { return FEntry.WhatsThis; }
    QString includeFile() const override { return FEntry.IncludeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* Parent) override;
    bool isInitialized() const override { return FCore != nullptr; }
    void initialize(QDesignerFormEditorInterface* Core) override;
    QString domXml() const override { return FEntry.DomXml; }

private:
    TWidgetEntry FEntry;
    QDesignerFormEditorInterface* FCore = nullptr;  // set by the designer only
};

class TWidgetCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TWidgetCollection(QObject* Parent = nullptr);
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return FWidgets; }

private:
    QList<QDesignerCustomWidgetInterface*> FWidgets;
};

}  // namespace zylcarto::designer
