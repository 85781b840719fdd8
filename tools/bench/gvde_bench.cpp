// gvde-bench: for demo games at several scales, times whole gvde-cli runs (wall clock, peak
// memory of the child), with its default job count and with --jobs 1, against what no
// byte-exact run can avoid: the file-writing floor (a plain loop in this process that creates the
// same directories and writes the same files with the same bytes) plus deflating every picture's
// rows once on one core.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

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
  bool deleteTrees = false;  // delete each tree once measured instead of setting it aside
};

// One timed child run of gvde-cli.
struct RunSample {
  double wall = 0;    // seconds
  double user = 0;    // seconds of CPU in user mode
  double system = 0;  // seconds of CPU in the kernel
  long maxRssKiB = 0;
  bool done = false;  // exit status 0 and "Done" on standard output
};

// The site as written by a run: what the floor writes again.
struct SiteImage {
  std::vector<std::string> directories;                    // relative, parents before children
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
  RunSample run;      // the default job count
  double runCpu = 0;  // user + system of the child and its worker
  RunSample serial;   // --jobs 1
  double floor = 0;
  double floorCpu = 0;     // user + system of this process while writing the floor
  double deflateOnce = 0;  // every picture's rows deflated once, one stream reset per picture
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
    "                  [--no-sync] [--delete]\n"
    "\n"
    "For each scale, writes a demo game and, N times each: runs `gvde-cli --keep-going game/ site/`\n"
    "in it (its default job count), runs it with --jobs 1, writes the same files with a plain\n"
    "fopen/fwrite/fclose loop (the floor), and deflates every picture's rows once on one core.\n"
    "Prints the medians as a Markdown table. Every site and floor copy stays on disk until the\n"
    "end (about 9 x 100 MiB at scale 100).\n"
    "\n"
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

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `cli [option] --keep-going game/ site/` with `dir` as working directory; standard output
// and error go to dir/run.out and dir/run.err.
RunSample RunCli(const std::string& cli, const std::string& option, const std::string& dir) {
  RunSample sample;
  const std::string outPath = dir + "/run.out";
  const std::string errPath = dir + "/run.err";
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return sample;
  const bool prepared = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
                        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                                         O_WRONLY | O_CREAT | O_TRUNC, 0644) == 0 &&
                        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(),
                                                         O_WRONLY | O_CREAT | O_TRUNC, 0644) == 0 &&
                        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str()) == 0;
  std::vector<std::string> words = {cli};
  if (!option.empty()) words.push_back(option);
  for (const char* word : {"--keep-going", "game/", "site/"}) words.emplace_back(word);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  args.push_back(nullptr);
  const double start = Now();
  pid_t pid = -1;
  const bool spawned =
      prepared && posix_spawn(&pid, cli.c_str(), &actions, nullptr, args.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!spawned) return sample;
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

// The runs are started from a small process of their own, this program started again with
// kServeRuns: Linux counts the memory of the process a child is started from, up to its exec, in
// the child's peak, and this program later holds whole demo games and sites in memory.
constexpr const char* kServeRuns = "--serve-runs";
constexpr int kRequestFd = 3;
constexpr int kReplyFd = 4;

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
    if (::pipe2(toChild, O_CLOEXEC) != 0) return false;
    if (::pipe2(toParent, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    // The child's ends are moved above the fixed numbers first, so that no dup2 maps a
    // descriptor onto itself and keeps its close-on-exec flag.
    const int childRequest = ::fcntl(toChild[0], F_DUPFD_CLOEXEC, 10);
    const int childReply = ::fcntl(toParent[1], F_DUPFD_CLOEXEC, 10);
    const bool prepared = childRequest >= 0 && childReply >= 0 &&
                          posix_spawn_file_actions_adddup2(&actions, childRequest, kRequestFd) == 0 &&
                          posix_spawn_file_actions_adddup2(&actions, childReply, kReplyFd) == 0;
    char self[] = "/proc/self/exe";
    std::string serve = kServeRuns;
    char* args[] = {self, serve.data(), nullptr};
    const bool spawned = prepared && posix_spawn(&pid_, self, &actions, nullptr, args, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : {toChild[0], toParent[1], childRequest, childReply}) {
      if (fd >= 0) ::close(fd);
    }
    request_ = toChild[1];
    reply_ = toParent[0];
    if (!spawned) pid_ = -1;
    return spawned;
  }

  // The loop of the launcher process: runs what the requests ask until they end.
  static int Serve() {
    std::string cli;
    std::string option;
    std::string dir;
    while (ReadString(kRequestFd, cli) && ReadString(kRequestFd, option) && ReadString(kRequestFd, dir)) {
      const RunSample sample = RunCli(cli, option, dir);
      if (!WriteAll(kReplyFd, &sample, sizeof sample)) return 1;
    }
    return 0;
  }

  RunSample Run(const std::string& cli, const std::string& option, const std::string& dir) {
    RunSample sample;
    if (!WriteString(request_, cli) || !WriteString(request_, option) || !WriteString(request_, dir) ||
        !ReadAll(reply_, &sample, sizeof sample)) {
      return RunSample{};
    }
    return sample;
  }

 private:
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

// A picture of the site: its filtered rows, recovered from its IDAT data, and that data.
struct PictureData {
  std::vector<std::uint8_t> rows;
  std::string idat;
};

// The picture inside a PNG file (8-bit indexed, as the run writes them); nullopt for anything
// else.
std::optional<PictureData> PngPicture(const std::string& png) {
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
  PictureData picture;
  picture.rows.resize(static_cast<std::size_t>(rowsLength));
  uLongf rowsSize = static_cast<uLongf>(picture.rows.size());
  if (uncompress(picture.rows.data(), &rowsSize, reinterpret_cast<const Bytef*>(idat.data()),
                 static_cast<uLong>(idat.size())) != Z_OK ||
      rowsSize != picture.rows.size()) {
    return std::nullopt;
  }
  picture.idat = std::move(idat);
  return picture;
}

std::vector<PictureData> SitePictures(const SiteImage& image) {
  std::vector<PictureData> pictures;
  for (const auto& [path, bytes] : image.files) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) continue;
    if (auto picture = PngPicture(bytes)) pictures.push_back(std::move(*picture));
  }
  return pictures;
}

// Deflates `rows` at the default level on `stream`, reset first: the same steps and bytes as
// zlib's compress, without setting up and freeing the stream's state for every picture.
bool DeflateOnStream(z_stream& stream, const std::vector<std::uint8_t>& rows,
                     std::vector<std::uint8_t>& out) {
  if (deflateReset(&stream) != Z_OK) return false;
  out.resize(compressBound(static_cast<uLong>(rows.size())));
  stream.next_in = const_cast<Bytef*>(rows.data());
  stream.avail_in = static_cast<uInt>(rows.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) return false;
  out.resize(stream.total_out);
  return true;
}

// The compression the run cannot avoid: every picture's rows deflated once at the default
// level, one stream reset per picture, on one core. Negative when zlib fails.
double TimeDeflateOnce(const std::vector<PictureData>& pictures) {
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return -1;
  std::vector<std::uint8_t> out;
  bool ok = true;
  const double start = Now();
  for (const PictureData& picture : pictures) ok = ok && DeflateOnStream(stream, picture.rows, out);
  const double seconds = Now() - start;
  deflateEnd(&stream);
  return ok ? seconds : -1;
}

// That deflating once gives the bytes of zlib's compress, and those the site holds.
bool DeflateOnceMatchesCompress(const std::vector<PictureData>& pictures) {
  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
  std::vector<std::uint8_t> once;
  std::vector<std::uint8_t> compressed;
  bool same = true;
  for (const PictureData& picture : pictures) {
    uLongf size = compressBound(static_cast<uLong>(picture.rows.size()));
    compressed.resize(size);
    same = same && DeflateOnStream(stream, picture.rows, once) &&
           compress(compressed.data(), &size, picture.rows.data(), static_cast<uLong>(picture.rows.size())) ==
               Z_OK;
    compressed.resize(size);
    same = same && once == compressed &&
           std::equal(once.begin(), once.end(), picture.idat.begin(), picture.idat.end(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    if (!same) break;
  }
  deflateEnd(&stream);
  return same;
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
    return Failed(result, "cannot write the demo game into " + dir);
  }
  result.generate = Now() - start;
  result.records = RecordCount(summary);
  std::fprintf(stderr, "scale %u: demo game with %llu records, %u item pictures written in %.2f s\n", scale,
               static_cast<unsigned long long>(result.records), summary.itemPictures, result.generate);

  std::vector<double> walls, cpus, rss, serialWalls, floors, floorCpus, deflates;
  std::optional<SiteImage> image;
  std::vector<PictureData> pictures;
  for (int i = 1; i <= options.repeat; ++i) {
    const std::string round = std::to_string(i);
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
    if (!image) {
      image = ReadSite(dir + "/site-1");
      const std::optional<SiteImage> serialImage = ReadSite(dir + "/site-jobs1-1");
      if (!image || !serialImage) return Failed(result, "cannot read the sites in " + dir);
      if (image->directories != serialImage->directories || image->files != serialImage->files) {
        return Failed(result, "the site of --jobs 1 differs from the default one in " + dir);
      }
      result.files = image->files.size();
      result.bytes = image->bytes;
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
        "scale %u, round %d: run %.3f s (CPU user %.3f + sys %.3f, peak %ld KiB), --jobs 1 %.3f s (CPU %.3f),"
        " floor %.3f s (CPU %.3f), deflate once %.3f s\n",
        scale, i, run.wall, run.user, run.system, run.maxRssKiB, serial.wall, serial.user + serial.system,
        floorWall, floorCpu, deflate);
  }
  result.run.wall = Median(walls);
  result.runCpu = Median(cpus);
  result.run.maxRssKiB = static_cast<long>(Median(rss));
  result.serial.wall = Median(serialWalls);
  result.floor = Median(floors);
  result.floorCpu = Median(floorCpus);
  result.deflateOnce = Median(deflates);
  return result;
}

void PrintTable(const std::vector<ScaleResult>& results) {
  std::printf(
      "| scale | records | files | pictures | MiB written | run wall s | --jobs 1 wall s | --jobs 1 / run |"
      " floor wall s | deflate once s | run/(floor+deflate once) | run CPU s | floor CPU s | peak RSS MiB |"
      " us/record | us/file | per file vs first |\n");
  std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  double firstPerFile = 0;
  for (const ScaleResult& r : results) {
    const double perRecord = r.records == 0 ? 0 : r.run.wall / static_cast<double>(r.records) * 1e6;
    const double perFile = r.files == 0 ? 0 : r.run.wall / static_cast<double>(r.files) * 1e6;
    if (firstPerFile == 0) firstPerFile = perFile;
    const double limit = r.floor + r.deflateOnce;
    std::printf(
        "| %u | %llu | %zu | %zu | %.1f | %.3f | %.3f | %.2f | %.3f | %.3f | %.2f | %.3f | %.3f | %.1f | "
        "%.1f | %.1f |"
        " %.2f |\n",
        r.scale, static_cast<unsigned long long>(r.records), r.files, r.pictures,
        static_cast<double>(r.bytes) / (1024.0 * 1024.0), r.run.wall, r.serial.wall,
        r.run.wall > 0 ? r.serial.wall / r.run.wall : 0, r.floor, r.deflateOnce,
        limit > 0 ? r.run.wall / limit : 0, r.runCpu, r.floorCpu,
        static_cast<double>(r.run.maxRssKiB) / 1024.0, perRecord, perFile,
        firstPerFile > 0 ? perFile / firstPerFile : 0);
  }
  for (const ScaleResult& r : results) {
    std::printf("\nscale %u: demo game written in %.2f s", r.scale, r.generate);
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
