#include "app/checkcommand.h"

#include "settings/config.h"
#include "settings/inifile.h"
#include "storage/nowplayingfile.h"
#include "tracklist/listfile.h"
#include "tracklist/shiftjis.h"
#include "util/file.h"
#include "util/message.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

static constexpr int kExitOk = 0;
static constexpr int kExitProblems = 1;
static constexpr int kExitUsage = 2;

static constexpr const char kUsage[] =
    "Usage: tunelark [--check [FILE] | --help | --version]\n"
    "       tunelark [FOLDER | FILE]\n"
    "\n"
    "Without options, opens the jukebox window, which plays the tracks of tl.lst\n"
    "with the settings of tl.ini, both in FOLDER (or in the folder holding FILE)\n"
    "as if tunelark had been started there; without an argument, in the current\n"
    "directory. A folder that does not exist or cannot be entered ends the run\n"
    "with exit status 2.\n"
    "\n"
    "Options:\n"
    "  --check [FILE]  read the track list FILE (default tl.lst) as start-up does,\n"
    "                  print its lines as a save would write them, and report each\n"
    "                  problem on standard error as FILE:LINE: reason; tl.ini in\n"
    "                  the current directory is checked too, as start-up needs it\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Exit status: 0 no problem (warnings allowed), 1 problems found,\n"
    "2 usage error or list file missing or unreadable.\n";

// A pause longer than this looks like seconds written where milliseconds
// are meant; start-up takes it all the same.
static constexpr std::int32_t kLongPauseMs = 60000;

static int usageError(std::ostream &err, const std::string &message)
{
    printMessage(err, message);
    err << "Try 'tunelark --help' for more information.\n";
    return kExitUsage;
}

// A kept line shows what can be read, with replacement characters for bad
// bytes and NUL, so both systems print the same.
static std::string displayLine(const std::string &rawBytes, ListEncoding encoding)
{
    return toUtf8Replacing(rawBytes, encoding == ListEncoding::ShiftJis);
}

// Start-up refuses to go on without tl.ini, so a missing file is a problem.
static Result<void> checkSettings(std::ostream &err, const std::string &currentDirectory)
{
    const Result<Settings> settings = readSettings(currentDirectory);
    if (!settings)
        return settings.error();
    const Result<IniFile> file = IniFile::load(settings->iniPath);
    for (const auto &[key, value] : {std::pair("HootInitWaitTime", settings->emulatorStartWait),
                                     std::pair("DriverInitWaitTime", settings->driverStartWait)}) {
        if (value > kLongPauseMs) {
            err << "tl.ini:" << file->value("config", key)->lineNumber << ": warning: " << key << " is " << value
                << " ms, a pause of more than 60 seconds\n";
        }
    }
    // Start-up goes on without the file, so this is a warning too.
    if (const Result<void> target = checkNowPlayingFile(settings.value()); !target) {
        err << "tl.ini:" << file->value("config", "NowPlayingFile")->lineNumber << ": warning: "
            << target.error().detail << '\n';
    }
    return {};
}

static int runCheck(const std::string &fileName, std::ostream &out, std::ostream &err,
                    const std::string &currentDirectory)
{
    const Result<void> settings = checkSettings(err, currentDirectory);
    if (!settings)
        err << settings.error().detail << '\n';
    bool hasProblem = !settings;

    const Result<std::string> bytes = readFile(utf8FromPath(pathFromUtf8(currentDirectory) / pathFromUtf8(fileName)));
    if (!bytes) {
        err << fileName << ": cannot be read: " << bytes.error().detail << '\n';
        return kExitUsage;
    }

    TrackList store;
    const std::vector<ListProblem> problems = readTrackList(bytes.value(), store);
    std::size_t kept = 0;
    for (std::int32_t index = 0; index <= store.count(); ++index) {
        for (; kept < store.keptLines.size() && store.keptLines[kept].beforeRecord <= index; ++kept)
            out << displayLine(store.keptLines[kept].rawBytes, store.encoding) << '\n';
        if (index < store.count())
            out << formatTrackLine(store.track(index)) << '\n';
    }
    for (const ListProblem &problem : problems) {
        const bool isWarning = problem.severity == ListProblem::Severity::Warning;
        err << fileName << ':' << problem.lineNumber << ": " << (isWarning ? "warning: " : "")
            << problem.message.detail << '\n';
        hasProblem = hasProblem || !isWarning;
    }
    return hasProblem ? kExitProblems : kExitOk;
}

// Qt's own options, which have one dash, belong to the window: --check passes
// over them, and over the value of those that take one.
static bool isQtOption(std::string_view arg, bool &takesValue)
{
    static constexpr std::pair<std::string_view, bool> kQtOptions[] = {
        {"-platform", true},     {"-platformpluginpath", true}, {"-platformtheme", true}, {"-plugin", true},
        {"-qmljsdebugger", true}, {"-qwindowgeometry", true},  {"-qwindowicon", true},   {"-qwindowtitle", true},
        {"-session", true},      {"-style", true},              {"-stylesheet", true},    {"-display", true},
        {"-geometry", true},     {"-reverse", false},           {"-widgetcount", false},  {"-nograb", false},
        {"-dograb", false},      {"-sync", false},
    };
    const std::size_t equals = arg.find('=');
    for (const auto &[name, withValue] : kQtOptions) {
        if (arg.substr(0, equals) == name) {
            takesValue = withValue && equals == std::string_view::npos;
            return true;
        }
    }
    return false;
}

std::vector<std::string> withoutQtOptions(const std::vector<std::string> &args)
{
    std::vector<std::string> own;
    bool skipValue = false;
    for (const std::string &arg : args) {
        if (!std::exchange(skipValue, false) && !isQtOption(arg, skipValue))
            own.push_back(arg);
    }
    return own;
}

Result<void> enterPlayFolder(const std::vector<std::string> &args)
{
    if (args.empty())
        return {};
    if (args.size() > 1)
        return Error{"余分な引数「" + args[1] + "」があります。", "unexpected argument '" + args[1] + "'"};
    const std::filesystem::path given = pathFromUtf8(args.front());
    std::error_code error;
    std::filesystem::path folder = given;
    if (!std::filesystem::is_directory(given, error) && std::filesystem::exists(given, error))
        folder = given.parent_path().empty() ? std::filesystem::path(".") : given.parent_path();
    std::filesystem::current_path(folder, error);
    if (error) {
        const std::string name = utf8FromPath(folder);
        return Error{"フォルダー「" + name + "」に移れません。", "cannot enter the folder '" + name + "': " + error.message()};
    }
    return {};
}

int runCommandLine(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                   const std::string &currentDirectory)
{
    bool check = false;
    std::vector<std::string> files;
    for (const std::string &arg : withoutQtOptions(args)) {
        if (arg == "--help") {
            out << kUsage;
            return kExitOk;
        }
        if (arg == "--version") {
            out << "tunelark " TUNELARK_VERSION "\n";
            return kExitOk;
        }
        if (arg == "--check")
            check = true;
        else if (arg.size() > 1 && arg.front() == '-')
            return usageError(err, "unknown option '" + arg + "'");
        else
            files.push_back(arg);
    }
    if (!check)
        return usageError(err, files.empty() ? "no option given" : "unexpected argument '" + files.front() + "'");
    if (files.size() > 1)
        return usageError(err, "--check takes at most one FILE");
    return runCheck(files.empty() ? std::string("tl.lst") : files.front(), out, err, currentDirectory);
}
