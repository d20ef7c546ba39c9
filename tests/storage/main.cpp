#include <QCoreApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // Date texts are checked in UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
