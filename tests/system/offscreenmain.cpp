#include <QApplication>

#include <gtest/gtest.h>

#include <vector>

// Widgets draw offscreen; the environment is left alone, so the stand-in
// emulator started from a test opens its window on the test's X server.
int main(int argc, char **argv)
{
    std::vector<char *> arguments(argv, argv + argc);
    char platformOption[] = "-platform";
    char offscreen[] = "offscreen";
    arguments.insert(arguments.begin() + 1, {platformOption, offscreen});
    int qtArgc = static_cast<int>(arguments.size());
    QApplication app(qtArgc, arguments.data());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
