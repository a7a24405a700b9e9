// The baseline of bench_window_startup: a Qt window of the player's fixed size
// holding an empty table view, and nothing else.
#include "barewindowtitle.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(BARE_WINDOW_TITLE));
    window.setFixedSize(540, 434);
    QTableView table(&window);
    table.setGeometry(window.rect());
    window.show();
    return app.exec();
}
