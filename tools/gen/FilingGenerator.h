// Writes realistic tariff filings in the fixed-position filing format:
// pipeline companies with one or more volumes, issuing officers, dockets
// with compliance dockets and order citations, sheets of every type in both
// orientations and all pitches, later filings revising earlier sheets, and
// a few deliberate record errors that an import's log must report.
// Deterministic: the same seed gives the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne::gen {

struct TGenFiling {
  std::string name;  // file name, e.g. "CRP0301.ASC"
  std::string text;  // CR LF lines
  int sheets = 0;    // type 3 records written
};

struct TGenOptions {
  uint32_t seed = 1;
  int companies = 6;
  int filingsPerCompany = 3;
  int sheetsPerFiling = 18;  // new or revised sheets per filing and volume
  bool withErrors = true;
};

std::vector<TGenFiling> GenerateFilings(const TGenOptions& options);

}  // namespace vorne::gen
