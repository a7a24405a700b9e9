#include "platform/platform.h"

Error startError(const std::string &program, std::error_condition meaning, const std::string &reason)
{
    if (meaning == std::errc::no_such_file_or_directory)
        return Error{program + " を起動できません（見つかりません）。", program + ": not found"};
    if (meaning == std::errc::permission_denied)
        return Error{program + " を起動できません（実行できません）。", program + ": not executable"};
    return Error{program + " を起動できません。", program + ": " + reason};
}

Error noProgramError()
{
    return Error{"起動するプログラムが指定されていません。", "empty command line"};
}
