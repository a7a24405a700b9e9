#include "app/savefile.h"

#include "app/savefile_system.h"
#include "util/file.h"

#include <random>

namespace fs = std::filesystem;

namespace {

// Temporary files are named ".<file>.tunelark-tmp-XXXXXX": hidden, and a name
// no user gives a copy of their own, so only those of a killed save are cleaned.
constexpr std::string_view kTemporaryMark = ".tunelark-tmp-";
constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffixLength = 6;

Error describe(const fs::path &file, const std::error_code &error)
{
    return systemError(utf8FromPath(file), error);
}

fs::path temporaryPrefixOf(const fs::path &file)
{
    return file.parent_path() / pathFromUtf8("." + utf8FromPath(file.filename()) + std::string(kTemporaryMark));
}

bool isTemporaryOf(const fs::path &candidate, const fs::path &file)
{
    const std::string name = utf8FromPath(candidate.filename());
    const std::string prefix = utf8FromPath(temporaryPrefixOf(file).filename());
    return name.size() == prefix.size() + kSuffixLength && name.starts_with(prefix)
        && name.find_first_not_of(kNameLetters, prefix.size()) == std::string::npos;
}

void removeLeftoversOf(const fs::path &file)
{
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::directory_iterator(file.parent_path(), ignored)) {
        if (isTemporaryOf(entry.path(), file) && entry.is_regular_file(ignored))
            fs::remove(entry.path(), ignored);
    }
}

// A temporary file beside `file`, removed again unless it was put in place.
class TemporaryFile
{
public:
    explicit TemporaryFile(const fs::path &file) : m_path(temporaryPrefixOf(file))
    {
        std::random_device random;
        for (std::size_t i = 0; i < kSuffixLength; ++i)
            m_path += kNameLetters[random() % kNameLetters.size()];
    }
    ~TemporaryFile()
    {
        std::error_code ignored;
        if (!m_placed)
            fs::remove(m_path, ignored);
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    const fs::path &path() const { return m_path; }

    Result<void> placeAt(const fs::path &destination)
    {
        Result<void> replaced = replaceFile(m_path, destination);
        m_placed = static_cast<bool>(replaced);
        return replaced;
    }

private:
    fs::path m_path;
    bool m_placed = false;
};

// A copy of `source`, with its permissions, in `copy`.
Result<void> copyInto(const TemporaryFile &copy, const fs::path &source)
{
    std::error_code error;
    const fs::perms mode = fs::status(source, error).permissions();
    if (error)
        return describe(source, error);
    const Result<std::string> bytes = readFile(utf8FromPath(source));
    if (!bytes) {
        const std::string name = utf8FromPath(source) + ": ";
        return Error{name + bytes.error().text, name + bytes.error().detail};
    }
    return writeNewFile(copy.path(), bytes.value(), mode);
}

// The files a save touches, as they are before it.
struct SaveTargets
{
    fs::path list;                     // a link's target for a link, which stays a link
    fs::path backup;                   // beside the name the caller gave
    std::optional<fs::perms> listMode; // none while there is no list yet
    bool hasBackup = false;
};

// A file that is not there is no error here.
Result<fs::file_status> statusOf(const fs::path &file, bool followLink)
{
    std::error_code error;
    const fs::file_status status = followLink ? fs::status(file, error) : fs::symlink_status(file, error);
    if (error && status.type() != fs::file_type::not_found)
        return describe(file, error);
    return status;
}

Result<SaveTargets> findTargets(const std::string &path)
{
    std::error_code error;
    const fs::path given = fs::absolute(pathFromUtf8(path), error);
    if (error)
        return describe(path, error);
    Result<fs::path> behind = fileBehind(given);
    if (!behind)
        return behind.error();
    SaveTargets targets;
    targets.list = behind.value();
    targets.backup = fs::path(given) += ".bak";
    const Result<fs::file_status> listStatus = statusOf(targets.list, true);
    if (!listStatus)
        return listStatus.error();
    const Result<fs::file_status> backupStatus = statusOf(targets.backup, false);
    if (!backupStatus)
        return backupStatus.error();
    if (fs::exists(listStatus.value()))
        targets.listMode = listStatus->permissions();
    // A list its owner may not write is one the user asked to be left alone;
    // replacing it by rename would still succeed.
    if (targets.listMode && (*targets.listMode & fs::perms::owner_write) == fs::perms::none) {
        const std::string name = utf8FromPath(targets.list);
        return Error{name + ": 読み取り専用です。", name + ": read-only for its owner"};
    }
    targets.hasBackup = fs::exists(backupStatus.value());
    return targets;
}

// A failure and the one met while undoing it.
Error bothOf(const Error &first, const Error &second)
{
    return Error{first.text + "\n" + second.text, first.detail + "; " + second.detail};
}

// Called once the backup was replaced but the list could not be: the
// backup from before goes back, or the new one goes when there was none.
Result<void> undoBackup(const SaveTargets &targets, TemporaryFile &oldBackup)
{
    if (targets.hasBackup)
        return oldBackup.placeAt(targets.backup);
    std::error_code error;
    fs::remove(targets.backup, error);
    if (error)
        return describe(targets.backup, error);
    return {};
}

} // namespace

Result<void> saveFileAtomically(const std::string &path, std::string_view contents, KeptBackup backup)
{
    const Result<SaveTargets> found = findTargets(path);
    if (!found)
        return found.error();
    const SaveTargets &targets = found.value();
    removeLeftoversOf(targets.list);
    removeLeftoversOf(targets.backup);

    // Everything is written and on the disk before anything is replaced.
    TemporaryFile newList(targets.list), newBackup(targets.backup), oldBackup(targets.backup);
    const bool keepsBackup = backup == KeptBackup::Previous && targets.listMode.has_value();
    if (keepsBackup) {
        if (Result<void> done = copyInto(newBackup, targets.list); !done)
            return done;
        if (targets.hasBackup) {
            if (Result<void> done = copyInto(oldBackup, targets.backup); !done)
                return done;
        }
    }
    if (Result<void> done = writeNewFile(newList.path(), contents, targets.listMode); !done)
        return done;

    if (keepsBackup) {
        if (Result<void> done = newBackup.placeAt(targets.backup); !done)
            return done;
    }
    if (const Result<void> placed = newList.placeAt(targets.list); !placed) {
        const Result<void> undone = keepsBackup ? undoBackup(targets, oldBackup) : Result<void>();
        return undone ? placed : bothOf(placed.error(), undone.error());
    }
    syncFolder(targets.list.parent_path());
    if (targets.backup.parent_path() != targets.list.parent_path())
        syncFolder(targets.backup.parent_path());
    return {};
}
