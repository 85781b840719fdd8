// gvde-cli --find-addresses (declared in setup_commands.h).
#include <memory>

#include "app/address_proposal.h"
#include "app/config_files.h"
#include "app/setup_commands.h"
#include "game/executable.h"
#include "game/table_finder.h"
#include "platform/file_error.h"
#include "site/run_messages.h"

namespace gvde {

CommandOutput FindAddresses(const std::string& gameDir, const std::string& writeDir) {
  CommandOutput output;
  const std::string exePath = gameDir + "GV.exe";
  ClearFileError();
  // The run's loader, with the run's limits.
  const std::unique_ptr<executable> exe = executable::Create(exePath);
  if (exe->status != kExeOk) {
    output.err = ErrorLines(std::string(kCannotOpenExe), DescribeExeStatus(exePath, exe->status));
    output.exitCode = 1;
    return output;
  }
  const FoundAddresses found = FindTableAddresses(*exe);
  output.out = ProposedAddressIni(found);
  output.exitCode = found.AllConfident() ? 0 : 1;
  if (!writeDir.empty()) WriteConfigFiles(writeDir, output.out, output);
  return output;
}

}  // namespace gvde
