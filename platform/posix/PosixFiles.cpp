#include "platform/posix/PosixFiles.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

std::optional<std::string> PosixFiles::replaceFile(const std::string& path,
                                                   const std::string& bytes) {
    // The file is replaced where a link points: a link that another user planted (in a shared
    // folder) would have the report replace a file of this user's that it points to. The
    // kernel's own guard never applies, since the link is read, not followed, on the way.
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid != geteuid() &&
        link.st_uid != 0) {
        return "It is a link to another file, and the link belongs to another user.";
    }
    QSaveFile file(QFile::decodeName(path.c_str()));
    const auto reason = [&file] { return file.errorString().toLocal8Bit().toStdString(); };
    if (!file.open(QIODevice::WriteOnly)) {
        return reason();
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const std::string why = reason();
        file.cancelWriting();
        return why;
    }
    if (!file.commit()) {
        return reason();
    }
    return std::nullopt;
}

} // namespace platform::posix
