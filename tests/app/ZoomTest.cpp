#include "MainFormFixture.h"

#include "app/Zoom.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponRaderChart.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

class ZoomTest : public QObject, private TMainFormFixture
{
    Q_OBJECT

private slots:
    void init() { SetUpFolders(); }
    void cleanup() { TearDownMessages(); }

    // Every caption a user reads gets the room it asks for, on every page, and
    // the radar keeps its captions inside its panel.
    void layoutsHoldAtEveryStep()
    {
        auto form = ShownForm();
        SelectWeapon(*form, QStringLiteral("Katana"));
        auto* pages = Child<QTabWidget>(*form, "PageControl");
        for (const int zoom : ZoomSteps) {
            form->SetZoom(zoom);
            QTest::qWait(1);
            // 100 % keeps the design's minimum, made for screens wider than the test's.
            if (zoom != ActualSizeZoom)
                QCOMPARE(form->size().expandedTo(form->minimumSizeHint()), form->size());
            form->resize(form->size().expandedTo(form->minimumSizeHint()));
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                QTest::qWait(1);
                QVERIFY(pages->currentWidget()->height() >=
                        pages->currentWidget()->minimumSizeHint().height());
                for (QWidget* w : form->findChildren<QWidget*>()) {
                    const bool caption = qobject_cast<QLabel*>(w) ||
                                         qobject_cast<QAbstractButton*>(w) ||
                                         qobject_cast<QGroupBox*>(w);
                    if (caption && w->isVisible() && !qobject_cast<QTabBar*>(w->parentWidget()))
                        QVERIFY2(w->width() >= w->minimumSizeHint().width() &&
                                     w->height() >= w->minimumSizeHint().height(),
                                 qPrintable(w->objectName() + w->property("text").toString()));
                }
            }
            auto* radar = Child<TWeaponRaderChart>(*form, "WeaponRaderChart");
            for (const QRect& caption : radar->CaptionRects())
                QVERIFY(radar->rect().contains(caption));
        }
        // Left at 200 %: 8 x 19 cells of 140 x 32.
        QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->minimumSizeHint(),
                 QSize(1120, 608));
    }

    void keysStepThroughTheZoomAndGreyAtTheEnds()
    {
        auto form = ShownForm();
        auto* zoomIn = Child<QAction>(*form, "ActionZoomIn");
        auto* zoomOut = Child<QAction>(*form, "ActionZoomOut");
        const std::pair<Qt::Key, int> steps[] = {
            {Qt::Key_Equal, 110}, {Qt::Key_Plus, 125},  {Qt::Key_Equal, 150}, {Qt::Key_Equal, 175},
            {Qt::Key_Equal, 200}, {Qt::Key_Equal, 200}, {Qt::Key_0, 100},     {Qt::Key_Minus, 90},
            {Qt::Key_Minus, 75},  {Qt::Key_Minus, 75}};
        for (const auto& [key, zoom] : steps) {
            QTest::keyClick(form.get(), key, Qt::ControlModifier);
            QCOMPARE(form->Zoom(), zoom);
            QCOMPARE(zoomIn->isEnabled(), zoom != 200);
            QCOMPARE(zoomOut->isEnabled(), zoom != 75);
        }
        // Kept for the next start, in the options' section.
        form->SetZoom(150);
        form->close();
        QVERIFY(QString::fromUtf8(ReadFile(m_dataDir->filePath(QStringLiteral("Option.ini"))))
                    .contains(QStringLiteral("Plus\nZoom=150\n[SpreadChart]")));
    }

    void storedZoomIsSnappedToAStep_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("zoom");
        QTest::newRow("missing") << QByteArray() << 100;
        QTest::newRow("not a number") << QByteArray("Zoom=big\n") << 100;
        QTest::newRow("a step") << QByteArray("Zoom=175\n") << 175;
        QTest::newRow("nearer the lower step") << QByteArray("Zoom=137\n") << 125;
        QTest::newRow("half way takes the lower") << QByteArray("Zoom=105\n") << 100;
        QTest::newRow("below the first") << QByteArray("Zoom=-2147483648\n") << 75;
        QTest::newRow("above the last") << QByteArray("Zoom=2147483647\n") << 200;
    }

    void storedZoomIsSnappedToAStep()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, zoom);
        WriteFile(m_dataDir->filePath(QStringLiteral("Option.ini")), "[Base]\n" + stored);
        QCOMPARE(MakeForm()->Zoom(), zoom);
        QVERIFY(m_messages.isEmpty());
    }

    void pageKeysWorkFromOutsideThePages()
    {
        auto form = ShownForm();
        auto* pages = Child<QTabWidget>(*form, "PageControl");
        QWidget* list = Child<QWidget>(*form, "WeaponListView");
        list->setFocus();
        for (int page = 6; page >= 1; --page) {
            QTest::keyClick(list, static_cast<Qt::Key>(Qt::Key_0 + page), Qt::ControlModifier);
            QCOMPARE(pages->currentIndex(), page - 1);
        }
        // Round the ends both ways, the focus still in the list.
        QTest::keyClick(list, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pages->currentIndex(), 5);
        QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(list->hasFocus());
    }

    void f1OpensTheFirstGuideThatExists_data()
    {
        // Places holding a guide; the viewer's answer; the place it gets (-1: none).
        QTest::addColumn<QList<bool>>("present");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("openedPlace");
        QTest::newRow("installed first") << QList<bool>{true, true} << true << 0;
        QTest::newRow("build tree: the sources'") << QList<bool>{false, true} << true << 1;
        QTest::newRow("neither") << QList<bool>{false, false} << true << -1;
        QTest::newRow("the viewer refuses") << QList<bool>{true, false} << false << 0;
    }

    void f1OpensTheFirstGuideThatExists()
    {
        QFETCH(QList<bool>, present);
        QFETCH(bool, opens);
        QFETCH(int, openedPlace);
        const QStringList places = {m_configDir->filePath(QStringLiteral("doc/README.md")),
                                    m_configDir->filePath(QStringLiteral("README.md"))};
        QVERIFY(QDir(m_configDir->path()).mkpath(QStringLiteral("doc")));
        for (int k = 0; k < 2; ++k)
            if (present[k])
                WriteFile(places[k], "# guide");
        auto form = ShownForm();
        form->SetUserGuidePlaces(places);
        QList<QUrl> opened;
        form->SetUrlOpener([&](const QUrl& url) {
            opened << url;
            return opens;
        });
        QTest::keyClick(form.get(), Qt::Key_F1);
        QCOMPARE(opened, openedPlace < 0 ? QList<QUrl>()
                                         : QList<QUrl>({QUrl::fromLocalFile(places[openedPlace])}));
        QCOMPARE(m_messages.size(), openedPlace < 0 || !opens ? 1 : 0);
        if (openedPlace < 0)
            QVERIFY(m_messages[0].contains(places[0]) && m_messages[0].contains(places[1]));
    }
};

QTEST_MAIN(ZoomTest)
#include "ZoomTest.moc"
