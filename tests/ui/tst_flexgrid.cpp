#include "ui/flexgrid.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A shown grid with `rows` rows, each cell's text naming its row.
struct ShownGrid
{
    explicit ShownGrid(int rows)
    {
        grid.resize(515, 261);
        grid.setRows(rows);
        for (int row = 1; row < rows; ++row) {
            grid.setRow(row);
            grid.setCol(1);
            grid.setText(QString::number(row));
        }
        grid.show();
    }

    int topRow() const { return grid.rowAt(0) + 1; }
    QPoint cellCentre(int row, int col) const { return grid.visualRect(grid.model()->index(row - 1, col)).center(); }

    FlexGrid grid;
};

TEST(FlexGrid, SettingRowsKeepsTheCellsOfRowsThatStay)
{
    FlexGrid grid;
    grid.setRows(5);
    grid.setRow(4);
    grid.setCol(2);
    grid.setText(QStringLiteral("kept"));

    grid.setRows(10);
    grid.setRow(4);
    grid.setCol(2);
    EXPECT_EQ(grid.text(), QStringLiteral("kept"));
    EXPECT_EQ(grid.rows(), 10);
    EXPECT_EQ(grid.model()->rowCount(), 9);

    grid.setRows(3);
    grid.setRows(5);
    grid.setRow(4);
    grid.setCol(2);
    EXPECT_EQ(grid.text(), QString()) << "a row removed and added again starts empty";
    EXPECT_EQ(grid.cols(), 3);
    EXPECT_EQ(grid.fixedCols(), 0);
}

TEST(FlexGrid, HeaderRowIsShownFromRowZeroCells)
{
    FlexGrid grid;
    grid.setRows(2);
    grid.setRow(0);
    grid.setCol(1);
    grid.setText(QStringLiteral("GAME TITLE"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("GAME TITLE"));
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

TEST(FlexGrid, CellColoursAndAlignmentBelongToOneCell)
{
    FlexGrid grid;
    grid.setRows(3);
    grid.setRow(1);
    grid.setCol(0);
    grid.setCellBackColor(qRgb(221, 221, 221));
    grid.setCellForeColor(qRgb(0, 0, 0));
    grid.setCellAlignment(7);
    grid.setCol(1);
    grid.setCellAlignment(1);

    const QAbstractItemModel *model = grid.model();
    const QModelIndex written = model->index(0, 0);
    const QModelIndex untouched = model->index(1, 0);
    EXPECT_EQ(model->data(written, Qt::BackgroundRole).value<QColor>(), QColor(221, 221, 221));
    EXPECT_EQ(model->data(written, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    EXPECT_EQ(model->data(written, Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model->data(model->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(model->data(untouched, Qt::BackgroundRole).value<QColor>(), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(model->data(untouched, Qt::ForegroundRole).value<QColor>(), QApplication::palette().color(QPalette::Text));
    EXPECT_EQ(grid.palette().color(QPalette::Base), QColor(128, 128, 128)) << "the area beyond the cells";
}

TEST(FlexGrid, ColumnWidthsAreTwips)
{
    FlexGrid grid;
    grid.setColWidth(1, 1500);
    EXPECT_EQ(grid.colWidth(1), 1500);
    EXPECT_EQ(grid.horizontalHeader()->sectionSize(1), 100);
}

TEST(FlexGrid, FontResolvesToTheSameMetricsFamily)
{
    FlexGrid grid;
    EXPECT_EQ(grid.font().pointSize(), 9);
    EXPECT_EQ(QFontInfo(grid.font()).family(), QStringLiteral("IPAPGothic"));
}

TEST(FlexGrid, TopRowScrollsAsFarAsTheRowsBelowAllow)
{
    struct Case
    {
        const char *name;
        int requested;
        bool lastRowsOnly; // too few rows follow: the view ends at the last row
    };
    const Case cases[] = {
        {"first track row", 1, false},
        {"middle row", 40, false},
        {"last row", 99, true},
    };
    for (const Case &c : cases) {
        ShownGrid shown(100);
        shown.grid.setTopRow(c.requested);
        if (c.lastRowsOnly) {
            EXPECT_LT(shown.topRow(), c.requested) << c.name;
            EXPECT_EQ(shown.grid.verticalScrollBar()->value(), shown.grid.verticalScrollBar()->maximum()) << c.name;
            const QRect lastRow = shown.grid.visualRect(shown.grid.model()->index(98, 0));
            EXPECT_TRUE(shown.grid.viewport()->rect().contains(lastRow)) << c.name;
        } else {
            EXPECT_EQ(shown.topRow(), c.requested) << c.name;
        }
    }
}

TEST(FlexGrid, TopRowSetWhileHiddenAppliesWhenShown)
{
    ShownGrid shown(100);
    shown.grid.hide();
    shown.grid.setTopRow(30);
    shown.grid.show();
    EXPECT_EQ(shown.topRow(), 30);
}

TEST(FlexGrid, SelectionByCodeCoversTheRangeAndDoesNotScroll)
{
    ShownGrid shown(100);
    shown.grid.setRow(80);
    shown.grid.setRowSel(80);
    shown.grid.setCol(0);
    shown.grid.setColSel(2);

    const QModelIndexList selected = shown.grid.selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 3);
    for (const QModelIndex &index : selected)
        EXPECT_EQ(index.row(), 79);
    EXPECT_EQ(shown.grid.currentIndex(), shown.grid.model()->index(79, 0));
    EXPECT_EQ(shown.topRow(), 1);
    // Shown highlighted also without the focus.
    EXPECT_EQ(shown.grid.palette().color(QPalette::Inactive, QPalette::Highlight),
              shown.grid.palette().color(QPalette::Active, QPalette::Highlight));
}

TEST(FlexGrid, DoubleClickOnACellSignalsWithThatRowCurrent)
{
    ShownGrid shown(20);
    QSignalSpy spy(&shown.grid, &FlexGrid::dblClick);
    QTest::mouseDClick(shown.grid.viewport(), Qt::LeftButton, {}, shown.cellCentre(7, 1));
    EXPECT_EQ(spy.size(), 1);
    EXPECT_EQ(shown.grid.row(), 7);

    QTest::mouseClick(shown.grid.viewport(), Qt::LeftButton, {}, shown.cellCentre(3, 2));
    EXPECT_EQ(shown.grid.row(), 3);
    EXPECT_EQ(shown.grid.col(), 2);
}

TEST(FlexGrid, DoubleClickBeyondTheCellsSignalsNothing)
{
    ShownGrid shown(3);
    QSignalSpy spy(&shown.grid, &FlexGrid::dblClick);
    QTest::mouseDClick(shown.grid.viewport(), Qt::LeftButton, {}, QPoint(10, shown.grid.viewport()->height() - 5));
    EXPECT_EQ(spy.size(), 0);
}

TEST(FlexGrid, TypedKeysSignalTheirCharacterCode)
{
    struct Case
    {
        const char *name;
        Qt::Key key;
        QString text;
        int expected; // -1: no signal
    };
    const Case cases[] = {
        {"Enter", Qt::Key_Return, QStringLiteral("\r"), 13},
        {"keypad Enter", Qt::Key_Enter, QStringLiteral("\r"), 13},
        {"Space", Qt::Key_Space, QStringLiteral(" "), 32},
        {"letter", Qt::Key_A, QStringLiteral("a"), 97},
        {"arrow key", Qt::Key_Down, QString(), -1},
    };
    for (const Case &c : cases) {
        ShownGrid shown(20);
        shown.grid.setRow(5);
        QSignalSpy spy(&shown.grid, &FlexGrid::keyPress);
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, c.text);
        QApplication::sendEvent(&shown.grid, &press);
        if (c.expected < 0) {
            EXPECT_EQ(spy.size(), 0) << c.name;
            EXPECT_EQ(shown.grid.row(), 6) << c.name << ": the arrow moves the current row";
        } else {
            ASSERT_EQ(spy.size(), 1) << c.name;
            EXPECT_EQ(spy.at(0).at(0).value<qint16>(), c.expected) << c.name;
            EXPECT_EQ(shown.grid.row(), 5) << c.name;
        }
    }
}

} // namespace
