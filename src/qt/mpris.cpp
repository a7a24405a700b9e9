#include "qt/mpris.h"

#include "player/player.h"
#include "qt/mainwindow.h"
#include "tracklist/tracklist.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMetaObject>

#include <algorithm>

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tunelark");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
constexpr qlonglong kMicrosecondsPerSecond = 1000000;

} // namespace

// org.mpris.MediaPlayer2: the application as a whole.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

public:
    explicit MprisRootAdaptor(MprisService *service)
        : QDBusAbstractAdaptor(service)
        , m_service(service)
    {
    }
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Tunelark"); }
    QString desktopEntry() const { return QStringLiteral("tunelark"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { m_service->raise(); }
    void Quit() { m_service->quit(); }

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: the track playing and the controls.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ no)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ yes)

public:
    explicit MprisPlayerAdaptor(MprisService *service)
        : QDBusAbstractAdaptor(service)
        , m_service(service)
    {
    }
    QString playbackStatus() const { return m_service->playbackStatus(); }
    QString loopStatus() const { return m_service->loopStatus(); }
    void setLoopStatus(const QString &status) { m_service->setLoopStatus(status); }
    bool shuffle() const { return m_service->shuffle(); }
    void setShuffle(bool on) { m_service->setShuffle(on); }
    double one() const { return 1.0; }
    QVariantMap metadata() const { return m_service->metadata(); }
    qlonglong position() const { return m_service->positionMicroseconds(); }
    bool canGoPrevious() const { return m_service->canGoPrevious(); }
    bool yes() const { return true; }
    bool no() const { return false; }

public slots:
    void Next() { m_service->next(); }
    void Previous() { m_service->previous(); }
    // The emulator cannot pause, stop or seek.
    void Pause() {}
    void PlayPause() {}
    void Stop() {}
    void Play() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath &, qlonglong) {}
    void OpenUri(const QString &) {}

private:
    MprisService *m_service;
};

MprisService::MprisService(Player &player, const TrackList &list, MainWindow &window)
    : m_player(player)
    , m_list(list)
    , m_window(window)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    player.addTrackChangedListener([this] {
        announce({{QStringLiteral("Metadata"), metadata()},
                  {QStringLiteral("PlaybackStatus"), playbackStatus()},
                  {QStringLiteral("LoopStatus"), loopStatus()},
                  {QStringLiteral("Shuffle"), shuffle()},
                  {QStringLiteral("CanGoPrevious"), canGoPrevious()}});
    });
}

Result<void> MprisService::registerOnSessionBus()
{
    const auto failure = [](const QString &detail) {
        return Error{"デスクトップのメディア操作に登録できません。", detail.toStdString()};
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return failure(QStringLiteral("no session bus (%1)").arg(bus.lastError().message()));
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return failure(QStringLiteral("cannot register %1 (%2)").arg(kObjectPath, bus.lastError().message()));
    if (!bus.registerService(kServiceName)) {
        bus.unregisterObject(kObjectPath);
        return failure(QStringLiteral("%1 is taken by another program").arg(kServiceName));
    }
    m_registered = true;
    return {};
}

// The bus's reply goes out first: a change waits for the emulator's client,
// and the close may ask the save question.
void MprisService::next()
{
    QMetaObject::invokeMethod(this, [this] { m_player.next(); }, Qt::QueuedConnection);
}

void MprisService::previous()
{
    QMetaObject::invokeMethod(this, [this] { m_player.previous(); }, Qt::QueuedConnection);
}

bool MprisService::canGoPrevious() const
{
    return m_player.canGoBack();
}

void MprisService::quit()
{
    // As a second close does: while the save question is open it is ignored.
    QMetaObject::invokeMethod(this, [this] { m_player.requestClose(); }, Qt::QueuedConnection);
}

void MprisService::raise()
{
    m_window.bringToFront();
}

QVariantMap MprisService::metadata() const
{
    const int track = m_player.currentTrack();
    if (track < 0)
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    const TrackView record = m_list.track(track);
    const auto text = [](std::string_view utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    };
    return {
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/tunelark/track/%1").arg(track)))},
        {QStringLiteral("xesam:title"), text(record.musicTitle)},
        {QStringLiteral("xesam:album"), text(record.gameTitle)},
        {QStringLiteral("mpris:length"), std::max(0, m_player.playLimitSeconds()) * kMicrosecondsPerSecond},
    };
}

qlonglong MprisService::positionMicroseconds() const
{
    return m_player.elapsedSeconds() * kMicrosecondsPerSecond;
}

// Playing while a track plays; Stopped with an empty list or before the first track.
QString MprisService::playbackStatus() const
{
    return m_player.currentTrack() < 0 ? QStringLiteral("Stopped") : QStringLiteral("Playing");
}

QString MprisService::loopStatus() const
{
    return m_player.loop() ? QStringLiteral("Track") : QStringLiteral("None");
}

void MprisService::setLoopStatus(const QString &status)
{
    m_player.setLoop(status == QLatin1String("Track"));
}

bool MprisService::shuffle() const
{
    return m_player.shuffle();
}

void MprisService::setShuffle(bool on)
{
    m_player.setShuffle(on);
}

void MprisService::announce(const QVariantMap &changed)
{
    if (!m_registered)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

#include "mpris.moc"
