// TFindInLibrary: the "Find in Library" window as a model. A query box
// searched as the person types (the view waits for a pause, then calls
// Search), the hits of the marked volumes or of the whole library, narrowed
// by the status and date filters of the selection criteria when asked, the
// count and time, and Open, which lists the hit's volume in the sheet list,
// selects the hit there and gives the lines to mark in the sheet text.
//
// The index of the open library is made current before each search; while a
// fresh index is built, Progress() says how far it is and CancelIndexing
// ends it (the volumes done stay indexed). The main window model is
// borrowed and must outlive this one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/Find.h"
#include "volumes/Selection.h"

namespace vorne {

class TMain;

inline constexpr char kFindInLibraryCaption[] = "Find in Library";

class TFindInLibrary {
 public:
  explicit TFindInLibrary(TMain& main);
  ~TFindInLibrary();

  std::function<void()> onChanged;

  // ---- what the person sets ----
  void SetQuery(const std::string& query) { query_ = query; }
  const std::string& Query() const { return query_; }
  void SetMarkedOnly(bool on) { markedOnly_ = on; }
  bool MarkedOnly() const { return markedOnly_; }
  // The status and date filters of the selection criteria narrow the hits.
  void SetUseCriteria(bool on) { useCriteria_ = on; }
  bool UseCriteria() const { return useCriteria_; }

  // Searches the query; an empty query empties the list. Called again while
  // it builds the index, it searches the newest query after it.
  void Search();
  void CancelIndexing() { cancel_ = true; }

  // ---- what the window shows ----
  bool Indexing() const { return indexing_; }
  // Volumes indexed and to index while Indexing().
  std::pair<size_t, size_t> Progress() const { return progress_; }
  // "12 sheets found in 8 ms", a message saying what went wrong, or "".
  const std::string& CountText() const { return countText_; }
  bool CountIsError() const { return countIsError_; }
  const THits& Hits() const { return hits_; }
  // The snippet of hit i as plain and hit pieces (read from the library once).
  const TSnippetParts& SnippetOf(size_t i);
  std::string EffectiveOf(size_t i) const { return EffectiveText(*hits_.at(i)); }

  // Lists hit i's volume in the sheet list (its sheets as the criteria in
  // use here select them) and selects the hit there; the sheet is then the
  // list's current sheet. False when it is no longer in the library.
  bool Open(size_t i);
  // The lines of the sheet text window's lines that hold a hit of the last query.
  std::vector<int> LinesToMark(const std::vector<std::string>& lines) const;

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  const TSheetFilter* Filter();
  void SearchOnce();

  TMain& main_;
  std::string query_;
  std::optional<TQuery> parsed_;
  bool markedOnly_ = false;
  bool useCriteria_ = false;
  TSelection criteria_;
  std::unique_ptr<TLibraryIndex> index_;
  std::string indexedPrime_;
  bool indexing_ = false;
  bool cancel_ = false;
  bool searching_ = false, again_ = false;
  std::pair<size_t, size_t> progress_{0, 0};
  std::string countText_;
  bool countIsError_ = false;
  THits hits_;
  std::vector<std::optional<TSnippetParts>> snippets_;
};

}  // namespace vorne
