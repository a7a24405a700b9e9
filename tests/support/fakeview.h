#pragma once

#include "player/player.h"

#include <functional>
#include <string>
#include <vector>

// A window that writes down what the player asks of it, one short line per
// call, so a test can compare whole sequences.
class FakeView : public PlayerView
{
public:
    bool shuffleChecked() const override { return shuffle; }
    bool loopChecked() const override { return loop; }
    void showTitles(const std::string &game, const std::string &music) override { note("titles " + game + "|" + music); }
    void showPlayTime(const std::string &text) override
    {
        label = text;
        note("time " + text);
    }
    void startTick() override { note("tick on"); }
    void stopTick() override { note("tick off"); }
    void setGridEnabled(bool enabled) override { note(enabled ? "grid on" : "grid off"); }
    void focusGrid() override { note("focus grid"); }
    void focusWindow() override { note("focus window"); }
    void setTrackRows(int count, const ColumnWidths &widths) override
    {
        note("rows " + std::to_string(count));
        lastWidths = widths;
    }
    void repaintRow(int track) override { note("repaint " + std::to_string(track)); }
    void putRowOnTop(int track) override { note("top " + std::to_string(track)); }
    void selectRow(int track) override { note("select " + std::to_string(track)); }
    void showWindow() override { note("show"); }
    void setBusy(bool busy) override { note(busy ? "busy on" : "busy off"); }
    TextMeasure &textMeasure() override { return *measure; }
    void showExclamation(const std::string &text) override { note("message " + text); }
    bool askYesNo(const std::string &text) override
    {
        note("ask " + text);
        return false;
    }
    void pumpEvents() override
    {
        if (onPump)
            onPump();
    }
    void pumpPaintOnly() override {}
    // As a real window does: closing asks the player first.
    void close() override
    {
        note("close");
        closed = player->requestClose();
    }

    // Consecutive equal lines are kept once.
    void note(const std::string &line)
    {
        if (calls.empty() || calls.back() != line)
            calls.push_back(line);
    }

    bool shuffle = false;
    bool loop = false;
    bool closed = false;
    std::string label;
    ColumnWidths lastWidths{};
    std::vector<std::string> calls;
    TextMeasure *measure = nullptr;
    Player *player = nullptr;
    std::function<void()> onPump;
};
