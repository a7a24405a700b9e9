#include "samplelist.h"

#include "tracklist/listfile.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace {

constexpr int kTracksPerGame = 25;

// Titles made of a few pieces and a number, so that no two look alike.
const std::array<const char *, 8> kGameWords = {"星海", "蒼穹", "幻想", "鋼鉄", "銀河", "迷宮", "紅蓮", "翡翠"};
const std::array<const char *, 8> kGameEndings = {"の記憶", "伝説", "物語", "戦記", "II", "外伝", "クロニクル", "ソフト"};
const std::array<const char *, 8> kMusicWords = {"はじまりの朝", "決戦", "街のテーマ", "ボス戦", "エンディング",
                                                 "静かな森", "Main Theme", "ゲームオーバー"};

} // namespace

TrackList sampleTracks(int count)
{
    TrackList store;
    store.encoding = ListEncoding::ShiftJis;
    for (int i = 0; i < count; ++i) {
        const int game = i / kTracksPerGame;
        Track record;
        record.playTime = i % 3 == 0 ? 0 : 60 + i % 240;
        record.gameTitle = std::string(kGameWords[game % 8]) + kGameEndings[game / 8 % 8] + ' ' + std::to_string(game);
        record.major = "lkfm";
        record.sub = std::to_string(game);
        record.code = *TrackCode::fromWhole(i % kTracksPerGame);
        record.musicTitle = std::string(kMusicWords[i % 8]) + ' ' + std::to_string(i + 1);
        store.addRecord(record);
    }
    return store;
}

void writeSampleFolder(const std::string &folder, int trackCount)
{
    const TrackList tracks = sampleTracks(trackCount);
    std::ofstream(folder + "/tl.lst", std::ios::binary) << writeTrackList(tracks);
    std::ofstream rows(folder + "/" + kFirstRowsFile, std::ios::binary);
    for (int i = 0; i < std::min(trackCount, kFirstRows); ++i)
        rows << i + 1 << '\t' << tracks.track(i).gameTitle << '\t' << tracks.track(i).musicTitle << '\n';
    std::ofstream(folder + "/tl.ini") << "[config]\nDefaultPlayTime=180\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
}
