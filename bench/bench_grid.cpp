// Filling the playlist grid, with every column sized to its widest text, for
// 1,000 and 100,000 tracks: the first fill at start-up must stay under half a
// second for the largest lists.
#include "player/columnwidths.h"
#include "qt/mainwindow.h"
#include "tracklist/tracklist.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>

namespace {

const std::array<const char *, 10> kGameWords = {"星海", "蒼穹", "幻想", "鋼鉄", "銀河",
                                                 "迷宮", "紅蓮", "翡翠", "Star", "ドラゴン"};
const std::array<const char *, 10> kGameEndings = {"の記憶", "伝説", "物語 ～序章～", "戦記", " II",
                                                   "外伝", "クロニクル", "（ソフト）", "", " Special Edition"};
const std::array<const char *, 10> kMusicWords = {"はじまりの朝", "決戦", "街のテーマ", "ボス戦", "エンディング",
                                                  "静かな森", "Main Theme", "ゲームオーバー", "「旅立ち」", "名前入力"};

// Game and music titles of varied lengths; 25 tracks a game.
TrackList makeStore(int count)
{
    std::mt19937 random(12345);
    TrackList store;
    for (int i = 0; i < count; ++i) {
        const int game = i / 25;
        Track record;
        record.playTime = i % 3 == 0 ? 0 : 60 + i % 240;
        record.gameTitle = std::string(kGameWords[game % 10]) + kGameEndings[game / 10 % 10] + ' '
            + std::to_string(game);
        record.musicTitle = kMusicWords[random() % 10];
        for (unsigned extra = random() % 4; extra > 0; --extra)
            record.musicTitle += std::string("・") + kMusicWords[random() % 10];
        store.addRecord(record);
    }
    return store;
}

void BM_RebuildGrid(benchmark::State &state)
{
    TrackList store = makeStore(static_cast<int>(state.range(0)));
    MainWindow form(store);
    const Playlist playlist(store);
    for (auto _ : state) {
        form.setTrackRows(playlist.trackCount(), columnWidthsTwips(playlist, form.textMeasure()));
        form.selectRow(0);
        form.showWindow();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RebuildGrid)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The first fill of a new window, as at start-up: it also adds every row.
void BM_FirstFill(benchmark::State &state)
{
    TrackList store = makeStore(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<MainWindow>(store);
        const Playlist playlist(store);
        state.ResumeTiming();
        form->setTrackRows(playlist.trackCount(), columnWidthsTwips(playlist, form->textMeasure()));
        form->selectRow(0);
        form->showWindow();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstFill)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
