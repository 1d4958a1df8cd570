#include "app/DataDir.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kTableFileName = QStringLiteral("WData.csv");
const QString kInstalledDataDir = QStringLiteral("../share/quillmarch");

bool HoldsTable(const QString& dir)
{
    return QFileInfo(QDir(dir).filePath(kTableFileName)).isFile();
}

QString InstalledDataDir(const QString& applicationDirPath)
{
    return QDir::cleanPath(QDir(applicationDirPath).filePath(kInstalledDataDir));
}

} // namespace

QString FindDataDir(const QString& applicationDirPath)
{
    if (HoldsTable(applicationDirPath))
        return applicationDirPath;
    const QString installed = InstalledDataDir(applicationDirPath);
    if (HoldsTable(installed))
        return installed;
    return applicationDirPath;
}

bool IsInstalledLayout(const QString& applicationDirPath)
{
    return !HoldsTable(applicationDirPath) && HoldsTable(InstalledDataDir(applicationDirPath));
}

QStringList UserGuidePlaces(const QString& applicationDirPath)
{
    const QDir dir(applicationDirPath);
    return {QDir::cleanPath(dir.filePath(QStringLiteral("../share/doc/quillmarch/README.md"))),
            QDir::cleanPath(dir.filePath(QStringLiteral("../README.md")))};
}
