#include "platform/threads.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>

namespace gvde {
namespace {

// A signal for the program must not land on a thread of the pool, where nothing holds it back.
TEST(ThreadGroupTest, ThreadsRunTheirBodyWithEverySignalBlocked) {
  std::atomic<int> blocked{0};
  std::atomic<int> ran{0};
  {
    ThreadGroup threads;
    for (int t = 0; t < 3; ++t) {
      ASSERT_TRUE(threads.Start([&] {
        sigset_t mask;
        sigemptyset(&mask);
        if (pthread_sigmask(SIG_BLOCK, nullptr, &mask) == 0 && sigismember(&mask, SIGINT) == 1 &&
            sigismember(&mask, SIGTERM) == 1) {
          ++blocked;
        }
        ++ran;
      }));
    }
    EXPECT_EQ(threads.Size(), 3U);
  }  // joined here
  EXPECT_EQ(ran.load(), 3);
  EXPECT_EQ(blocked.load(), 3);
  // The starting thread keeps its own mask.
  sigset_t own;
  sigemptyset(&own);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, nullptr, &own), 0);
  EXPECT_EQ(sigismember(&own, SIGINT), 0);
}

}  // namespace
}  // namespace gvde
