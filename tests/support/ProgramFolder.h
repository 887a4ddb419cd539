#pragma once
// The build's program folder for the widget tests: its path as a QString and a check that the
// skin images a test needs were drawn (the build draws them before any test runs, so a missing
// image fails the test instead of skipping it).

#include "tests/support/Folders.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <initializer_list>

namespace orvane::test {

// binFolder() as a QString, ending in '/'.
inline QString programFolder()
{
    return QString::fromStdString(binFolder());
}

// Every file named (relative to the program folder, e.g. "png/english/main.png") exists.
inline ::testing::AssertionResult skinImagesBuilt(std::initializer_list<const char*> files)
{
    for (const char* file : files)
        if (!QFile::exists(programFolder() + QLatin1String(file)))
            return ::testing::AssertionFailure() << programFolder().toStdString() << file
                                                 << " is missing: the build draws the skins (target orvane_skins)";
    return ::testing::AssertionSuccess();
}

}   // namespace orvane::test
