#include "storage/nowplayingfile.h"

#include "storage/savefile.h"
#include "util/file.h"
#include "util/message.h"

#include <filesystem>

namespace fs = std::filesystem;

// A relative path is taken from the list's folder, which holds tl.ini.
static fs::path targetOf(const Settings &settings)
{
    return pathFromUtf8(settings.iniPath).parent_path() / pathFromUtf8(settings.nowPlayingFile);
}

NowPlayingFile::NowPlayingFile(const PlayerState &state, std::ostream &err) : m_state(state), m_err(err) {}

void NowPlayingFile::show()
{
    const TrackView track = m_state.list.track(m_state.list.current);
    write(std::string(track.gameTitle) + " - " + std::string(track.musicTitle));
}

void NowPlayingFile::clear()
{
    write({});
}

void NowPlayingFile::write(std::string_view line)
{
    if (m_state.settings.nowPlayingFile.empty())
        return;
    const Result<void> written = saveFileAtomically(utf8FromPath(targetOf(m_state.settings)), line, KeptBackup::None);
    if (!written && !m_failing)
        printMessage(m_err, written.error(), "now-playing file not written");
    m_failing = !written;
}

Result<void> checkNowPlayingFile(const Settings &settings)
{
    if (settings.nowPlayingFile.empty())
        return {};
    const fs::path target = targetOf(settings);
    const std::string &name = settings.nowPlayingFile;
    std::error_code ignored;
    if (fs::is_directory(target, ignored))
        return Error{"NowPlayingFile の「" + name + "」はフォルダーです。", "NowPlayingFile names a folder: \"" + name + "\""};
    if (!fs::is_directory(target.parent_path(), ignored)) {
        return Error{"NowPlayingFile の「" + name + "」を入れるフォルダーがありません。",
                     "NowPlayingFile is in a folder that does not exist: \"" + name + "\""};
    }
    return {};
}
