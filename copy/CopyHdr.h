// TCopyHdrObject: the output header object of one volume being copied. It
// holds the incoming sheets (the selected sheets of the source volume, by
// title) and the cancel flag the person sets by aborting the volume.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "copy/outWindow.h"
#include "store/Headers.h"

namespace vorne {

class TCopyHdrObject : public TOutHdrObject {
 public:
  TCopyHdrObject(TFileCluster& cluster, TPrimeRef* stored, const TPrimeRecord& record, const TVolumeBody& volume)
      : TOutHdrObject(cluster, stored, record, volume) {}

  // The selected sheets of a loaded source list under their titles, sorted
  // by title (letter case ignored, equal titles in list order); their
  // issuer and docket entries listed once each, every sheet attached to the
  // listed entry. The source VolumeRecord becomes the volume's.
  void Load(THdrList& selected);
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
};

}  // namespace vorne
