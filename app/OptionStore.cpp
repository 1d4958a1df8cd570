#include "app/OptionStore.h"

#include "app/AtomicFile.h"
#include "app/Messages.h"
#include "expr/Exception.h"
#include "weapons/FileKind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        const TFileKind kind = FileKindOf(QFile::encodeName(path).toStdString());
        // A folder in the file's place cannot hold settings nor keep the
        // program waiting; saving moves on to the configuration folder then.
        if (kind == TFileKind::Missing || kind == TFileKind::Directory) {
            continue;
        }
        // Opening a named pipe waits for a writer and a device may never end,
        // so only a regular file is opened; anything else leaves the defaults.
        if (kind != TFileKind::Regular) {
            const QString message = QCoreApplication::translate(
                                        "TOptionStore", "設定ファイルを読み込めません（%1）: %2")
                                        .arg(FileKindWords(kind), QDir::toNativeSeparators(path));
            throw EFileError(message.toStdString());
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

QString TOptionStore::Save(const TOptionRecord& record,
                           const std::optional<TWindowPlacement>& placement,
                           const std::optional<std::vector<std::string>>& pinKeys,
                           const std::optional<TProfileBook>& profiles,
                           const std::optional<std::int32_t>& zoomPercent)
{
    WriteOptionRecord(record, m_ini);
    if (zoomPercent) {
        WriteZoomPercent(*zoomPercent, m_ini);
    }
    if (placement) {
        WriteWindowPlacement(*placement, m_ini);
    }
    if (pinKeys) {
        WritePinKeys(*pinKeys, m_ini);
    }
    if (profiles) {
        WriteProfiles(*profiles, m_ini);
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
        if (path == ConfigFilePath() && !QDir().mkpath(m_configDir)) {
            problems << QDir::toNativeSeparators(m_configDir);
            continue;
        }
        const QString error = WriteFileWhole(path, bytes);
        if (error.isEmpty()) {
            return path;
        }
        problems << QDir::toNativeSeparators(path) + QStringLiteral(": ") + error;
    }
    const QString message =
        QCoreApplication::translate("TOptionStore", "Option.iniを保存できませんでした。") +
        QLatin1Char('\n') + problems.join(QLatin1Char('\n'));
    throw EFileError(message.toStdString());
}
