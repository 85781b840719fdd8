// The Address.ini that the table finder proposes: one line per key, each after a ";" comment
// with its evidence, its confidence and its runners-up, so that a user can judge it.
#pragma once

#include <string>

#include "game/table_finder.h"

namespace gvde {

// Lines end with "\n". A key with no candidate at all gets an empty value (a run then names
// it); the Title always gets an address.
std::string ProposedAddressIni(const FoundAddresses& found);

// "4A1000 (165 records, 165 names readable, 164 with fields in range)"
std::string CandidateText(TableKey key, const TableCandidate& candidate);

}  // namespace gvde
