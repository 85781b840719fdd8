// gvde-bench: for demo games of two shapes at several scales, times whole gvde-cli runs (wall
// clock, CPU, peak memory of the child), with its default job count and with --jobs 1, against
// what no byte-exact run can avoid: the file-writing floor (a plain loop in this process that
// creates the same directories and writes the same files with the same bytes) plus deflating
// every picture's rows once on one core.
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "child_runs.h"
#include "demogame/demo_game.h"
#include "site_floor.h"

namespace fs = std::filesystem;
using gvde::demogame::DemoShape;

namespace {

using namespace bench;

struct Options {
  std::vector<DemoShape> shapes = {DemoShape::Demo, DemoShape::Pages};
  std::vector<std::uint32_t> scales = {1, 10, 100};
  int repeat = 3;
  std::string cli = GVDE_CLI_PATH;
  std::string work;
  bool keep = false;
  bool sync = true;
  bool deleteTrees = false;  // delete each tree once measured instead of setting it aside
};

struct ScaleResult {
  DemoShape shape = DemoShape::Demo;
  std::uint32_t scale = 0;
  std::uint64_t records = 0;
  double generate = 0;
  std::size_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t pageBytes = 0;  // of every file that is not a picture
  // Medians over the rounds.
  RunSample run;      // the default job count
  double runCpu = 0;  // user + system of the child and its worker
  RunSample serial;   // --jobs 1
  double serialCpu = 0;
  double floor = 0;
  double floorCpu = 0;     // user + system of this process while writing the floor
  double deflateOnce = 0;  // every picture's rows deflated once, one stream reset per picture
  double load = 0;         // the system's 1-minute load average before each round
  std::size_t pictures = 0;
  bool ok = true;
};

const char* ShapeName(DemoShape shape) { return shape == DemoShape::Pages ? "pages" : "demo"; }

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::optional<std::vector<std::uint32_t>> ParseScales(std::string_view text) {
  std::vector<std::uint32_t> scales;
  while (!text.empty()) {
    std::size_t comma = text.find(',');
    std::string piece(text.substr(0, comma));
    char* end = nullptr;
    unsigned long value = std::strtoul(piece.c_str(), &end, 10);
    if (piece.empty() || *end != '\0' || value == 0 || value > 100000) return std::nullopt;
    scales.push_back(static_cast<std::uint32_t>(value));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  if (scales.empty()) return std::nullopt;
  return scales;
}

std::optional<std::vector<DemoShape>> ParseShapes(std::string_view text) {
  std::vector<DemoShape> shapes;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view piece = text.substr(0, comma);
    if (piece == "demo") {
      shapes.push_back(DemoShape::Demo);
    } else if (piece == "pages") {
      shapes.push_back(DemoShape::Pages);
    } else {
      return std::nullopt;
    }
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  if (shapes.empty()) return std::nullopt;
  return shapes;
}

constexpr const char* kUsage =
    "Usage: gvde-bench [--shape demo,pages] [--scales 1,10,100] [--repeat N] [--cli PATH]\n"
    "                  [--work DIR] [--keep] [--no-sync] [--delete]\n"
    "\n"
    "For each shape and scale, writes a demo game and, N times each: runs `gvde-cli --keep-going\n"
    "game/ site/` in it (its default job count), runs it with --jobs 1, writes the same files with\n"
    "a plain fopen/fwrite/fclose loop (the floor), and deflates every picture's rows once on one\n"
    "core. Prints the medians as a Markdown table. Every site and floor copy stays on disk until\n"
    "the end (about 9 x 100 MiB at scale 100) unless --delete is given.\n"
    "\n"
    "  --shape S    demo (the demo game), pages (pages 2.5 times the pictures and most of the\n"
    "               bytes, as in a real game), or both separated by a comma (the default)\n"
    "  --work DIR   where the games and sites go (default: a new directory under $TMPDIR or /tmp)\n"
    "  --keep       leave the work directory in place\n"
    "  --no-sync    do not flush the file system before each timed measurement\n"
    "  --delete     delete each site and floor copy once measured (for a RAM file system, where\n"
    "               many kept trees slow down the creation of files)\n";

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--scales" && hasValue) {
      auto scales = ParseScales(argv[++i]);
      if (!scales) return false;
      options.scales = *scales;
    } else if (arg == "--shape" && hasValue) {
      auto shapes = ParseShapes(argv[++i]);
      if (!shapes) return false;
      options.shapes = *shapes;
    } else if (arg == "--repeat" && hasValue) {
      options.repeat = std::atoi(argv[++i]);
      if (options.repeat < 1 || options.repeat > 100) return false;
    } else if (arg == "--cli" && hasValue) {
      options.cli = fs::absolute(argv[++i]).string();  // the runs start in their own folders
    } else if (arg == "--work" && hasValue) {
      options.work = argv[++i];
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--no-sync") {
      options.sync = false;
    } else if (arg == "--delete") {
      options.deleteTrees = true;
    } else {
      return false;
    }
  }
  return true;
}

bool MakeWorkDirectory(Options& options) {
  if (!options.work.empty()) {
    std::error_code ec;
    fs::create_directories(options.work, ec);
    return !ec;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/gvde-bench-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) return false;
  options.work = buffer.data();
  return true;
}

// Leaves a clean page cache state behind earlier measurements, so that write-back of one
// measurement does not land in the next one.
void Settle(const Options& options) {
  if (options.sync) ::sync();
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

std::uint64_t RecordCount(const gvde::demogame::DemoSummary& s) {
  return std::uint64_t{s.items} + s.uniques + s.monsters + s.bosses + s.prefixes + s.suffixes;
}

// Moves a finished tree out of the way instead of deleting it: freeing many inodes right
// before a timed measurement can slow down the file creations of that measurement.
bool SetAside(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The 1-minute load average: other programs on the machine take cores from the runs.
double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : 0;
}

unsigned Cores() {
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  return cores > 0 ? static_cast<unsigned>(cores) : 1;
}

// Fails the scale with a message on standard error.
ScaleResult Failed(ScaleResult result, const std::string& message) {
  std::fprintf(stderr, "gvde-bench: %s\n", message.c_str());
  result.ok = false;
  return result;
}

// One timed run into dir/site, moved aside to dir/<aside> afterwards; false after a message when
// it did not end with "Done".
bool TimedRun(const Options& options, Launcher& launcher, const std::string& dir, const std::string& option,
              const std::string& aside, RunSample& sample) {
  Settle(options);
  sample = launcher.Run(options.cli, option, dir);
  if (!sample.done) {
    std::fprintf(stderr, "gvde-bench: the run %s in %s did not end with \"Done\" (see run.err there)\n",
                 option.c_str(), dir.c_str());
    return false;
  }
  if (!SetAside(dir + "/site", dir + "/" + aside)) {
    std::fprintf(stderr, "gvde-bench: cannot move %s/site aside\n", dir.c_str());
    return false;
  }
  return true;
}

std::uint64_t PageBytes(const SiteImage& image) {
  std::uint64_t bytes = 0;
  for (const auto& [path, content] : image.files) {
    if (!path.ends_with(".png")) bytes += content.size();
  }
  return bytes;
}

// Writes the demo game of the result's shape and scale into `dir`.
bool WriteGame(const std::string& dir, ScaleResult& result) {
  RemoveTree(dir);  // left over from an earlier --keep
  std::error_code ec;
  fs::create_directories(dir, ec);
  gvde::demogame::DemoOptions demo;
  demo.scale = result.scale;
  demo.shape = result.shape;
  gvde::demogame::DemoSummary summary;
  const double start = Now();
  if (ec || !gvde::demogame::WriteDemoGame(dir, demo, &summary)) return false;
  result.generate = Now() - start;
  result.records = RecordCount(summary);
  std::fprintf(stderr, "%s %u: demo game with %llu records, %u item pictures written in %.2f s\n",
               ShapeName(result.shape), result.scale, static_cast<unsigned long long>(result.records),
               summary.itemPictures, result.generate);
  return true;
}

ScaleResult MeasureScale(const Options& options, Launcher& launcher, DemoShape shape, std::uint32_t scale) {
  ScaleResult result;
  result.shape = shape;
  result.scale = scale;
  const std::string dir = options.work + "/" + ShapeName(shape) + std::to_string(scale);
  if (!WriteGame(dir, result)) return Failed(result, "cannot write the demo game into " + dir);

  std::vector<double> walls, cpus, rss, serialWalls, serialCpus, floors, floorCpus, deflates, loads;
  std::optional<SiteImage> image;
  std::vector<PictureData> pictures;
  for (int i = 1; i <= options.repeat; ++i) {
    const std::string round = std::to_string(i);
    loads.push_back(LoadAverage());
    RunSample run;
    if (!TimedRun(options, launcher, dir, "", "site-" + round, run)) return Failed(result, "scale failed");
    RunSample serial;
    if (!TimedRun(options, launcher, dir, "--jobs=1", "site-jobs1-" + round, serial)) {
      return Failed(result, "scale failed");
    }
    walls.push_back(run.wall);
    cpus.push_back(run.user + run.system);
    rss.push_back(static_cast<double>(run.maxRssKiB));
    serialWalls.push_back(serial.wall);
    serialCpus.push_back(serial.user + serial.system);
    if (!image) {
      image = ReadSite(dir + "/site-1");
      const std::optional<SiteImage> serialImage = ReadSite(dir + "/site-jobs1-1");
      if (!image || !serialImage) return Failed(result, "cannot read the sites in " + dir);
      if (image->directories != serialImage->directories || image->files != serialImage->files) {
        return Failed(result, "the site of --jobs 1 differs from the default one in " + dir);
      }
      result.files = image->files.size();
      result.bytes = image->bytes;
      result.pageBytes = PageBytes(*image);
      pictures = SitePictures(*image);
      result.pictures = pictures.size();
      if (!DeflateOnceMatchesCompress(pictures)) {
        return Failed(result, "deflating once does not give the bytes of compress and of the site");
      }
    }
    if (options.deleteTrees) {
      RemoveTree(dir + "/site-" + round);
      RemoveTree(dir + "/site-jobs1-" + round);
    }

    Settle(options);
    const std::string floorRoot = dir + "/floor-" + round;
    const double cpuBefore = CpuSeconds();
    const double floorWall = WriteFloor(*image, floorRoot);
    const double floorCpu = CpuSeconds() - cpuBefore;
    if (floorWall < 0) return Failed(result, "the floor could not write " + floorRoot);
    floors.push_back(floorWall);
    floorCpus.push_back(floorCpu);
    if (options.deleteTrees) RemoveTree(floorRoot);
    const double deflate = TimeDeflateOnce(pictures);
    if (deflate < 0) return Failed(result, "zlib failed");
    deflates.push_back(deflate);
    std::fprintf(
        stderr,
        "%s %u, round %d (load %.2f): run %.3f s (CPU user %.3f + sys %.3f, peak %ld KiB), --jobs 1 %.3f s"
        " (CPU %.3f), floor %.3f s (CPU %.3f), deflate once %.3f s\n",
        ShapeName(shape), scale, i, loads.back(), run.wall, run.user, run.system, run.maxRssKiB, serial.wall,
        serial.user + serial.system, floorWall, floorCpu, deflate);
  }
  result.run.wall = Median(walls);
  result.runCpu = Median(cpus);
  result.run.maxRssKiB = static_cast<long>(Median(rss));
  result.serial.wall = Median(serialWalls);
  result.serialCpu = Median(serialCpus);
  result.floor = Median(floors);
  result.floorCpu = Median(floorCpus);
  result.deflateOnce = Median(deflates);
  result.load = Median(loads);
  return result;
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

void PrintMachine(unsigned cores) {
  utsname name{};
  uname(&name);
  const std::string cpuInfo = ReadText("/proc/cpuinfo");
  const std::size_t at = cpuInfo.find("model name");
  const std::size_t colon = cpuInfo.find(':', at);
  std::string model;
  if (at != std::string::npos && colon != std::string::npos) {
    model = cpuInfo.substr(colon + 2, cpuInfo.find('\n', colon) - colon - 2);
  }
  std::printf("Machine: %u cores (%s), %s %s\n\n", cores, model.c_str(), name.sysname, name.release);
}

void PrintTable(const std::vector<ScaleResult>& results, unsigned cores) {
  PrintMachine(cores);
  std::printf(
      "| shape | scale | files | pictures | MiB written | pages' share of bytes | load | run wall s | --jobs "
      "1 wall s |"
      " --jobs 1 / run | floor wall s | deflate once s | run/(floor+deflate once) |"
      " run/((floor+deflate once)/cores) | run CPU s | CPU per core | --jobs 1 CPU s | floor CPU s |"
      " peak RSS MiB | us/file | per file vs first |\n");
  std::printf(
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|--"
      "-:|\n");
  for (const ScaleResult& r : results) {
    const double perFile = r.files == 0 ? 0 : r.run.wall / static_cast<double>(r.files) * 1e6;
    double firstPerFile = perFile;
    for (const ScaleResult& other : results) {
      if (other.shape != r.shape) continue;
      firstPerFile = other.files == 0 ? 0 : other.run.wall / static_cast<double>(other.files) * 1e6;
      break;
    }
    const double limit = r.floor + r.deflateOnce;
    std::printf(
        "| %s | %u | %zu | %zu | %.1f | %.2f | %.1f | %.3f | %.3f | %.2f | %.3f | %.3f | %.2f | %.2f | %.3f "
        "| %.2f |"
        " %.3f | %.3f | %.1f | %.1f | %.2f |\n",
        ShapeName(r.shape), r.scale, r.files, r.pictures, static_cast<double>(r.bytes) / (1024.0 * 1024.0),
        Ratio(static_cast<double>(r.pageBytes), static_cast<double>(r.bytes)), r.load, r.run.wall,
        r.serial.wall, Ratio(r.serial.wall, r.run.wall), r.floor, r.deflateOnce, Ratio(r.run.wall, limit),
        Ratio(r.run.wall, limit / cores), r.runCpu, Ratio(r.runCpu, r.run.wall * cores), r.serialCpu,
        r.floorCpu, static_cast<double>(r.run.maxRssKiB) / 1024.0, perFile, Ratio(perFile, firstPerFile));
  }
  for (const ScaleResult& r : results) {
    std::printf("\n%s %u: %llu records, demo game written in %.2f s", ShapeName(r.shape), r.scale,
                static_cast<unsigned long long>(r.records), r.generate);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == kServeRuns) return Launcher::Serve();
  Launcher launcher;
  if (!launcher.Start()) {
    std::fprintf(stderr, "gvde-bench: cannot start the launcher process\n");
    return 2;
  }
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (::access(options.cli.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "gvde-bench: cannot run %s\n", options.cli.c_str());
    return 2;
  }
  bool madeWork = options.work.empty();
  if (!MakeWorkDirectory(options)) {
    std::fprintf(stderr, "gvde-bench: cannot create the work directory\n");
    return 2;
  }
  std::fprintf(stderr, "gvde-bench: %s, %d rounds per scale, work directory %s\n", options.cli.c_str(),
               options.repeat, options.work.c_str());
  std::vector<ScaleResult> results;
  bool ok = true;
  for (const DemoShape shape : options.shapes) {
    for (std::uint32_t scale : options.scales) {
      ScaleResult result = MeasureScale(options, launcher, shape, scale);
      ok = ok && result.ok;
      if (!result.ok) break;
      results.push_back(result);
    }
    if (!ok) break;
  }
  PrintTable(results, Cores());
  // Everything is deleted only at the end, so that no measurement follows a mass deletion.
  if (!options.keep) {
    for (const DemoShape shape : options.shapes) {
      for (std::uint32_t scale : options.scales) {
        RemoveTree(options.work + "/" + ShapeName(shape) + std::to_string(scale));
      }
    }
    if (madeWork) RemoveTree(options.work);
  }
  return ok ? 0 : 1;
}
