#include "app/AtomicFile.h"

#include "app/Messages.h"
#include "weapons/FileKind.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

QString WriteFileWhole(const QString& path, const QByteArray& bytes)
{
    const TFileKind kind = FileKindOf(QFile::encodeName(path).toStdString());
    if (kind != TFileKind::Missing && kind != TFileKind::Regular) {
        return FileKindWords(kind);
    }
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    // commit() flushes last but renames even when that flush fails (the disk
    // filled up), so the buffered tail is flushed and checked here, while
    // cancelling still keeps the old file.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const int code = errno;
        QString reason = file.errorString();
        // A write cut short after some bytes (the disk filled up midway)
        // leaves the device without a reason of its own; the system's is
        // still the last one set.
        if (reason == QFile().errorString() && code != 0) {
            reason = qt_error_string(code);
        }
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return QString();
}
