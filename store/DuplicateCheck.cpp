#include "store/DuplicateCheck.h"

#include "store/Cluster.h"
#include "store/Common.h"
#include "store/TextReader.h"
#include "store/TextWriter.h"

namespace vorne {

static std::string NameKey(const std::string& name) {
  std::string k = name;
  for (char& c : k)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return k;
}

std::string StoredSheetName(const std::string& title) {
  std::string t = title.substr(0, 40);
  return t.empty() ? "Title Page" : TitleCase(t);
}

int32_t TDupVerifier::GetHeaders() {
  TEnv& env = itsCluster.Env();
  TBusy busy(env.port);
  names_.clear();
  keys_.clear();
  THdrRecord rec;
  if (itsPrime.record.firstHdr < 0 || !itsCluster.ReadHdrKeepingPlace(itsPrime.record.firstHdr, rec) ||
      rec[0] != kVolumeRecord) {
    env.port.Error("Bad PRIME file entry. Can't find Volume record");
    return -1;
  }
  // Pages still in a writer's window are not on disk yet.
  if (OutDataBuffer* out = itsCluster.OutBuffer()) out->Flush();
  std::unique_ptr<TDataBuffer> reader = TDataBuffer::Create(env, itsCluster.TextPath(), itsCluster.IsCompressed());
  TDataBuffer* text = reader && reader->IsOpen() ? reader.get() : nullptr;
  int32_t end = -1;
  itsCluster.WalkChain(
      itsPrime,
      [&](int32_t n, const THdrRecord& r) {
        if (r[0] == kSheetRecord) {
          TSheet sheet(TSheetBody::Decode(r), &itsPrime, n);
          names_.push_back(SheetName(sheet, text));
          keys_.insert(NameKey(names_.back()));
        } else if (r[0] == kEndRecord) {
          end = n;
        }
        return true;
      },
      false);
  if (reader) reader->Close();
  return end;
}

bool TDupVerifier::isDuplicate(const std::string& name) const { return keys_.count(NameKey(name)) > 0; }

}  // namespace vorne
