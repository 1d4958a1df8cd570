#include "app/Main.h"
#include "views/WeaponListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// What the user waits for after a click on a weapon until the page shown is
// painted again: the window's own recalculation through the list's signal,
// then a synchronous repaint of the page, in a real main window. Runs
// itself twice, offscreen at the window's zoom of 100 % and of 200 % (View >
// Zoom in, whose fonts and cells the pages then paint), each in a fresh
// process so that neither inherits the other's caches, and prints one table.
namespace {

constexpr int Passes = 5;
constexpr double TargetMedianMs = 2;
constexpr double TargetWorstMs = 10;
const char* const MeasureArgument = "--measure";

struct TPageTimes
{
    QString Page;
    double MedianMs = 0;
    double WorstMs = 0;
    // The repaint alone, without the window's recalculation before it.
    double PaintMedianMs = 0;
};

// One line per page, tab-separated: name, median and worst, the repaint's
// own median in milliseconds, and the page's size.
int Measure(int argc, char** argv, int zoom)
{
    QApplication app(argc, argv);
    QTemporaryDir dataDir;
    if (!dataDir.isValid() || !QFile::copy(QStringLiteral(QUILLMARCH_DATA_DIR "/WData.csv"),
                                           dataDir.filePath(QStringLiteral("WData.csv")))) {
        std::fprintf(stderr, "PageBench: cannot copy the weapon table\n");
        return 1;
    }
    TMainForm form(dataDir.path(), dataDir.path());
    form.SetZoom(zoom);
    form.show();
    QApplication::processEvents();
    auto* list = form.findChild<TWeaponListView*>(QStringLiteral("WeaponListView"));
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl"));
    if (!list || !pages || list->topLevelItemCount() == 0) {
        std::fprintf(stderr, "PageBench: no weapon list or pages\n");
        return 1;
    }

    QTextStream out(stdout);
    for (int index = 0; index < pages->count(); ++index) {
        pages->setCurrentIndex(index);
        QWidget* page = pages->currentWidget();
        std::vector<double> times;
        std::vector<double> paints;
        // The first pass only warms the caches and the font engine.
        for (int pass = 0; pass <= Passes; ++pass) {
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                // Whatever else the last click left to paint is not this click's.
                QApplication::processEvents();
                QElapsedTimer timer;
                timer.start();
                list->setCurrentItem(list->topLevelItem(row));
                emit list->WeaponClicked();
                const qint64 clicked = timer.nsecsElapsed();
                page->repaint();
                const qint64 painted = timer.nsecsElapsed();
                if (pass > 0) {
                    times.push_back(painted / 1e6);
                    paints.push_back((painted - clicked) / 1e6);
                }
            }
        }
        std::sort(times.begin(), times.end());
        std::sort(paints.begin(), paints.end());
        out << pages->tabText(index) << '\t' << times[times.size() / 2] << '\t' << times.back()
            << '\t' << paints[paints.size() / 2] << '\t' << page->width() << 'x' << page->height()
            << '\n';
    }
    return 0;
}

QList<TPageTimes> RunAt(const char* program, int zoom, QString* pageSize)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromLocal8Bit(program),
                {QString::fromLatin1(MeasureArgument), QString::number(zoom)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return {};
    QList<TPageTimes> times;
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split('\n')) {
        const QStringList fields = line.split('\t');
        if (fields.size() == 5) {
            times.append(
                {fields[0], fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble()});
            if (fields[0] == QLatin1String("RaderChart"))
                *pageSize = fields[4];
        }
    }
    return times;
}

bool Met(const TPageTimes& t)
{
    return t.MedianMs < TargetMedianMs && t.WorstMs < TargetWorstMs;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], MeasureArgument) == 0)
        return Measure(argc, argv, std::atoi(argv[2]));

    QCoreApplication app(argc, argv);
    QString pageSize;
    QString largePageSize;
    const QList<TPageTimes> single = RunAt(argv[0], 100, &pageSize);
    const QList<TPageTimes> twice = RunAt(argv[0], 200, &largePageSize);
    if (single.isEmpty() || single.size() != twice.size()) {
        std::fprintf(stderr, "PageBench: a measuring run failed\n");
        return 1;
    }
    QTextStream out(stdout);
    out << "Weapon click to repainted page, each bundled weapon clicked " << Passes
        << " times per page, radar page " << pageSize << " pixels at 100 %, " << largePageSize
        << " at 200 %:\n\n"
        << "| Page | 100 % median | 100 % worst | 100 % repaint alone | 200 % median | 200 % "
           "worst | 200 % repaint alone | Target | Met |\n"
        << "|---|---|---|---|---|---|---|---|---|\n";
    const auto ms = [](double value) { return QString::number(value, 'f', 2) + " ms"; };
    for (int k = 0; k < single.size(); ++k) {
        out << "| " << single[k].Page << " | " << ms(single[k].MedianMs) << " | "
            << ms(single[k].WorstMs) << " | " << ms(single[k].PaintMedianMs) << " | "
            << ms(twice[k].MedianMs) << " | " << ms(twice[k].WorstMs) << " | "
            << ms(twice[k].PaintMedianMs) << " | median < " << TargetMedianMs << " ms, worst < "
            << TargetWorstMs << " ms | " << (Met(single[k]) && Met(twice[k]) ? "yes" : "NO")
            << " |\n";
    }
    return 0;
}
