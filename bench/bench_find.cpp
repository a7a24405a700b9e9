// Type-to-find in a 100,000-track list: folding the titles when the list is
// loaded, then one keystroke whose row lies near the end (or nowhere), from
// the first row; a keystroke must take well under 20 ms and the folded
// titles at most 10 MB.
#include "samplelist.h"

#include "player/trackfinder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

constexpr int kTrackCount = 100000;

const TrackList &sampleList()
{
    static const TrackList list = sampleTracks(kTrackCount);
    return list;
}

void BM_FoldTitles(benchmark::State &state)
{
    TrackFinder finder;
    for (auto _ : state)
        finder.index(sampleList());
    state.counters["index MB"] = double(finder.indexBytes()) / 1e6;
}
BENCHMARK(BM_FoldTitles)->Unit(benchmark::kMillisecond);

// Each keystroke starts a new search text (a pause lies between them), so
// the whole text is searched for from the first row.
void BM_Keystroke(benchmark::State &state, const std::string &typed, int expectedRow)
{
    TrackFinder finder;
    finder.index(sampleList());
    std::chrono::milliseconds now{0};
    for (auto _ : state) {
        now += std::chrono::seconds(2);
        if (finder.findTyped(typed, 0, now) != expectedRow)
            state.SkipWithError("found the wrong row");
    }
}
// Only the music title of track 99,993 holds it; half-width kana and hiragana
// against full-width katakana and hiragana.
BENCHMARK_CAPTURE(BM_Keystroke, kana_near_the_end, std::string("ﾊｼﾞﾏﾘﾉ朝 99993"), 99992)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, digits_near_the_end, std::string("99993"), 99992)->Unit(benchmark::kMillisecond);
// A letter and a kana found nowhere: the whole list is searched.
BENCHMARK_CAPTURE(BM_Keystroke, one_letter_nowhere, std::string("q"), -1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, one_kana_nowhere, std::string("ゑ"), -1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
