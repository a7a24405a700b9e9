#include "app/savefile.h"

#include "app/savefile_system.h"

#include <random>

namespace fs = std::filesystem;

namespace {

// Temporary files are named "<file>.tmp-XXXXXX", so those of a killed save
// can be told from anything else in the folder.
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffixLength = 6;

std::string describe(const fs::path &file, const std::error_code &error)
{
    return file.string() + ": " + error.message();
}

bool isTemporaryOf(const fs::path &candidate, const fs::path &file)
{
    const std::string name = candidate.filename().string();
    const std::string prefix = file.filename().string() + std::string(kTemporaryMark);
    return name.size() == prefix.size() + kSuffixLength && name.starts_with(prefix);
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
    explicit TemporaryFile(const fs::path &file) : m_path(fs::path(file) += kTemporaryMark)
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

    std::optional<std::string> placeAt(const fs::path &destination)
    {
        auto failed = replaceFile(m_path, destination);
        m_placed = !failed;
        return failed;
    }

private:
    fs::path m_path;
    bool m_placed = false;
};

// A copy of `source`, with its permissions, in `copy`.
std::optional<std::string> copyInto(const TemporaryFile &copy, const fs::path &source)
{
    std::error_code error;
    const fs::perms mode = fs::status(source, error).permissions();
    if (error)
        return describe(source, error);
    std::string bytes;
    if (auto failed = readWholeFile(source, bytes))
        return failed;
    return writeNewFile(copy.path(), bytes, mode);
}

// The files a save touches, as they are before it.
struct SaveTargets
{
    fs::path list;                     // a link's target for a link, which stays a link
    fs::path backup;                   // beside the name the caller gave
    std::optional<fs::perms> listMode; // none while there is no list yet
    bool hasBackup = false;
};

// Names are UTF-8 on every system: a plain string would be taken in the code
// page on Windows.
fs::path fromUtf8(const std::string &name)
{
    return std::u8string_view(reinterpret_cast<const char8_t *>(name.data()), name.size());
}

// A file that is not there is no error here.
std::optional<std::string> statusOf(const fs::path &file, bool followLink, fs::file_status &status)
{
    std::error_code error;
    status = followLink ? fs::status(file, error) : fs::symlink_status(file, error);
    return error && status.type() != fs::file_type::not_found ? std::optional(describe(file, error)) : std::nullopt;
}

std::optional<std::string> findTargets(const std::string &path, SaveTargets &targets)
{
    std::error_code error;
    const fs::path given = fs::absolute(fromUtf8(path), error);
    fs::file_status givenStatus, listStatus, backupStatus;
    if (error)
        return describe(path, error);
    if (auto failed = statusOf(given, false, givenStatus))
        return failed;
    targets.list = fs::is_symlink(givenStatus) ? fs::canonical(given, error) : given;
    if (error)
        return describe(given, error);
    targets.backup = fs::path(given) += ".bak";
    if (auto failed = statusOf(targets.list, true, listStatus))
        return failed;
    if (auto failed = statusOf(targets.backup, false, backupStatus))
        return failed;
    if (fs::exists(listStatus))
        targets.listMode = listStatus.permissions();
    targets.hasBackup = fs::exists(backupStatus);
    return std::nullopt;
}

// Called once the backup was replaced but the list could not be: the
// backup from before goes back, or the new one goes when there was none.
std::optional<std::string> undoBackup(const SaveTargets &targets, TemporaryFile &oldBackup)
{
    if (targets.hasBackup)
        return oldBackup.placeAt(targets.backup);
    std::error_code error;
    fs::remove(targets.backup, error);
    return error ? std::optional(describe(targets.backup, error)) : std::nullopt;
}

} // namespace

std::optional<std::string> saveFileAtomically(const std::string &path, std::string_view contents)
{
    SaveTargets targets;
    if (auto failed = findTargets(path, targets))
        return failed;
    removeLeftoversOf(targets.list);
    removeLeftoversOf(targets.backup);

    // Everything is written and on the disk before anything is replaced.
    TemporaryFile newList(targets.list), newBackup(targets.backup), oldBackup(targets.backup);
    const bool keepsBackup = targets.listMode.has_value();
    if (keepsBackup) {
        if (auto failed = copyInto(newBackup, targets.list))
            return failed;
        if (targets.hasBackup) {
            if (auto failed = copyInto(oldBackup, targets.backup))
                return failed;
        }
    }
    if (auto failed = writeNewFile(newList.path(), contents, targets.listMode))
        return failed;

    if (keepsBackup) {
        if (auto failed = newBackup.placeAt(targets.backup))
            return failed;
    }
    if (auto failed = newList.placeAt(targets.list)) {
        const auto notUndone = keepsBackup ? undoBackup(targets, oldBackup) : std::nullopt;
        return notUndone ? *failed + "\n" + *notUndone : failed;
    }
    syncFolder(targets.list.parent_path());
    if (targets.backup.parent_path() != targets.list.parent_path())
        syncFolder(targets.backup.parent_path());
    return std::nullopt;
}
