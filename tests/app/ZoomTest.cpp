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

    void layoutsHoldAtEveryStep();
    void keysStepThroughTheZoomAndGreyAtTheEnds();
    void storedZoomIsSnappedToAStep_data();
    void storedZoomIsSnappedToAStep();
    void pageKeysWorkFromOutsideThePages();
    void f1OpensTheFirstGuideThatExists_data();
    void f1OpensTheFirstGuideThatExists();
};

// Every caption a user reads gets the room it asks for, on every page, and
// the radar keeps its captions inside its panel.
void ZoomTest::layoutsHoldAtEveryStep()
{
    auto form = ShownForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    auto* pages = Child<QTabWidget>(*form, "PageControl");
    for (const int zoom : ZoomSteps) {
        form->SetZoom(zoom);
        // The design's minimum is for screens wider than the test's; any
        // other step makes room for its layout itself.
        if (zoom != ActualSizeZoom) {
            QVERIFY(form->width() >= form->minimumSizeHint().width());
            QVERIFY(form->height() >= form->minimumSizeHint().height());
        }
        form->resize(form->size().expandedTo(form->minimumSizeHint()));
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(1);
            for (QWidget* widget : form->findChildren<QWidget*>()) {
                QSize needed;
                if (!widget->isVisible() || qobject_cast<QTabBar*>(widget->parentWidget())) {
                    continue;
                }
                if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                    qobject_cast<QGroupBox*>(widget)) {
                    needed = widget->minimumSizeHint();
                }
                QVERIFY2(
                    widget->width() >= needed.width() && widget->height() >= needed.height(),
                    qPrintable(QStringLiteral("%1 %2 at %3 %")
                                   .arg(widget->objectName(), widget->property("text").toString(),
                                        QString::number(zoom))));
            }
        }
        auto* radar = Child<TWeaponRaderChart>(*form, "WeaponRaderChart");
        for (const QRect& caption : radar->CaptionRects()) {
            QVERIFY(radar->rect().contains(caption));
        }
    }
    // The cells grow with the zoom: 8 x 19 cells of 140 x 32 at 200 %.
    form->SetZoom(200);
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->minimumSizeHint(), QSize(1120, 608));
}

void ZoomTest::keysStepThroughTheZoomAndGreyAtTheEnds()
{
    auto form = ShownForm();
    auto* zoomIn = Child<QAction>(*form, "ActionZoomIn");
    auto* zoomOut = Child<QAction>(*form, "ActionZoomOut");
    QList<int> seen;
    for (const Qt::Key key : {Qt::Key_Equal, Qt::Key_Plus, Qt::Key_Equal, Qt::Key_Equal,
                              Qt::Key_Equal, Qt::Key_Equal}) {
        QTest::keyClick(form.get(), key, Qt::ControlModifier);
        seen << form->Zoom();
    }
    QCOMPARE(seen, QList<int>({110, 125, 150, 175, 200, 200}));
    QVERIFY(!zoomIn->isEnabled() && zoomOut->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(form->Zoom(), 100);
    QTest::keyClick(form.get(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(form->Zoom(), 75);
    QVERIFY(zoomIn->isEnabled() && !zoomOut->isEnabled());
    // Kept for the next start, in the options' section.
    form->SetZoom(150);
    form->close();
    QVERIFY(QString::fromUtf8(ReadFile(m_dataDir->filePath(QStringLiteral("Option.ini"))))
                .contains(QStringLiteral("Plus\nZoom=150\n[SpreadChart]")));
}

void ZoomTest::storedZoomIsSnappedToAStep_data()
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

void ZoomTest::storedZoomIsSnappedToAStep()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, zoom);
    WriteFile(m_dataDir->filePath(QStringLiteral("Option.ini")), "[Base]\n" + stored);
    QCOMPARE(MakeForm()->Zoom(), zoom);
    QVERIFY(m_messages.isEmpty());
}

void ZoomTest::pageKeysWorkFromOutsideThePages()
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

void ZoomTest::f1OpensTheFirstGuideThatExists_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("sources");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("openedPlace");
    QTest::newRow("installed first") << true << true << true << 0;
    QTest::newRow("build tree: the sources'") << false << true << true << 1;
    QTest::newRow("neither") << false << false << true << -1;
    QTest::newRow("the viewer refuses") << true << false << false << 0;
}

void ZoomTest::f1OpensTheFirstGuideThatExists()
{
    QFETCH(bool, installed);
    QFETCH(bool, sources);
    QFETCH(bool, opens);
    QFETCH(int, openedPlace);
    const QStringList places = {m_configDir->filePath(QStringLiteral("doc/README.md")),
                                m_configDir->filePath(QStringLiteral("README.md"))};
    QVERIFY(QDir(m_configDir->path()).mkpath(QStringLiteral("doc")));
    if (installed) {
        WriteFile(places[0], "# guide");
    }
    if (sources) {
        WriteFile(places[1], "# guide");
    }
    auto form = ShownForm();
    form->SetUserGuidePlaces(places);
    QList<QUrl> opened;
    form->SetUrlOpener([&](const QUrl& url) {
        opened << url;
        return opens;
    });
    QTest::keyClick(form.get(), Qt::Key_F1);
    if (openedPlace < 0) {
        QVERIFY(opened.isEmpty());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].contains(places[0]) && m_messages[0].contains(places[1]));
        return;
    }
    QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(places[openedPlace])}));
    QCOMPARE(m_messages.size(), opens ? 0 : 1);
}

QTEST_MAIN(ZoomTest)
#include "ZoomTest.moc"
