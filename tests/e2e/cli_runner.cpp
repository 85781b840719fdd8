#include "cli_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

}  // namespace

CommandResult RunProgram(const std::string& cwd, const std::string& program, const std::vector<std::string>& args) {
  static int counter = 0;
  const std::string capture = std::filesystem::temp_directory_path() /
                              ("gvde-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::string command = "cd " + Quote(cwd) + " && " + Quote(program);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " </dev/null >" + Quote(capture + ".out") + " 2>" + Quote(capture + ".err");
  const int status = std::system(command.c_str());
  CommandResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFileText(capture + ".out");
  result.err = ReadFileText(capture + ".err");
  std::remove((capture + ".out").c_str());
  std::remove((capture + ".err").c_str());
  return result;
}

std::string WithoutSummary(const std::string& err) {
  if (err.empty() || err.back() != '\n') return err;
  const std::size_t start = err.rfind('\n', err.size() - 2);
  const std::size_t lineStart = start == std::string::npos ? 0 : start + 1;
  return err.compare(lineStart, 6, "Wrote ") == 0 ? err.substr(0, lineStart) : err;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(dir, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (error) break;
    if (it->is_regular_file()) files.push_back(std::filesystem::relative(it->path(), dir).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace gvde::testkit
