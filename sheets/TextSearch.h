// The text search of one sheet: a phrase of upper-case words and a page of
// lines scanned for it. Words of a phrase may be separated by any run of
// spaces and by one line end, never by a blank line; a word must not run on
// into a letter or digit, though it may end a longer word ("FIRSTRATE"
// holds "RATE"). Only the first occurrence of the first word in a line is
// tried: when it fails, the scan goes on with the next line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorne {

class TSearchPhrase {
 public:
  // Upper case (ASCII) of the phrase trimmed at both ends, split at every
  // space; two spaces in a row give an empty word.
  explicit TSearchPhrase(const std::string& phrase);
  const std::vector<std::string>& Words() const { return words_; }
  bool Multi() const { return multi_; }

 private:
  std::vector<std::string> words_;
  bool multi_ = false;
};

class TSearchPage {
 public:
  explicit TSearchPage(std::vector<std::string> lines);

  // Scans from the first line; false when the phrase is nowhere.
  bool Search(const TSearchPhrase& phrase);
  // The next hit after the last one; false at the end of the page.
  bool FindPhrase();

  // The hit: FoundLine (where the first word was found, or the next line
  // when it ended its line and more words follow) through EndLine. FoundLine
  // is -1 when nothing was found.
  int32_t FoundLine() const { return foundLine_; }
  int32_t EndLine() const { return endLine_; }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  bool FindFirstWord();
  bool MatchWordAt(size_t k);
  void Advance();
  int32_t Count() const { return int32_t(lines_.size()); }

  std::vector<std::string> lines_;
  int32_t foundLine_ = -1;
  int32_t endLine_ = -1;
  int32_t line_ = 0;
  std::string rest_;  // upper case, not yet scanned part of line_
  const TSearchPhrase* phrase_ = nullptr;
};

}  // namespace vorne
