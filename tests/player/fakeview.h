#pragma once

#include "player/player.h"

#include <functional>
#include <string>

// A window that writes down what the player asks of it, one short line per
// call ended by "; ", every call, so a test can compare whole sequences.
class FakeView : public PlayerView
{
public:
    void showPlayModes(bool shuffle, bool loop) override
    {
        note(std::string("modes") + (shuffle ? " shuffle" : "") + (loop ? " loop" : ""));
    }
    void showTitles(const std::string &game, const std::string &music) override { note("titles " + game + "|" + music); }
    void showPlayTime(const std::string &text) override { note("time " + text); }
    void focusGrid() override { note("focus grid"); }
    void focusWindow() override { note("focus window"); }
    void setTrackRows(int count, const ColumnWidths &widths) override
    {
        note("rows " + std::to_string(count) + " " + std::to_string(widths[0]) + "/" + std::to_string(widths[1]));
    }
    void repaintRow(int track) override { note("repaint " + std::to_string(track)); }
    void redrawRow(int track) override { note("redraw " + std::to_string(track) + (player->isQueued(track) ? " bold" : "")); }
    void putRowOnTop(int track) override { note("top " + std::to_string(track)); }
    void selectRow(int track) override { note("select " + std::to_string(track)); }
    void showRow(int track) override { note("row " + std::to_string(track)); }
    void showFindText(const std::string &text) override { note("find " + text); }
    void beep() override { note("beep"); }
    void showWindow() override { note("show"); }
    void setBusy(bool busy) override { note(busy ? "busy on" : "busy off"); }
    TextMeasure &textMeasure() override { return *measure; }
    void showExclamation(const std::string &text) override { note("message " + text); }
    // Answers in order from `answers`: N no, anything else yes; no once they run out.
    bool askYesNo(const std::string &text) override
    {
        note("ask " + text);
        const char answer = asked < answers.size() ? answers[asked++] : 'N';
        onAnswer(answer);
        return answer != 'N';
    }
    void endProgram() override { note("end " + std::to_string(player->exitCode())); }

    void note(const std::string &line) { calls += line + "; "; }

    std::string calls, answers;
    std::size_t asked = 0;
    TextMeasure *measure = nullptr;
    Player *player = nullptr;
    std::function<void(char)> onAnswer;
};
