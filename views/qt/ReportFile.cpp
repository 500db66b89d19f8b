#include "views/qt/ReportFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

std::optional<QString> WriteFileAtomically(const QString& path, const std::string& bytes) {
    // The file is replaced where a link points: a link that another user planted (in a shared
    // folder) would have the report replace a file of this user's that it points to. The
    // kernel's own guard never applies, since the link is read, not followed, on the way.
    struct stat link {};
    if (lstat(QFile::encodeName(path).constData(), &link) == 0 && S_ISLNK(link.st_mode) &&
        link.st_uid != geteuid() && link.st_uid != 0) {
        return QStringLiteral("It is a link to another file, and the link belongs to another "
                              "user.");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}
