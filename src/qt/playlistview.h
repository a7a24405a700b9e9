#pragma once

#include "player/columnwidths.h"
#include "player/player.h"
#include "player/playlist.h"

#include <QAbstractTableModel>
#include <QTableView>

// The grid's cells, read from the player's Playlist whenever the view draws
// them. The header row is served as the horizontal header.
class PlaylistModel : public QAbstractTableModel
{
public:
    PlaylistModel(const Playlist &playlist, QObject *parent);

    // The list has been filled anew with `count` tracks.
    void reset(int count);
    void rowChanged(int track);
    // Rows the player has queued to play next are drawn in bold.
    void setPlayer(const Player &player) { m_player = &player; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const Playlist &m_playlist;
    const Player *m_player = nullptr;
    int m_rows = 0;
};

// The playlist grid: a header row, one row per track, the current track's row
// selected by code without scrolling. A left double-click on a cell, Enter,
// Space, Ctrl+Enter, F3 and typed text (the input method's among them) go to
// the player; so do the row menu's 「次に演奏」 and 「前の曲」.
class PlaylistView : public QTableView
{
    Q_OBJECT

public:
    PlaylistView(const Playlist &playlist, QWidget *parent);

    void setPlayer(const Player &player);
    void setTrackRows(int count, const ColumnWidths &widthsTwips);
    void repaintRow(int track);
    void redrawRow(int track);
    void putRowOnTop(int track);
    void selectRow(int track);
    void showRow(int track);
    void showFindText(const QString &text);

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // Qt's own type-ahead, which also gets the input method's committed text, is replaced by ours.
    void keyboardSearch(const QString &search) override;

signals:
    void activated(int track); // a left double-click on a track's row
    // A key the player decides about, with the current row `row`.
    void keyPressed(GridKey key, const QString &text, int row);
    void previousRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void selectCells(int track, int firstColumn, int lastColumn, int currentColumn);
    void applyTopRow();
    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;

    PlaylistModel *m_model;
    const Player *m_player = nullptr;
    int m_pendingTopRow = -1; // -1: none
    bool m_selecting = false;
};
