// THdrList: the selected sheet versions of one volume, grouped by sheet
// number in SheetKey order, each group in version order, with the issuer and
// docket entries met in the volume's chain. THdrMatch keeps only sheets
// whose number is in a given list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/Records.h"

namespace vorne {

class TFileCluster;
class TPrimeRef;

// The tests a list applies to every sheet and docket record while it loads.
class TSheetFilter {
 public:
  virtual ~TSheetFilter() = default;
  virtual bool AcceptSheet(const TSheetBody& body) const = 0;
  virtual bool AcceptDocket(const TDocketBody& body) const = 0;
};

using TSheetPtr = std::shared_ptr<TSheet>;
// A sheet's name (its title line) with the sheet, as the windows list them.
using TNamedSheets = std::vector<std::pair<std::string, TSheetPtr>>;

class THdrList {
 public:
  // filter may be nullptr (every record accepted); it must outlive the list.
  THdrList(TPrimeRef& volume, const TSheetFilter* filter);
  virtual ~THdrList() = default;

  // Walks the volume's chain and keeps the accepted sheet versions. Returns
  // the record number of the chain's EndRecord, or -1 (a bad FirstHdr is
  // reported and leaves the list empty). Loading again appends.
  int32_t Load();

  // Names of all versions in order (the text buffer is opened for them),
  // with the entries they use gathered into issuers and dockets once each.
  void FillNames(TNamedSheets& names, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets);
  // As FillNames, but every name is left empty and the text is not read: for
  // callers that read each sheet's text anyway and take its name then
  // (SheetName), so that no text block is inflated twice.
  void FillSheets(TNamedSheets& sheets, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets);
  size_t VersionCount() const;
  // Loads, then adds a line for every version whose name disagrees with its
  // number and revision. True when every name agrees.
  bool VerifyNames(std::vector<std::string>& lines);

  struct TGroup {
    std::string key;                 // SheetKey
    std::vector<TSheetPtr> versions; // in version order
  };
  const std::vector<TGroup>& Groups() const { return groups_; }
  TPrimeRef& Volume() const { return volume_; }
  TFileCluster& Cluster() const { return cluster_; }
  const THdrRecord& VolumeRecord() const { return volumeRecord_; }
  uint16_t LatestUpdate() const { return latestUpdate_; }
  int32_t EndPos() const { return endPos_; }
  TAuxList<T5Entry>& Issuers() { return issuers_; }
  TAuxList<T6Entry>& Dockets() { return dockets_; }

 protected:
  virtual bool AcceptSheet(const TSheetBody& body) const;
  virtual bool AcceptDocket(const TDocketBody& body) const;

 private:
  void AddSheet(const TSheetBody& body, int32_t n);
  void AddIssuer(std::shared_ptr<T5Entry> e);
  void AddDocket(std::shared_ptr<T6Entry> e);
  void Fill(TNamedSheets& names, TAuxList<T5Entry>& issuers, TAuxList<T6Entry>& dockets, bool withNames);
  std::string NameOf(const TSheet& sheet);

  TPrimeRef& volume_;
  TFileCluster& cluster_;
  const TSheetFilter* filter_;
  THdrRecord volumeRecord_{};
  uint16_t latestUpdate_ = 0;
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;
  int32_t endPos_ = -1;
  std::vector<TGroup> groups_;
  std::vector<std::pair<const TSheet*, std::string>> nameCache_;
  // Load's index of the entries by record number: every sheet looks its
  // entries up, and a volume can have hundreds of dockets.
  std::unordered_map<int32_t, size_t> issuerAt_, docketAt_;
};

class THdrMatch : public THdrList {
 public:
  using THdrList::THdrList;
  void SetMatchList(std::vector<std::string> sheetKeys);

 protected:
  bool AcceptSheet(const TSheetBody& body) const override;
  bool AcceptDocket(const TDocketBody& body) const override { return true; }

 private:
  std::vector<std::string> keys_;  // sorted
};

// Whether a sheet's name agrees with its number and revision.
bool NameMatches(const TSheet& sheet, const std::string& name);
bool RevisionMatches(int revision, const std::string& upperName);

}  // namespace vorne
