#include "ui/flexgrid.h"

#include "ui/flexgridmodel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QScrollBar>

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kRowHeightTwips = 240; // a 9 pt font's row
constexpr int kDefaultColWidthTwips = 960;
constexpr QRgb kGridLineColor = 0xFFC0C0C0;
constexpr QRgb kOutsideColor = 0xFF808080;

// The grid's own font. Debian has no font of that name; IPAPGothic has the
// same metrics.
QFont gridFont()
{
    const QString family = QStringLiteral("ＭＳ Ｐゴシック");
    static const bool substituted = [&family] {
        if (QFontDatabase::hasFamily(family))
            return false;
        QFont::insertSubstitution(family, QStringLiteral("IPAPGothic"));
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family, 9, QFont::Normal, false);
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
            return static_cast<int>(kGridLineColor);
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new FlexGridModel(this))
{
    for (int &width : m_colWidthTwips)
        width = kDefaultColWidthTwips;

    auto *style = new GridLineStyle;
    style->setParent(this);
    setStyle(style);
    setFont(gridFont());

    const QPalette system = QApplication::palette();
    m_model->setDefaultColors(system.color(QPalette::Base).rgb(), system.color(QPalette::Text).rgb());
    QPalette own = palette();
    own.setColor(QPalette::Base, QColor::fromRgb(kOutsideColor));
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
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setCornerButtonEnabled(false);

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
        "QHeaderView { background-color: rgb(128, 128, 128); }"
        "QHeaderView::section { background-color: palette(button); color: palette(button-text);"
        " border: none; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 0px 2px; }"));
    for (int col = 0; col < FlexGridModel::kCols; ++col)
        header->resizeSection(col, twipsToPixelsX(m_colWidthTwips[col]));
}

int FlexGrid::twipsToPixelsX(int twips) const
{
    return qRound(static_cast<double>(twips) * logicalDpiX() / kTwipsPerInch);
}

int FlexGrid::twipsToPixelsY(int twips) const
{
    return qRound(static_cast<double>(twips) * logicalDpiY() / kTwipsPerInch);
}

void FlexGrid::setRows(int rows)
{
    m_model->setGridRows(rows);
    m_row = std::min(m_row, m_model->gridRows() - 1);
    m_rowSel = std::min(m_rowSel, m_model->gridRows() - 1);
}

int FlexGrid::rows() const
{
    return m_model->gridRows();
}

int FlexGrid::cols() const
{
    return FlexGridModel::kCols;
}

int FlexGrid::fixedCols() const
{
    return 0;
}

// Moving the current cell makes it the whole selection, as a new current cell
// does in the original control.
void FlexGrid::setRow(int row)
{
    Q_ASSERT(row >= 0 && row < rows());
    m_row = row;
    m_rowSel = row;
    m_colSel = m_col;
    selectionWritten();
}

void FlexGrid::setCol(int col)
{
    Q_ASSERT(col >= 0 && col < cols());
    m_col = col;
    m_rowSel = m_row;
    m_colSel = col;
    selectionWritten();
}

void FlexGrid::setText(const QString &text)
{
    m_model->setText(m_row, m_col, text);
    cellWritten();
}

QString FlexGrid::text() const
{
    return m_model->text(m_row, m_col);
}

void FlexGrid::setCellBackColor(QRgb rgb)
{
    m_model->setBackColor(m_row, m_col, rgb);
    cellWritten();
}

void FlexGrid::setCellForeColor(QRgb rgb)
{
    m_model->setForeColor(m_row, m_col, rgb);
    cellWritten();
}

void FlexGrid::setCellAlignment(int alignment)
{
    m_model->setAlignment(m_row, m_col, alignment);
    cellWritten();
}

void FlexGrid::setColWidth(int col, int twips)
{
    m_colWidthTwips[col] = twips;
    horizontalHeader()->resizeSection(col, twipsToPixelsX(twips));
}

int FlexGrid::colWidth(int col) const
{
    return m_colWidthTwips[col];
}

void FlexGrid::setTopRow(int row)
{
    m_pendingTopRow = row;
    if (isVisible())
        applyTopRow();
}

void FlexGrid::setRowSel(int row)
{
    m_rowSel = row;
    selectionWritten();
}

void FlexGrid::setColSel(int col)
{
    m_colSel = col;
    selectionWritten();
}

// A rebuild writes hundreds of thousands of cells while the grid is hidden:
// those writes must not reach the view one by one.
void FlexGrid::cellWritten()
{
    if (isVisible())
        m_model->cellChanged(m_row, m_col);
}

void FlexGrid::selectionWritten()
{
    m_selectionStale = true;
    if (isVisible())
        syncSelection();
}

void FlexGrid::syncSelection()
{
    m_selectionStale = false;
    QItemSelectionModel *selection = selectionModel();
    const int firstRow = std::max(std::min(m_row, m_rowSel), 1);
    const int lastRow = std::max(m_row, m_rowSel);
    // Selecting by code never scrolls: only setTopRow() moves the view.
    m_syncing = true;
    if (m_row >= 1) {
        selection->setCurrentIndex(m_model->index(m_row - 1, m_col), QItemSelectionModel::NoUpdate);
    } else {
        selection->clearCurrentIndex();
    }
    if (firstRow <= lastRow) {
        const QItemSelection range(m_model->index(firstRow - 1, std::min(m_col, m_colSel)),
                                   m_model->index(lastRow - 1, std::max(m_col, m_colSel)));
        selection->select(range, QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clearSelection();
    }
    m_syncing = false;
}

// The scroll range is known only once the hidden view has been laid out.
void FlexGrid::applyTopRow()
{
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(m_pendingTopRow - 1);
    m_pendingTopRow = 0;
}

void FlexGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!m_syncing)
        QTableView::scrollTo(index, hint);
}

void FlexGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (m_selectionStale)
        syncSelection();
    if (m_pendingTopRow > 0)
        applyTopRow();
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit keyPress(13);
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty()) {
        emit keyPress(static_cast<qint16>(typed.at(0).unicode()));
        return;
    }
    QTableView::keyPressEvent(event);
}

// A double-click outside the cells (the grey area) plays nothing.
void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        emit dblClick();
}

// The user's clicks and arrow keys move the current cell too.
void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    m_row = current.row() + 1;
    m_col = current.column();
    m_rowSel = m_row;
    m_colSel = m_col;
}
