#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Asks the user for the name of a file to save.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // The chosen path, or nothing when the user cancelled. The filter is a list of
    // description|pattern pairs joined by "|".
    virtual std::optional<QString> showSave(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& fileName) = 0;
};

// "Text File|*.txt|All Files|*.*" as the name filters of a Qt file dialog.
QStringList NameFilters(const QString& filter);

class QtSaveDialog final : public SaveDialog {
public:
    std::optional<QString> showSave(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& fileName) override;
};
