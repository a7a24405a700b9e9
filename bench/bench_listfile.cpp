// Reading and writing a list of 100,000 tracks with Japanese titles in
// Shift-JIS: start-up and a save must each stay well under a tenth of a second.
#include "tracklist/listfile.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int kTrackCount = 100000;
constexpr int kTracksPerGame = 25;

// Titles made of a few pieces, so that no two games or tracks look alike.
const std::array<const char *, 8> kGameWords = {"星海", "蒼穹", "幻想", "鋼鉄", "銀河", "迷宮", "紅蓮", "翡翠"};
const std::array<const char *, 8> kGameEndings = {"の記憶", "伝説", "物語", "戦記", "II", "外伝", "クロニクル", "ソフト"};
const std::array<const char *, 8> kMusicWords = {"はじまりの朝", "決戦", "街のテーマ", "ボス戦", "エンディング",
                                                 "静かな森", "Main Theme", "ゲームオーバー"};

// The list as a save writes it; the records made for it are gone before the
// measurements start, so the peak memory below is that of one loaded list.
std::string makeFile()
{
    TrackList store;
    store.encoding = ListEncoding::ShiftJis;
    for (int i = 0; i < kTrackCount; ++i) {
        const int game = i / kTracksPerGame;
        Track record;
        record.playTime = i % 3 == 0 ? 0 : 60 + i % 240;
        record.gameTitle = std::string(kGameWords[game % 8]) + kGameEndings[game / 8 % 8] + ' ' + std::to_string(game);
        record.major = "lkfm";
        record.sub = std::to_string(game);
        record.code = *TrackCode::fromWhole(i % kTracksPerGame);
        record.musicTitle = std::string(kMusicWords[i % 8]) + ' ' + std::to_string(i % kTracksPerGame + 1);
        store.addRecord(std::move(record));
    }
    return writeTrackList(store);
}

const std::string &sampleFile()
{
    static const std::string bytes = makeFile();
    return bytes;
}

void setCounters(benchmark::State &state)
{
    state.counters["tracks"] = benchmark::Counter(double(kTrackCount) * double(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    state.counters["MB"] = benchmark::Counter(double(sampleFile().size()) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_ReadTrackList(benchmark::State &state)
{
    const std::string &bytes = sampleFile();
    for (auto _ : state) {
        TrackList store;
        const std::vector<ListProblem> problems = readTrackList(bytes, store);
        if (store.count() != kTrackCount || !problems.empty())
            state.SkipWithError("the sample list did not read back whole");
        benchmark::DoNotOptimize(store);
    }
    setCounters(state);
}
BENCHMARK(BM_ReadTrackList)->Unit(benchmark::kMillisecond);

void BM_WriteTrackList(benchmark::State &state)
{
    TrackList store;
    readTrackList(sampleFile(), store);
    for (auto _ : state) {
        std::string bytes = writeTrackList(store);
        benchmark::DoNotOptimize(bytes);
    }
    setCounters(state);
}
BENCHMARK(BM_WriteTrackList)->Unit(benchmark::kMillisecond);

} // unnamed

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("sample list: %d tracks, %zu bytes of Shift-JIS\n", kTrackCount, sampleFile().size());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of the process: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
