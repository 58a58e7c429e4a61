// TDupVerifier: the names of all sheets of one volume, so that a run adding
// sheets to it can tell which names the volume already holds.
//
// The names are read from the files on disk with a reader of their own: in
// an import the volume's cluster is the output, whose text buffer is a
// writer, so the writer's pages are flushed first and never read through.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace vorne {

class TFileCluster;
class TPrimeRef;

class TDupVerifier {
 public:
  TDupVerifier(TFileCluster& cluster, TPrimeRef& volume) : itsCluster(cluster), itsPrime(volume) {}

  // Reads the name (title line, "Title Page" when empty) of every sheet of
  // the volume's chain. Returns the record number of the chain's EndRecord,
  // or -1: when FirstHdr is not a VolumeRecord ("Bad PRIME file entry.
  // Can't find Volume record", no names) or the file ended before the end.
  int32_t GetHeaders();
  // The name is held, letter case ignored.
  bool isDuplicate(const std::string& name) const;
  const std::vector<std::string>& Names() const { return names_; }

  TFileCluster& itsCluster;
  TPrimeRef& itsPrime;

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> keys_;  // ASCII upper case, for isDuplicate
};

// The name a sheet of the given title line is stored under: its first 40
// characters in title case, or "Title Page" when empty.
std::string StoredSheetName(const std::string& title);

}  // namespace vorne
