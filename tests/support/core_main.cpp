// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for code without windows: a QCoreApplication, so that Qt's event loop and queued
// calls work.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
