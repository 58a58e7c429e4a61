#include "shell/FindRun.h"

#include "shell/Main.h"
#include "store/Cluster.h"

namespace vorne {

std::vector<int32_t> VolumesToSearch(TMain& main) {
  std::vector<int32_t> volumes;
  const TFromDisplay& list = main.VolumeList();
  const bool any = list.MarkedCount() > 0;
  for (const TVolumeRow& row : list.Rows())
    if (row.volume && (row.marked || !any)) volumes.push_back(row.volume->record.firstHdr);
  return volumes;
}

TFindOutcome RunFind(TMain& main, const std::string& query, std::FILE* out, std::FILE* err, bool showProgress) {
  std::string error;
  if (!TQuery::Parse(query, error)) {
    std::fprintf(err, "FIND: %s\n", error.c_str());
    return TFindOutcome::Usage;
  }
  TFileCluster* cluster = main.Input();
  if (!main.State().Loaded || !cluster) return TFindOutcome::Failed;  // the reason is already shown
  TLibraryIndex index(main.Env(), cluster->PrimePath(), cluster->IsCompressed());
  TFindRequest request;
  request.query = query;
  request.volumes = VolumesToSearch(main);
  request.filter = &main.State().Selection;
  bool told = false;
  const TFindAnswer answer = FindInLibrary(index, request, [&](size_t done, size_t total) {
    if (total == 0) return true;
    if (!told) std::fprintf(err, "Indexing %zu volumes of %s\n", total, cluster->PrimePath().c_str());
    told = true;
    if (showProgress) std::fprintf(err, "\r[%zu/%zu]", done, total);
    if (showProgress && done == total) std::fprintf(err, "\n");
    return true;
  });
  if (!answer.error.empty()) {
    std::fprintf(err, "FIND: %s\n", answer.error.c_str());
    return answer.usageError ? TFindOutcome::Usage : TFindOutcome::Failed;
  }
  const TQuery parsed = *TQuery::Parse(query, error);
  for (const TIndexedSheet* hit : answer.hits)
    std::fprintf(out, "%s\n", HitLine(*hit, Snippet(parsed, index.Text(*hit))).c_str());
  std::fprintf(err, "%zu %s found in %lld ms\n", answer.hits.size(), answer.hits.size() == 1 ? "sheet" : "sheets",
               static_cast<long long>(answer.time.count()));
  return answer.hits.empty() ? TFindOutcome::NoneFound : TFindOutcome::Found;
}

}  // namespace vorne
