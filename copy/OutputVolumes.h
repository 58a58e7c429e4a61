// The output side of runs that add sheets to a library: the output header
// object of one output volume (its issuer and docket entries, the writing of
// its header records and the completion of its chain and prime record), and
// TToDisplay, the output-volume window listing the output library's volumes.
//
// Record order of a volume's addition, all appended to the header file:
//   new chain:      VolumeRecord, issuers, dockets, SheetRecords, EndRecord
//   stored chain:   issuers, dockets, SheetRecords, EndRecord; then the old
//                   EndRecord becomes a jump to the first of them
// The new records are written before anything points at them; then one
// record-sized write makes them reachable (the jump, or for a new volume its
// prime record), then the prime record is written. An interruption at any
// point leaves the volume as it was or complete. A new volume enters the
// cluster's volume list and the prime file only when it is completed with at
// least one sheet, so a volume that ends empty leaves nothing behind.
//
// Failure channels: "Cannot open output files. Closing down" when the files
// cannot be opened (Opened() is then false and nothing is written); file
// errors while writing raise EInOutError / EDiskOverrun to the caller.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/Cluster.h"
#include "store/Headers.h"
#include "store/Records.h"

namespace vorne {

class TCopyErrors;
class TFromDisplay;
class TIncludes;

class TOutHdrObject {
 public:
  virtual ~TOutHdrObject() = default;
  TOutHdrObject(const TOutHdrObject&) = delete;
  TOutHdrObject& operator=(const TOutHdrObject&) = delete;

  bool Opened() const { return opened_; }
  // The output volume: the stored one, or the new one not yet in the cluster.
  TPrimeRef& Prime() { return *prime_; }
  bool IsNewVolume() const { return pending_ != nullptr || chainAfter_ < 0; }
  const TVolumeBody& VolumeRecord() const { return volume_; }
  void SetVolumeRecord(const TVolumeBody& v) { volume_ = v; }
  TFileCluster& Cluster() { return cluster_; }

  // Continue the stored chain after its EndRecord at pos (-1: a new chain is
  // started with the VolumeRecord).
  void AppendAfter(int32_t endRecord) { chainAfter_ = endRecord; }

  // One entry per distinct issuer and docket: an equal listed entry is
  // returned in place of e; otherwise e is listed as new.
  std::shared_ptr<T5Entry> AddIssuer(std::shared_ptr<T5Entry> e);
  std::shared_ptr<T6Entry> AddDocket(std::shared_ptr<T6Entry> e);
  // A stored entry (merging): listed with its position, not to be written.
  void AddStoredIssuer(std::shared_ptr<T5Entry> e);
  void AddStoredDocket(std::shared_ptr<T6Entry> e);
  TAuxList<T5Entry>& Issuers() { return issuers_; }
  TAuxList<T6Entry>& Dockets() { return dockets_; }

  // ---- the steps of writing a volume's new records ----
  // The VolumeRecord of a new chain, or the stored chain reopened at its end.
  // The records up to EndChain are gathered and written there in one piece.
  void StartChain();
  // The listed entries not yet written, issuers first.
  void WriteNewEntries();
  // One SheetRecord per sheet, in order: IssuePos and DocketPos from its
  // entries (-1 without), Updated raised to its UpdDate, the record number
  // becomes its position.
  virtual void WriteSheetHeaders(const std::vector<TSheetPtr>& sheets);
  // SheetCount grows by the sheets added; the range widens to the lowest and
  // highest of their numbers; the EndRecord; the prime record written (a new
  // volume enters the cluster's list here). The caller has flushed the
  // sheets' text before their records were written.
  void EndChain(const std::vector<TSheetPtr>& added, bool writePrime = true);
  void ClearLists();
  // Where a sheet's SheetRecord points for its entry: the entry's position,
  // or its replacement's; -1 without an entry.
  static int32_t EntryPosition(const TPosAux* e);

  // "New, Old, Replaced, Added, Total Out".
  virtual std::string Describe() const;
  int32_t New = 0, Added = 0, Replaced = 0, TotalOut = 0, Old = 0;

 protected:
  // stored: the output volume when the library holds it; otherwise a new
  // volume is made of record.
  TOutHdrObject(TFileCluster& cluster, TPrimeRef* stored, const TPrimeRecord& record, const TVolumeBody& volume);

  TFileCluster& cluster_;
  TVolumeBody volume_;
  TPrimeRef* prime_ = nullptr;
  std::unique_ptr<TPrimeRef> pending_;  // a new volume until it is completed
  int32_t chainAfter_ = -1;
  int32_t linkAt_ = -1;               // the stored end that becomes a jump, -1 none
  int32_t base_ = 0;                  // record number of the first gathered record
  std::vector<THdrRecord> gathered_;  // the new records, written by EndChain
  int32_t Gather(const THdrRecord& r) {
    gathered_.push_back(r);
    return base_ + int32_t(gathered_.size()) - 1;
  }
  // The EndRecord, the gathered records written in one piece, the stored
  // chain linked to them, and the prime record written (a new volume enters
  // the cluster's list here) unless writePrime is false: the caller then has
  // more to write in place first and writes it itself.
  void CloseChain(bool writePrime = true);
  bool opened_ = false;
  TAuxList<T5Entry> issuers_;
  TAuxList<T6Entry> dockets_;
};

// The import form: the sheets are those the import listed for the volume.
// A listed sheet is kept as its header body, its title and the entries it
// uses, not as a sheet object: an import lists tens of thousands of them.
class TNewHdrObject : public TOutHdrObject {
 public:
  TNewHdrObject(TFileCluster& cluster, TPrimeRef* stored, const TPrimeRecord& record, const TVolumeBody& volume)
      : TOutHdrObject(cluster, stored, record, volume) {}

  // Plain data, so that a long list grows by copying bytes.
  struct TListedSheet {
    THdrRecord record{};              // the SheetRecord, its entry positions set on completion
    std::array<char, 8> sheetNo{};    // its number, char[8]
    uint16_t updDate = 0;
    const T5Entry* issuer = nullptr;  // from Issuers(), nullptr for none
    const T6Entry* docket = nullptr;  // from Dockets(), nullptr for none
    uint32_t titleAt = 0;             // the title's place in the titles' text
    uint32_t titleLength = 0;
    std::string_view SheetNo() const { return {sheetNo.data(), sheetNo.size()}; }
  };

  // The sheet list of the volume: one entry per title (its number counts to
  // 8 characters, the field's width). issuer and docket
  // must be entries of this object's lists (or nullptr): they are read when
  // the volume is completed.
  void AddSheet(std::string_view title, const TSheetBody& body, const T5Entry* issuer, const T6Entry* docket) {
    AddSheet(title, TitleKey(title), body, issuer, docket);
  }
  bool HoldsTitle(std::string_view title) const { return HoldsTitle(title, TitleKey(title)); }  // letter case ignored
  // The title's hash, letter case ignored. An import looks a title up and
  // later lists it: the overloads taking the key (which must be
  // TitleKey(title)) spare it hashing the title twice.
  static uint64_t TitleKey(std::string_view title);
  void AddSheet(std::string_view title, uint64_t key, const TSheetBody& body, const T5Entry* issuer,
                const T6Entry* docket);
  bool HoldsTitle(std::string_view title, uint64_t key) const;
  // Starts loading the index slot HoldsTitle(…, key) looks at first, so that
  // work done meanwhile hides the memory's delay.
  void PrefetchTitle(uint64_t key) const {
    if (!titleSlots_.empty()) __builtin_prefetch(&titleSlots_[size_t(key) & (titleSlots_.size() - 1)]);
  }
  const std::vector<TListedSheet>& Sheets() const { return sheets_; }
  std::string_view Title(const TListedSheet& s) const { return std::string_view(titles_).substr(s.titleAt, s.titleLength); }
  void DropSheets();

  // The list's storage, handed from one volume to the next: a long import
  // then grows it once, not again for every volume.
  struct TStorage;
  void AdoptStorage(TStorage&& storage);
  TStorage ReleaseStorage();

  // Completing the volume: when sheets are listed, the new entries, the
  // SheetRecords in list order and the chain's end and prime record are
  // written. The lists are cleared and the files flushed. Returns the number
  // of sheets listed.
  size_t Complete();

 private:
  // Open-addressed index of the listed titles for HoldsTitle: slots of
  // (hash of the ASCII upper-cased title, index in sheets_ + 1; 0 free).
  // Looking up a title allocates nothing, which matters once per sheet.
  struct TSlot {
    uint64_t hash = 0;
    uint32_t sheet = 0;
  };
  void IndexTitle(uint64_t hash, uint32_t sheet);
  std::vector<TListedSheet> sheets_;
  std::string titles_;  // every listed title, one after the other
  std::vector<TSlot> titleSlots_;

 public:
  struct TStorage {
    std::vector<TListedSheet> sheets;
    std::string titles;
    std::vector<TSlot> titleSlots;  // not "slots": a Qt keyword where views include this
  };
};

// ---- the output-volume window ---------------------------------------------------

struct TOutRow {
  std::string caption;                 // "Company Name": the normalised company name
  std::array<std::string, 6> columns;  // "Tariff Volume", "ID", "sheets", "From", "To", "Updated"
  std::string key;                     // the volume key
};

inline constexpr char kCopyLogName[] = "Copylog.csv";
inline constexpr char kCopyLogHeader[] =
    "\"Pipeline Company\",\"Volume\",\"New\",\"Old\",\"Replaced\",\"Added\",\"Total Out\"";
inline constexpr char kZipBatchName[] = "zippem.bat";
inline constexpr char kPrimeSearchError[] = "System error in prime search";

class TToDisplay {
 public:
  using TClock = std::function<std::chrono::steady_clock::time_point()>;

  TToDisplay();
  ~TToDisplay();
  static const std::array<const char*, 7>& ColumnNames();

  // Clears the list, takes the library's folder as caption and lists the
  // volumes the library already holds, sorted by key.
  void SetOutput(TFileCluster& cluster);
  // A row for a volume ("Tariff Volume", "ID" filled); returns its index.
  size_t AddVolumeRow(const TPrimeRecord& r);
  // "sheets", "From", "To" and "Updated" from the record.
  void UpdateRow(size_t row, const TPrimeRecord& r);
  void RemoveRow(size_t row);
  // The row of a volume key, or -1.
  int FindRow(const std::string& key) const;

  const std::string& Caption() const { return caption_; }
  const std::vector<TOutRow>& Rows() const { return rows_; }
  const std::string& Modelabel() const { return modelabel_; }
  void SetModelabel(const std::string& text) {
    modelabel_ = text;
    Changed();
  }
  // The rows as text, one a line, columns separated by tabs.
  std::string ListText() const;

  // ---- copying (copy/CopyVolume.cpp) ----
  // The output cluster given to SetOutput (borrowed; it must outlive the
  // copies made into it).
  TFileCluster* Output() const { return out_; }
  // The run has closed the output cluster: the rows stay, the cluster is
  // no longer used.
  void ReleaseOutput() { out_ = nullptr; }
  // Rows for the volumes of the output cluster that no row shows yet (a
  // split run's output moved to another company library), and every row of
  // its volumes showing the prime record as the run left it.
  void ListNewVolumes();
  // Copies the selected sheets of one source volume into the output: a new
  // output volume ("Adding") or a merge into the stored one ("Merging");
  // then the row, the prime record and a copy log line (saved at once).
  // false when the volume was skipped, stopped by the person, or failed.
  // File errors raise EInOutError / EDiskOverrun to the caller.
  bool CopyVolume(TPrimeRef& source, THdrList& selected, TCopyErrors& dups,
                  std::chrono::steady_clock::time_point start);
  // A write of the output's text file failed in a copy since SetOutput: the
  // volume ended at its last sheet whose text is whole, and the run copies
  // no more (the disk that refused those pages refuses the next).
  bool WriteFailed() const { return writeFailed_; }
  // Split output: "zippem.bat" in the base output folder, then the includes
  // page generated from the volume list (saved only on request).
  bool WriteZipBatch(TFromDisplay& volumeList);
  const std::vector<std::string>& CopyLog() const { return copyLog_; }
  const std::string& Wheresaved() const { return wheresaved_; }
  const std::string& SheetStatus() const { return sheetStatus_; }
  TIncludes* Includes() const { return includes_.get(); }
  void SetClock(TClock clock) { clock_ = std::move(clock); }
  // Notes for an unattended run (a volume whose merge was stopped).
  std::function<void(const std::string&)> onNote;
  // The rows, the mode label or the status changed (the view repaints).
  std::function<void()> onChanged;

 private:
  std::chrono::steady_clock::time_point Now() const;
  void Changed() const {
    if (onChanged) onChanged();
  }
  void AddLogLine(const TPrimeRecord& source, const TOutHdrObject& hdr, std::chrono::steady_clock::duration spent);

  std::string caption_;
  std::string modelabel_;
  std::vector<TOutRow> rows_;
  TFileCluster* out_ = nullptr;
  std::vector<std::string> copyLog_;
  std::string wheresaved_;
  std::string sheetStatus_;
  std::unique_ptr<TIncludes> includes_;
  TClock clock_;
  bool writeFailed_ = false;
};

}  // namespace vorne
