#pragma once

#include "app/Language.h"
#include "app/Main.h"
#include "app/Messages.h"
#include "views/WeaponListView.h"
#include "weapons/NumberFormat.h"
#include "weapons/WeaponD.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QSpinBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

inline const QString DataSource = QStringLiteral(QUILLMARCH_SOURCE_DIR "/data/WData.csv");

// What a first start writes to Option.ini, before the window's place.
inline const QString StandardSettings =
    QStringLiteral("[Base]\nAnatomy=0\nDecimal=0\n"
                   "DamageMethod=(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus\n"
                   "[SpreadChart]\n3D=0\n"
                   "[WeaponSpeed]\nMethod=(15000/((25+2.5*DEXR)*SPEED))\n");

struct TStats
{
    int STR = 100, DEX = 100, INT = 100, Tactics = 100, Anatomy = 100, Lumberjack = 100;
};

// The damage figures the core gives for one weapon, computed without the window.
inline TWeaponDamges Expected(const TWDataCSVTable& weapon, const TStats& stats,
                              const TOptionRecord& option)
{
    TWeaponDamges calc(TWeaponDataAndPCData{});
    calc.SetDamageMethod(option.Base.DamageMethod);
    calc.SetRoundingMode(option.Base.Decimal);
    calc.SetAnatomyOption(option.Base.Anatomy);
    calc.WeaponData() = {weapon.HighDamage, weapon.LowDamage, weapon.AverageDamage, weapon.Type,
                         weapon.Name};
    TWeaponDataAndPCData pc;
    pc.STR = stats.STR;
    pc.DEX = stats.DEX;
    pc.INT = stats.INT;
    pc.Tactics = stats.Tactics;
    pc.Anatomy = stats.Anatomy;
    pc.Lumberjack = stats.Lumberjack;
    calc.SetStats(pc);
    return calc;
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

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

inline void SetStats(TMainForm& form, const TStats& stats)
{
    Child<QSpinBox>(form, "SpinEditSTR")->setValue(stats.STR);
    Child<QSpinBox>(form, "SpinEditDEX")->setValue(stats.DEX);
    Child<QSpinBox>(form, "SpinEditInt")->setValue(stats.INT);
    Child<QSpinBox>(form, "SpinEditTactics")->setValue(stats.Tactics);
    Child<QSpinBox>(form, "SpinEditAnatomy")->setValue(stats.Anatomy);
    Child<QSpinBox>(form, "SpinEditLumberjack")->setValue(stats.Lumberjack);
}

// Picks the weapon as a click on its row does, without the mouse.
inline TWDataCSVTable SelectWeapon(TMainForm& form, const QString& name)
{
    auto* list = Child<TWeaponListView>(form, "WeaponListView");
    const auto found = list->findItems(name, Qt::MatchExactly, 0);
    if (found.isEmpty()) {
        qWarning("no weapon %s", qPrintable(name));
        return {};
    }
    list->setCurrentItem(found.front());
    emit list->WeaponClicked();
    TWDataCSVTable weapon;
    list->GetWeaponData(weapon);
    return weapon;
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
        // The texts these tests pin are the Japanese ones, whatever the
        // machine's locale says.
        SetLanguage(TLanguage::Japanese);
        SetMessageSink([this](const QString& text) { m_messages << text; });
    }

    void TearDownMessages() { SetMessageSink({}); }

    // Runs `action` in a child process whose files cannot grow beyond
    // `fileSizeLimit` (writes fail with EFBIG, as on a full disk) and returns
    // the messages it showed. The child is killed after 20 seconds, so an
    // action that blocks fails the test instead of hanging it.
    QString MessagesOfChild(const std::function<void()>& action,
                            rlim_t fileSizeLimit = RLIM_INFINITY)
    {
        int ends[2];
        if (::pipe(ends) != 0) {
            return QStringLiteral("no pipe");
        }
        if (fork() == 0) {
            alarm(20);
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            action();
            const QByteArray said = m_messages.join(QLatin1Char('\n')).toUtf8();
            _exit(::write(ends[1], said.constData(), said.size()) == said.size() ? 0 : 1);
        }
        ::close(ends[1]);
        QFile pipe;
        pipe.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        const QString said = QString::fromUtf8(pipe.readAll());
        int status = 0;
        wait(&status);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said
                                                             : QStringLiteral("child failed");
    }

    std::unique_ptr<TMainForm> MakeForm()
    {
        return std::make_unique<TMainForm>(m_dataDir->path(), m_configDir->path());
    }

    // Shown and active, so that the window's shortcuts reach it.
    std::unique_ptr<TMainForm> ShownForm()
    {
        auto form = MakeForm();
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) {
            qWarning("window not active");
        }
        return form;
    }

    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<QTemporaryDir> m_configDir;
    QStringList m_messages;
};
