// gvde-bench: for demo games at several scales, times whole gvde-cli runs (wall clock, peak
// memory of the child) against the file-writing floor: a plain loop in this process that
// creates the same directories and writes the same files with the same bytes.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <zlib.h>

#include "demogame/demo_game.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  std::vector<std::uint32_t> scales = {1, 10, 100};
  int repeat = 3;
  std::string cli = GVDE_CLI_PATH;
  std::string work;
  bool keep = false;
  bool sync = true;
};

// One timed child run of gvde-cli.
struct RunSample {
  double wall = 0;       // seconds
  double user = 0;       // seconds of CPU in user mode
  double system = 0;     // seconds of CPU in the kernel
  long maxRssKiB = 0;
  bool done = false;     // exit status 0 and "Done" on standard output
};

// The site as written by a run: what the floor writes again.
struct SiteImage {
  std::vector<std::string> directories;  // relative, parents before children
  std::vector<std::pair<std::string, std::string>> files;  // relative path, bytes
  std::uint64_t bytes = 0;
};

struct ScaleResult {
  std::uint32_t scale = 0;
  std::uint64_t records = 0;
  double generate = 0;
  std::size_t files = 0;
  std::uint64_t bytes = 0;
  // Medians over the rounds.
  RunSample run;
  double runCpu = 0;      // user + system of the child
  double floor = 0;
  double floorCpu = 0;    // user + system of this process while writing the floor
  double compression = 0; // zlib compress of every picture's rows, as the run must do
  std::size_t pictures = 0;
  bool ok = true;
};

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

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

constexpr const char* kUsage =
    "Usage: gvde-bench [--scales 1,10,100] [--repeat N] [--cli PATH] [--work DIR] [--keep]\n"
    "                  [--no-sync]\n"
    "\n"
    "For each scale, writes a demo game, runs `gvde-cli --keep-going game/ site/` in it N times\n"
    "and writes the same files N times with a plain fopen/fwrite/fclose loop (the floor).\n"
    "Prints the medians as a Markdown table. Every site and floor copy stays on disk until the\n"
    "end (about 6 x 100 MiB at scale 100).\n"
    "\n"
    "  --work DIR   where the games and sites go (default: a new directory under $TMPDIR or /tmp)\n"
    "  --keep       leave the work directory in place\n"
    "  --no-sync    do not flush the file system before each timed measurement\n";

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--scales" && hasValue) {
      auto scales = ParseScales(argv[++i]);
      if (!scales) return false;
      options.scales = *scales;
    } else if (arg == "--repeat" && hasValue) {
      options.repeat = std::atoi(argv[++i]);
      if (options.repeat < 1 || options.repeat > 100) return false;
    } else if (arg == "--cli" && hasValue) {
      options.cli = argv[++i];
    } else if (arg == "--work" && hasValue) {
      options.work = argv[++i];
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--no-sync") {
      options.sync = false;
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

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `cli --keep-going game/ site/` with `dir` as working directory; standard output and
// error go to dir/run.out and dir/run.err.
RunSample RunCli(const std::string& cli, const std::string& dir) {
  RunSample sample;
  std::string outPath = dir + "/run.out";
  std::string errPath = dir + "/run.err";
  double start = Now();
  pid_t pid = fork();
  if (pid < 0) return sample;
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || ::chdir(dir.c_str()) != 0) _exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    char keepGoing[] = "--keep-going";
    char game[] = "game/";
    char site[] = "site/";
    std::vector<char> program(cli.begin(), cli.end());
    program.push_back('\0');
    char* args[] = {program.data(), keepGoing, game, site, nullptr};
    ::execv(program.data(), args);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  pid_t waited = 0;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  sample.wall = Now() - start;
  if (waited != pid) return sample;
  sample.user = Seconds(usage.ru_utime);
  sample.system = Seconds(usage.ru_stime);
  sample.maxRssKiB = usage.ru_maxrss;
  std::string out = ReadText(outPath);
  sample.done = WIFEXITED(status) && WEXITSTATUS(status) == 0 && out.find("Done\n") != std::string::npos;
  return sample;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
  char* at = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::read(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteString(int fd, const std::string& text) {
  const std::uint32_t size = static_cast<std::uint32_t>(text.size());
  return WriteAll(fd, &size, sizeof size) && WriteAll(fd, text.data(), text.size());
}

bool ReadString(int fd, std::string& text) {
  std::uint32_t size = 0;
  if (!ReadAll(fd, &size, sizeof size) || size > 65536) return false;
  text.assign(size, '\0');
  return ReadAll(fd, text.data(), size);
}

// Starts the runs from a small process forked before anything big is allocated: Linux counts
// the memory a child inherited from its parent up to exec in the child's peak, and this
// program later holds whole demo games and sites in memory.
class Launcher {
 public:
  Launcher() = default;
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;
  ~Launcher() {
    if (pid_ <= 0) return;
    ::close(request_);
    ::close(reply_);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }

  bool Start() {
    int toChild[2];
    int toParent[2];
    if (::pipe(toChild) != 0) return false;
    if (::pipe(toParent) != 0) return false;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      ::close(toChild[1]);
      ::close(toParent[0]);
      Serve(toChild[0], toParent[1]);
      _exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    request_ = toChild[1];
    reply_ = toParent[0];
    return true;
  }

  RunSample Run(const std::string& cli, const std::string& dir) {
    RunSample sample;
    if (!WriteString(request_, cli) || !WriteString(request_, dir) || !ReadAll(reply_, &sample, sizeof sample)) {
      return RunSample{};
    }
    return sample;
  }

 private:
  static void Serve(int requests, int replies) {
    std::string cli;
    std::string dir;
    while (ReadString(requests, cli) && ReadString(requests, dir)) {
      const RunSample sample = RunCli(cli, dir);
      if (!WriteAll(replies, &sample, sizeof sample)) return;
    }
  }

  pid_t pid_ = -1;
  int request_ = -1;
  int reply_ = -1;
};

// Reads every directory and file under `root` into memory, in a fixed (sorted) order.
std::optional<SiteImage> ReadSite(const std::string& root) {
  SiteImage image;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::string relative = fs::relative(it->path(), root, ec).generic_string();
    if (ec) break;
    if (it->is_directory(ec)) {
      image.directories.push_back(relative);
    } else if (it->is_regular_file(ec)) {
      std::string bytes = ReadText(it->path().string());
      image.bytes += bytes.size();
      image.files.emplace_back(relative, std::move(bytes));
    }
  }
  if (ec) return std::nullopt;
  std::sort(image.directories.begin(), image.directories.end());
  std::sort(image.files.begin(), image.files.end());
  return image;
}

// The floor: creates `root`, its directories and every file with fopen/fwrite/fclose.
// Returns the wall time in seconds, or a negative value when a write failed.
double WriteFloor(const SiteImage& image, const std::string& root) {
  bool ok = true;
  double start = Now();
  ok = ::mkdir(root.c_str(), 0777) == 0;
  for (const std::string& dir : image.directories) {
    if (ok) ok = ::mkdir((root + "/" + dir).c_str(), 0777) == 0;
  }
  for (const auto& [path, bytes] : image.files) {
    if (!ok) break;
    std::FILE* f = std::fopen((root + "/" + path).c_str(), "wb");
    if (f == nullptr) {
      ok = false;
      break;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ok = false;
    if (std::fclose(f) != 0) ok = false;
  }
  double wall = Now() - start;
  return ok ? wall : -1;
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// The filtered rows inside a PNG file (8-bit indexed, as the run writes them), recovered
// from its IDAT data; nullopt for anything else.
std::optional<std::vector<std::uint8_t>> PngRows(const std::string& png) {
  constexpr std::size_t kSignature = 8;
  std::uint64_t rowsLength = 0;
  std::string idat;
  for (std::size_t at = kSignature; at + 12 <= png.size();) {
    const std::uint64_t length = BigEndian(png, at);
    const std::string type = png.substr(at + 4, 4);
    if (at + 12 + length > png.size()) return std::nullopt;
    if (type == "IHDR" && length == 13) {
      rowsLength = (std::uint64_t{BigEndian(png, at + 8)} + 1) * BigEndian(png, at + 12);
    } else if (type == "IDAT") {
      idat.append(png, at + 8, static_cast<std::size_t>(length));
    }
    at += 12 + static_cast<std::size_t>(length);
  }
  if (rowsLength == 0 || rowsLength > (std::uint64_t{1} << 30)) return std::nullopt;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(rowsLength));
  uLongf rowsSize = static_cast<uLongf>(rows.size());
  if (uncompress(rows.data(), &rowsSize, reinterpret_cast<const Bytef*>(idat.data()),
                 static_cast<uLong>(idat.size())) != Z_OK ||
      rowsSize != rows.size()) {
    return std::nullopt;
  }
  return rows;
}

std::vector<std::vector<std::uint8_t>> PictureRows(const SiteImage& image) {
  std::vector<std::vector<std::uint8_t>> pictures;
  for (const auto& [path, bytes] : image.files) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) continue;
    if (auto rows = PngRows(bytes)) pictures.push_back(std::move(*rows));
  }
  return pictures;
}

// The compression the run cannot avoid: zlib's compress at the default level over the rows
// of every picture, one call per picture as the run makes them.
double TimeCompression(const std::vector<std::vector<std::uint8_t>>& pictures) {
  std::vector<std::uint8_t> out;
  const double start = Now();
  for (const auto& rows : pictures) {
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    if (out.size() < size) out.resize(size);
    if (compress(out.data(), &size, rows.data(), static_cast<uLong>(rows.size())) != Z_OK) return -1;
  }
  return Now() - start;
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
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

ScaleResult MeasureScale(const Options& options, Launcher& launcher, std::uint32_t scale) {
  ScaleResult result;
  result.scale = scale;
  std::string dir = options.work + "/scale" + std::to_string(scale);
  RemoveTree(dir);  // left over from an earlier --keep
  std::error_code ec;
  fs::create_directories(dir, ec);
  gvde::demogame::DemoOptions demo;
  demo.scale = scale;
  gvde::demogame::DemoSummary summary;
  double start = Now();
  if (ec || !gvde::demogame::WriteDemoGame(dir, demo, &summary)) {
    std::fprintf(stderr, "gvde-bench: cannot write the demo game into %s\n", dir.c_str());
    result.ok = false;
    return result;
  }
  result.generate = Now() - start;
  result.records = RecordCount(summary);
  std::fprintf(stderr, "scale %u: demo game with %llu records, %u item pictures written in %.2f s\n", scale,
               static_cast<unsigned long long>(result.records), summary.itemPictures, result.generate);

  const std::string site = dir + "/site";
  std::vector<double> walls, cpus, rss, floors, floorCpus, compressions;
  std::optional<SiteImage> image;
  std::vector<std::vector<std::uint8_t>> pictures;
  for (int i = 1; i <= options.repeat; ++i) {
    Settle(options);
    RunSample run = launcher.Run(options.cli, dir);
    if (!run.done) {
      std::fprintf(stderr, "gvde-bench: the run at scale %u did not end with \"Done\" (see %s/run.err)\n",
                   scale, dir.c_str());
      result.ok = false;
      return result;
    }
    walls.push_back(run.wall);
    cpus.push_back(run.user + run.system);
    rss.push_back(static_cast<double>(run.maxRssKiB));
    if (!image) {
      image = ReadSite(site);
      if (!image) {
        std::fprintf(stderr, "gvde-bench: cannot read the site in %s\n", site.c_str());
        result.ok = false;
        return result;
      }
      result.files = image->files.size();
      result.bytes = image->bytes;
      pictures = PictureRows(*image);
      result.pictures = pictures.size();
    }
    const std::string siteCopy = dir + "/site-" + std::to_string(i);
    if (!SetAside(site, siteCopy)) {
      std::fprintf(stderr, "gvde-bench: cannot move %s aside\n", site.c_str());
      result.ok = false;
      return result;
    }

    Settle(options);
    const std::string floorRoot = dir + "/floor-" + std::to_string(i);
    const double cpuBefore = CpuSeconds();
    const double floorWall = WriteFloor(*image, floorRoot);
    const double floorCpu = CpuSeconds() - cpuBefore;
    if (floorWall < 0) {
      std::fprintf(stderr, "gvde-bench: the floor could not write %s\n", floorRoot.c_str());
      result.ok = false;
      return result;
    }
    floors.push_back(floorWall);
    floorCpus.push_back(floorCpu);
    const double compression = TimeCompression(pictures);
    compressions.push_back(compression);
    std::fprintf(stderr,
                 "scale %u, round %d: run %.3f s (CPU user %.3f + sys %.3f, peak %ld KiB), floor %.3f s (CPU %.3f),"
                 " compression %.3f s\n",
                 scale, i, run.wall, run.user, run.system, run.maxRssKiB, floorWall, floorCpu, compression);
  }
  result.run.wall = Median(walls);
  result.runCpu = Median(cpus);
  result.run.maxRssKiB = static_cast<long>(Median(rss));
  result.floor = Median(floors);
  result.floorCpu = Median(floorCpus);
  result.compression = Median(compressions);
  return result;
}

void PrintTable(const std::vector<ScaleResult>& results) {
  std::printf(
      "| scale | records | files | pictures | MiB written | run wall s | floor wall s | run/floor |"
      " compression s | run/(floor+compression) | run CPU s | floor CPU s | CPU run/floor | peak RSS MiB |"
      " us/record | per record vs first |\n");
  std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  double firstPerRecord = 0;
  for (const ScaleResult& r : results) {
    const double perRecord = r.records == 0 ? 0 : r.run.wall / static_cast<double>(r.records) * 1e6;
    if (firstPerRecord == 0) firstPerRecord = perRecord;
    const double mandated = r.floor + r.compression;
    std::printf(
        "| %u | %llu | %zu | %zu | %.1f | %.3f | %.3f | %.2f | %.3f | %.2f | %.3f | %.3f | %.2f | %.1f | %.1f |"
        " %.2f |\n",
        r.scale, static_cast<unsigned long long>(r.records), r.files, r.pictures,
        static_cast<double>(r.bytes) / (1024.0 * 1024.0), r.run.wall, r.floor, r.floor > 0 ? r.run.wall / r.floor : 0,
        r.compression, mandated > 0 ? r.run.wall / mandated : 0, r.runCpu, r.floorCpu,
        r.floorCpu > 0 ? r.runCpu / r.floorCpu : 0, static_cast<double>(r.run.maxRssKiB) / 1024.0, perRecord,
        firstPerRecord > 0 ? perRecord / firstPerRecord : 0);
  }
  for (const ScaleResult& r : results) {
    std::printf("\nscale %u: demo game written in %.2f s", r.scale, r.generate);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
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
  for (std::uint32_t scale : options.scales) {
    ScaleResult result = MeasureScale(options, launcher, scale);
    ok = ok && result.ok;
    if (!result.ok) break;
    results.push_back(result);
  }
  PrintTable(results);
  // Everything is deleted only at the end, so that no measurement follows a mass deletion.
  if (!options.keep) {
    for (std::uint32_t scale : options.scales) RemoveTree(options.work + "/scale" + std::to_string(scale));
    if (madeWork) RemoveTree(options.work);
  }
  return ok ? 0 : 1;
}
