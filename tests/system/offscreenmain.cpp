#include <QApplication>

#include <gtest/gtest.h>

// Widgets draw offscreen; the environment is left alone, so the stand-in
// emulator started from a test opens its window on the test's X server.
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    char option[] = "-platform", offscreen[] = "offscreen";
    char *qtArguments[] = {argv[0], option, offscreen};
    int qtCount = 3;
    QApplication app(qtCount, qtArguments);
    return RUN_ALL_TESTS();
}
