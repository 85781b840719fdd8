#include "testkit/whole_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string_view>

#include "app/startup_config.h"
#include "effects/effect_descriptions.h"
#include "site/extraction_run.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {

namespace fs = std::filesystem;

RunRecord RunExtraction(const std::string& gameDir, const std::string& outputDir,
                        const Configuration& configuration, RecordingHost& host, bool technical,
                        unsigned jobs, std::chrono::milliseconds workerWaitLimit) {
  InitEffectFormatters();
  host.Clear();
  RunRecord record;
  record.done = StartExtraction(RunInputs{.gameDir = gameDir + "/",
                                          .outputDir = outputDir + "/",
                                          .technicalInfo = technical,
                                          .jobs = jobs,
                                          .workerWaitLimit = workerWaitLimit},
                                configuration, host);
  record.calls = host.calls();
  return record;
}

RunRecord RunExtraction(const std::string& gameDir, const std::string& outputDir,
                        const Configuration& configuration, bool technical) {
  RecordingHost host(false);
  return RunExtraction(gameDir, outputDir, configuration, host, technical);
}

namespace {

std::string Describe(const RunRecord& run) {
  std::string text = run.done ? "returned true;" : "returned false;";
  for (const HostCall& call : run.calls) {
    switch (call.kind) {
      case HostCall::kShowError:
        text += " Error(" + call.text + ")";
        break;
      case HostCall::kAskExit:
        text += " Ask(" + call.text + ")";
        break;
      case HostCall::kShowDone:
        text += " Done";
        break;
    }
  }
  return text;
}

std::set<std::string> FileNames(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error)) names.insert(entry.path().filename().string());
  return names;
}

// "i12.htm", "b0.htm": a category letter followed by a record number.
bool IsRecordPage(std::string_view name) {
  const std::string_view stem = name.substr(0, name.size() - 4);
  if (stem.size() < 2 || std::string_view("iumbps").find(stem[0]) == std::string_view::npos) return false;
  return stem.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// A category without records has a page but neither "<prefix>a.htm" nor "<prefix>n.htm".
bool IsListOfEmptyCategory(const std::string& link, const std::set<std::string>& files) {
  if (link.size() != 6 || (link[1] != 'a' && link[1] != 'n')) return false;
  return files.count(link.substr(0, 1) + "0.htm") == 0;
}

// Every href="..." target of a page that names an .htm file.
std::vector<std::string> PageLinks(const std::string& text) {
  std::vector<std::string> links;
  constexpr std::string_view kHref = "href=\"";
  for (std::size_t at = text.find(kHref); at != std::string::npos; at = text.find(kHref, at)) {
    at += kHref.size();
    const std::size_t end = text.find('"', at);
    if (end == std::string::npos) break;
    const std::string target = text.substr(at, end - at);
    if (target.ends_with(".htm")) links.push_back(target);
  }
  return links;
}

}  // namespace

::testing::AssertionResult EndsCleanly(const RunRecord& run) {
  if (run.calls.empty())
    return ::testing::AssertionFailure() << "the run ended without a word: " << Describe(run);
  for (std::size_t i = 0; i + 1 < run.calls.size(); ++i) {
    if (run.calls[i].kind != HostCall::kAskExit)
      return ::testing::AssertionFailure() << "more than one ending: " << Describe(run);
  }
  const HostCall& last = run.calls.back();
  if (last.kind == HostCall::kAskExit) {
    return ::testing::AssertionFailure() << "only a question was asked (answered No): " << Describe(run);
  }
  if (run.done != (last.kind == HostCall::kShowDone)) {
    return ::testing::AssertionFailure() << "result and ending disagree: " << Describe(run);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult EndedDone(const RunRecord& run) {
  ::testing::AssertionResult clean = EndsCleanly(run);
  if (!clean) return clean;
  if (!run.done) return ::testing::AssertionFailure() << "expected Done: " << Describe(run);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult EndedWithError(const RunRecord& run, const std::string& message) {
  ::testing::AssertionResult clean = EndsCleanly(run);
  if (!clean) return clean;
  if (run.done || run.calls.back().text != message) {
    return ::testing::AssertionFailure() << "expected the error \"" << message << "\": " << Describe(run);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SiteIsComplete(const std::string& outputDir) {
  const fs::path data = fs::path(outputDir) / "data";
  const std::set<std::string> files = FileNames(data);
  std::vector<std::string> missing;
  if (!FileExists(outputDir + "/index.htm")) missing.push_back("index.htm");
  for (const char* required : {"style.css", "i.htm", "u.htm", "m.htm", "b.htm", "p.htm", "s.htm"}) {
    if (files.count(required) == 0) missing.push_back(std::string("data/") + required);
  }
  for (const std::string& name : files) {
    // Record pages may name records that do not exist (a boss's monster number, a monster
    // class without list); the pages the run must write are those the lists link to.
    if (!name.ends_with(".htm") || IsRecordPage(name)) continue;
    for (const std::string& link : PageLinks(ReadFileText((data / name).string()))) {
      if (files.count(link) == 0 && !IsListOfEmptyCategory(link, files))
        missing.push_back(link + " (linked from " + name + ")");
    }
  }
  if (missing.empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << missing.size() << " pages missing:";
  for (std::size_t i = 0; i < missing.size() && i < 10; ++i) failure << " " << missing[i];
  return failure;
}

Watchdog::Watchdog(int seconds)
    : thread_([this, seconds] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (finished_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) return;
        std::fprintf(stderr, "%s.%s still running after %d s: the run does not end\n",
                     ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name(),
                     ::testing::UnitTest::GetInstance()->current_test_info()->name(), seconds);
        std::abort();
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  finished_.notify_one();
  thread_.join();
}

Configuration LoadDemoConfiguration(const std::string& root) {
  InitEffectFormatters();
  const StartupResult startup = LoadStartupConfiguration(root + "/");
  EXPECT_TRUE(startup.ok) << startup.message;
  return startup.configuration;
}

Configuration PlainConfiguration() {
  Configuration configuration;
  for (std::size_t i = 0; i < kEffectCount; ++i) configuration.effectNames[i] = "Effect " + std::to_string(i);
  for (std::size_t i = 0; i < kAiTypeCount; ++i) configuration.aiTypeNames[i] = "AI " + std::to_string(i);
  return configuration;
}

}  // namespace gvde::testkit
