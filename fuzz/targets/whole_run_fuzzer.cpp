// A whole run on the demo game with a damaged GV.exe (archives intact). The input is a
// flags byte (bit 0: technical info) followed by 8-byte patches: a 32-bit file offset
// (taken modulo the file size) and a 32-bit value written there, little-endian.
// Every run must end with "Done" or with exactly one error message.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/startup_config.h"
#include "demogame/demo_game.h"
#include "effects/effect_descriptions.h"
#include "fuzz_support.h"
#include "game/executable.h"
#include "platform/file_system.h"
#include "site/extraction_run.h"
#include "testkit/recording_host.h"

namespace {

using gvde::testkit::HostCall;

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Demo {
  std::string gameDir;
  std::string outputDir;
  std::vector<std::uint8_t> exe;
  gvde::Configuration configuration;
};

// The demo game and its configuration, written once per process.
const Demo& DemoGame() {
  static const Demo demo = [] {
    Demo d;
    const std::string root = gvde::fuzz::ScratchDir() + "/demo";
    Require(gvde::MakeDirectory(root));
    Require(gvde::demogame::WriteDemoGame(root, gvde::demogame::DemoOptions{}, nullptr));
    const gvde::StartupResult startup = gvde::LoadStartupConfiguration(root + "/");
    Require(startup.ok);
    d.configuration = startup.configuration;
    d.gameDir = root + "/game/";
    d.outputDir = root + "/site/";
    Require(gvde::MakeDirectory(d.outputDir));
    const std::optional<std::vector<std::uint8_t>> exe = gvde::ReadWholeFile(d.gameDir + "GV.exe", gvde::kMaxExecutableFileSize);
    Require(exe && exe->size() >= 4);
    d.exe = *exe;
    gvde::InitEffectFormatters();
    return d;
  }();
  return demo;
}

std::vector<std::uint8_t> Patched(const std::vector<std::uint8_t>& exe, gvde::fuzz::InputReader& input) {
  std::vector<std::uint8_t> patched = exe;
  while (input.Remaining() >= 8) {
    const std::size_t offset = input.U32() % patched.size();
    const std::uint32_t value = input.U32();
    for (std::size_t k = 0; k < 4 && offset + k < patched.size(); ++k)
      patched[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
  }
  return patched;
}

// Questions may come first; then exactly one "Done" or one error, as the last call.
void CheckEnding(const gvde::testkit::RecordingHost& host, bool done) {
  const std::vector<HostCall>& calls = host.calls();
  Require(!calls.empty());
  std::size_t endings = 0;
  for (const HostCall& call : calls) endings += call.kind != HostCall::kAskExit ? 1 : 0;
  Require(endings == 1 && calls.back().kind != HostCall::kAskExit);
  Require(done == (calls.back().kind == HostCall::kShowDone));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Demo& demo = DemoGame();
  gvde::fuzz::InputReader input(data, size);
  const std::uint8_t flags = input.U8();
  Require(gvde::fuzz::WriteBytes(demo.gameDir + "GV.exe", Patched(demo.exe, input)));

  gvde::RunInputs inputs;
  inputs.gameDir = demo.gameDir;
  inputs.outputDir = demo.outputDir;
  inputs.technicalInfo = (flags & 1) != 0;
  gvde::testkit::RecordingHost host(false);
  const bool done = gvde::StartExtraction(inputs, demo.configuration, host);
  CheckEnding(host, done);
  return 0;
}
