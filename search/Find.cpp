#include "search/Find.h"

#include <algorithm>

#include "store/Common.h"
#include "store/Headers.h"
#include "volumes/Export.h"

namespace vorne {

std::string EffectiveText(const TIndexedSheet& hit) { return TrimBoth(DateField(hit.effectiveDate)); }

std::string HitLine(const TIndexedSheet& hit, const std::string& snippet) {
  // A field never holds a tab or line end of its own: the line stays seven columns.
  std::string line;
  bool first = true;
  for (const std::string& f : {hit.Code(), hit.Company(), hit.VolumeName(), hit.name, StatusName(hit.status),
                               EffectiveText(hit), snippet}) {
    if (!first) line += '\t';
    first = false;
    for (char c : f) line += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
  }
  return line;
}

std::vector<int> HitLines(const TQuery& query, const std::vector<std::string>& lines) {
  std::string text;
  std::vector<size_t> lineStart;
  for (const std::string& l : lines) {
    lineStart.push_back(text.size());
    text += l;
    text += '\n';
  }
  const std::vector<TTextWord> words = SplitWords(text);
  auto lineOf = [&](size_t offset) {
    return int(std::upper_bound(lineStart.begin(), lineStart.end(), offset) - lineStart.begin()) - 1;
  };
  std::vector<int> marked;
  for (const auto& [first, last] : query.Hits(words))
    for (int l = lineOf(words[first].start); l <= lineOf(words[last].start); ++l)
      if (marked.empty() || marked.back() < l) marked.push_back(l);
  return marked;
}

TFindAnswer FindInLibrary(TLibraryIndex& index, const TFindRequest& request,
                          const TLibraryIndex::TProgress& progress) {
  TFindAnswer answer;
  const std::optional<TQuery> query = TQuery::Parse(request.query, answer.error);
  if (!query) {
    answer.usageError = true;
    return answer;
  }
  const TLibraryIndex::TRefresh r = index.Refresh(progress);
  if (r == TLibraryIndex::TRefresh::Cancelled) {
    answer.cancelled = true;
    return answer;
  }
  if (r == TLibraryIndex::TRefresh::Failed) {
    answer.error = index.Error();
    return answer;
  }
  const auto start = std::chrono::steady_clock::now();
  answer.hits = index.Search(*query, &request.volumes, request.filter);
  if (!index.Error().empty()) answer.error = index.Error();
  answer.time = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return answer;
}

}  // namespace vorne
