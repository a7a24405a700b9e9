#pragma once

#include "../emulator/fakeplatform.h"
#include "fakeview.h"
#include "scopedenv.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <utility>

// Every byte 10 twips wide and "A" `aWidth`, except "=W" and "=W+S": W twips
// wide, with an upper bound S above that.
struct FakeMeasure : TextMeasure
{
    float widthTwips(const std::string &t) override
    {
        return t == "A" ? aWidth : t.starts_with('=') ? std::stof(t.substr(1)) : 10.0f * static_cast<float>(t.size());
    }
    float upperBoundTwips(const std::string &t) override
    {
        const auto plus = t.find('+');
        const float slack = t.starts_with('=') && plus != std::string::npos ? std::stof(t.substr(plus + 1)) : 0;
        return modelGivesUp ? std::numeric_limits<float>::infinity() : widthTwips(t) + slack;
    }
    bool modelGivesUp = false;
    float aWidth = 10.5f;
};

// A player with its window on a fake emulator, in a folder of its own. Tracks
// are given by their stored times ("" for none); track i is game "G<i+1>"
// (the first one `game1`), music "M<i+1>", code i+1.
struct Rig
{
    explicit Rig(const std::vector<std::string> &times, int defaultPlayTime = 120, const std::string &game1 = "G1")
    {
        std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=" << defaultPlayTime
                                          << "\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream list(dir.file("tl.lst"));
        for (std::size_t i = 0; i < times.size(); ++i)
            list << times[i] << ",\"" << (i ? "G" + std::to_string(i + 1) : game1) << "\",\"m\",\"s\"," << i + 1
                 << ",\"M" << i + 1 << "\"\r\n";
        view.onPump = [this] {
            // The play order the emulator is running, then the input armed for this wait.
            const auto orders = platform.clientOrders();
            if (!orders.empty() && orders.back().starts_with("hootclient code "))
                view.note("play " + orders.back().substr(16));
            run(std::exchange(armed, ""));
        };
        view.player = &player;
        view.measure = &measure;
    }

    // Steps, separated by blanks: "load", "t" (a tick) or "t90" (90 ticks), "n"
    // next, "s" store time, "r4" activate row 4, "c" close, "L"/"l" loop on/off,
    // "S" shuffle on, "w600" client runs take 600 ms, "e" the list is edited on
    // disk; "x" note how often the emulator was ended, "=" the first track's
    // time; "|" forget the calls so far, "@x" do x during the next wait for the emulator.
    void run(const std::string &steps)
    {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const int number = step.size() > 1 && step != "load" && step[0] != '@' ? std::stoi(step.substr(1)) : 1;
            if (step == "load" && !(loaded = player.load()))
                view.note("refused");
            for (int i = 0; step[0] == 't' && i < number; ++i)
                player.tick();
            if (step == "n" || step == "s")
                step == "n" ? player.next() : player.storeTime();
            if (step[0] == 'r')
                player.activateRow(number);
            if (step == "c")
                view.close();
            if (step == "L" || step == "l" || step == "S")
                (step == "S" ? view.shuffle : view.loop) = step != "l";
            if (step[0] == 'w')
                platform.clientRunTime(std::chrono::milliseconds(number));
            if (step == "e")
                std::ofstream(dir.file("tl.lst"), std::ios::app) << "; edited\r\n";
            if (step == "x")
                view.note("ended " + std::to_string(platform.calls({"terminate"}).size()));
            if (step == "=")
                view.note("time1 " + std::to_string(state.list.tracks[0].playTime) + (state.list.modified ? "*" : ""));
            if (step == "|")
                view.calls = view.last = "";
            if (step[0] == '@')
                armed += step.substr(1) + " ";
        }
    }

    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()}; // a private instance lock
    FakePlatform platform;
    FakeMeasure measure;
    FakeView view;
    BusyCursor busy{view, [this] { return platform.now(); }};
    PlayerState state;
    ProgramLifecycle lifecycle{state, platform, view, eventPumpsOf(view, busy), dir.path()};
    Player player{view, state, lifecycle, busy};
    std::string armed;
    bool loaded = false;
};
