#pragma once
/// @file
/// A form loader for forms with the library's widgets. Header only: a host
/// that uses it links Qt6::UiTools itself, and finds the designer plugin as
/// any QUiLoader does (its plugin paths).
#include <QDir>
#include <QPointer>
#include <QUiLoader>
#include <exception>
#include <vector>

#include "zylcarto/geomap/view/geomap.h"

namespace zylcarto {

/// QUiLoader that makes each TGeoMap of a form find the files its properties
/// name relative to workingDirectory(), as the form's other resources are,
/// and ends the maps' loading itself so that a file the form names and that
/// cannot be loaded is reported by errorString(). Used as TFormLoader, not
/// through a QUiLoader pointer: load and errorString hide QUiLoader's.
class TFormLoader : public QUiLoader {
public:
    /// As QUiLoader's.
    explicit TFormLoader(QObject* Parent = nullptr) : QUiLoader(Parent) {}

    /// The widget QUiLoader makes; a TGeoMap gets the working directory as its
    /// FormFolder before the form's properties are set.
    QWidget* createWidget(const QString& ClassName, QWidget* Parent = nullptr, const QString& Name = {}) override {
        QWidget* Made = QUiLoader::createWidget(ClassName, Parent, Name);
        if (auto* Map = qobject_cast<TGeoMap*>(Made)) {
            Map->SetFormFolder(QDir::toNativeSeparators(workingDirectory().absolutePath()).toStdString());
            FMaps.emplace_back(Map);
        }
        return Made;
    }

    /// QUiLoader::load, then the maps' files loaded (TGeoMap::Loaded). The form
    /// is returned also when a file failed; errorString() then says which.
    QWidget* load(QIODevice* Device, QWidget* ParentWidget = nullptr) {
        FMaps.clear();
        FFileError.clear();
        QWidget* Top = QUiLoader::load(Device, ParentWidget);
        for (const QPointer<TGeoMap>& Map : FMaps) {
            if (!Map) continue;
            try {
                Map->Loaded();
            } catch (const std::exception& E) {
                if (!FFileError.isEmpty()) FFileError += QLatin1Char('\n');
                FFileError += QString::fromStdString(E.what());
            }
        }
        FMaps.clear();
        return Top;
    }

    /// The files the last load could not load, one line per map naming the
    /// file, or else QUiLoader's errorString().
    QString errorString() const { return FFileError.isEmpty() ? QUiLoader::errorString() : FFileError; }

private:
    std::vector<QPointer<TGeoMap>> FMaps;  // made by the current load
    QString FFileError;
};

}  // namespace zylcarto
