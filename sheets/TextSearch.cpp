#include "sheets/TextSearch.h"

#include <utility>

#include "store/Common.h"

namespace vorne {

namespace {

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// ASCII letters only: accented letters of Windows-1252 keep their case.
std::string Upper(const std::string& s) {
  std::string t = s;
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return t;
}

}  // namespace

TSearchPhrase::TSearchPhrase(const std::string& phrase) {
  std::string p = Upper(TrimBoth(phrase));
  for (size_t space = p.find(' '); space != std::string::npos; space = p.find(' ')) {
    multi_ = true;
    words_.push_back(p.substr(0, space));
    p.erase(0, space + 1);
  }
  words_.push_back(p);
}

TSearchPage::TSearchPage(std::vector<std::string> lines) : lines_(std::move(lines)) {
  if (!lines_.empty()) rest_ = Upper(TrimBoth(lines_[0]));
}

bool TSearchPage::Search(const TSearchPhrase& phrase) {
  phrase_ = &phrase;
  line_ = 0;
  rest_ = lines_.empty() ? std::string() : Upper(TrimBoth(lines_[0]));
  foundLine_ = 0;
  return FindPhrase();
}

bool TSearchPage::FindPhrase() {
  if (!phrase_ || phrase_->Words().empty()) return false;
  const size_t last = phrase_->Words().size() - 1;
  for (;;) {
    const bool first = FindFirstWord();
    bool ok = first;
    for (size_t k = 1; k <= last && ok; ++k) ok = MatchWordAt(k);
    if (ok) return true;
    if (!first) return false;
  }
}

bool TSearchPage::FindFirstWord() {
  if (line_ < 0 || line_ > Count()) line_ = Count();
  if (line_ == Count()) {
    rest_.clear();
    foundLine_ = -1;
    return false;
  }
  const std::string& word = phrase_->Words()[0];
  do {
    // An empty word is found nowhere, as a search for nothing finds nothing.
    const size_t p = word.empty() ? std::string::npos : rest_.find(word);
    if (p != std::string::npos) {
      rest_.erase(0, p);
      if (MatchWordAt(0)) {
        // A phrase of more words has moved on past the first already; moving
        // on again would let its next word follow a blank line.
        foundLine_ = line_;
        if (phrase_->Words().size() == 1) Advance();
        return true;
      }
    }
    // The rest of this line is abandoned.
    if (line_ < 0) {
      line_ = 0;
    } else if (line_ < Count()) {
      ++line_;
      rest_ = line_ < Count() ? Upper(lines_[size_t(line_)]) : std::string();
    }
  } while (line_ < Count());
  foundLine_ = -1;
  return false;
}

bool TSearchPage::MatchWordAt(size_t k) {
  const std::string& w = phrase_->Words()[k];
  const size_t n = w.size();
  if (rest_.compare(0, n, w) != 0 || rest_.size() < n) return false;
  if (rest_.size() > n && IsAlnum(rest_[n])) return false;  // the word runs on
  rest_.erase(0, n);
  endLine_ = line_;
  if (k + 1 < phrase_->Words().size()) Advance();
  return true;
}

void TSearchPage::Advance() {
  rest_ = TrimBoth(rest_);
  if (rest_.empty()) {
    ++line_;
    if (line_ < Count()) rest_ = Upper(TrimBoth(lines_[size_t(line_)]));
  }
}

}  // namespace vorne
