#pragma once

#include "views/qt/SaveDialog.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

// The main window's save dialog control: the dialog it shows, owned by the window.
class CommonDialog final : public QObject {
    Q_OBJECT
public:
    CommonDialog(SaveDialog& dialog, QObject* parent) : QObject(parent), dialog_(dialog) {}

    // The chosen file, or nothing when the user cancelled.
    std::optional<QString> ShowSave(QWidget* owner, const QString& title, const QString& filter,
                                    const QString& fileName) {
        return dialog_.showSave(owner, title, filter, fileName);
    }

private:
    SaveDialog& dialog_;
};
