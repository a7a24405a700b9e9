// Stand-in for the sound-hardware emulator: a small window with the emulator's
// title that takes orders from the stand-in client over a local socket, shows
// the selected game, the code playing and every order, and prints each order
// on stdout. It runs until it is terminated or its window is closed.

#include "socketpath.h"

#include "platform/commandline.h"
#include "emulator/emulator.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One whole order from the front of buffer (see socketpath.h), removed from
// it; nothing while the order is still incomplete.
static std::optional<std::vector<std::string>> takeOrder(QByteArray &buffer)
{
    const qsizetype lineEnd = buffer.indexOf('\n');
    if (lineEnd < 0)
        return std::nullopt;
    bool ok = false;
    const int count = buffer.left(lineEnd).toInt(&ok);
    if (!ok || count < 0)
        return std::nullopt;
    std::vector<std::string> arguments;
    qsizetype pos = lineEnd + 1;
    for (int i = 0; i < count; ++i) {
        const qsizetype end = buffer.indexOf('\0', pos);
        if (end < 0)
            return std::nullopt;
        arguments.emplace_back(buffer.constData() + pos, static_cast<std::size_t>(end - pos));
        pos = end + 1;
    }
    buffer.remove(0, pos);
    return arguments;
}

class StandinWindow : public QWidget
{
public:
    StandinWindow()
    {
        // No application display name anywhere: Qt would append it to the title.
        setWindowTitle(QString::fromUtf8(kHootWindowTitle));
        auto *form = new QFormLayout;
        form->addRow(QStringLiteral("Game:"), m_game);
        form->addRow(QStringLiteral("Major:"), m_major);
        form->addRow(QStringLiteral("Sub:"), m_sub);
        form->addRow(QStringLiteral("Playing:"), m_code);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(new QLabel(QStringLiteral("Orders received:")));
        layout->addWidget(m_orders);
        resize(420, 320);
    }

    void takeOrder(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> line{"hootclient"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const std::string text = joinWindowsCommandLine(line);
        m_orders->addItem(QString::fromStdString(text));
        // The window shows the recent orders only, so long runs stay cheap.
        while (m_orders->count() > 100)
            delete m_orders->takeItem(0);
        m_orders->scrollToBottom();
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);

        if (arguments.size() >= 2 && arguments[0] == "code") {
            m_code->setText(QString::fromStdString(arguments[1]));
            return;
        }
        for (const std::string &argument : arguments) {
            const auto value = [&](const char *key) {
                return QString::fromStdString(argument.substr(std::string(key).size()));
            };
            if (argument.rfind("title=", 0) == 0) {
                m_game->setText(value("title="));
                m_code->clear();
            } else if (argument.rfind("major=", 0) == 0) {
                m_major->setText(value("major="));
            } else if (argument.rfind("sub=", 0) == 0) {
                m_sub->setText(value("sub="));
            }
        }
    }

private:
    QLabel *m_game = new QLabel;
    QLabel *m_major = new QLabel;
    QLabel *m_sub = new QLabel;
    QLabel *m_code = new QLabel;
    QListWidget *m_orders = new QListWidget;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    StandinWindow window;

    const QString path = QString::fromStdString(standinSocketPath());
    QLocalServer server;
    // A socket left behind by an emulator that was killed would block listen().
    QLocalServer::removeServer(path);
    if (!server.listen(path)) {
        std::fprintf(stderr, "hoot.exe: cannot listen on %s: %s\n", qPrintable(path),
                     qPrintable(server.errorString()));
        return 2;
    }
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&server, &window] {
        while (QLocalSocket *socket = server.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, &window] {
                buffer->append(socket->readAll());
                while (const std::optional<std::vector<std::string>> order = takeOrder(*buffer)) {
                    window.takeOrder(*order);
                    socket->write("ok\n");
                    socket->flush();
                }
            });
        }
    });

    window.show();
    return app.exec();
}
