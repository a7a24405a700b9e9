#include "ui/formmain.h"

#include "tracklist/tracklist.h"
#include "ui/flexgrid.h"
#include "ui/showntext.h"
#include "ui/textwidthmodel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

Track track(std::int32_t playTime, const std::string &game, const std::string &music)
{
    Track info;
    info.playTime = playTime;
    info.gameTitle = game;
    info.musicTitle = music;
    return info;
}

TrackList storeOf(const std::vector<Track> &tracks)
{
    TrackList store;
    for (const Track &info : tracks)
        store.addRecord(info);
    return store;
}

TrackList numberedStore(int count)
{
    TrackList store;
    for (int i = 0; i < count; ++i)
        store.addRecord(track(i % 2 ? 90 : 0, "ゲーム " + std::to_string(i), "曲 " + std::to_string(i)));
    return store;
}

// The widths that measuring every cell in order gives.
std::array<int, 3> naiveWidths(const FormMain &form, const TrackList &store)
{
    std::array<std::int32_t, 3> kept{0, 0, 0};
    auto measure = [&](int col, const QString &text) {
        const float width = form.textWidthTwips(text);
        if (width > static_cast<float>(kept[col]))
            kept[col] = static_cast<std::int32_t>(std::nearbyint(width));
    };
    measure(0, QStringLiteral("NO"));
    measure(1, QStringLiteral("GAME TITLE"));
    measure(2, QStringLiteral("MUSIC TITLE"));
    for (int i = 0; i < store.count(); ++i) {
        measure(0, QString::number(i + 1));
        measure(1, shownText(store.tracks[i].gameTitle));
        measure(2, shownText(store.tracks[i].musicTitle));
    }
    std::array<int, 3> widths{};
    for (int col = 0; col < 3; ++col)
        widths[col] = static_cast<int>(
            std::nearbyint(static_cast<double>(form.textWidthTwips(QStringLiteral("A"))) + kept[col]));
    return widths;
}

std::array<int, 3> gridWidths(const FormMain &form)
{
    return {form.GridPlayList->colWidth(0), form.GridPlayList->colWidth(1), form.GridPlayList->colWidth(2)};
}

QModelIndex cellIndex(const FormMain &form, int row, int col)
{
    return form.GridPlayList->model()->index(row - 1, col);
}

int topRow(const FormMain &form)
{
    return form.GridPlayList->rowAt(0) + 1;
}

// The selection covers exactly the three cells of `row`, and the current cell is its first.
void expectRowSelected(const FormMain &form, int row, const char *name)
{
    const QModelIndexList selected = form.GridPlayList->selectionModel()->selectedIndexes();
    EXPECT_EQ(selected.size(), 3) << name;
    for (const QModelIndex &index : selected)
        EXPECT_EQ(index.row(), row - 1) << name;
    EXPECT_EQ(form.GridPlayList->row(), row) << name;
    EXPECT_EQ(form.GridPlayList->col(), 0) << name;
    EXPECT_EQ(form.GridPlayList->currentIndex(), cellIndex(form, row, 0)) << name;
}

TEST(FormMain, ControlsSitAtTheirPlacesWithTheirCaptions)
{
    struct Case
    {
        const char *name;
        QRect pixels;
        QString caption;
    };
    const Case cases[] = {
        {"Label1", {10, 8, 57, 13}, QStringLiteral("ゲーム名：")},
        {"LblGameTitle", {72, 8, 453, 15}, QString()},
        {"Label2", {10, 30, 57, 13}, QStringLiteral("曲名：")},
        {"LblMusicTitle", {72, 30, 453, 15}, QString()},
        {"Label3", {10, 52, 57, 13}, QStringLiteral("演奏時間：")},
        {"LblPlayTime", {72, 52, 81, 15}, QString()},
        {"ChkShufflePlay", {16, 82, 105, 25}, QStringLiteral("シャッフル演奏")},
        {"ChkLoop", {128, 82, 105, 25}, QStringLiteral("無限ループ再生")},
        {"CmdNext", {8, 120, 65, 27}, QStringLiteral("次曲演奏")},
        {"CmdGetTime", {88, 120, 65, 27}, QStringLiteral("時間記憶")},
        {"GridPlayList", {12, 160, 515, 261}, QString()},
    };
    TrackList store;
    FormMain form(store);
    for (const Case &c : cases) {
        const auto *widget = form.findChild<QWidget *>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), c.pixels) << c.name;
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            EXPECT_EQ(label->text(), c.caption) << c.name;
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            EXPECT_EQ(button->text(), c.caption) << c.name;
        }
    }
    EXPECT_EQ(form.Label1->objectName(), QStringLiteral("Label1"));
    EXPECT_EQ(form.GridPlayList->objectName(), QStringLiteral("GridPlayList"));
}

TEST(FormMain, WindowStartsHiddenFixedAndIdle)
{
    TrackList store;
    FormMain form(store);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tunelark"));
    EXPECT_EQ(form.minimumSize(), QSize(540, 434));
    EXPECT_EQ(form.maximumSize(), QSize(540, 434));
    EXPECT_FALSE(form.ChkShufflePlay->isChecked());
    EXPECT_FALSE(form.ChkLoop->isChecked());
    EXPECT_EQ(form.Timer2->objectName(), QStringLiteral("Timer2"));
    EXPECT_EQ(form.Timer2->interval(), 1000);
    EXPECT_FALSE(form.Timer2->isActive());
}

TEST(FormMain, TabVisitsTheFocusableControlsInOrder)
{
    TrackList store;
    FormMain form(store);
    std::vector<QString> order;
    QWidget *widget = form.GridPlayList;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.push_back(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != form.GridPlayList);
    const std::vector<QString> expected = {QStringLiteral("GridPlayList"), QStringLiteral("CmdNext"),
                                           QStringLiteral("ChkShufflePlay"), QStringLiteral("CmdGetTime"),
                                           QStringLiteral("ChkLoop")};
    EXPECT_EQ(order, expected);
}

TEST(FormMain, RebuildFillsTextsShadesAndAlignments)
{
    std::vector<Track> tracks;
    for (int i = 0; i < 12; ++i)
        tracks.push_back(track(i - 1, "GT" + std::to_string(i), "MT" + std::to_string(i)));
    tracks[11].musicTitle += QString(1'000'000, u'あ').toStdString(); // cut for its cell, between characters
    TrackList store = storeOf(tracks);
    FormMain form(store);
    form.refreshPlayList(0, true, false);

    const QAbstractItemModel *model = form.GridPlayList->model();
    EXPECT_EQ(form.GridPlayList->rows(), 13);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("NO"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("GAME TITLE"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("MUSIC TITLE"));
    for (int i = 0; i < 12; ++i) {
        const int row = i + 1;
        EXPECT_EQ(model->data(cellIndex(form, row, 0)).toString(), QString::number(i + 1));
        EXPECT_EQ(model->data(cellIndex(form, row, 1)).toString(), QStringLiteral("GT%1").arg(i));
        EXPECT_EQ(model->data(cellIndex(form, row, 2)).toString(),
                  QStringLiteral("MT%1").arg(i).leftJustified(i == 11 ? 256 : 0, u'あ'));
        // play times -1, 0 are unstored; 1 and more are stored
        const QColor shade = i - 1 > 0 ? QColor(255, 255, 255) : QColor(221, 221, 221);
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(model->data(cellIndex(form, row, col), Qt::BackgroundRole).value<QColor>(), shade) << row;
            EXPECT_EQ(model->data(cellIndex(form, row, col), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
            const Qt::Alignment alignment = col == 0 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter;
            EXPECT_EQ(model->data(cellIndex(form, row, col), Qt::TextAlignmentRole).value<Qt::Alignment>(), alignment);
        }
    }
    EXPECT_EQ(gridWidths(form), naiveWidths(form, store));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.GridPlayList->isVisible());
}

TEST(FormMain, ColumnWidthsEqualMeasuringEveryCell)
{
    // Kerning pairs, ligatures, punctuation that borrows the Japanese font,
    // combining marks, surrogates, tabs, other scripts, near ties.
    const std::vector<std::string> tricky = {
        "AVAVAVAVAV", "WWWWWWWWW", "To To To", "ffi ffl fi", "'''''''''", "ア'ア'ア'ア'", "(ア)(ア)(ア)",
        "漢字、漢字。", "e\u0301e\u0301e\u0301e\u0301", "😀😀😀", "a\tb\tc", "مرحبا بالعالم", "नमस्ते दुनिया",
        "ｱｲｳｴｵｶｷｸｹｺ", "ＡＢＣＤＥＦ", "東方紅魔郷　～ the Embodiment of Scarlet Devil", "iiiiiiiiiiiiiiii",
        "MMMMMMM", "...........", "　　　　", "", " ", "ゲ", "ー～ー～", "1111111111", "Ⅰ①㈱纊",
        "LTLTLT", "fftfft", "AflAfl", "あ 1 1 1", "1あ", "「Main」", "第12章 AV", "ｱ1ｱ1", "To～1～",
    };
    std::mt19937 random(7);
    TrackList store;
    for (int i = 0; i < 600; ++i) {
        std::string game = tricky[random() % tricky.size()];
        std::string music = tricky[random() % tricky.size()];
        if (random() % 2)
            game += tricky[random() % tricky.size()];
        store.addRecord(track(0, game, music));
    }
    FormMain form(store);
    form.refreshPlayList(0, true, false);
    EXPECT_EQ(gridWidths(form), naiveWidths(form, store));

    // Each tricky text alone as the widest of its column.
    for (const std::string &text : tricky) {
        TrackList single = storeOf({track(0, text, "a" + text), track(0, "x", text + "'")});
        FormMain one(single);
        one.refreshPlayList(0, true, false);
        EXPECT_EQ(gridWidths(one), naiveWidths(one, single)) << text;
    }
}

TEST(FormMain, UniqueTitlesOfOneLengthGiveTheWidthOfMeasuringEveryCell)
{
    struct Case
    {
        const char *name;
        std::string pattern; // "#" becomes the track number
    };
    const Case cases[] = {
        {"kana, wave dashes and digits", "はじまりの朝 ～#～"},
        {"kerned Latin pairs", "To LT AV #"},
        {"digits after kana, in the Japanese font", "あ#"},
        {"ligatures and kerning together", "Afl fft #."},
        {"full-width digits after ASCII", "Track ＃#"},
    };
    for (const Case &c : cases) {
        TrackList store;
        for (int i = 0; i < 400; ++i) {
            std::string title = c.pattern;
            title.replace(title.find('#'), 1, std::to_string(i * 37 % 1000));
            store.addRecord(track(0, title, title + title));
        }
        FormMain form(store);
        form.refreshPlayList(0, true, false);
        EXPECT_EQ(gridWidths(form), naiveWidths(form, store)) << c.name;
    }
}

// "… fi." is 1522.5 twips wide and rounds to even, 1522; "… f.f" is a quarter
// twip wider and rounds to 1523, so it alone widens the column.
TEST(FormMain, ATitleAQuarterTwipWiderWidensItsColumn)
{
    const std::string narrower = "MUSIC TITLE 1 fi.";
    const std::string wider = "MUSIC TITLE 1 f.f";
    TrackList store = storeOf({track(0, narrower, "b"), track(0, wider, "d")});
    FormMain form(store);
    ASSERT_EQ(std::nearbyint(form.textWidthTwips(QString::fromStdString(narrower))), 1522.0);
    ASSERT_EQ(std::nearbyint(form.textWidthTwips(QString::fromStdString(wider))), 1523.0);
    form.refreshPlayList(0, true, false);
    EXPECT_EQ(gridWidths(form), naiveWidths(form, store));
}

// The model may give up on a text, but never predicts it narrower than it is.
TEST(TextWidthModel, PredictsTheShapedWidthOrGivesUp)
{
    const QFont font = QWidget().font();
    const QFontMetricsF metrics(font);
    TextWidthModel model(font);
    auto check = [&](const QString &text) {
        const double predicted = model.pixels(text);
        if (!std::isinf(predicted)) {
            EXPECT_EQ(predicted, metrics.horizontalAdvance(text)) << text.toStdString();
        }
    };
    const char *const named[] = {
        "AV", "fft", "Afl", "ffi", "To LT", "あ 1", "1あ", "漢 1", "アー1", "「旅立ち」", "Ａ1", "ｱﾞ1", "α β", "e\u0301",
    };
    for (const char *text : named)
        check(QString::fromUtf8(text));

    const QString alphabet = QStringLiteral(
        " !\"'(),-./0123479:;?AFLPTVWYafiklortvwy~ÀéßαЖ–…あいがっアイガーヴｱｲﾞ漢字朝、。・「」（）～　！１Ａ①");
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        for (unsigned length = 1 + random() % 10; length > 0; --length)
            text += alphabet[static_cast<qsizetype>(random() % alphabet.size())];
        check(text);
    }
}

TEST(FormMain, NarrowTitlesLeaveTheHeaderWidth)
{
    TrackList store = storeOf({track(5, "a", "b"), track(0, "c", "d")});
    FormMain form(store);
    form.refreshPlayList(0, true, false);
    const double headerAndA = static_cast<double>(form.textWidthTwips(QStringLiteral("A")))
        + std::nearbyint(form.textWidthTwips(QStringLiteral("GAME TITLE")));
    EXPECT_EQ(form.GridPlayList->colWidth(1), static_cast<int>(std::nearbyint(headerAndA)));
}

TEST(FormMain, EachCallSelectsTheTrackRowAndScrollsOnlyOnRequest)
{
    struct Case
    {
        const char *name;
        qint32 focus;
        bool refresh;
        bool topMove;
        int expectedTop; // 0: the view stays where it was
    };
    const Case cases[] = {
        {"rebuild without scrolling", 40, true, false, 0},
        {"scroll to the top row", 40, false, true, 41},
        {"both flags false", 50, false, false, 0},
        {"last track scrolls as far as it goes", 59, false, true, -1},
    };
    TrackList store = numberedStore(60);
    FormMain form(store);
    form.refreshPlayList(0, true, false);
    form.GridPlayList->setTopRow(10);
    for (const Case &c : cases) {
        const int before = topRow(form);
        form.refreshPlayList(c.focus, c.refresh, c.topMove);
        expectRowSelected(form, c.focus + 1, c.name);
        if (c.expectedTop == 0) {
            EXPECT_EQ(topRow(form), before) << c.name;
        } else if (c.expectedTop > 0) {
            EXPECT_EQ(topRow(form), c.expectedTop) << c.name;
        } else {
            EXPECT_EQ(form.GridPlayList->verticalScrollBar()->value(), form.GridPlayList->verticalScrollBar()->maximum())
                << c.name;
        }
        EXPECT_TRUE(form.GridPlayList->isVisible()) << c.name;
    }
}

TEST(FormMain, RowRewriteFollowsTheStoredTime)
{
    struct Case
    {
        const char *name;
        std::int32_t before;
        std::int32_t after;
        QColor shade;
    };
    const Case cases[] = {
        {"a stored time turns grey to white", 0, 130, QColor(255, 255, 255)},
        {"storing 0 turns white to grey", 90, 0, QColor(221, 221, 221)},
        {"one second is a stored time", -5, 1, QColor(255, 255, 255)},
    };
    for (const Case &c : cases) {
        TrackList store = storeOf({track(30, "a", "b"), track(c.before, "c", "d"), track(30, "e", "f")});
        FormMain form(store);
        form.refreshPlayList(1, true, false);
        const std::array<int, 3> widths = gridWidths(form);
        store.tracks[1].playTime = c.after;
        form.refreshRow(1);
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(form.GridPlayList->model()->data(cellIndex(form, 2, col), Qt::BackgroundRole).value<QColor>(),
                      c.shade)
                << c.name;
        EXPECT_EQ(form.GridPlayList->row(), 2) << c.name;
        EXPECT_EQ(form.GridPlayList->col(), 2) << c.name;
        EXPECT_EQ(gridWidths(form), widths) << c.name;
    }
}

TEST(FormMain, EmptyListShowsTheHeaderOnly)
{
    TrackList store;
    FormMain form(store);
    form.refreshPlayList(0, true, false);
    form.refreshPlayList(0, false, true);
    EXPECT_EQ(form.GridPlayList->rows(), 1);
    EXPECT_EQ(form.GridPlayList->model()->rowCount(), 0);
    EXPECT_TRUE(form.GridPlayList->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(form.GridPlayList->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("MUSIC TITLE"));
    EXPECT_TRUE(form.isVisible());
}

TEST(FormMain, ClosingCanBeRefusedByTheReceiver)
{
    TrackList store = numberedStore(1);
    FormMain form(store);
    form.refreshPlayList(0, true, false);
    QObject::connect(&form, &FormMain::closing, &form, [](QCloseEvent *event) { event->ignore(); });
    int received = 0;
    QObject::connect(&form, &FormMain::closing, &form, [&received] { ++received; });
    EXPECT_FALSE(form.close());
    EXPECT_EQ(received, 1);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
