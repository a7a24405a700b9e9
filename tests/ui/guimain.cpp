#include <QApplication>

#include <gtest/gtest.h>

// Widgets need an application object before the first test builds one.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
