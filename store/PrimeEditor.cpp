#include "store/PrimeEditor.h"

#include <optional>

#include "platform/Errors.h"
#include "store/Cluster.h"
#include "store/Common.h"

namespace vorne {

namespace {

// Widths of the VolumeRecord's company id and revision: the numbers typed
// for them must fit whole.
constexpr size_t kCompIdLen = 6, kVolRevLen = 3;

std::string CutTo(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

// A whole number of at most maxDigits digits, blanks around it allowed. The
// limits keep the number whole in the VolumeRecord's character fields.
std::optional<uint32_t> WholeNumber(const std::string& text, size_t maxDigits) {
  const std::string t = TrimBoth(text);
  if (t.empty() || t.size() > maxDigits) return std::nullopt;
  uint32_t n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + uint32_t(c - '0');
  }
  return n;
}

}  // namespace

const char* TPrimeEditor::Label(TPrimeBox box) {
  switch (box) {
    case TPrimeBox::CompanyCode:
      return "Company Code";
    case TPrimeBox::VolID:
      return "Volume Number";
    case TPrimeBox::VolRevNo:
      return "Revision Number";
    default:
      return "";
  }
}

bool TPrimeEditor::Load(TPrimeRef& ref) {
  ref_ = nullptr;
  volumePos_ = -1;
  boxes_.fill("");
  THdrRecord rec;
  const int32_t pos = ref.cluster->GetVolumeRecord(ref, rec);
  ref.cluster->CloseHdr();
  if (pos < 0) {
    Changed();
    return false;
  }
  ref_ = &ref;
  volumePos_ = pos;
  volume_ = TVolumeBody::Decode(rec);
  // The name as the prime file holds it: saving it unchanged changes nothing.
  boxes_[size_t(TPrimeBox::CompanyName)] = ref.storedName;
  boxes_[size_t(TPrimeBox::CompanyCode)] = ZeroPad(ref.record.companyCode, 6);
  boxes_[size_t(TPrimeBox::VolID)] = ref.record.volId;
  boxes_[size_t(TPrimeBox::VolRevNo)] = std::to_string(ref.record.volRevNo);
  ShowVolumeRecord();
  Changed();
  return true;
}

void TPrimeEditor::ShowVolumeRecord() {
  boxes_[size_t(TPrimeBox::VolumeName)] = volume_.volumeName;
  boxes_[size_t(TPrimeBox::CompID2)] = volume_.companyId;
  boxes_[size_t(TPrimeBox::VolID2)] = volume_.volumeId;
  boxes_[size_t(TPrimeBox::VolRev2)] = volume_.revision;
}

bool TPrimeEditor::SetText(TPrimeBox box, const std::string& text) {
  if (ReadOnly(box)) return false;
  boxes_[size_t(box)] = text;
  return true;
}

void TPrimeEditor::SetUpdateEnabled(bool on) {
  if (updateEnabled_ == on) return;
  updateEnabled_ = on;
  Changed();
}

bool TPrimeEditor::Update() {
  if (!ref_ || !updateEnabled_) return false;
  if (env_.port.Ask(kRiskQuestion, TButtons::OKCancel) != TAnswer::OK) return false;

  // Everything is checked before anything is written.
  const std::optional<uint32_t> code = WholeNumber(Text(TPrimeBox::CompanyCode), kCompIdLen);
  if (!code) {
    env_.port.Error("Company Code \"" + Text(TPrimeBox::CompanyCode) + "\" is not a number of at most 6 digits");
    return false;
  }
  const std::optional<uint32_t> rev = WholeNumber(TrimRight(Text(TPrimeBox::VolRevNo)), kVolRevLen);
  if (!rev) {
    env_.port.Error("Revision Number \"" + Text(TPrimeBox::VolRevNo) + "\" is not a number of at most 3 digits");
    return false;
  }
  const std::string revText = PadLeft(std::to_string(*rev), kVolRevLen);
  boxes_[size_t(TPrimeBox::VolRevNo)] = revText;

  // Encoding cuts or pads each field to its width.
  const TVolumeBody volume{Text(TPrimeBox::CompanyCode), Text(TPrimeBox::VolID), revText,
                           Text(TPrimeBox::VolumeName)};

  // The prime record is read again under the library's lock and only the
  // four fields of the window change in it: a count or date another run
  // stored since the editor was loaded stays. Both records go in one edit:
  // they land together or not at all.
  TFileCluster& cluster = *ref_->cluster;
  if (!cluster.LockForChange()) return false;  // it has said why
  struct TUnlock {
    TFileCluster& c;
    ~TUnlock() { c.Unlock(); }
  } unlock{cluster};
  try {
    cluster.Reload();
  } catch (const EInOutError& e) {
    env_.port.Error(e.what());
    return false;
  }
  if (!cluster.Holds(ref_)) {
    env_.port.Error("The volume is no longer in the prime file " + cluster.PrimePath() + "; nothing was changed");
    return false;
  }
  const std::string name = CutTo(Text(TPrimeBox::CompanyName), 60);
  TPrimeRecord changed = ref_->record;
  changed.companyName = NormalizeCompanyName(name);
  changed.companyCode = *code;
  changed.volId = CutTo(Text(TPrimeBox::VolID), 2);
  changed.volRevNo = int16_t(*rev);

  const TPrimeRecord oldRecord = ref_->record;
  const std::string oldName = ref_->storedName;
  ref_->record = changed;
  ref_->storedName = name;
  bool landed = false;
  cluster.BeginHdrEdit();
  try {
    cluster.WriteHdr(volumePos_, volume.Encode());
    ref_->Update();
    landed = cluster.CommitHdrEdit();
  } catch (const EInOutError& e) {
    cluster.AbandonHdrEdit();
    env_.port.Error(e.what());
  }
  cluster.CloseHdr();
  if (!landed) {
    ref_->record = oldRecord;
    ref_->storedName = oldName;
    Changed();
    return false;
  }
  // As the store reads it back: cut to its field widths.
  volume_ = TVolumeBody::Decode(volume.Encode());
  ref_->volumeName = volume_.volumeName;
  ShowVolumeRecord();
  Changed();
  return true;
}

}  // namespace vorne
