// gvde-cli --compare OLD.json NEW.json: prints what differs between two data documents.
#pragma once

#include <cstdio>
#include <string>

#include "compare/compare_documents.h"

namespace gvde {

// Prints the report to `out`, or the error to `err` as "Error: <message>" and an indented
// detail line. Returns the exit status: 0 identical, 1 different, 2 trouble.
int RunComparison(const std::string& oldPath, const std::string& newPath, const CompareOptions& options,
                  std::FILE* out, std::FILE* err);

}  // namespace gvde
