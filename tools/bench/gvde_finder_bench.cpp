// gvde-finder-bench: how long the table finder takes on GV.exe files of growing size, as
// gvde-cli --find-addresses runs it (the file loaded with the run's loader, then searched):
// demo games of both layouts at several scales, up to about 10 MB, and a program of unrelated
// bytes of the same size. Prints a Markdown table of medians: wall-clock time, and the CPU time
// of this process, which on a shared machine says more.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "demogame/demo_game.h"
#include "demogame/dice.h"
#include "demogame/pe_builder.h"
#include "game/executable.h"
#include "game/table_finder.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 5;

struct Sample {
  std::string what;
  double mebibytes = 0;
  double seconds = 0;     // median wall-clock time
  double cpuSeconds = 0;  // median CPU time
  bool allConfident = false;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Loads and searches `path` kRounds times.
Sample Measure(const std::string& what, const std::string& path) {
  Sample sample{what, static_cast<double>(fs::file_size(path)) / (1 << 20), 0, 0, false};
  std::vector<double> times;
  std::vector<double> cpuTimes;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const std::unique_ptr<gvde::executable> exe = gvde::executable::Create(path);
    if (exe->status != gvde::kExeOk) return sample;
    const gvde::FoundAddresses found = gvde::FindTableAddresses(*exe);
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpuTimes.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    sample.allConfident = found.AllConfident();
  }
  sample.seconds = Median(times);
  sample.cpuSeconds = Median(cpuTimes);
  return sample;
}

// A program of `size` random bytes, with texts and their addresses among them.
bool WriteUnrelatedProgram(const std::string& path, std::uint32_t size) {
  gvde::demogame::PeBuilder pe;
  gvde::demogame::Dice dice(5);
  std::vector<std::uint32_t> texts;
  for (int i = 0; i < 1000; ++i) texts.push_back(pe.AddString("text number " + std::to_string(i)));
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    gvde::demogame::PutU32(bytes, at, dice.Below(4) == 0 ? texts[dice.Below(1000)] : dice.Next());
  }
  pe.AddData(bytes);
  const std::vector<std::uint8_t> file = pe.Build();
  return gvde::WriteWholeFile(path, file);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = argc > 1 ? argv[1] : (fs::temp_directory_path() / "gvde-finder-bench").string();
  std::error_code ignored;
  fs::remove_all(work, ignored);
  fs::create_directories(work, ignored);
  std::vector<Sample> samples;
  for (const std::uint32_t scale : {1u, 10u, 100u, 170u}) {
    for (const auto layout : {gvde::demogame::DemoLayout::Standard, gvde::demogame::DemoLayout::Shuffled}) {
      const bool shuffled = layout == gvde::demogame::DemoLayout::Shuffled;
      const std::string dir = work + "/demo" + std::to_string(scale) + (shuffled ? "s" : "");
      fs::create_directories(dir, ignored);
      if (!gvde::demogame::WriteDemoGame(dir, {scale, layout}, nullptr)) {
        std::fprintf(stderr, "gvde-finder-bench: cannot write the demo game into %s\n", dir.c_str());
        return 1;
      }
      samples.push_back(Measure("demo game, scale " + std::to_string(scale) + (shuffled ? ", shuffled" : ""),
                                dir + "/game/GV.exe"));
    }
  }
  const std::string unrelated = work + "/unrelated.exe";
  if (!WriteUnrelatedProgram(unrelated, 10u << 20)) {
    std::fprintf(stderr, "gvde-finder-bench: cannot write %s\n", unrelated.c_str());
    return 1;
  }
  samples.push_back(Measure("unrelated program", unrelated));
  fs::remove_all(work, ignored);

  std::printf("| GV.exe | MiB | wall s | CPU s | MiB per CPU s | all six found with high confidence |\n");
  std::printf("|---|---:|---:|---:|---:|---|\n");
  for (const Sample& s : samples) {
    std::printf("| %s | %.1f | %.3f | %.3f | %.0f | %s |\n", s.what.c_str(), s.mebibytes, s.seconds, s.cpuSeconds,
                s.cpuSeconds > 0 ? s.mebibytes / s.cpuSeconds : 0.0, s.allConfident ? "yes" : "no");
  }
  std::printf("\nMedians of %d rounds; each round loads GV.exe with the run's loader and searches it.\n", kRounds);
  return 0;
}
