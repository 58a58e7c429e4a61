// One cluster directory of a library: its prime, header and text files, the
// volumes of its prime file, record access to its header file, the walk of a
// volume's chain, and its text buffer.
//
// Failure channels: operations that the person must hear about show the
// system's message through the user port and return false / -1 / nullptr;
// file errors that no message is named for raise EInOutError to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "store/Prime.h"
#include "store/Records.h"

namespace vorne {

class TDataBuffer;
class OutDataBuffer;

// The questions an output library that exists already is opened with,
// unless the run has chosen to append or rewrite.
inline constexpr char kAddToExistingQuestion[] = "Add to existing file";
inline constexpr char kRewriteQuestion[] = "Delete and rewrite these files?";

// Whether output clusters of one run append to existing files or recreate
// them; shared by every output cluster of the run.
struct TOutputMode {
  bool append = false;
  bool rewrite = false;
  bool keepRewrite = false;  // split runs: every output cluster is recreated
};

// One volume of a cluster.
class TPrimeRef {
 public:
  TPrimeRef(const TPrimeRecord& r, TFileCluster* cluster, int32_t recNo);

  TPrimeRecord record;      // CompanyName normalised
  int32_t recNo = -1;       // record number in the prime file; -1 not yet written
  TFileCluster* cluster;    // owner
  std::string volumeName;   // from its VolumeRecord (input clusters)
  std::string storedName;   // CompanyName exactly as the prime file holds it

  std::string Key() const { return VolumeKey(record); }
  std::string Caption() const { return VolumeCaption(record); }
  std::string DisplayLine() const { return vorne::DisplayLine(record, volumeName); }

  void Update();             // writes its record at recNo
  void Append();             // writes it at the end; recNo becomes that number
  void AddToCount(int n);    // SheetCount += n, then Update
  // Appends a VolumeRecord to the (open) header file; FirstHdr := its number.
  void AddVolumeRecord(const TVolumeBody& body);
  uint16_t LatestUpdate();   // greatest UpdDate of its chain's sheets
};

class TFileCluster {
 public:
  TFileCluster(TEnv& env, bool compressed);
  ~TFileCluster();
  TFileCluster(const TFileCluster&) = delete;
  TFileCluster& operator=(const TFileCluster&) = delete;

  // Input: needs an existing prime file ("Can't find " + path otherwise).
  // Output: creates the folder, asks whether to add to or rewrite existing
  // files (unless the run has decided), locks the library against a second
  // writer, and recreates the files for Rewrite. false: nothing was touched.
  bool Open(const std::string& primePath, bool isOutput);
  void SetOutputMode(TOutputMode* mode) { mode_ = mode ? mode : &ownMode_; }
  TOutputMode& OutputMode() { return *mode_; }
  // Split runs: the output moves to Base/name/<prime>.
  void SetBase(const std::string& base) { base_ = base; }
  const std::string& Base() const { return base_; }
  bool SetOutputName(const std::string& name);
  const std::string& Name() const { return name_; }

  TEnv& Env() { return env_; }
  bool IsOutput() const { return isOutput_; }
  bool IsCompressed() const { return compressed_; }
  bool IsOpen() const { return opened_; }
  // The last Open as an output was refused because another run writes the
  // library (the message has been shown).
  bool LockedOut() const { return lockedOut_; }
  const std::string& Dir() const { return dir_; }  // with trailing separator
  const std::string& PrimePath() const { return primePath_; }
  const std::string& HdrPath() const { return hdrPath_; }
  const std::string& TextPath() const { return textPath_; }

  // ---- the text buffer (reader for input, writer for output) ----
  bool OpenBuffer();
  void CloseBuffer();
  bool BufferOpen() const { return bufferOpen_; }
  TDataBuffer* Buffer();         // nullptr when not open
  OutDataBuffer* OutBuffer();    // nullptr unless an open output buffer

  // ---- the header file ----
  bool OpenHdr();
  void CloseHdr();
  bool ReopenHdrForWrite();
  bool HdrOpen() const { return hdr_ != nullptr; }
  int32_t HdrSize();                       // records in the file
  int32_t HdrPosition() const { return hdrPos_; }
  void HdrSeek(int32_t pos) { hdrPos_ = pos; }
  bool HdrAtEnd() { return hdrPos_ >= HdrSize(); }
  // Reads record pos; false when pos is outside the file. The position moves
  // past it. While the file is open read-only, records come from chunks of
  // the file read whole and kept until it is closed or reopened for writing
  // (a chain walk would otherwise cost a read call per record).
  bool ReadHdr(int32_t pos, THdrRecord& rec);
  // Reads at the current position; false at the end of the file.
  bool ReadNext(THdrRecord& rec, int32_t& recNo);
  // As ReadHdr, but the current position is kept (opens the file if needed).
  bool ReadHdrKeepingPlace(int32_t pos, THdrRecord& rec);
  void WriteHdr(int32_t pos, const THdrRecord& rec);  // opens for writing if needed
  int32_t AppendHdr(const THdrRecord& rec);           // returns its record number
  int32_t WriteHere(const THdrRecord& rec);
  // Writes records back to back from record pos in one write (a volume's new
  // records); the position moves past them.
  void WriteHdrRun(int32_t pos, const std::vector<THdrRecord>& recs);
  // Continues the chain whose last record is at pos at the end of the file;
  // returns the record number at which the next record goes. Nothing is
  // written here: a record at pos that is neither an EndRecord nor a
  // JumpRecord comes back in displaced, to be written first among the new
  // records. Once they are all written, LinkChain(pos, start) turns the record
  // at pos into a jump to them: one record-sized write, so an interruption
  // anywhere leaves the chain as it was or whole, never a jump to nothing.
  int32_t ExtendChain(int32_t pos, std::optional<THdrRecord>& displaced);
  void LinkChain(int32_t pos, int32_t start);
  // Waits until what was written to the header file is on the disk.
  void SyncHdr();

  // ---- the lock of a change ----
  // A run that changes what it read holds the library's lock from that read
  // to its last write: LockForChange takes it (an output cluster holds it
  // already), finishing or refusing an undo file first (below) and removing
  // what killed runs left of their temporary files; false after the message
  // when another run holds the library or an undo file stands in the way.
  // Calls nest; the last Unlock releases. Reload then brings the volume list
  // to the prime file as it now is.
  bool LockForChange();
  void Unlock();
  bool LockedForChange() const { return lock_ != nullptr; }
  // Reads the prime file again: volumes still in it keep their TPrimeRef
  // (now with the stored record and number), new ones are added, and those
  // gone leave the list (their objects live on until the next ReadAll, so
  // pointers held by windows stay valid).
  void Reload();
  // Whether ref is one of the volumes the prime file holds (after Reload).
  bool Holds(const TPrimeRef* ref) const;

  // ---- edits of records in place ----
  // One edit of many records lands whole or not at all. Between BeginHdrEdit
  // and CommitHdrEdit the files are not touched: WriteHdr, AppendHdr and
  // WriteHere collect the records (reads and HdrSize see them), and so do
  // UpdatePrime and AddToCount for the prime records of stored volumes.
  // CommitHdrEdit keeps the records it replaces in an undo file beside the
  // header file and flushes it to the disk, writes the new ones and flushes
  // them, then removes the undo file; when a write fails it puts the old
  // records back, says so and returns false. AbandonHdrEdit forgets the
  // collected records.
  //
  // The undo file names the files it was written for and holds, besides the
  // old records, a digest of each new one and the header file's size before
  // and after the edit. When a library is opened (and whenever its lock is
  // taken) an undo file is judged against the files as they are: every new
  // record in place means the edit landed and the file is removed; every
  // record either old or new means a commit died midway and the old records
  // go back; anything else is an undo file of another library or state,
  // which is left alone with a warning, and which a run that would write the
  // library refuses to write past.
  void BeginHdrEdit();
  bool CommitHdrEdit();
  void AbandonHdrEdit();
  bool InHdrEdit() const { return editing_; }
  // The records of an edit by number, each as its bytes.
  struct TEditRecords {
    int32_t hdrSize = 0;  // the header file's size in records before the edit
    std::vector<std::pair<int32_t, std::string>> hdr, prime;
  };

  // ---- chains ----
  // The record number of the volume's VolumeRecord, or -1 (reported).
  int32_t GetVolumeRecord(TPrimeRef& ref, THdrRecord& rec);
  // Hands every record of the chain, from its VolumeRecord on, to visit
  // (record number, record); visit returns false to stop. Jumps are followed
  // after the visitor has seen them. A jump back into the walked records or
  // past the end of the file ends the walk with a message. needText opens
  // the text buffer for the walk. false when nothing could be walked.
  using TVisitor = std::function<bool(int32_t, const THdrRecord&)>;
  bool WalkChain(TPrimeRef& ref, const TVisitor& visit, bool needText = true);
  // Sorted docket lines of the chain, without duplicates.
  std::vector<std::string> DocketList(TPrimeRef& ref);
  uint16_t LatestUpdate(TPrimeRef& ref);

  // ---- the prime file and the volume list ----
  using TPrimeFilter = std::function<bool(const TPrimeRecord&)>;
  void ReadAll(const TPrimeFilter& accept = nullptr);
  void UpdatePrime(TPrimeRef& ref);
  void AppendPrime(TPrimeRef& ref);
  bool RewriteInOrder(const std::vector<TPrimeRef*>& order);
  bool FlushNew();
  // Adds a volume to the list (sorted lists keep key order, equal keys in
  // insertion order) and returns it.
  TPrimeRef* AddVolume(std::unique_ptr<TPrimeRef> ref);
  TPrimeRef* NewVolume(const TPrimeRecord& r) { return AddVolume(std::make_unique<TPrimeRef>(r, this, -1)); }
  TPrimeRef* FindVolume(const TPrimeRecord& r);
  const std::vector<std::unique_ptr<TPrimeRef>>& Volumes() const { return volumes_; }
  void ClearVolumes() { volumes_.clear(); }

 private:
  bool OpenOutput();
  // Whether the prime file can be a library's: the legacy "Prime" file and a
  // file of another kind are told apart before anything is listed.
  bool LooksLikeLibrary();
  std::string LockedMessage() const;
  bool WritePrimeFile(const std::vector<TPrimeRef*>& order, bool withLegacy);
  TPrimeRecord FileRecord(const TPrimeRef& ref) const;
  std::string VolumeNameOf(int32_t firstHdr);

  TEnv& env_;
  bool compressed_;
  bool isOutput_ = false;
  bool opened_ = false;
  bool lockedOut_ = false;
  std::string base_;
  std::string dir_;
  std::string name_;
  std::string primePath_, hdrPath_, textPath_, legacyPath_;
  TOutputMode ownMode_;
  TOutputMode* mode_ = &ownMode_;
  bool sorted_ = true;
  bool rewritten_ = false;  // Open recreated the files: the volume list stays unsorted
  std::vector<std::unique_ptr<TPrimeRef>> volumes_;

  std::unique_ptr<TFile> hdr_;

  // The edit being collected: records by number, and the file's size in
  // records when it began (appended records lie at or beyond it).
  bool editing_ = false;
  std::map<int32_t, THdrRecord> pending_;
  std::map<int32_t, std::string> pendingPrime_;
  int32_t editBase_ = 0;
  std::string UndoPath() const { return hdrPath_ + ".undo~"; }
  std::string WriteEdit(TFile& hdr, const TEditRecords& recs, bool restoring);
  void RecoverHdrEdit();
  // Judges the undo file with the library locked through hdr (above); false
  // when it stays in the way of a run that would write (writing), after the
  // message.
  bool SettleUndo(TFile& hdr, bool writing);
  void RemoveLeftovers();
  int lockDepth_ = 0;  // LockForChange calls not yet undone by Unlock
  std::vector<std::unique_ptr<TPrimeRef>> retired_;  // volumes Reload found gone
  bool hdrWritable_ = false;
  int32_t hdrPos_ = 0;

  // Chunks of the read-only header file: each holds the records of one
  // aligned run of kHdrChunkRecords that the file had when it was read.
  // Their storage is kept across opens; DropHdrChunks only forgets them.
  struct THdrChunk {
    int32_t first = -1;  // record number of its first record; -1 empty
    int32_t count = 0;   // whole records read (fewer at the end of the file)
    uint64_t used = 0;   // for replacing the least recently used
    std::vector<uint8_t> bytes;
  };
  static constexpr int32_t kHdrChunkRecords = 512;
  static constexpr size_t kHdrChunkCount = 8;
  const uint8_t* ChunkedHdr(int32_t pos);
  void DropHdrChunks();
  std::vector<THdrChunk> hdrChunks_;
  uint64_t hdrUse_ = 0;
  std::unique_ptr<TFile> lock_;  // held by an output cluster while it is open

  std::unique_ptr<TDataBuffer> buffer_;
  bool bufferOpen_ = false;
};

// The volume of cluster that the given record denotes, or nullptr.
inline TPrimeRef* FindVolume(TFileCluster& cluster, const TPrimeRecord& r) { return cluster.FindVolume(r); }

}  // namespace vorne

namespace vorne {
// A library root that keeps two alternately refreshed copies "GZIP1" and
// "GZIP2": the folder of the copy whose header file is newer ("GZIP1" when
// equal), or "" when the root does not hold both copies.
std::string NewerLibraryCopy(TFileSystem& fs, const std::string& root);
}  // namespace vorne
