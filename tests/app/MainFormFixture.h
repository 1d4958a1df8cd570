#pragma once

#include "app/Main.h"
#include "app/Messages.h"
#include "weapons/NumberFormat.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

inline const QString DataSource = QStringLiteral(QUILLMARCH_SOURCE_DIR "/data/WData.csv");

// What a first start writes to Option.ini, before the window's place.
inline const QString StandardSettings =
    QStringLiteral("[Base]\nAnatomy=0\nDecimal=0\n"
                   "DamageMethod=(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus\n"
                   "[SpreadChart]\n3D=0\n"
                   "[WeaponSpeed]\nMethod=(15000/((25+2.5*DEXR)*SPEED))\n");

inline QString General(double value)
{
    return QString::fromStdString(FormatGeneral(value));
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T> T* Child(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        qWarning("no child %s", name);
    }
    return child;
}

// Main windows over a fresh data folder holding a copy of the weapon table
// and an empty config folder, with every message they would show collected
// in m_messages instead. The test class calls SetUpFolders from init() and
// TearDownMessages from cleanup().
class TMainFormFixture
{
protected:
    void SetUpFolders()
    {
        m_dataDir = std::make_unique<QTemporaryDir>();
        m_configDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dataDir->isValid() && m_configDir->isValid());
        QVERIFY(QFile::copy(DataSource, m_dataDir->filePath(QStringLiteral("WData.csv"))));
        m_messages.clear();
        SetMessageSink([this](const QString& text) { m_messages << text; });
    }

    void TearDownMessages() { SetMessageSink({}); }

    std::unique_ptr<TMainForm> MakeForm()
    {
        return std::make_unique<TMainForm>(m_dataDir->path(), m_configDir->path());
    }

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<QTemporaryDir> m_configDir;
    QStringList m_messages;
};
