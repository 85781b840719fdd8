// Pages and pictures made and written on several threads: every question comes at its picture's
// turn, with the same files written before it as in a run on one thread, a Yes leaves exactly
// the files of that run although later pages and pictures were made ahead, and a decoded item
// picture that cannot be written ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "testkit/demo_game_suite.h"
#include "testkit/whole_run.h"

namespace gvde::adversarial {
namespace {

namespace fs = std::filesystem;
using testkit::EndedWithError;
using testkit::HostCall;
using testkit::RunExtraction;
using testkit::RunRecord;

using Listing = std::vector<std::string>;  // file names of the data folder, sorted

Listing DataListing(const std::string& site) {
  Listing names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(site + "/data", error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Every file below `site` with its bytes.
std::map<std::string, std::string> SiteFiles(const std::string& site) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), site).string()] = testkit::ReadFileText(entry.path().string());
  }
  return files;
}

// Answers every question alike and notes what the data folder holds at each.
class ListingHost : public testkit::RecordingHost {
 public:
  ListingHost(bool answer, std::string site) : RecordingHost(answer), site_(std::move(site)) {}
  bool AskExit(const std::string& question, const std::string& detail) override {
    listings.push_back(DataListing(site_));
    return RecordingHost::AskExit(question, detail);
  }
  std::vector<Listing> listings;

 private:
  std::string site_;
};

struct Outcome {
  RunRecord run;
  std::vector<Listing> listings;
  std::map<std::string, std::string> files;
};

class ParallelPictures : public testkit::DemoGameSuite {
 protected:
  static Outcome RunWith(unsigned jobs, bool answer) {
    const std::string site = scratch_->FreshSubdir("site" + std::to_string(jobs));
    ListingHost host(answer, site);
    Outcome outcome;
    outcome.run = RunExtraction(scratch_->File("game"), site, *configuration_, host, true, jobs);
    outcome.listings = host.listings;
    outcome.files = SiteFiles(site);
    return outcome;
  }
};

TEST_F(ParallelPictures, QuestionsComeAtTheirPicturesTurnWithTheSameFilesBefore) {
  const Outcome serial = RunWith(1, false);
  ASSERT_TRUE(testkit::EndedDone(serial.run));
  ASSERT_GE(serial.listings.size(), 2U) << "the demo game has failing monster and boss pictures";
  for (const unsigned jobs : {2u, 3u, 4u, 8u}) {
    SCOPED_TRACE(jobs);
    const Outcome parallel = RunWith(jobs, false);
    EXPECT_EQ(parallel.run.calls, serial.run.calls);
    EXPECT_TRUE(parallel.listings == serial.listings) << "files written before a question differ";
    EXPECT_TRUE(parallel.files == serial.files) << "the sites differ";
  }
}

TEST_F(ParallelPictures, AYesLeavesExactlyTheFilesOfTheSerialRun) {
  const Outcome serial = RunWith(1, true);
  const std::string failing = std::to_string(summary_.failingMonster);
  const std::string next = std::to_string(summary_.failingMonster + 1);
  for (const unsigned jobs : {2u, 3u, 8u}) {
    SCOPED_TRACE(jobs);
    const Outcome parallel = RunWith(jobs, true);
    EXPECT_EQ(parallel.run.calls,
              (std::vector<HostCall>{
                  {HostCall::kAskExit, "Cannot write an image for monster #" + failing + ". Exit?"}}));
    EXPECT_EQ(parallel.run.calls, serial.run.calls);
    EXPECT_TRUE(parallel.listings == serial.listings) << "files written before the question differ";
    EXPECT_TRUE(parallel.files == serial.files) << "the sites differ";
    EXPECT_EQ(parallel.files.count("data/m" + failing + ".htm"), 1U);
    // The pages and pictures made ahead of the question are not written.
    EXPECT_EQ(parallel.files.count("data/m" + next + ".png"), 0U);
    EXPECT_EQ(parallel.files.count("data/m" + next + ".htm"), 0U);
  }
}

TEST_F(ParallelPictures, ADecodedItemPictureThatCannotBeWrittenEndsTheRun) {
  for (const unsigned jobs : {1u, 2u, 4u, 8u}) {
    SCOPED_TRACE(jobs);
    const std::string site = scratch_->FreshSubdir("items" + std::to_string(jobs));
    fs::create_directories(site + "/data/i3.png");
    testkit::RecordingHost host;
    const RunRecord run = RunExtraction(scratch_->File("game"), site, *configuration_, host, true, jobs);
    EXPECT_TRUE(EndedWithError(run, "Cannot write images for items"));
    // The pictures before it stay; none after it is written, and the run writes nothing more.
    for (const char* written : {"i0.png", "i1.png", "i2.png"})
      EXPECT_TRUE(testkit::FileExists(site + "/data/" + written));
    EXPECT_FALSE(testkit::FileExists(site + "/data/i4.png"));
    EXPECT_FALSE(testkit::FileExists(site + "/index.htm"));
  }
}

}  // namespace
}  // namespace gvde::adversarial
