#pragma once

#include <QByteArray>
#include <QString>

// Puts `bytes` in the file at `path` so that afterwards it holds either all of
// them or exactly what it held before: a full disk or a size limit must never
// leave a truncated settings file or picture in place of a good one. Anything
// at `path` that is not a regular file is refused without being opened.
// Returns the reason of a failure (the file device's own words), empty when
// the file was written.
QString WriteFileWhole(const QString& path, const QByteArray& bytes);
