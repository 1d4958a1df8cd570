#include "views/WeaponFinder.h"
#include "views/WeaponListView.h"
#include "views/WeaponRankingView.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

// What the user waits for after a keystroke in the search field above a
// list of a hundred thousand weapons: the filter, the list's new layout and
// its repaint, through the same signal the window connects. A keystroke
// should take under 50 ms, the least pause a typist notices.
namespace {

constexpr int Rows = 100000;

// The bundled weapons repeated under numbered names, every fourth one with a
// Japanese name, so the case folding meets both scripts.
QByteArray GeneratedTable()
{
    QFile bundledFile(QStringLiteral(QUILLMARCH_DATA_DIR "/WData.csv"));
    if (!bundledFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "FilterBench: cannot read %s\n", QUILLMARCH_DATA_DIR "/WData.csv");
        std::exit(1);
    }
    QList<QByteArray> lines = bundledFile.readAll().split('\n');
    const QByteArray header = lines.takeFirst();
    lines.removeAll(QByteArray());
    const QList<QByteArray> japanese = {"カタナ", "ハルバード", "ウォーハンマー", "クロスボウ",
                                        "杖"};
    QByteArray csv = header + '\n';
    for (int k = 0; k < Rows; ++k) {
        QList<QByteArray> fields = lines[k % lines.size()].split(',');
        fields[0] = QByteArray::number(k);
        fields[1] =
            (k % 4 == 3 ? japanese[k % japanese.size()] : fields[1]) + ' ' + QByteArray::number(k);
        csv += fields.join(',') + '\n';
    }
    return csv;
}

// The finder above the list in one shown window, as the main window lays
// them out.
struct TListPage
{
    TListPage()
    {
        if (!Dir.isValid()) {
            std::exit(1);
        }
        QFile file(Dir.filePath(QStringLiteral("WData.csv")));
        if (!file.open(QIODevice::WriteOnly) || file.write(GeneratedTable()) < 0) {
            std::exit(1);
        }
        file.close();
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Finder);
        layout->addWidget(List);
        List->LoadWeapons(Dir.path());
        Finder->SetTypeIcons(List->TypeIcons());
        QObject::connect(Finder, &TWeaponFinder::FilterChanged, List, &TWeaponListView::SetFilter);
        Window.resize(250, 700);
        Window.show();
        Flush();
    }

    // Lays out and paints at once what the event loop would at its next turn.
    void Flush()
    {
        QCoreApplication::processEvents();
        Window.repaint();
    }

    void Type(const QString& text)
    {
        Edit->setText(text);
        Flush();
    }

    QTemporaryDir Dir;
    QWidget Window;
    TWeaponFinder* Finder = new TWeaponFinder(&Window);
    TWeaponListView* List = new TWeaponListView(&Window);
    QLineEdit* Edit = Finder->findChild<QLineEdit*>(QStringLiteral("WeaponSearchEdit"));
};

// Built at first use and released in main, while the application still runs.
std::unique_ptr<TListPage> SharedPage;

TListPage& Page()
{
    if (!SharedPage) {
        SharedPage = std::make_unique<TListPage>();
    }
    return *SharedPage;
}

// `from` is typed first, untimed; then one more letter is.
void TypeOneMoreLetter(benchmark::State& state, const QString& from, const QString& letter)
{
    TListPage& page = Page();
    for (auto _ : state) {
        state.PauseTiming();
        page.Type(from);
        state.ResumeTiming();
        page.Edit->insert(letter);
        page.Flush();
    }
    state.counters["shown"] = page.List->ShownCount();
    page.Type(QString());
}

// "q" leaves about one weapon in forty: nearly every row is hidden at once.
void BM_ListFirstLetterHidesMost(benchmark::State& state)
{
    TypeOneMoreLetter(state, QString(), QStringLiteral("q"));
}

void BM_ListOneMoreLetter(benchmark::State& state)
{
    TypeOneMoreLetter(state, QStringLiteral("ka"), QStringLiteral("t"));
}

void BM_ListOneMoreJapaneseLetter(benchmark::State& state)
{
    TypeOneMoreLetter(state, QStringLiteral("ハ"), QStringLiteral("ル"));
}

// Escape in the field after "q": nearly every row comes back.
void BM_ListClearByEscape(benchmark::State& state)
{
    TListPage& page = Page();
    for (auto _ : state) {
        state.PauseTiming();
        page.Type(QStringLiteral("q"));
        state.ResumeTiming();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(page.Edit, &escape);
        page.Flush();
    }
    state.counters["shown"] = page.List->ShownCount();
}

// The ranking page follows the same filter over as many rows.
void BM_RankingFilterAndClear(benchmark::State& state)
{
    std::vector<TWeaponRank> ranking;
    const TWeaponTable& table = Page().List->Table();
    for (int slot = 1; slot <= table.Count(); ++slot) {
        TWeaponRank rank;
        rank.Slot = slot;
        rank.Name = table.Weapon(slot).Name;
        rank.Type = table.Weapon(slot).Type;
        rank.Speed = table.Weapon(slot).Speed;
        ranking.push_back(rank);
    }
    TWeaponRankingView view;
    view.resize(700, 500);
    view.show();
    view.SetRanking(std::move(ranking));
    for (auto _ : state) {
        view.SetFilter({QStringLiteral("q"), QString()});
        view.repaint();
        view.SetFilter({});
        view.repaint();
    }
}

void BM_ListLoad(benchmark::State& state)
{
    TListPage& page = Page();
    for (auto _ : state) {
        TWeaponListView list;
        list.LoadWeapons(page.Dir.path());
        benchmark::DoNotOptimize(list.Count());
    }
}

} // namespace

BENCHMARK(BM_ListFirstLetterHidesMost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListOneMoreLetter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListOneMoreJapaneseLetter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListClearByEscape)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RankingFilterAndClear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // The widgets' own work is measured, not a display's.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SharedPage.reset();
    return 0;
}
