#include "app/session.h"

#include "app/checkcommand.h"
#include "platform/systemplatform.h"
#include "util/file.h"
#include "util/message.h"

#include <algorithm>
#include <filesystem>
#include <utility>

Session::Session()
    : m_platform(makeSystemPlatform())
    , m_folder(utf8FromPath(std::filesystem::current_path()))
    , m_listAhead(readListFileAhead(m_folder + "/tl.lst"))
{
}

Session::~Session() = default;

Player &Session::connect(PlayerView &window, MainLoop &loop)
{
    m_lifecycle = std::make_unique<ProgramLifecycle>(m_state, *m_platform, loop, window, m_folder);
    m_lifecycle->takeListReadAhead(std::move(m_listAhead));
    m_player = std::make_unique<Player>(window, m_state, *m_lifecycle, loop);
    m_player->addTrackChangedListener([this] { m_nowPlaying.show(); });
    return *m_player;
}

int Session::run(const std::function<void()> &runLoop)
{
    m_player->start();
    if (m_player->state() != Player::State::Ended)
        runLoop();
    m_nowPlaying.clear();
    return m_player->exitCode();
}

std::optional<int> runArguments(const std::vector<std::string> &arguments,
                                const std::vector<std::string> &folderArguments, std::ostream &out,
                                std::ostream &err)
{
    if (std::any_of(arguments.begin(), arguments.end(), [](const std::string &arg) { return arg.starts_with("--"); }))
        return runCommandLine(arguments, out, err, utf8FromPath(std::filesystem::current_path()));
    if (const Result<void> entered = enterPlayFolder(folderArguments); !entered) {
        printMessage(err, entered.error());
        return 2;
    }
    return std::nullopt;
}
