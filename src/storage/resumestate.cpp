#include "storage/resumestate.h"

#include "storage/savefile.h"
#include "util/file.h"
#include "util/message.h"
#include "util/text.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

Result<fs::path> stateFolder()
{
#ifdef _WIN32
    if (const wchar_t *local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / L"Tunelark";
    return Error{"状態フォルダーがありません。", "LOCALAPPDATA is not set"};
#else
    // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return fs::path(state) / "tunelark";
    if (const char *home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local" / "state" / "tunelark";
    return Error{"状態フォルダーがありません。", "neither XDG_STATE_HOME nor HOME is set"};
#endif
}

std::string absoluteListPath(const std::string &listPath)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(pathFromUtf8(listPath), error), error);
    return utf8FromPath(error ? pathFromUtf8(listPath) : resolved);
}

// The lines after the list's path: what names the track.
std::string describe(const TrackList &list, std::int32_t track)
{
    const TrackView record = list.track(track);
    std::string text = std::to_string(track + 1) + '\n';
    for (const std::string_view field : {record.gameTitle, record.major, record.sub})
        (text += field) += '\n';
    return text + record.code.toDecimalText() + '\n';
}

bool names(const TrackView &record, const std::string (&fields)[4])
{
    return record.gameTitle == fields[0] && record.major == fields[1] && record.sub == fields[2]
        && record.code.toDecimalText() == fields[3];
}

} // namespace

Result<std::string> resumeStatePath(const std::string &listPath)
{
    const Result<fs::path> folder = stateFolder();
    if (!folder)
        return folder.error();
    char name[17];
    std::snprintf(name, sizeof name, "%016" PRIx64, fnv1a(absoluteListPath(listPath)));
    return utf8FromPath(folder.value() / name);
}

ResumeState::ResumeState(const std::string &listPath, std::ostream &err)
    : m_path(resumeStatePath(listPath))
    , m_listPath(absoluteListPath(listPath))
    , m_err(err)
{
}

std::optional<std::int32_t> ResumeState::lastTrack(const TrackList &list)
{
    if (!m_path) {
        printMessage(m_err, m_path.error(), "no track to resume");
        return std::nullopt;
    }
    std::error_code unknown;
    if (fs::symlink_status(pathFromUtf8(m_path.value()), unknown).type() == fs::file_type::not_found)
        return std::nullopt; // the list's first run with the setting
    const Result<std::string> text = readFile(m_path.value());
    std::istringstream lines(text ? text.value() : std::string());
    std::string path, place, fields[4];
    for (std::string *line : {&path, &place, &fields[0], &fields[1], &fields[2], &fields[3]})
        std::getline(lines, *line);
    if (!text || !lines || path != m_listPath) {
        if (text)
            printMessage(m_err, "resume state ignored: " + m_path.value() + ": not a state Tunelark wrote for this list");
        else
            printMessage(m_err, text.error(), "resume state ignored");
        return std::nullopt;
    }
    // The same place first, so of two equal tracks the one that played is taken.
    const std::int32_t at = std::atoi(place.c_str()) - 1;
    if (at >= 0 && at < list.count() && names(list.track(at), fields))
        return at;
    for (std::int32_t track = 0; track < list.count(); ++track) {
        if (names(list.track(track), fields))
            return track;
    }
    return std::nullopt;
}

void ResumeState::remember(const TrackList &list, std::int32_t track)
{
    const std::string text = m_listPath + '\n' + describe(list, track);
    if (!m_path || text == m_written)
        return;
    std::error_code unused; // a folder that cannot be made fails the save, which says why
    fs::create_directories(pathFromUtf8(m_path.value()).parent_path(), unused);
    const Result<void> saved = saveFileAtomically(m_path.value(), text, KeptBackup::None);
    if (!saved && !m_failing)
        printMessage(m_err, saved.error(), "resume state not written");
    m_failing = !saved;
    m_written = saved ? text : std::string();
}
