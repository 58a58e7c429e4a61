// FIND of vorne-batch: the sheets of the opened library whose text holds a
// query, one tab-separated line each on out, in the order Browse would list
// them with the same volume and sheet keywords (the whole library when no
// volume is marked). err gets the progress of an index being built, the
// number of hits and the time, or what went wrong.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "search/Find.h"

namespace vorne {

class TMain;

enum class TFindOutcome { Found, NoneFound, Usage, Failed };

// The FirstHdr numbers of the marked volumes in list order, or of every
// volume of the list when none is marked.
std::vector<int32_t> VolumesToSearch(TMain& main);

TFindOutcome RunFind(TMain& main, const std::string& query, std::FILE* out, std::FILE* err, bool showProgress);

}  // namespace vorne
