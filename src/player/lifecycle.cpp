#include "player/lifecycle.h"

#include "storage/savefile.h"
#include "util/file.h"
#include "util/message.h"

#include <filesystem>
#include <utility>

namespace {

constexpr int kListedProblems = 20;

std::string describeUnreadLines(const std::vector<ListProblem> &problems)
{
    std::string text;
    for (const auto severity : {ListProblem::Severity::Error, ListProblem::Severity::Warning}) {
        const bool isError = severity == ListProblem::Severity::Error;
        std::string part = isError ? "tl.lst の次の行は読み込めませんでした。保存しても元のまま残ります。\n"
                                   : "tl.lst の次の行は、書かれたとおりには読めませんでした。読み取った内容で読み込みました。\n";
        int count = 0;
        for (const ListProblem &problem : problems) {
            if (problem.severity == severity && ++count <= kListedProblems)
                part += "\n" + std::to_string(problem.lineNumber) + " 行目: " + problem.message.text;
        }
        if (count > kListedProblems)
            part += "\n\nほか " + std::to_string(count - kListedProblems) + (isError ? " 行" : " 件");
        if (count > 0)
            text += (text.empty() ? "" : "\n\n") + part;
    }
    return text;
}

} // namespace

ProgramLifecycle::ProgramLifecycle(PlayerState &player, Platform &platform, MainLoop &loop, UserDialogs &dialogs,
                                   std::string currentDirectory, EmulatorLimits limits)
    : m_player(player)
    , m_dialogs(dialogs)
    , m_currentDirectory(std::move(currentDirectory))
    , m_emulator(platform, loop, player.settings, limits)
    , m_unsavedTimes(listPath())
    , m_resume(listPath())
{
}

std::string ProgramLifecycle::listPath() const
{
    return m_currentDirectory + "/tl.lst";
}

Task<bool> ProgramLifecycle::start()
{
    const Result<bool> held = m_instance.acquire();
    if (!held) {
        printDetail(held.error());
        m_dialogs.showExclamation("二重起動を防ぐためのロックを作成できませんでした。\n" + held.error().text);
        co_return false;
    }
    if (!held.value()) {
        m_dialogs.showExclamation("既に起動されています。");
        co_return false;
    }
    const Result<Settings> settings = readSettings(m_currentDirectory);
    if (!settings) {
        printDetail(settings.error());
        m_dialogs.showExclamation(settings.error().text);
        co_return false;
    }
    m_player.settings = settings.value();
    std::error_code unused;
    if (!std::filesystem::exists(pathFromUtf8(listPath()), unused)) {
        m_dialogs.showExclamation("曲リストファイルが見つかりません。");
        co_return false;
    }
    if (!loadList())
        co_return false;
    offerUnsavedTimes();
    if (m_player.settings.resume)
        m_resumedTrack = m_resume.lastTrack(m_player.list);
    if (const Result<void> attached = co_await m_emulator.attach(); !attached) {
        printDetail(attached.error());
        m_dialogs.showExclamation(attached.error().text);
        m_emulator.release();
        co_return false;
    }
    m_player.seedRandom();
    co_return true;
}

bool ProgramLifecycle::loadList()
{
    const bool readAhead = m_listAhead.valid();
    Result<ListRead> read = readAhead ? m_listAhead.get() : readListFile(listPath());
    if (!read && readAhead) // the read begun ahead may have come before the file did
        read = readListFile(listPath());
    if (!read) {
        printMessage(read.error(), "tl.lst");
        m_dialogs.showExclamation("曲リストファイルを読み込めません。\n" + read.error().text);
        return false;
    }
    ListRead &loaded = read.value();
    m_listFile = std::move(loaded.file);
    m_loadedSize = loaded.size;
    m_loadedHash = loaded.hash;
    m_loadedTime = loaded.time;
    m_player.list = std::move(loaded.list);
    m_loadMessage = describeUnreadLines(loaded.problems);
    return true;
}

// Only the user's own No throws the times away; the list is written at the close, after its question.
void ProgramLifecycle::offerUnsavedTimes()
{
    const std::vector<UnsavedTime> times = m_unsavedTimes.recover(m_player.list);
    if (times.empty())
        return;
    if (!m_dialogs.askYesNo("前回記録されなかった演奏時間が " + std::to_string(times.size())
                            + " 曲分あります。読み込みますか？")) {
        if (!m_unattended)
            m_unsavedTimes.discard();
        return;
    }
    for (const UnsavedTime &time : times)
        m_player.list.setPlayTime(time.track, time.seconds);
    m_player.list.modified = true;
}

void ProgramLifecycle::keepStoredTime(std::int32_t track)
{
    // Without the file only a crash costs the time: it is in the list for the close.
    if (const Result<void> kept = m_unsavedTimes.keep(m_player.list, track); !kept)
        printMessage(kept.error(), "stored time not kept beside the list");
}

void ProgramLifecycle::trackStarted()
{
    if (m_player.settings.resume)
        m_resume.remember(m_player.list, m_player.list.current);
}

void ProgramLifecycle::shutDown()
{
    m_listFile.reset();
    if (m_player.list.modified) {
        if (m_dialogs.askYesNo(saveQuestion()))
            saveList();
        else if (!m_unattended)
            m_unsavedTimes.discard();
    }
    m_emulator.release();
}

std::string ProgramLifecycle::saveQuestion() const
{
    const std::string question = "演奏時間情報を記録しますか？";
    if (!listChangedOnDisk())
        return question;
    return "tl.lst は読み込んだ後にほかのプログラムで変更されています。記録すると、いまの tl.lst は tl.lst.bak "
           "に残ります。\n\n"
        + question;
}

bool ProgramLifecycle::listChangedOnDisk() const
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(pathFromUtf8(listPath()), error);
    if (error || time != m_loadedTime)
        return true;
    const Result<std::string> bytes = readFile(listPath());
    return !bytes || bytes->size() != m_loadedSize || hashOfList(bytes.value()) != m_loadedHash;
}

void ProgramLifecycle::saveList()
{
    const std::string bytes = writeTrackList(m_player.list);
    // The user may free space or fix the folder and try again, so one failure
    // does not throw the stored times away.
    for (Result<void> saved; !(saved = saveFileAtomically(listPath(), bytes));) {
        printDetail(saved.error());
        if (!m_dialogs.askYesNo("演奏時間情報を記録できませんでした。tl.lst は元のままです。\n" + saved.error().text
                                + "\n\nもう一度記録しますか？（いいえを選ぶと記録せずに終了します）")) {
            m_saveFailed = true; // the times stay beside the list for the next start
            return;
        }
    }
    m_unsavedTimes.discard();
}
