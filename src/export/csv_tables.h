// gvde-cli --csv DIR: one CSV file per record category (items.csv, uniques.csv, ...) with the
// data document's fields as columns, for spreadsheets.
#pragma once

#include <string>
#include <vector>

#include "export/data_document.h"

namespace gvde {

class ReplacingFiles;

// The names of the six files, in the order they are written ("items.csv", ...).
std::vector<std::string> CsvTableNames();

// Writes the six files into `dir` (a path prefix ending in a separator) as the next files of
// `files`, to be renamed over their names when they commit. False when one cannot be written
// (files.FailedPath() names it).
bool AddCsvTables(ReplacingFiles& files, const std::string& dir, const DataSources& sources);

}  // namespace gvde
