// Whole extraction runs in-process, and the checks every run on damaged input must pass:
// one clean ending, and no "Done" unless every page the site links to was written.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "site/run_config.h"
#include "testkit/recording_host.h"

namespace gvde::testkit {

struct RunRecord {
  bool done = false;  // what StartExtraction returned
  std::vector<HostCall> calls;
};

// Runs StartExtraction on directories given without a trailing separator. The host answers
// the picture questions; a fresh RecordingHost answers No. `jobs` 0 is the run's default.
RunRecord RunExtraction(const std::string& gameDir, const std::string& outputDir,
                        const Configuration& configuration, RecordingHost& host, bool technical = true,
                        unsigned jobs = 0, std::chrono::milliseconds workerWaitLimit = kWorkerWaitLimit);
RunRecord RunExtraction(const std::string& gameDir, const std::string& outputDir,
                        const Configuration& configuration, bool technical = true);

// Exactly one ShowDone or exactly one ShowError, as the last call, only questions before it,
// and a result that agrees with it.
::testing::AssertionResult EndsCleanly(const RunRecord& run);
// A clean ending with "Done".
::testing::AssertionResult EndedDone(const RunRecord& run);
// A clean ending with exactly this error.
::testing::AssertionResult EndedWithError(const RunRecord& run, const std::string& message);

// index.htm, data/style.css, the six category pages, and every page that the index, the
// category pages and the lists link to.
::testing::AssertionResult SiteIsComplete(const std::string& outputDir);

// The bound on a test's time: ends the test program with a message when the test is still
// running after `seconds`. A loop over every 32-bit value would not finish in that time.
class Watchdog {
 public:
  explicit Watchdog(int seconds);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::thread thread_;
};

// Effect.ini, AITypes.ini and Address.ini of a folder written by WriteDemoGame.
Configuration LoadDemoConfiguration(const std::string& root);

// Effect and AI type names "Effect 0" .. and "AI 0" .., table addresses all 0.
Configuration PlainConfiguration();

}  // namespace gvde::testkit
