#pragma once
// Finding a window's controls by object name, as the tests drive them.

#include <gtest/gtest.h>
#include <QLatin1String>
#include <QPushButton>

namespace testing_support {

// The window's child of that name and type; a test failure when there is none.
template <typename T = QPushButton>
T* child(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

}  // namespace testing_support
