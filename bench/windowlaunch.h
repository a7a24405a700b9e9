#pragma once

// Timing a program's start-up as a whole process on an X server: from
// starting it to its top-level window being viewable with an exact title,
// for the player against a bare window of the same size started in turns.
// Shared by bench_window_startup (the Linux program) and bench_wine_startup
// (the Windows program under Wine).

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct Launch
{
    double startMs = 0;
    double peakMb = 0;
    double processorMs = 0; // steadier than the wall time on a loaded machine
};

// A program to start (its arguments, the first naming it) and the title its window gets.
struct StartedProgram
{
    std::vector<std::string> arguments;
    std::string title;
    std::string label = "bare"; // in the figures printed
};

// The display of DISPLAY, watching the root's new windows; nullptr if it cannot be opened.
Display *openWatchingDisplay();

// Waits for a viewable window titled title; nothing if the process behind
// pidfd ended first or time ran out.
std::optional<Window> waitForViewable(Display *display, const std::string &title, int pidfd,
                                      std::chrono::steady_clock::time_point deadline);

// Starts program in folder with its output appended to log; 0 if it cannot.
pid_t spawnIn(const std::string &folder, const std::vector<std::string> &arguments, const std::string &log);

// Writes the sample tl.lst and tl.ini into folder, from a process of its own
// (see the .cpp for why).
void writeSampleFolderApart(const std::string &folder, int trackCount);

// For 1,000 and 100,000 sample tracks in folder: runs starts of each program
// in turns after one uncounted pair, closing each window as its close button
// does, and prints the medians of start time, peak memory and processor time
// to exit. False, with the programs' output printed, when a window did not show.
bool compareStartups(Display *display, const std::string &folder, int runs, const StartedProgram &player,
                     const StartedProgram &bare);
