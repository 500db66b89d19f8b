#pragma once

#include "views/qt/SaveDialog.h"

#include <QObject>
#include <QString>

class QWidget;

// The main window's save dialog: it keeps the last chosen file and offers it again.
class CommonDialog final : public QObject {
    Q_OBJECT
public:
    CommonDialog(SaveDialog& dialog, QObject* parent) : QObject(parent), dialog_(dialog) {}

    QString DialogTitle;
    QString Filter;
    QString FileName;

    // False when the user cancelled; FileName then keeps its earlier value.
    bool ShowSave(QWidget* owner);

private:
    SaveDialog& dialog_;
};
