#include "image/picture_encoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace gvde {
namespace {

// A picture whose file and detail are its own number, made after a pause that differs from
// picture to picture, so that pictures finish out of order on several threads.
PictureJob NumberedPicture(std::uint32_t n, std::atomic<int>* made = nullptr) {
  return [n, made] {
    std::this_thread::sleep_for(std::chrono::microseconds((n * 7919) % 3000));
    if (made != nullptr) ++*made;
    return EncodedPicture{EncodedPicture::Outcome::Encoded, {static_cast<std::uint8_t>(n)}, std::to_string(n)};
  };
}

TEST(PictureEncoderTest, ResultsComeInTheOrderGivenForEveryJobCount) {
  for (const unsigned jobs : {1u, 2u, 4u, 7u}) {
    SCOPED_TRACE(jobs);
    PictureEncoder encoder(jobs);
    std::uint32_t prepared = 0;
    PictureStream stream(encoder, 60, [&](std::uint32_t n) {
      EXPECT_EQ(n, prepared++) << "prepared in order";
      return NumberedPicture(n);
    });
    for (std::uint32_t n = 0; n < 60; ++n) {
      // Never more than the window ahead of the picture taken.
      const EncodedPicture picture = stream.Next();
      EXPECT_LE(prepared, n + encoder.Window());
      ASSERT_EQ(picture.file, std::vector<std::uint8_t>{static_cast<std::uint8_t>(n)});
      ASSERT_EQ(picture.detail, std::to_string(n));
    }
  }
}

TEST(PictureEncoderTest, OneJobMakesEachPictureOnTheTakingThreadWhenTaken) {
  PictureEncoder encoder(1);
  EXPECT_EQ(encoder.Window(), 1U);
  std::vector<std::string> events;
  const std::thread::id taker = std::this_thread::get_id();
  PictureStream stream(encoder, 3, [&](std::uint32_t n) -> PictureJob {
    events.push_back("prepare " + std::to_string(n));
    return [&events, &taker, n] {
      EXPECT_EQ(std::this_thread::get_id(), taker);
      events.push_back("make " + std::to_string(n));
      return EncodedPicture{};
    };
  });
  for (std::uint32_t n = 0; n < 3; ++n) {
    (void)stream.Next();
    events.push_back("take " + std::to_string(n));
  }
  EXPECT_EQ(events, (std::vector<std::string>{"prepare 0", "make 0", "take 0", "prepare 1", "make 1",
                                              "take 1", "prepare 2", "make 2", "take 2"}));
}

TEST(PictureEncoderTest, AStreamEndedEarlyDropsWhatWasNotStartedAndThrowingJobsFailTheirPicture) {
  PictureEncoder encoder(3);
  std::atomic<int> made{0};
  {
    PictureStream stream(encoder, 1000, [&](std::uint32_t n) -> PictureJob {
      if (n == 0) return []() -> EncodedPicture { throw std::runtime_error("no picture"); };
      return NumberedPicture(n, &made);
    });
    EXPECT_EQ(stream.Next().outcome, EncodedPicture::Outcome::NotEncoded);
    EXPECT_EQ(stream.Next().file, std::vector<std::uint8_t>{1});
  }
  // The stream has ended: what was given and not started is gone, and nothing runs any more.
  const int afterEnd = made.load();
  EXPECT_LE(afterEnd, static_cast<int>(encoder.Window()) + 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(made.load(), afterEnd);

  // The encoder serves the next stream.
  PictureStream next(encoder, 2, [](std::uint32_t n) { return NumberedPicture(n + 5); });
  EXPECT_EQ(next.Next().file, std::vector<std::uint8_t>{5});
}

// Memory that a picture cannot have, on whichever thread it is made, reaches the taking thread
// as std::bad_alloc when that picture is taken; the pictures before it are taken as usual.
TEST(PictureEncoderTest, MemoryThatCannotBeHadReachesTheTakingThread) {
  for (const unsigned jobs : {1u, 3u}) {
    SCOPED_TRACE(jobs);
    PictureEncoder encoder(jobs);
    {
      PictureStream stream(encoder, 10, [](std::uint32_t n) -> PictureJob {
        if (n == 2) return []() -> EncodedPicture { throw std::bad_alloc(); };
        return NumberedPicture(n);
      });
      EXPECT_EQ(stream.Next().file, std::vector<std::uint8_t>{0});
      EXPECT_EQ(stream.Next().file, std::vector<std::uint8_t>{1});
      EXPECT_THROW(stream.Next(), std::bad_alloc);
    }
    PictureStream next(encoder, 1, [](std::uint32_t n) { return NumberedPicture(n + 5); });
    EXPECT_EQ(next.Next().file, std::vector<std::uint8_t>{5});
  }
}

}  // namespace
}  // namespace gvde
