// What Find in Library shows of its hits, in both programs: one search (the
// hits of the chosen volumes that the selection criteria accept, in the
// order Browse would list them), and a hit as one line.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "search/LibraryIndex.h"

namespace vorne {

// The effective date as the Database export writes it, trimmed.
std::string EffectiveText(const TIndexedSheet& hit);
// code, company, volume, sheet name, status, effective date, snippet,
// separated by tabs (a tab inside a field becomes a blank).
std::string HitLine(const TIndexedSheet& hit, const std::string& snippet);

// The lines of a sheet that hold a hit of query (a phrase across a line end
// marks both lines), by index.
std::vector<int> HitLines(const TQuery& query, const std::vector<std::string>& lines);

// One search over an index made current first: the library's prime file,
// whether it is compressed, the query, which volumes, which sheets.
struct TFindRequest {
  std::string query;
  std::vector<int32_t> volumes;  // FirstHdr in list order
  const TSheetFilter* filter = nullptr;
};
struct TFindAnswer {
  THits hits;  // valid until the index's next Refresh
  std::string error;        // a query the language cannot read, or a failed index
  bool usageError = false;  // error is about the query
  bool cancelled = false;
  std::chrono::milliseconds time{0};  // of the search, the refresh left out
};
// Refreshes index (progress as TLibraryIndex::Refresh) and searches it.
TFindAnswer FindInLibrary(TLibraryIndex& index, const TFindRequest& request,
                          const TLibraryIndex::TProgress& progress = nullptr);

}  // namespace vorne
