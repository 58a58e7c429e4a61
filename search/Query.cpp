#include "search/Query.h"

#include <algorithm>

#include "store/Common.h"

namespace vorne {

bool IsWordChar(char c) {
  const auto u = uint8_t(c);
  if (u < 0x80) return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
  // Letters with a case partner, and the few without one (ƒ, ª, µ, º, ß).
  if (UpperChar(c) != c || LowerChar(c) != c) return true;
  return u == 0x83 || u == 0xAA || u == 0xB5 || u == 0xBA || u == 0xDF;
}

std::vector<TTextWord> SplitWords(std::string_view text) {
  std::vector<TTextWord> words;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsWordChar(text[i])) {
      ++i;
      continue;
    }
    TTextWord w;
    w.start = i;
    while (i < text.size() && IsWordChar(text[i])) w.folded.push_back(LowerChar(text[i++]));
    w.length = i - w.start;
    words.push_back(std::move(w));
  }
  return words;
}

std::string IndexTerm(std::string_view folded) {
  std::string out;
  out.reserve(folded.size());
  for (char c : folded) {
    const auto u = uint8_t(c);
    if (u < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(char(0xC0 | (u >> 6)));
      out.push_back(char(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string At(size_t pos, const std::string& what) { return "character " + std::to_string(pos + 1) + ": " + what; }

// One item of the query as written: a term or the word OR.
struct TItem {
  size_t pos = 0;
  bool isOr = false;
  TQueryTerm term;
};

std::vector<std::string> FoldedWords(std::string_view text) {
  std::vector<std::string> words;
  for (TTextWord& w : SplitWords(text)) words.push_back(std::move(w.folded));
  return words;
}

// The length of the term at word i of words, or 0 when it does not stand there.
size_t MatchAt(const TQueryTerm& term, const std::vector<TTextWord>& words, size_t i) {
  const size_t n = term.words.size();
  if (n == 0 || i + n > words.size()) return 0;
  for (size_t k = 0; k < n; ++k) {
    const std::string& have = words[i + k].folded;
    const std::string& want = term.words[k];
    const bool last = k + 1 == n;
    if (last && term.prefix ? have.compare(0, want.size(), want) != 0 : have != want) return 0;
  }
  return n;
}

bool TermOccurs(const TQueryTerm& term, const std::vector<TTextWord>& words) {
  for (size_t i = 0; i < words.size(); ++i)
    if (MatchAt(term, words, i)) return true;
  return false;
}

}  // namespace

std::optional<TQuery> TQuery::Parse(std::string_view text, std::string& error) {
  std::vector<TItem> items;
  size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    TItem item;
    item.pos = i;
    if (text[i] == '"') {
      const size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) {
        error = At(i, "the quote is not closed");
        return std::nullopt;
      }
      item.term.words = FoldedWords(text.substr(i + 1, close - i - 1));
      if (item.term.words.empty()) {
        error = At(i, "the quotes hold no word");
        return std::nullopt;
      }
      i = close + 1;
      if (i < text.size() && text[i] == '*') {
        item.term.prefix = true;
        ++i;
      }
      if (i < text.size() && !IsBlank(text[i])) {
        error = At(i, "a blank must follow the closing quote");
        return std::nullopt;
      }
      items.push_back(std::move(item));
      continue;
    }
    size_t end = i;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != '"') ++end;
    std::string_view token = text.substr(i, end - i);
    if (token == "OR") {
      item.isOr = true;
    } else {
      const size_t star = token.find('*');
      if (star != std::string_view::npos && star + 1 != token.size()) {
        error = At(i + star, "* may only end a word");
        return std::nullopt;
      }
      item.term.prefix = star != std::string_view::npos;
      item.term.words = FoldedWords(token.substr(0, star));
      if (item.term.words.empty()) {
        error = At(i, "\"" + std::string(token) + "\" holds no letter or digit");
        return std::nullopt;
      }
      if (item.term.prefix && !IsWordChar(token[star - 1])) {
        error = At(i + star, "* must follow a letter or digit");
        return std::nullopt;
      }
    }
    items.push_back(std::move(item));
    i = end;
  }
  if (items.empty()) {
    error = "the query holds no word to find";
    return std::nullopt;
  }
  TQuery q;
  bool joinNext = false;
  for (size_t k = 0; k < items.size(); ++k) {
    TItem& it = items[k];
    if (it.isOr) {
      if (k == 0 || items[k - 1].isOr) {
        error = At(it.pos, "OR needs a part before it");
        return std::nullopt;
      }
      if (k + 1 == items.size() || items[k + 1].isOr) {
        error = At(it.pos, "OR needs a part after it");
        return std::nullopt;
      }
      joinNext = true;
      continue;
    }
    if (joinNext)
      q.groups_.back().push_back(std::move(it.term));
    else
      q.groups_.push_back({std::move(it.term)});
    joinNext = false;
  }
  return q;
}

std::string TQuery::MatchExpression() const {
  std::string out;
  for (const auto& group : groups_) {
    if (!out.empty()) out += " AND ";
    out += "(";
    for (size_t t = 0; t < group.size(); ++t) {
      if (t) out += " OR ";
      out += "\"";
      for (size_t w = 0; w < group[t].words.size(); ++w) {
        if (w) out += " ";
        out += IndexTerm(group[t].words[w]);
      }
      out += group[t].prefix ? "\" *" : "\"";
    }
    out += ")";
  }
  return out;
}

bool TQuery::Matches(const std::vector<TTextWord>& words) const {
  return std::all_of(groups_.begin(), groups_.end(), [&](const std::vector<TQueryTerm>& group) {
    return std::any_of(group.begin(), group.end(), [&](const TQueryTerm& t) { return TermOccurs(t, words); });
  });
}

std::vector<std::pair<size_t, size_t>> TQuery::Hits(const std::vector<TTextWord>& words) const {
  std::vector<std::pair<size_t, size_t>> hits;
  for (const auto& group : groups_)
    for (const TQueryTerm& t : group)
      for (size_t i = 0; i < words.size(); ++i)
        if (size_t n = MatchAt(t, words, i)) hits.emplace_back(i, i + n - 1);
  std::sort(hits.begin(), hits.end());
  std::vector<std::pair<size_t, size_t>> merged;
  for (const auto& h : hits) {
    if (!merged.empty() && h.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, h.second);
    else
      merged.push_back(h);
  }
  return merged;
}

TSnippetParts SnippetParts(const TQuery& query, std::string_view text, size_t maxLength) {
  // The text as one line: every run of blanks and line ends becomes one blank.
  std::string flat;
  flat.reserve(text.size());
  for (char c : text) {
    if (IsBlank(c) || uint8_t(c) < 0x20) {
      if (!flat.empty() && flat.back() != ' ') flat.push_back(' ');
    } else {
      flat.push_back(c);
    }
  }
  const std::vector<TTextWord> words = SplitWords(flat);
  const auto hits = query.Hits(words);
  TSnippetParts parts;
  if (hits.empty()) return parts;
  // Some context before the first hit, starting at a word.
  const size_t begin = words[hits.front().first].start;
  const size_t lead = maxLength / 4;
  size_t pos = begin > lead ? begin - lead : 0;
  while (pos > 0 && pos < begin && flat[pos - 1] != ' ') ++pos;
  size_t room = maxLength;
  auto plain = [&](size_t from, size_t to) {
    const size_t n = std::min(to - from, room);
    if (n == 0) return;
    parts.emplace_back(flat.substr(from, n), false);
    room -= n;
  };
  for (const auto& [first, last] : hits) {
    const size_t start = words[first].start, end = words[last].start + words[last].length;
    if (start < pos) continue;
    plain(pos, start);
    if (room == 0) break;
    parts.emplace_back(flat.substr(start, std::min(end - start, room)), true);
    room -= parts.back().first.size();
    pos = end;
  }
  plain(pos, flat.size());
  while (!parts.empty() && !parts.back().second && !parts.back().first.empty() && parts.back().first.back() == ' ') {
    parts.back().first.pop_back();
    if (parts.back().first.empty()) parts.pop_back();
  }
  return parts;
}

std::string Snippet(const TQuery& query, std::string_view text) {
  // The brackets count against the 80 characters: the pieces shrink until they fit.
  for (size_t room = 80; room > 0; room -= std::min<size_t>(room, 2)) {
    std::string out;
    for (const auto& [piece, hit] : SnippetParts(query, text, room)) out += hit ? "[" + piece + "]" : piece;
    if (out.size() <= 80) return out;
  }
  return "";
}

}  // namespace vorne
