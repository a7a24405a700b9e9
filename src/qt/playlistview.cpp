#include "qt/playlistview.h"

#include "player/trackfinder.h"
#include "player/windowlayout.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QProxyStyle>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kRowHeightTwips = 240; // a 9 pt font's row

QColor toQColor(RgbColor rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb) | 0xFF000000u);
}

// The grid's own font. Debian has no font of that name; IPAPGothic has the
// same metrics.
QFont gridFont()
{
    const QString family = QString::fromUtf8(kWindowFontFace);
    static const bool substituted = [&family] {
        if (QFontDatabase::hasFamily(family))
            return false;
        QFont::insertSubstitution(family, QStringLiteral("IPAPGothic"));
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family, kWindowFontPoints, QFont::Normal, false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// Light grey lines between cells, whatever the application style draws.
class GridLineStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Table_GridLineColor)
            return static_cast<int>(toQColor(Playlist::kGridLineColor).rgba());
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PlaylistModel::PlaylistModel(const Playlist &playlist, QObject *parent)
    : QAbstractTableModel(parent)
    , m_playlist(playlist)
{
}

void PlaylistModel::reset(int count)
{
    beginResetModel();
    m_rows = count;
    endResetModel();
}

void PlaylistModel::rowChanged(int track)
{
    emit dataChanged(index(track, 0), index(track, Playlist::kColumns - 1));
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int PlaylistModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Playlist::kColumns;
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(m_playlist.cellText(index.row(), index.column()));
    case Qt::BackgroundRole:
        return toQColor(m_playlist.shade(index.row()));
    case Qt::ForegroundRole:
        return toQColor(Playlist::kTextColor);
    case Qt::FontRole: {
        if (!m_player || !m_player->isQueued(index.row()))
            return {};
        QFont bold = gridFont();
        bold.setBold(true);
        return bold;
    }
    case Qt::TextAlignmentRole: {
        const Qt::Alignment horizontal
            = Playlist::alignment(index.column()) == CellAlignment::Right ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= Playlist::kColumns || role != Qt::DisplayRole)
        return {};
    return QString::fromLatin1(Playlist::headerText(section));
}

PlaylistView::PlaylistView(const Playlist &playlist, QWidget *parent)
    : QTableView(parent)
    , m_model(new PlaylistModel(playlist, this))
{
    auto *style = new GridLineStyle;
    style->setParent(this);
    setStyle(style);
    setFont(gridFont());

    const QPalette system = QApplication::palette();
    QPalette own = palette();
    own.setColor(QPalette::Base, toQColor(Playlist::kOutsideColor));
    // The current track's row is selected by code and must stay visible while
    // another control has the focus or the grid is briefly disabled.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        own.setColor(QPalette::Inactive, role, system.color(QPalette::Active, role));
        own.setColor(QPalette::Disabled, role, system.color(QPalette::Active, role));
    }
    setPalette(own);

    setModel(m_model);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    // Tab leaves the grid for the next control instead of moving the current
    // cell, so the row that Enter or Space plays never changes unseen.
    setTabKeyNavigation(false);
    // The scroll bar counts rows whatever the desktop style, so putting a
    // row on top is setting the bar to its index.
    setVerticalScrollMode(ScrollPerItem);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setCornerButtonEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled); // kana and kanji for type-to-find

    QHeaderView *vertical = verticalHeader();
    vertical->hide();
    vertical->setMinimumSectionSize(0);
    vertical->setDefaultSectionSize(twipsToPixelsY(kRowHeightTwips));
    vertical->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView *header = horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setFixedHeight(twipsToPixelsY(kRowHeightTwips));
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStyleSheet(QStringLiteral(
        "QHeaderView { background-color: %1; }"
        "QHeaderView::section { background-color: palette(button); color: palette(button-text);"
        " border: none; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 0px 2px; }").arg(toQColor(Playlist::kOutsideColor).name()));
    for (int column = 0; column < Playlist::kColumns; ++column)
        header->resizeSection(column, twipsToPixelsX(kDefaultColumnWidthsTwips[column]));
}

int PlaylistView::twipsToPixelsX(int twips) const
{
    return qRound(static_cast<double>(twips) * logicalDpiX() / kTwipsPerInch);
}

int PlaylistView::twipsToPixelsY(int twips) const
{
    return qRound(static_cast<double>(twips) * logicalDpiY() / kTwipsPerInch);
}

void PlaylistView::setTrackRows(int count, const ColumnWidths &widthsTwips)
{
    m_model->reset(count);
    for (int column = 0; column < Playlist::kColumns; ++column)
        horizontalHeader()->resizeSection(column, twipsToPixelsX(widthsTwips[column]));
}

void PlaylistView::setPlayer(const Player &player)
{
    m_player = &player;
    m_model->setPlayer(player);
}

void PlaylistView::redrawRow(int track)
{
    m_model->rowChanged(track);
}

void PlaylistView::repaintRow(int track)
{
    m_model->rowChanged(track);
    const int last = Playlist::kColumns - 1;
    selectCells(track, last, last, last);
}

void PlaylistView::putRowOnTop(int track)
{
    m_pendingTopRow = track;
    if (isVisible())
        applyTopRow();
}

void PlaylistView::selectRow(int track)
{
    selectCells(track, 0, Playlist::kColumns - 1, 0);
}

void PlaylistView::showRow(int track)
{
    QTableView::scrollTo(m_model->index(track, 0), EnsureVisible);
}

void PlaylistView::showFindText(const QString &text)
{
    const auto shownFor = static_cast<int>(TrackFinder::kTypingPause.count());
    // A tip goes a cursor's height below the point given: from a header's
    // height above the grid it covers the header, not the first row.
    QToolTip::showText(mapToGlobal(QPoint(0, -horizontalHeader()->height())), text, this, {}, shownFor);
}

void PlaylistView::selectCells(int track, int firstColumn, int lastColumn, int currentColumn)
{
    // Selecting by code never scrolls: only putRowOnTop() and showRow() move the view.
    m_selecting = true;
    QItemSelectionModel *selection = selectionModel();
    selection->setCurrentIndex(m_model->index(track, currentColumn), QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(m_model->index(track, firstColumn), m_model->index(track, lastColumn)),
                      QItemSelectionModel::ClearAndSelect);
    m_selecting = false;
}

// The scroll range is known only once the view has been laid out.
void PlaylistView::applyTopRow()
{
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(m_pendingTopRow);
    m_pendingTopRow = -1;
}

void PlaylistView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!m_selecting)
        QTableView::scrollTo(index, hint);
}

void PlaylistView::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (m_pendingTopRow >= 0)
        applyTopRow();
}

// Enter, a space, F3 and printable text go to the player, which decides what
// they do; control characters (Escape, Ctrl with a letter) do nothing, and keys
// that type nothing (arrows, paging, Tab) move as usual.
void PlaylistView::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const int row = currentIndex().row();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || typed.startsWith(QLatin1Char('\r'))) {
        emit keyPressed(event->modifiers().testFlag(Qt::ControlModifier) ? GridKey::Queue : GridKey::Enter, {}, row);
        return;
    }
    if (typed == QLatin1String(" ")) {
        emit keyPressed(GridKey::Space, typed, row);
        return;
    }
    if (event->key() == Qt::Key_F3) {
        const bool backward = event->modifiers().testFlag(Qt::ShiftModifier);
        emit keyPressed(backward ? GridKey::FindPrevious : GridKey::FindNext, {}, row);
        return;
    }
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (!typed.isEmpty()) {
        const auto characters = typed.toUcs4();
        const bool printable
            = std::all_of(characters.begin(), characters.end(), [](auto c) { return QChar::isPrint(char32_t(c)); });
        if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            keyboardSearch(typed);
        return;
    }
    QTableView::keyPressEvent(event);
}

void PlaylistView::keyboardSearch(const QString &search)
{
    emit keyPressed(GridKey::Text, search, currentIndex().row());
}

// A double-click outside the cells (the grey area) plays nothing.
void PlaylistView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    // Only the left button plays a row, as on Windows.
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit activated(currentIndex().row());
}

// The row clicked, or with the menu key the current one. The menu does not
// wait in a loop of its own: the player's events go on while it is open.
void PlaylistView::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()).row() : currentIndex().row();
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *queue = menu->addAction(QStringLiteral("次に演奏"), this, [this, row] { emit keyPressed(GridKey::Queue, {}, row); });
    queue->setEnabled(row >= 0);
    queue->setCheckable(true);
    queue->setChecked(m_player && m_player->isQueued(row));
    QAction *back = menu->addAction(QStringLiteral("前の曲"), this, [this] { emit previousRequested(); });
    back->setEnabled(m_player && m_player->canGoBack());
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                   : viewport()->mapToGlobal(visualRect(currentIndex()).center());
    menu->popup(at);
}
