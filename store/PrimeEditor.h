// TPrimeEditor: the window "PrimeEditor" as a model. It corrects the identity
// of one volume (company name, company code, volume number, revision) in its
// PrimeRecord and the matching fields of its VolumeRecord, both in place.
//
// Ownership: the editor keeps a pointer to the TPrimeRef it loaded; the
// reference (and its cluster) must outlive the editor or be loaded again.
//
// Failure channel: messages through the user port; Load and Update return
// false. Update writes nothing unless every box holds a usable value and the
// person confirmed. The VolumeRecord and the prime record are written as one
// header edit: when either write fails both files keep their old records,
// and so does the reference.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/UserPort.h"
#include "store/Records.h"

namespace vorne {

class TPrimeRef;

inline constexpr char kPrimeEditorCaption[] = "PrimeEditor";
inline constexpr char kRiskQuestion[] = "Are you sure you want to risk this?";

// The boxes of the window. The last three are read-only: the VolumeRecord's
// values as stored.
enum class TPrimeBox {
  CompanyName,
  VolumeName,
  CompanyCode,  // "Company Code"
  VolID,        // "Volume Number"
  VolRevNo,     // "Revision Number"
  CompID2,
  VolID2,
  VolRev2,
};
inline constexpr size_t kPrimeBoxCount = 8;

class TPrimeEditor {
 public:
  explicit TPrimeEditor(TEnv& env) : env_(env) {}

  std::function<void()> onChanged;

  // Fills the boxes from the volume's prime record (the company name as the
  // prime file holds it) and its VolumeRecord. false, with the store's
  // message, when the VolumeRecord cannot be read; the editor then has no
  // volume and Update does nothing.
  bool Load(TPrimeRef& ref);
  TPrimeRef* Volume() const { return ref_; }

  const std::string& Text(TPrimeBox box) const { return boxes_[size_t(box)]; }
  // The person's typing; the read-only boxes refuse it (false).
  bool SetText(TPrimeBox box, const std::string& text);
  static bool ReadOnly(TPrimeBox box) { return box >= TPrimeBox::CompID2; }
  // The label beside a box ("Company Code", ...), empty for the others.
  static const char* Label(TPrimeBox box);

  // On activation: enabled only when the main window allows library changes.
  void SetUpdateEnabled(bool on);
  bool UpdateEnabled() const { return updateEnabled_; }

  // Update: asks kRiskQuestion (OK/Cancel), checks the code and revision,
  // writes the VolumeRecord, then the prime record in place. true when both
  // were written; the reference then holds the new record.
  bool Update();

 private:
  void Changed() {
    if (onChanged) onChanged();
  }
  void ShowVolumeRecord();

  TEnv& env_;
  TPrimeRef* ref_ = nullptr;
  int32_t volumePos_ = -1;
  TVolumeBody volume_;  // the VolumeRecord as stored
  std::array<std::string, kPrimeBoxCount> boxes_;
  bool updateEnabled_ = false;
};

}  // namespace vorne
