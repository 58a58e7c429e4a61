// The query language of Find in Library, and the matching of a query against
// the words of one sheet's text.
//
// A word is a run of letters and digits of Windows-1252; words compare with
// letter case folded by the program's own case rules (LowerChar), so "Ñ" and
// "ñ" are one letter. A query is parts separated by blanks, all of which must
// occur in the sheet, in any order:
//   word         the word itself
//   word*        any word that begins with it
//   "a b c"      the words consecutive and in this order (across line ends)
//   part OR part either part; OR binds closer than the blank, so
//                `rate OR fuel gas` means (rate or fuel) and gas
// A bare part holding several words ("RP96-1-000") is a phrase of them. OR is
// an operator only in capitals; "or" is an ordinary word.
//
// Failure channel: TQuery::Parse returns nullopt and sets a message that says
// where the problem is ("character 7: ..."), counting from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorne {

// Whether c is a letter or digit of Windows-1252.
bool IsWordChar(char c);
// One word of a text: where it stands and its folded form.
struct TTextWord {
  size_t start = 0;
  size_t length = 0;
  std::string folded;
};
// The words of text, in order.
std::vector<TTextWord> SplitWords(std::string_view text);
// One folded word as the full-text index holds it: in UTF-8 (each byte read
// as Latin-1), so that the full-text engine sees valid text.
std::string IndexTerm(std::string_view folded);

// One part of a query: a phrase of one or more folded words; prefix means the
// last word only begins a word.
struct TQueryTerm {
  std::vector<std::string> words;
  bool prefix = false;
};

class TQuery {
 public:
  static std::optional<TQuery> Parse(std::string_view text, std::string& error);

  // Every group must hold; a group holds when one of its terms does.
  const std::vector<std::vector<TQueryTerm>>& Groups() const { return groups_; }

  // The expression for the full-text engine's MATCH: only index terms built
  // here, each in double quotes, so no text of the person reaches it raw.
  std::string MatchExpression() const;

  // Whether the words of a sheet satisfy the query (the plain scan that the
  // index must agree with).
  bool Matches(const std::vector<TTextWord>& words) const;
  // The hits of every term in words: [first, last] word indexes, in text
  // order, overlapping hits merged.
  std::vector<std::pair<size_t, size_t>> Hits(const std::vector<TTextWord>& words) const;

 private:
  std::vector<std::vector<TQueryTerm>> groups_;
};

// Some text around the first hit of query in text, blanks and line ends
// shown as one blank, as pieces that are a hit (true) or not; empty when
// nothing hits. The pieces hold at most maxLength characters in all.
using TSnippetParts = std::vector<std::pair<std::string, bool>>;
TSnippetParts SnippetParts(const TQuery& query, std::string_view text, size_t maxLength);
// The snippet of at most 80 characters with every hit in [brackets].
std::string Snippet(const TQuery& query, std::string_view text);

}  // namespace vorne
