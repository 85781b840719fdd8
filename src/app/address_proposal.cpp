#include "app/address_proposal.h"

namespace gvde {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string TableLines(TableKey key, const TableFinding& finding) {
  const std::string name(KeyName(key));
  if (finding.candidates.empty()) {
    return "; " + name + ": nothing found; write its address here by hand\n" + name + "=\n";
  }
  const TableCandidate& best = finding.candidates.front();
  std::string lines = "; " + name + ": " + DescribeEvidence(key, best.evidence) + "; " +
                      (finding.confident ? "high confidence" : "low confidence, check it") + "\n";
  if (finding.candidates.size() > 1) {
    lines += "; runners-up:";
    for (std::size_t i = 1; i < finding.candidates.size(); ++i) {
      lines += (i > 1 ? ", " : " ") + CandidateText(key, finding.candidates[i]);
    }
    lines += "\n";
  }
  return lines + name + "=" + AddressText(best.address) + "\n";
}

std::string TitleLines(const std::vector<TitleCandidate>& titles) {
  const TitleCandidate& best = titles.front();
  std::string lines = "; Title: ";
  if (best.text.empty()) {
    lines += "no readable text found; this address only lets a run start: check it\n";
  } else if (best.versionLike) {
    lines += Quoted(best.text) + ", a version text\n";
  } else {
    lines += Quoted(best.text) + " does not look like a version text: check it\n";
  }
  // Beside a version text only other version texts are worth a look; beside none, any text.
  std::string others;
  for (std::size_t i = 1; i < titles.size(); ++i) {
    if (best.versionLike && !titles[i].versionLike) continue;
    others += (others.empty() ? " " : ", ") + AddressText(titles[i].address) + " " + Quoted(titles[i].text);
  }
  if (!others.empty()) lines += "; other candidates:" + others + "\n";
  return lines + "Title=" + AddressText(best.address) + "\n";
}

std::string Summary(const FoundAddresses& found) {
  std::string unsure;
  for (const TableKey key : kTableKeys) {
    if (found.Of(key).confident) continue;
    unsure += (unsure.empty() ? "" : ", ") + std::string(KeyName(key));
  }
  if (unsure.empty()) return "; All six tables were found with high confidence.\n";
  return "; Not found with high confidence: " + unsure + ".\n";
}

}  // namespace

std::string CandidateText(TableKey key, const TableCandidate& candidate) {
  return AddressText(candidate.address) + " (" + DescribeEvidence(key, candidate.evidence) + ")";
}

std::string ProposedAddressIni(const FoundAddresses& found) {
  std::string text =
      "; Address.ini proposed by gvde-cli --find-addresses. Each key comes with the evidence for it;\n"
      "; docs/finding-addresses.md tells how the tables are found and how to judge them.\n";
  for (const TableKey key : kTableKeys) text += TableLines(key, found.Of(key));
  text += TitleLines(found.titles);
  return text + Summary(found);
}

}  // namespace gvde
