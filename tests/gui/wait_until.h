#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace kpx::gui::testing {

// Lets window events run until `done` holds, at most timeoutMs; whether it held. Use it inside
// EXPECT_TRUE or ASSERT_TRUE: QTest's QTRY_ macros return quietly from a GoogleTest body when
// they fail, and the test passes.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace kpx::gui::testing
