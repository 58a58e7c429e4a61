// Verify mode's window "Verification failures" as a model: TverifyW checks
// a volume's sheet names against their numbers and revisions and collects
// the sheets that disagree.
//
// Failure channel: messages through the user port; Save returns false
// after reporting a file that could not be written.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Cluster.h"
#include "store/Headers.h"

namespace vorne {

inline constexpr char kVerifyCaption[] = "Verification failures";
inline constexpr char kVerifyFile[] = "Verify.Txt";
inline constexpr char kVolumeFailuresEnd[] = "*******";

class TverifyW {
 public:
  explicit TverifyW(TEnv& env) : env_(env) {}

  // Called after anything the window shows has changed (each volume
  // checked, shown, hidden).
  std::function<void()> onChanged;

  // The failure lines of every volume checked, each volume's failures after
  // its company line and closed by "*******".
  std::vector<std::string> FlawList;

  // Adds the volume's failures under companyName; a volume whose names all
  // agree leaves no line. The caption becomes companyName. False when some
  // name disagrees (or the text could not be read).
  bool VerifyVolume(TPrimeRef& volume, const std::string& companyName, const TSheetFilter* filter);

  // Shows the window; counter := the number of lines + " Lines".
  void Show();
  // OK: the window goes (until the next run).
  void Hide() {
    visible_ = false;
    Changed();
  }
  // "Save": writes the lines to "Verify.Txt" in folder and shows
  // "Saved in: " + folder + separator + "Verify.Txt".
  bool Save(const std::string& folder);
  // The Save button: folder is the current directory.
  bool SaveClick();

  const std::string& Caption() const { return caption_; }
  const std::string& Counter() const { return counter_; }
  bool Visible() const { return visible_; }

 private:
  void Changed() {
    if (onChanged) onChanged();
  }

  TEnv& env_;
  std::string caption_ = kVerifyCaption;
  std::string counter_;
  bool visible_ = false;
};

}  // namespace vorne
