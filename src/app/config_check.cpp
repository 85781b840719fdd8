// gvde-cli --check (declared in setup_commands.h).
#include <memory>
#include <optional>
#include <vector>

#include "app/address_proposal.h"
#include "app/setup_commands.h"
#include "app/startup_config.h"
#include "game/executable.h"
#include "game/readable_text.h"
#include "game/table_finder.h"
#include "game/table_probe.h"
#include "platform/file_error.h"
#include "site/run_messages.h"

namespace gvde {
namespace {

struct KeyJudgement {
  TableKey key;
  std::uint32_t address;
  TableEvidence evidence;
  gvde::Verdict verdict;
};

std::vector<KeyJudgement> JudgeTables(const executable& exe, const TableAddresses& addresses) {
  const TableRelations relations = RelationsOf(exe, addresses.itemTable, addresses.monsterTable);
  std::vector<KeyJudgement> judged;
  for (const TableKey key : kTableKeys) {
    const std::uint32_t address = AddressOf(addresses, key);
    const TableEvidence evidence = ProbeTable(exe, key, address, relations);
    judged.push_back({key, address, evidence, Judge(key, evidence)});
  }
  return judged;
}

// What the finder proposes instead of a table that does not look right.
std::string Proposal(const KeyJudgement& judged, const FoundAddresses& found) {
  const TableFinding& finding = found.Of(judged.key);
  if (finding.candidates.empty()) return "  the finder found nothing like the " + std::string(TableTitle(judged.key)) + "\n";
  const TableCandidate& best = finding.candidates.front();
  if (best.address == judged.address) return "  the finder found nothing better\n";
  return "  the finder proposes " + std::string(KeyName(judged.key)) + "=" + CandidateText(judged.key, best) +
         (finding.confident ? "" : ", with low confidence") + "\n";
}

std::string TitleLine(const executable& exe, std::uint32_t title) {
  const std::string head = "Title " + AddressText(title) + ": ";
  const std::optional<std::string> text = exe.TranslateString(title);
  if (!text) return head + "lies in no section of GV.exe; the site's title reads <NO STRING>\n";
  const std::string quoted = "\"" + text->substr(0, kMaxReadableText) + "\"";
  if (!IsReadableText(*text)) return head + quoted + " is not readable text\n";
  return head + quoted + (LooksLikeVersionText(*text) ? ": ok\n" : ": does not look like a version text\n");
}

std::string VerdictLine(const std::vector<KeyJudgement>& judged) {
  std::vector<std::string> names;
  for (const KeyJudgement& j : judged) {
    if (j.verdict != Verdict::Ok) names.emplace_back(KeyName(j.key));
  }
  if (names.empty()) return "Verdict: every table looks right\n";
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  }
  return "Verdict: " + list + (names.size() == 1 ? " does" : " do") + " not look right\n";
}

}  // namespace

CommandOutput CheckConfiguration(const std::string& configDir, const std::string& gameDir) {
  CommandOutput output;
  const StartupResult startup = LoadStartupConfiguration(configDir);
  for (const std::string& warning : startup.warnings) output.err += "Warning: " + warning + "\n";
  if (!startup.ok) {
    output.err += ErrorLines(startup.message, startup.detail);
    output.exitCode = 2;
    return output;
  }
  const std::string exePath = gameDir + "GV.exe";
  ClearFileError();
  const std::unique_ptr<executable> exe = executable::Create(exePath);
  if (exe->status != kExeOk) {
    output.err += ErrorLines(std::string(kCannotOpenExe), DescribeExeStatus(exePath, exe->status));
    output.exitCode = 1;
    return output;
  }
  const TableAddresses& addresses = startup.configuration.addresses;
  const std::vector<KeyJudgement> judged = JudgeTables(*exe, addresses);
  std::optional<FoundAddresses> found;
  for (const KeyJudgement& j : judged) {
    output.out += std::string(KeyName(j.key)) + " " + AddressText(j.address) + ": " +
                  DescribeEvidence(j.key, j.evidence) + ": " + std::string(VerdictWord(j.verdict)) + "\n";
    if (j.verdict == Verdict::Ok) continue;
    if (!found) found = FindTableAddresses(*exe);
    output.out += Proposal(j, *found);
  }
  output.out += TitleLine(*exe, addresses.title);
  output.out += VerdictLine(judged);
  output.exitCode = found ? 1 : 0;
  return output;
}

}  // namespace gvde
