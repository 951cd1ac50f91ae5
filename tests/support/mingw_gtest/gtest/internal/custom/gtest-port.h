#pragma once

// GoogleTest's own hook for platform adjustments, used where the tests are
// built by MinGW with its win32 thread model. That C++ library has no
// std::mutex or std::condition_variable, and GoogleTest's Notification needs
// both. Notification serves only GoogleTest's own threading tests, never ours,
// so a flag that is waited on by spinning is enough.

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_.store(true); }
  void WaitForNotification() const {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
