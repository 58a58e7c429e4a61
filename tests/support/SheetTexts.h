// Every sheet version of an open library read the plain way, volume by
// volume, with its text as one string (lines ended by "\n"): the reference
// the search tests hold the index against.
#pragma once

#include <string>
#include <vector>

#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/TextReader.h"

namespace vorne::testing {

// Calls f(volume, name, sheet, text) for each version, in header-list order.
template <class F>
void ForEachSheetText(TFileCluster& cluster, F&& f) {
  cluster.ReadAll();
  cluster.OpenBuffer();
  for (const auto& v : cluster.Volumes()) {
    THdrList list(*v, nullptr);
    list.Load();
    TNamedSheets sheets;
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    list.FillNames(sheets, issuers, dockets);
    for (auto& [name, s] : sheets) {
      std::vector<std::string> lines;
      int32_t width = 0, count = 0;
      cluster.Buffer()->SheetText(s->body.text, lines, width, count);
      std::string text;
      for (const std::string& l : lines) text += l + "\n";
      f(*v, name, s, text);
    }
  }
  cluster.CloseBuffer();
}

}  // namespace vorne::testing
