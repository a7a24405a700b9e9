#include "ui/flexgridmodel.h"

#include <algorithm>

namespace {
constexpr QRgb kOpaque = 0xFF000000;
}

FlexGridModel::FlexGridModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_cells(kCols)
{
}

void FlexGridModel::setGridRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_gridRows)
        return;
    if (rows > m_gridRows) {
        beginInsertRows({}, m_gridRows - 1, rows - 2);
        m_cells.resize(static_cast<std::size_t>(rows) * kCols);
        m_gridRows = rows;
        endInsertRows();
    } else {
        beginRemoveRows({}, rows - 1, m_gridRows - 2);
        m_cells.resize(static_cast<std::size_t>(rows) * kCols);
        m_gridRows = rows;
        endRemoveRows();
    }
}

FlexGridModel::Cell &FlexGridModel::cell(int row, int col)
{
    Q_ASSERT(row >= 0 && row < m_gridRows && col >= 0 && col < kCols);
    return m_cells[static_cast<std::size_t>(row) * kCols + static_cast<std::size_t>(col)];
}

const FlexGridModel::Cell &FlexGridModel::cell(int row, int col) const
{
    Q_ASSERT(row >= 0 && row < m_gridRows && col >= 0 && col < kCols);
    return m_cells[static_cast<std::size_t>(row) * kCols + static_cast<std::size_t>(col)];
}

const QString &FlexGridModel::text(int row, int col) const
{
    return cell(row, col).text;
}

void FlexGridModel::setText(int row, int col, const QString &text)
{
    cell(row, col).text = text;
}

void FlexGridModel::setBackColor(int row, int col, QRgb rgb)
{
    cell(row, col).back = rgb | kOpaque;
}

void FlexGridModel::setForeColor(int row, int col, QRgb rgb)
{
    cell(row, col).fore = rgb | kOpaque;
}

void FlexGridModel::setAlignment(int row, int col, int flexAlignment)
{
    cell(row, col).alignment = static_cast<qint8>(flexAlignment);
}

void FlexGridModel::cellChanged(int row, int col)
{
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - 1, col);
        emit dataChanged(changed, changed);
    }
}

void FlexGridModel::setDefaultColors(QRgb back, QRgb fore)
{
    m_defaultBack = back | kOpaque;
    m_defaultFore = fore | kOpaque;
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_gridRows - 1;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kCols;
}

// Alignment codes: 0-8 run left/centre/right, each top/centre/bottom; any
// other value (the "general" setting) is left and vertically centred.
Qt::Alignment FlexGridModel::toQtAlignment(int flexAlignment)
{
    if (flexAlignment < 0 || flexAlignment > 8)
        return Qt::AlignLeft | Qt::AlignVCenter;
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[flexAlignment / 3] | vertical[flexAlignment % 3];
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Cell &c = cell(index.row() + 1, index.column());
    switch (role) {
    case Qt::DisplayRole:
        return c.text;
    case Qt::BackgroundRole:
        return QColor::fromRgb(c.back ? c.back : m_defaultBack);
    case Qt::ForegroundRole:
        return QColor::fromRgb(c.fore ? c.fore : m_defaultFore);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(toQtAlignment(c.alignment));
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kCols)
        return {};
    const Cell &c = cell(0, section);
    switch (role) {
    case Qt::DisplayRole:
        return c.text;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(toQtAlignment(c.alignment));
    default:
        return {};
    }
}
