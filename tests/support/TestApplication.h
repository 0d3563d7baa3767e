#pragma once

#include <QTest>

#include <gtest/gtest.h>

class QApplication;

// Waits up to five seconds, handling events, until the condition holds, and fails the GoogleTest
// test if it never does (QTest's own QTRY_ macros report to no one outside a QTest run).
#define EXPECT_EVENTUALLY(condition)                                                               \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition
#define ASSERT_EVENTUALLY(condition)                                                               \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition

// The one QApplication of a test program, created on first use (widget tests need one before
// any widget exists).
QApplication& TestApplication();
