#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

// Cell storage of the playlist grid. Grid row 0, the fixed header row, is
// served as the horizontal header; grid row r > 0 is model row r - 1.
class FlexGridModel : public QAbstractTableModel
{
public:
    static constexpr int kCols = 3;

    explicit FlexGridModel(QObject *parent);

    int gridRows() const { return m_gridRows; }
    void setGridRows(int rows);

    const QString &text(int row, int col) const;
    void setText(int row, int col, const QString &text);
    void setBackColor(int row, int col, QRgb rgb);
    void setForeColor(int row, int col, QRgb rgb);
    void setAlignment(int row, int col, int flexAlignment);
    // Cells are written without signals; the grid calls this only while it is
    // shown, since a hidden view is drawn whole when it appears again.
    void cellChanged(int row, int col);

    void setDefaultColors(QRgb back, QRgb fore);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Colours are stored opaque; 0 means "not set", so the default applies.
    struct Cell
    {
        QString text;
        QRgb back = 0;
        QRgb fore = 0;
        qint8 alignment = -1;
    };

    Cell &cell(int row, int col);
    const Cell &cell(int row, int col) const;
    static Qt::Alignment toQtAlignment(int flexAlignment);

    std::vector<Cell> m_cells;
    int m_gridRows = 1;
    QRgb m_defaultBack = 0xFFFFFFFF;
    QRgb m_defaultFore = 0xFF000000;
};
