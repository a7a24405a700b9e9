#include "player/windowlayout.h"

#include <iterator>

namespace {

// Created in the tab order: the grid, 次曲演奏, シャッフル演奏, 時間記憶, 無限ループ再生.
constexpr ControlPlace kControls[] = {
    {Control::GameTitleCaption, ControlKind::CaptionLabel, "ゲーム名：", {150, 120, 855, 195}},
    {Control::GameTitle, ControlKind::ValueLabel, "", {1080, 120, 6795, 225}},
    {Control::MusicTitleCaption, ControlKind::CaptionLabel, "曲名：", {150, 450, 855, 195}},
    {Control::MusicTitle, ControlKind::ValueLabel, "", {1080, 450, 6795, 225}},
    {Control::PlayTimeCaption, ControlKind::CaptionLabel, "演奏時間：", {150, 780, 855, 195}},
    {Control::PlayTime, ControlKind::ValueLabel, "", {1080, 780, 1215, 225}},
    {Control::Grid, ControlKind::Grid, "", {180, 2400, 7725, 3915}},
    {Control::Next, ControlKind::Button, "次曲演奏", {120, 1800, 975, 405}},
    {Control::Shuffle, ControlKind::CheckBox, "シャッフル演奏", {240, 1230, 1575, 375}},
    {Control::StoreTime, ControlKind::Button, "時間記憶", {1320, 1800, 975, 405}},
    {Control::Loop, ControlKind::CheckBox, "無限ループ再生", {1920, 1230, 1575, 375}},
};

// The windows keep their controls in arrays indexed by Control.
constexpr bool eachControlOnce()
{
    for (std::size_t index = 0; index < kControlCount; ++index) {
        int rows = 0;
        for (const ControlPlace &place : kControls)
            rows += static_cast<std::size_t>(place.control) == index ? 1 : 0;
        if (rows != 1)
            return false;
    }
    return std::size(kControls) == kControlCount;
}
static_assert(eachControlOnce(), "one row per control");

} // namespace

std::span<const ControlPlace> windowControls()
{
    return kControls;
}
