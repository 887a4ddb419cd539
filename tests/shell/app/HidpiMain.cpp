#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // A high-density screen: every window here has a device-pixel ratio of 2.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
