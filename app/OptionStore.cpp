#include "app/OptionStore.h"

#include "expr/Exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

TOptionStore::TOptionStore(const QString& dataDir, const QString& configDir, bool besideData)
    : m_dataDir(dataDir), m_configDir(configDir.isEmpty() ? DefaultConfigDir() : configDir),
      m_besideData(besideData)
{
}

QString TOptionStore::DefaultConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillmarch");
}

QString TOptionStore::DataFilePath() const
{
    return QDir(m_dataDir).filePath(QString::fromLatin1(FileName));
}

QString TOptionStore::ConfigFilePath() const
{
    return QDir(m_configDir).filePath(QString::fromLatin1(FileName));
}

TOptionRecord TOptionStore::Load()
{
    m_ini = TIniFile();
    m_loadedFrom.clear();
    QStringList sources{ConfigFilePath()};
    if (m_besideData) {
        sources << DataFilePath();
    }
    for (const QString& path : sources) {
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = file.readAll();
        m_ini.ParseBytes(bytes.toStdString());
        m_loadedFrom = path;
        break;
    }
    return ReadOptionRecord(m_ini);
}

bool TOptionStore::WriteWhole(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString TOptionStore::Save(const TOptionRecord& record,
                           const std::optional<TWindowPlacement>& placement)
{
    WriteOptionRecord(record, m_ini);
    if (placement) {
        WriteWindowPlacement(*placement, m_ini);
    }
    const QByteArray bytes = QByteArray::fromStdString(m_ini.Text());

    QStringList targets;
    if (QFileInfo::exists(ConfigFilePath()) || !m_besideData) {
        targets << ConfigFilePath();
    } else {
        targets << DataFilePath() << ConfigFilePath();
    }
    QStringList problems;
    for (const QString& path : targets) {
        QString error;
        if (path == ConfigFilePath() && !QDir().mkpath(m_configDir)) {
            problems << QDir::toNativeSeparators(m_configDir);
            continue;
        }
        if (WriteWhole(path, bytes, error)) {
            return path;
        }
        problems << QDir::toNativeSeparators(path) + QStringLiteral(": ") + error;
    }
    const QString message =
        QCoreApplication::translate("TOptionStore", "Option.iniを保存できませんでした。") +
        QLatin1Char('\n') + problems.join(QLatin1Char('\n'));
    throw EFileError(message.toStdString());
}
