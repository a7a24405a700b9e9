// Reading and writing a list of 100,000 tracks with Japanese and English
// titles in Shift-JIS: start-up and a save must each stay well under a tenth
// of a second.
#include "samplelist.h"

#include "tracklist/listfile.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kTrackCount = 100000;

// The list as a save writes it; the records made for it are gone before the
// measurements start, so the peak memory below is that of one loaded list.
std::string makeFile()
{
    return writeTrackList(sampleTracks(kTrackCount));
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
