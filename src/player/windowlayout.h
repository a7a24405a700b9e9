#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The window as both toolkits build it: a fixed client area with every control
// at a fixed place given in twips (1440 to an inch), turned into pixels at the
// screen's resolution by each window.
inline constexpr int kTwipsPerInch = 1440;

struct TwipsRect
{
    int left, top, width, height;
};

inline constexpr int kClientWidthTwips = 8100;
inline constexpr int kClientHeightTwips = 6510;

// The window's title, which every message box carries too.
inline constexpr std::string_view kWindowTitle = "Tunelark";

// The grid's font (on Windows every control's), where the system has it.
inline constexpr std::string_view kWindowFontFace = "ＭＳ Ｐゴシック";
inline constexpr int kWindowFontPoints = 9;

enum class ControlKind { CaptionLabel, ValueLabel, CheckBox, Button, Grid };

// Which control a row is, for the window to keep those it changes or listens to.
enum class Control { GameTitleCaption, GameTitle, MusicTitleCaption, MusicTitle, PlayTimeCaption, PlayTime,
                     Grid, Next, Shuffle, StoreTime, Loop };
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Loop) + 1; // Loop comes last

struct ControlPlace
{
    Control control;
    ControlKind kind;
    std::string_view caption; // UTF-8; empty where the player writes the text
    TwipsRect twips;
};

// Every control, in the order the window creates them, which is the tab
// order for those that take the focus (all but the labels).
std::span<const ControlPlace> windowControls();

inline bool takesFocus(ControlKind kind)
{
    return kind != ControlKind::CaptionLabel && kind != ControlKind::ValueLabel;
}
