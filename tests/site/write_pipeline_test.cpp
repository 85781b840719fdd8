// The write pipeline: whatever the job count and however long each entry takes, the turns come
// in the run's order, each picture's turn sees exactly the files before it, nothing after an
// unsettled picture is written, and a failure names the first failing file in the run's order.
#include "site/write_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/output_limit.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using testkit::FileExists;
using testkit::ReadFileText;
using Files = std::set<std::string>;
using Outcome = EncodedPicture::Outcome;

void Pause(std::uint32_t n) { std::this_thread::sleep_for(std::chrono::microseconds((n * 7919) % 1500)); }

// The text "page <n>", made after a pause that differs from page to page, so that pages are made
// out of order on several threads.
PageJob NumberedPage(std::uint32_t n) {
  return [n](PageFile& page) {
    Pause(n);
    page << "page " << n;
    return Step::Next();
  };
}

PictureJob NumberedPicture(std::uint32_t n, Outcome outcome) {
  return [n, outcome] {
    Pause(n + 1);
    return EncodedPicture{outcome, {static_cast<std::uint8_t>(n)}, {}};
  };
}

class WritePipelineTest : public ::testing::Test {
 protected:
  WritePipelineTest() : folder_(dir_.WithSeparator()) {
    dir_.MakeSubdir("data");
    EXPECT_TRUE(folder_.OpenDataFolder());
  }

  // An empty data folder for the next job count; false when it cannot be opened.
  bool FreshDataFolder() {
    std::filesystem::remove_all(dir_.File("data"));
    dir_.MakeSubdir("data");
    return static_cast<bool>(folder_.OpenDataFolder());
  }

  Files DataFiles() const {
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("data"))) {
      files.insert(entry.path().filename().string());
    }
    return files;
  }

  // Entry n is a page p<n>.htm; every fourth is a picture q<n>.png instead, and every twelfth
  // of those cannot be made. Each picture's turn notes the files that exist then and answers
  // `stopAt` with a Yes. The turns' order goes into `turns`.
  Step AddNumbered(WritePipeline& files, std::uint32_t count, std::vector<std::string>& turns,
                   std::vector<Files>& seen, std::uint32_t stopAt = UINT32_MAX) {
    for (std::uint32_t n = 0; n < count; ++n) {
      Step added = Step::Next();
      if (n % 4 != 3) {
        added = files.AddPage("p" + std::to_string(n) + ".htm", NumberedPage(n));
      } else {
        const Outcome outcome = n % 12 == 11 ? Outcome::NotEncoded : Outcome::Encoded;
        added = files.AddPicture(
            "q" + std::to_string(n) + ".png", NumberedPicture(n, outcome), [&, n](const PictureEnd& end) {
              turns.push_back("picture " + std::to_string(n) + (end.written ? " written" : ""));
              seen.push_back(DataFiles());
              return n == stopAt ? Step::Stop() : Step::Next();
            });
      }
      if (added)
        added = files.AddTurn([&turns, n] {
          turns.push_back("turn " + std::to_string(n));
          return Step::Next();
        });
      if (!added) return added;
    }
    return files.Drain();
  }

  // The files entries 0 .. end - 1 leave.
  static Files ExpectedFiles(std::uint32_t end) {
    Files files;
    for (std::uint32_t n = 0; n < end; ++n) {
      if (n % 4 != 3) files.insert("p" + std::to_string(n) + ".htm");
      if (n % 4 == 3 && n % 12 != 11) files.insert("q" + std::to_string(n) + ".png");
    }
    return files;
  }

  testkit::TempDir dir_;
  SiteFolder folder_;
};

TEST_F(WritePipelineTest, TurnsComeInOrderAndEachPictureSeesExactlyTheFilesBeforeIt) {
  std::vector<std::string> serialTurns;
  for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
    SCOPED_TRACE(jobs);
    ASSERT_TRUE(FreshDataFolder());
    WritePipeline files(folder_, jobs);
    std::vector<std::string> turns;
    std::vector<Files> seen;
    ASSERT_TRUE(AddNumbered(files, 80, turns, seen));
    // A picture that is not written holds back everything after it until its turn; after one
    // that is written, later files may exist already.
    for (std::uint32_t picture = 3, k = 0; picture < 80; picture += 4, ++k) {
      const Files before = ExpectedFiles(picture + 1);
      if (picture % 12 == 11) {
        EXPECT_EQ(seen[k], before) << "at picture " << picture;
      } else {
        EXPECT_TRUE(std::includes(seen[k].begin(), seen[k].end(), before.begin(), before.end())) << picture;
      }
    }
    EXPECT_EQ(DataFiles(), ExpectedFiles(80));
    EXPECT_EQ(ReadFileText(dir_.File("data/p77.htm")), "page 77");
    EXPECT_EQ(ReadFileText(dir_.File("data/q79.png")), std::string(1, '\x4F'));
    if (jobs == 1) serialTurns = turns;
    EXPECT_EQ(turns, serialTurns);
  }
}

TEST_F(WritePipelineTest, OneJobMakesAndWritesEachEntryOnTheCallingThreadBeforeTheNext) {
  WritePipeline files(folder_, 1);
  EXPECT_EQ(files.Window(), 1U);
  const std::thread::id caller = std::this_thread::get_id();
  for (std::uint32_t n = 0; n < 5; ++n) {
    ASSERT_TRUE(files.AddPage("p" + std::to_string(n) + ".htm", [&, n](PageFile& page) {
      EXPECT_EQ(std::this_thread::get_id(), caller);
      // The page before is written before this one is made.
      EXPECT_EQ(n == 0 || FileExists(dir_.File("data/p" + std::to_string(n - 1) + ".htm")), true);
      page << "x";
      return Step::Next();
    }));
  }
  EXPECT_TRUE(files.Drain());
}

// A Yes at a picture while the pages before it are still being made and written on other
// threads: they all exist at the question, and nothing after the picture ever does.
TEST_F(WritePipelineTest, AYesAtAPictureLeavesNoLaterFileWhileEarlierWritesWereInFlight) {
  for (const unsigned jobs : {2u, 4u, 8u}) {
    SCOPED_TRACE(jobs);
    ASSERT_TRUE(FreshDataFolder());
    {
      WritePipeline files(folder_, jobs);
      const PipelineStage stage(files);
      std::vector<std::string> turns;
      std::vector<Files> seen;
      const Step step = AddNumbered(files, 200, turns, seen, 47);
      EXPECT_FALSE(step);
      EXPECT_FALSE(step.Failed());
      ASSERT_FALSE(seen.empty());
      EXPECT_EQ(seen.back(), ExpectedFiles(48));
      EXPECT_EQ(turns.back(), "picture 47");
    }
    EXPECT_EQ(DataFiles(), ExpectedFiles(48));
  }
}

// Pages 5 and 9 cannot be created (a folder holds each name): the run ends with page 5's file
// and reason, whichever write failed first; every file before it was written, and of the files
// after it only those up to the next picture (q7) may exist.
TEST_F(WritePipelineTest, AFailureNamesTheFirstFailingFileInTheRunsOrder) {
  for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
    SCOPED_TRACE(jobs);
    ASSERT_TRUE(FreshDataFolder());
    std::filesystem::create_directory(dir_.File("data/p5.htm"));
    std::filesystem::create_directory(dir_.File("data/p9.htm"));
    WritePipeline files(folder_, jobs);
    const PipelineStage stage(files);
    std::vector<std::string> turns;
    std::vector<Files> seen;
    const Step step = AddNumbered(files, 60, turns, seen);
    EXPECT_EQ(step.Message(), "Cannot write to file");
    EXPECT_EQ(step.Detail(), dir_.File("data/p5.htm") + ": Is a directory");
    Files present = DataFiles();
    present.erase("p5.htm");
    present.erase("p9.htm");
    for (const char* mayExist : {"p6.htm", "q7.png"}) present.erase(mayExist);
    EXPECT_EQ(present, ExpectedFiles(5));
  }
}

// Files of 3000 bytes count as 4 KiB each: the limit refuses the same file for every job
// count, and nothing from it on is written.
TEST_F(WritePipelineTest, TheOutputLimitRefusesTheSameFileForEveryJobCount) {
  for (const unsigned jobs : {1u, 2u, 8u}) {
    SCOPED_TRACE(jobs);
    ASSERT_TRUE(FreshDataFolder());
    const OutputLimit limit(10 * OutputLimit::kLeastPerFile + 100);
    WritePipeline files(folder_, jobs);
    const PipelineStage stage(files);
    Step step = Step::Next();
    for (std::uint32_t n = 0; n < 30 && step; ++n) {
      step = files.AddPage("p" + std::to_string(n) + ".htm", [](PageFile& page) {
        page << std::string(3000, 'x');
        return Step::Next();
      });
    }
    if (step) step = files.Drain();
    EXPECT_EQ(step.Message(), "Output would exceed 1 GiB");
    Files expected;
    for (std::uint32_t n = 0; n < 10; ++n) expected.insert("p" + std::to_string(n) + ".htm");
    EXPECT_EQ(DataFiles(), expected);
  }
}

// A page job that fails still leaves the text it made, and nothing after it is written;
// memory that a job cannot have is thrown at its turn, and the pipeline serves the next stage.
TEST_F(WritePipelineTest, FailingAndThrowingJobsEndTheStageAtTheirTurn) {
  for (const unsigned jobs : {1u, 3u}) {
    SCOPED_TRACE(jobs);
    ASSERT_TRUE(FreshDataFolder());
    WritePipeline files(folder_, jobs);
    {
      const PipelineStage stage(files);
      ASSERT_TRUE(files.AddPage("a.htm", NumberedPage(1)));
      ASSERT_TRUE(files.AddPage("b.htm", [](PageFile& page) {
        page << "PART";
        return Step::Fail("Something is wrong...");
      }));
      Step step = files.AddPage("c.htm", NumberedPage(3));
      if (step) step = files.Drain();
      EXPECT_EQ(step.Message(), "Something is wrong...");
      EXPECT_EQ(ReadFileText(dir_.File("data/b.htm")), "PART");
      EXPECT_FALSE(FileExists(dir_.File("data/c.htm")));
    }
    {
      const PipelineStage stage(files);
      ASSERT_TRUE(files.AddPicture("d.png", NumberedPicture(4, Outcome::Encoded),
                                   [](const PictureEnd&) { return Step::Next(); }));
      EXPECT_THROW(
          {
            Step step = files.AddPicture(
                "e.png", []() -> EncodedPicture { throw std::bad_alloc(); },
                [](const PictureEnd&) { return Step::Next(); });
            for (std::uint32_t n = 0; step && n < 50; ++n) step = files.AddPage("f.htm", NumberedPage(n));
            if (step) step = files.Drain();
          },
          std::bad_alloc);
      EXPECT_TRUE(FileExists(dir_.File("data/d.png")));
      EXPECT_FALSE(FileExists(dir_.File("data/e.png")));
      EXPECT_FALSE(FileExists(dir_.File("data/f.htm")));
    }
    // A picture job that throws anything else is a picture not made.
    std::vector<Outcome> outcomes;
    ASSERT_TRUE(files.AddPicture(
        "g.png", []() -> EncodedPicture { throw 7; },
        [&](const PictureEnd& end) {
          outcomes.push_back(end.outcome);
          return Step::Next();
        }));
    EXPECT_TRUE(files.Drain());
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::NotEncoded});
  }
}

// A stage that ends early drops the entries nobody started: they are never made.
TEST_F(WritePipelineTest, AbandoningDropsWhatWasNotStarted) {
  WritePipeline files(folder_, 3);
  std::atomic<int> made{0};
  {
    const PipelineStage stage(files);
    for (std::uint32_t n = 0; n < 40; ++n) {
      ASSERT_TRUE(files.AddPage("p" + std::to_string(n) + ".htm", [&made](PageFile& page) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++made;
        page << "x";
        return Step::Next();
      }));
    }
  }
  const int afterEnd = made.load();
  EXPECT_LT(afterEnd, 40);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(made.load(), afterEnd);
}

}  // namespace
}  // namespace gvde
