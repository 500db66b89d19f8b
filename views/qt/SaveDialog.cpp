#include "views/qt/SaveDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    }
    return filters;
}

std::optional<QString> QtSaveDialog::showSave(QWidget* parent, const QString& title,
                                              const QString& filter, const QString& fileName) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(filter));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (fileName.isEmpty()) {
        // The first save of a run starts in the user's documents, not wherever we were started.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        dialog.setDirectory(QDir(documents).exists() ? documents : QDir::homePath());
    } else {
        dialog.selectFile(fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}
