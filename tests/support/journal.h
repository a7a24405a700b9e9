#pragma once

#include <string>
#include <vector>

// The arguments of each stand-in client run recorded in the journal file
// (HOOT_STANDIN_JOURNAL), in the order of the runs. No file: no runs.
std::vector<std::vector<std::string>> readJournal(const std::string &path);
