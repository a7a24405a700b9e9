#pragma once

#include <QTableView>

class FlexGridModel;

// The playlist grid: a table of 3 columns whose row 0 is a fixed header row,
// driven through a current cell (row(), col()) and the selection end
// (setRowSel(), setColSel()). Cells are written without drawing; the view
// catches up when it is shown.
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget *parent = nullptr);

    void setRows(int rows);
    int rows() const;
    int cols() const;
    int fixedCols() const;

    void setRow(int row);
    int row() const { return m_row; }
    void setCol(int col);
    int col() const { return m_col; }

    void setText(const QString &text);
    QString text() const;
    void setCellBackColor(QRgb rgb);
    void setCellForeColor(QRgb rgb);
    // 1 left and vertically centred, 7 right and vertically centred.
    void setCellAlignment(int alignment);

    void setColWidth(int col, int twips);
    int colWidth(int col) const;

    void setTopRow(int row);
    void setRowSel(int row);
    void setColSel(int col);

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void dblClick();
    void keyPress(qint16 charCode);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void cellWritten();
    void selectionWritten();
    void syncSelection();
    void applyTopRow();
    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;

    FlexGridModel *m_model;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    int m_colWidthTwips[3];
    int m_pendingTopRow = 0; // 0: none
    bool m_selectionStale = false;
    bool m_syncing = false;
};
