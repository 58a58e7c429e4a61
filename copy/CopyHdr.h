// TCopyHdrObject: the output header object of one volume being copied. It
// holds the incoming sheets (the selected sheets of the source volume, by
// title) and the cancel flag the person sets by aborting the volume.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "copy/OutputVolumes.h"
#include "store/Headers.h"

namespace vorne {

class TCopyHdrObject : public TOutHdrObject {
 public:
  TCopyHdrObject(TFileCluster& cluster, TPrimeRef* stored, const TPrimeRecord& record, const TVolumeBody& volume)
      : TOutHdrObject(cluster, stored, record, volume) {}

  // The selected sheets of a loaded source list under their titles, sorted
  // by title (letter case ignored, equal titles in list order); their
  // issuer and docket entries listed once each, every sheet attached to the
  // listed entry. The source VolumeRecord becomes the volume's. From a
  // compressed source the pages of each sheet are kept as its title is read
  // (up to kKeptPagesBudget bytes in all), so its block is not inflated again
  // to copy it.
  void Load(THdrList& selected);
  // The pages Load kept for the sheet; empty when none were kept.
  std::span<const uint8_t> KeptPages(const TSheet& s) const;
  void DropKeptPages();

  // Beyond this many bytes of kept pages, the rest of a volume's sheets are
  // read again from their source when copied.
  static constexpr size_t kKeptPagesBudget = size_t(64) << 20;
  const TNamedSheets& Incoming() const { return incoming_; }
  // The incoming entry of a title, letter case ignored: the first one filed
  // on filingDate, else the first one; -1 when none.
  int Find(const std::string& title, uint16_t filingDate) const;
  void Remove(size_t i) { incoming_.erase(incoming_.begin() + std::ptrdiff_t(i)); }
  // Whether the sheet had a docket record in its source (one without keeps
  // DocketPos -1 in the output).
  bool HasDocket(const TSheet& s) const { return !noDocket_.count(&s); }

  bool cancel = false;

 private:
  TNamedSheets incoming_;
  std::set<const TSheet*> noDocket_;
  std::vector<uint8_t> keptBytes_;
  // Offset and length in keptBytes_ of each sheet's pages.
  std::unordered_map<const TSheet*, std::pair<size_t, size_t>> kept_;
};

}  // namespace vorne
