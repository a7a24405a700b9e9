// The baseline of bench_window_startup: a Qt window of the player's fixed size
// holding a table of three columns with the list's first rows (the file named
// by the first argument: a line per row, cells separated by tabs), so that the
// same fonts are loaded and the same text shaped as in the player.
#include "barewindowtitle.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(BARE_WINDOW_TITLE));
    window.setFixedSize(540, 434);
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("NO"), QStringLiteral("GAME TITLE"), QStringLiteral("MUSIC TITLE")});
    QFile rows(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (rows.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : rows.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            QList<QStandardItem *> cells;
            for (const QByteArray &cell : line.split('\t'))
                cells.append(new QStandardItem(QString::fromUtf8(cell)));
            model.appendRow(cells);
        }
    }
    QTableView table(&window);
    table.setModel(&model);
    table.resizeColumnsToContents();
    table.setGeometry(window.rect());
    window.show();
    return app.exec();
}
