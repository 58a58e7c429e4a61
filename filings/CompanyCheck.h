// TVerifyDlg: the company check of a filing import. Every company a filing
// names is looked up in a reference list of known companies (normalised
// name -> company code) read once from the prime file of a reference
// library; a name not found goes to the dialog "Verify Company Name and
// ID", where the person confirms or supplies the code.
//
// The reference library is named on the command line after "VPATH" or
// "VERIFY"; otherwise the first existing fixed fallback is used. Paths go
// through the drive mapping. A missing or useless reference file turns the
// check off (every company then goes to the dialog); this is a warning, not
// a failure of the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Prime.h"

namespace vorne {

struct TCompanyChoice {
  std::string name;  // normalised, 60 characters at most
  int32_t code = 0;
};

class TVerifyDlg : public TDialogModel {
 public:
  static constexpr const char* kCaption = "Verify Company Name and ID";
  // Reads the reference path from args and loads the reference list.
  TVerifyDlg(TEnv& env, const std::vector<std::string>& args);

  std::string Caption() const override { return kCaption; }

  // ---- the check ----
  bool CheckOn() const { return checkOn_; }
  const std::string& ReferencePath() const { return refPath_; }
  const std::string& ReferenceFile() const { return refFile_; }
  const std::vector<TCompanyChoice>& ChoiceBox() const { return choices_; }

  // Normalises name (the caller's copy too); the index of the entry with
  // that name (letter case ignored), else of the first entry whose first 20
  // characters equal the name's and that the person confirms in "Is this a
  // Match?"; -1 when none.
  int FindByName(std::string& name);
  int32_t CodeAt(int index) const { return choices_[size_t(index)].code; }
  // The dialog; true when it closed by OK, false by "Use This".
  bool Ask(const std::string& name, int32_t code);
  // CompanyName := BufferName; CompanyCode := FoundID (kept when FoundID is
  // not a number).
  void FillPrime(TPrimeRecord& prime) const;
  // The step the import takes for each company: a known name gives its code
  // and the normalised name; an unknown one goes to the dialog and keeps the
  // filing's name with the confirmed code. Returns whether it was found.
  bool Identify(std::string& companyName, int32_t& companyCode, TPrimeRecord& prime);

  // ---- the dialog's controls (the view edits them, then OK or UseThis) ----
  std::string BufferName;  // read-only
  std::string BufferID;    // read-only, 6 digits
  std::string ChoiceText;  // the edit text of ChoiceBox
  int Selected = -1;       // selected entry of ChoiceBox
  std::string FoundID;     // the code to use, editable
  // Leaving ChoiceBox with an entry selected takes its code.
  void ChoiceExit();
  // OK: with no entry selected the edit text is added with FoundID's code and
  // selected. False (dialog stays open) when FoundID is not a number.
  bool OK();

  // The reference file's fallbacks, in the order they are tried.
  static const std::vector<std::string>& Fallbacks();

 private:
  void Load();

  TEnv& env_;
  std::string refPath_;
  std::string refFile_;
  bool checkOn_ = false;
  std::vector<TCompanyChoice> choices_;
};

}  // namespace vorne
