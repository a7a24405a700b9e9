#include "app/checkcommand.h"

#include <filesystem>
#include <iostream>
#include <string_view>

int main(int argc, char *argv[])
{
    // Only "--" options are ours: Qt's own, such as -platform, have one dash
    // and are left to the window.
    if (argc > 1 && std::string_view(argv[1]).starts_with("--")) {
        return runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                              std::filesystem::current_path().string());
    }
    return 0; // PLACEHOLDER: the window's entry point, filled in next by the lead.
}
