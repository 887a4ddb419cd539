// GoogleTest's main for the tests whose code runs on Qt timers and signals without a display: one
// QCoreApplication for the whole run.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
