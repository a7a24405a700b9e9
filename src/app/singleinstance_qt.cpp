#include "app/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QString>

#include <unistd.h>

namespace {

// The display without its screen: host:N.S and host:N are one session.
QString displaySession()
{
    QString display = qEnvironmentVariable("DISPLAY", QStringLiteral("none"));
    const qsizetype screenDot = display.indexOf(QLatin1Char('.'), display.lastIndexOf(QLatin1Char(':')) + 1);
    return screenDot < 0 ? display : display.left(screenDot);
}

// One lock per user (the folder) and per display (the name): separate X
// sessions of one user each get their own player.
QString lockFilePath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        folder = QDir::tempPath() + QStringLiteral("/tunelark-") + QString::number(getuid());
    QDir().mkpath(folder);
    QString display = displaySession();
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return folder + QStringLiteral("/tunelark-") + display + QStringLiteral(".lock");
}

} // namespace

struct SingleInstance::Hold
{
    QLockFile lock{lockFilePath()};
};

SingleInstance::SingleInstance() : m_hold(std::make_unique<Hold>())
{
    // Never stale by age: a long-running player keeps its lock. A lock whose
    // owner process is gone is taken over at once.
    m_hold->lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    return m_hold->lock.tryLock(0);
}
