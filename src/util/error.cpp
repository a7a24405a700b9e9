#include "util/error.h"

#include <cstring>

namespace {

// The reasons a user can act on; any other is told as a failure only, and
// standard error has the system's words for it.
const char *japaneseReason(std::error_condition meaning)
{
    using std::errc;
    if (meaning == errc::no_such_file_or_directory)
        return "見つかりません。";
    if (meaning == errc::permission_denied || meaning == errc::operation_not_permitted)
        return "アクセスが拒否されました。";
    if (meaning == errc::is_a_directory)
        return "ファイルではなくフォルダーです。";
    if (meaning == errc::no_space_on_device)
        return "ディスクの空きが足りません。";
    if (meaning == errc::read_only_file_system)
        return "書き込みが禁止されたドライブにあります。";
    return "読み書きできませんでした。";
}

std::string named(const std::string &file, const std::string &text)
{
    return file.empty() ? text : file + ": " + text;
}

} // namespace

Error systemError(const std::string &file, std::error_condition meaning, const std::string &reason)
{
    return Error{named(file, japaneseReason(meaning)), named(file, reason)};
}

Error systemError(const std::string &file, int errnoValue)
{
    return systemError(file, std::generic_category().default_error_condition(errnoValue), std::strerror(errnoValue));
}

Error systemError(const std::string &file, const std::error_code &error)
{
    return systemError(file, error.default_error_condition(), error.message());
}
