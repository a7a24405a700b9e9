#include "settings/inifile.h"

#include "util/file.h"

// Where no system profile reader exists, the file's own bytes are all there is.
Result<IniFile> IniFile::load(const std::string &path)
{
    const Result<std::string> bytes = readFile(path);
    if (!bytes)
        return bytes.error();
    return fromBytes(bytes.value());
}
