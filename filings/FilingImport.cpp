#include "filings/FilingImport.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "filings/CompanyCheck.h"
#include "filings/FilingFields.h"
#include "filings/Type0Dialog.h"
#include "platform/Paths.h"
#include "sheets/SheetList.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/TextWriter.h"

namespace vorne {

// ---- page limits ----------------------------------------------------------------

int MaxCharsPerLine(int orientation, int pitch) {
  static constexpr int kChars[4][2] = {{65, 98}, {79, 118}, {98, 148}, {112, 168}};
  if (pitch < 1 || pitch > 4) pitch = 1;
  return kChars[pitch - 1][orientation == 2 ? 1 : 0];
}

int MaxLinesPerSheet(int orientation, int lpi) {
  if (orientation == 2) return lpi == 2 ? 44 : 31;
  return lpi == 2 ? 70 : 50;
}

void TOutSheet::SetLayout() {
  orientationCode = body.orientation == 'L' ? 2 : 1;
  lpiCode = body.linesPerInch == '8' ? 2 : 1;
  maxChars = MaxCharsPerLine(orientationCode, body.pitchCode);
}

std::string& TOutSheet::MadeLine() {
  if (madeUsed_ == made_.size()) made_.emplace_back();
  std::string& line = made_[madeUsed_++];
  line.clear();
  return line;
}

void TOutSheet::AddMadeLine(std::string_view text) {
  std::string& line = MadeLine();
  line.assign(text);
  lines.push_back(line);
}

void TOutSheet::ClearText() {
  lines.clear();
  madeUsed_ = 0;
}

static const char* OrientationName(int code) { return code == 2 ? "Landscape " : "Portrait "; }

namespace {

// A number's decimal digits without a string: the layout messages are many.
struct Decimal {
  explicit Decimal(int n) : length(size_t(std::to_chars(digits, digits + sizeof digits, n).ptr - digits)) {}
  operator std::string_view() const { return {digits, length}; }
  char digits[12];
  size_t length;
};

}  // namespace

void LayoutCheck(TOutSheet& s, Logger& log) {
  size_t longest = 0;
  for (std::string_view l : s.lines) longest = std::max(longest, l.size());
  LayoutCheck(s, log, longest);
}

void LayoutCheck(TOutSheet& s, Logger& log, size_t longest) {
  const int L = int(longest);
  if (L > s.maxChars) {
    log.Add({Decimal(L), " chars is too long for ", OrientationName(s.orientationCode), " at ",
             Decimal(PitchCpi(s.body.pitchCode)), " c.p.i."});
    if (s.orientationCode == 1 && int(s.lines.size()) <= MaxLinesPerSheet(2, s.lpiCode) + 2) {
      s.orientationCode = 2;
      s.body.orientation = 'L';
      log.Add("  Landscape Orientation Substituted");
    }
    if (L > MaxCharsPerLine(s.orientationCode, s.body.pitchCode)) {
      s.body.pitchCode = 4;
      log.Add("  17 c.p.i. substituted for pitch");
    }
    s.maxChars = MaxCharsPerLine(s.orientationCode, s.body.pitchCode);
  }
  while (s.lines.size() > 1 && s.lines.back() == "   ") s.lines.pop_back();
  const int N = int(s.lines.size());
  if (N > MaxLinesPerSheet(s.orientationCode, s.lpiCode) + 2) {
    log.Add({Decimal(N), " lines is too many for ", OrientationName(s.orientationCode), " at ",
             s.lpiCode == 2 ? "8" : "6", " lines per inch."});
    if (s.orientationCode == 2 && L <= MaxCharsPerLine(1, s.body.pitchCode)) {
      s.orientationCode = 1;
      s.body.orientation = 'P';
      log.Add("  Portrait Orientation Substituted");
    } else if (s.lpiCode != 2) {
      s.lpiCode = 2;
      s.body.linesPerInch = '8';
      log.Add("  8 lines per inch substituted");
    }
    s.maxChars = MaxCharsPerLine(s.orientationCode, s.body.pitchCode);
  }
  if (s.lines.size() > kMaxSheetLines) s.lines.resize(kMaxSheetLines);
}

// ---- the run ------------------------------------------------------------------------

TAddFilings::TAddFilings(TEnv& env, TVerifyDlg* verifier, TToDisplay* toDisplay, THdrForm* sheetList)
    : env_(env), verifier_(verifier), toDisplay_(toDisplay), sheetList_(sheetList) {}

TAddFilings::~TAddFilings() = default;

bool TAddFilings::Import(TFileCluster& out, const std::string& path) {
  const std::string name = FileNamePart(path);
  if (!env_.fs.Exists(path) || env_.fs.IsDirectory(path)) {
    env_.port.Error(name + " not found, try again");
    return false;
  }
  std::string text;
  try {
    text = env_.fs.ReadAll(path);
  } catch (const EInOutError&) {
    env_.port.Error("ASCII file open failed");
    return false;
  }
  ImportText(out, text, name);
  return true;
}

void TAddFilings::ImportText(TFileCluster& out, std::string_view text, const std::string& name) {
  out_ = &out;
  caption_ = name;
  logName_ = LogFileName(name);
  // Every sheet of a run is stamped with the day the run started.
  today_ = TodayPacked();
  state_ = TRunState::NoFiling;
  companyCurrent_ = volumeOpen_ = false;
  DiscardSheet();
  aborted_ = false;
  // Line by line through the text, a million lines for a large filing: the
  // loop works on pointers and hands text lines on without a detour.
  const char* at = text.data();
  const char* const end = at + text.size();
  // Lines end with LF or CR LF; a file whose lines end with a lone CR is
  // one line to this reader, never records, and is not read as one.
  if (text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos) at = end;
  size_t count = 0;
  records_ = 0;
  while (at < end && !aborted_) {
    __builtin_prefetch(at + 1024);  // the text is read once: ask for it early
    const void* newline = std::memchr(at, '\n', size_t(end - at));
    const char* stop = newline ? static_cast<const char*>(newline) : end;
    std::string_view line(at, size_t(stop - at));
    at = newline ? stop + 1 : end;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsFilingRecord(line)) {
      ++records_;
      record_.assign(line.substr(0, kFilingRecordLength));
      Record(record_);
    } else if (sheet_) {
      AddTextLine(line);
    }
    if (++count % 512 == 0) env_.port.ProcessEvents();
  }
  if (!aborted_) EndOfFile();
  hdr_.reset();
  dup_.reset();
  if (records_ == 0) {
    // A binary or empty file, or one with foreign line ends: say so rather
    // than end as if a filing had been read.
    const std::string message = "No filing records found in " + name;
    log_.Direct(message);
    env_.port.Warn(message);
  }
}

void TAddFilings::Record(const std::string& r) {
  if (sheet_ && sheetHasText_) CompleteSheet();
  const char type = r.size() >= 4 ? r[3] : '\0';
  if (!companyCurrent_ && type != '0' && type != '1') {
    log_.Add(type == '2' || type == '3' ? r + " *** out of order **" : r);
    return;
  }
  if (type < '0' || type > '9' || type == '8') {
    log_.Add("******* This is not a tariff record *******");
    log_.Add("******* Error is in Record Type field *******");
    log_.Add(r);
    return;
  }
  if (r.size() < MinimumRecordLength(type)) {
    if (r.size() == 4) {
      if (type != '4' && type != '7') log_.Add("Null TF: " + r);
    } else {
      log_.Add("Wrong Length Record");
      log_.Add(r);
      if (type <= '2') DiscardSheet();
    }
    return;
  }
  switch (type) {
    case '0': Type0(r); break;
    case '1': Type1(r); break;
    case '2': Type2(r); break;
    case '3': Type3(r); break;
    case '4': Type4(r); break;
    case '5': Type5(r); break;
    case '6': Type6(r); break;
    case '7': Type7(r); break;
    default: break;  // type 9 carries nothing the import uses
  }
}

std::string TAddFilings::CodeText() const { return ZeroPad(companyCode_, 6); }

void TAddFilings::Type0(const std::string& r) {
  CompleteVolume();
  companyCurrent_ = false;
  DiscardSheet();
  filingDocket_ = TrimRight(FieldAt(r, 5, 20));
  filingDate_ = SixDigitDate(FieldAt(r, 25, 6));
  state_ = filingDocket_.empty() ? TRunState::NoFiling : TRunState::Filing;
}

void TAddFilings::Type1(const std::string& r) {
  CompleteVolume();
  DiscardSheet();
  const std::string codeChars = FieldAt(r, 5, 6);
  std::optional<int64_t> code = DecimalNumber(codeChars);
  if (!code || *code > INT32_MAX) {
    // A wrong code would file the company's sheets under another company.
    companyCurrent_ = false;
    log_.Add("Company code \"" + codeChars + "\" is not a number; the company's records are skipped");
    log_.Add(r);
    return;
  }
  companyCode_ = int32_t(*code);
  companyName_ = NormalizeCompanyName(TextField(r, 17, 60));
  companyPrime_ = TPrimeRecord{};
  companyPrime_.firstHdr = -1;
  companyPrime_.sheetCount = 0;
  companyPrime_.companyCode = uint32_t(companyCode_);
  companyPrime_.companyName = companyName_;
  volume_ = TVolumeBody{};
  volume_.companyId = codeChars;
  companyCurrent_ = true;
  if (verifier_) verifier_->Identify(companyName_, companyCode_, companyPrime_);
  if (state_ != TRunState::Filing) {
    TType0Dialog dialog(env_.port, companyName_);
    if (env_.port.RunDialog(dialog)) {
      filingDocket_ = TrimRight(dialog.Docket());
      filingDate_ = dialog.FilingDate();
    } else {
      log_.Direct("**** Missing type 0 record ****");
      filingDate_ = 0;
      filingDocket_ = std::string(17, '*');
    }
  }
  state_ = TRunState::Company;
}

void TAddFilings::Type2(const std::string& r) {
  CompleteVolume();
  DiscardSheet();
  std::string name = StripLead(TextField(r, 12, 40));
  // Each volume starts from the company's record: a stored volume found
  // before must not lend its count, chain or range to the next one.
  TPrimeRecord work = companyPrime_;
  log_.SetVolume(CodeText(), work.companyName, name);
  if (name.empty()) {
    log_.Add("Volume ID string is required");
    name = "Zeroth Bozotic Volume No. 1";
  }
  volume_.volumeName = name;
  volume_.volumeId = FieldAt(r, 5, 4);
  volume_.revision = FieldAt(r, 9, 3);
  const std::string id = StripLead(volume_.volumeId);
  work.volId = id.size() >= 3 ? std::string{id[0], id[2]} : id;
  const std::string rev = TrimRight(volume_.revision);
  std::optional<int64_t> revNo = DecimalNumber(rev);
  if (rev.empty()) {
    work.volRevNo = 0;
  } else if (!revNo || *revNo > INT16_MAX) {
    log_.Add("Conversion error in " + TrimRight(r));
    work.volRevNo = 0;
  } else {
    work.volRevNo = int16_t(*revNo);
  }

  issuer_.reset();
  docket_.reset();
  docketSinceVolume_ = false;
  dup_.reset();
  hdr_.reset();
  outRow_ = -1;
  TPrimeRef* stored = out_->FindVolume(work);
  hdr_ = std::make_unique<TNewHdrObject>(*out_, stored, work, volume_);
  hdr_->AdoptStorage(std::move(listStorage_));
  if (!hdr_->Opened()) {
    hdr_.reset();
    aborted_ = true;
    return;
  }
  // Pages are written while the next sheets are read; the volume's end waits
  // for them before any record points at them.
  out_->OutBuffer()->WriteBehind(true);
  out_->OutBuffer()->CompressAhead(true);
  if (stored && stored->record.sheetCount != 0) {
    dup_ = std::make_unique<TDupVerifier>(*out_, *stored);
    int32_t end = dup_->GetHeaders();
    if (end < 0) {
      // Appending to a chain without a known end could cut off its sheets.
      log_.Add("The stored chain of this volume has no end record; its sheets are not added");
      hdr_.reset();
      dup_.reset();
      state_ = TRunState::Volume;
      return;
    }
    hdr_->AppendAfter(end);
  }
  if (toDisplay_) {
    outRow_ = stored ? toDisplay_->FindRow(stored->Key()) : -1;
    if (outRow_ < 0) {
      outRow_ = int(toDisplay_->AddVolumeRow(hdr_->Prime().record));
      toDisplay_->UpdateRow(size_t(outRow_), hdr_->Prime().record);
    }
    toDisplay_->SetModelabel(stored ? "Merging" : "Adding");
  }
  if (sheetList_) sheetList_->SetVolumeCaption(hdr_->Prime().Key());
  notAdded_.clear();
  volumeOpen_ = true;
  state_ = TRunState::Volume;
}

// Positions from..from+width-1 of the record as far as it reaches, without a copy.
static std::string_view TextView(std::string_view r, size_t from, size_t width) {
  if (from < 1 || from - 1 >= r.size()) return {};
  return r.substr(from - 1, width);
}

void TAddFilings::Type3(const std::string& r) {
  DiscardSheet();
  if (state_ != TRunState::Volume || !volumeOpen_) return;
  std::unique_ptr<TOutSheet> s = TakeSheet();
  TSheetBody& b = s->body;
  FieldInto(r, 5, 8, b.sheetNo);
  b.revNo = int16_t(ThreeDigitNumber(TextView(r, 13, 3)));
  b.altId = TwoDigitNumber(r[15], r[16]);
  b.sheetType = TwoDigitNumber(r[17], r[18]);
  b.pitchCode = PitchCodeFor(TwoDigitNumber(r[20], r[21]));
  b.updDate = today_;
  b.filingDate = filingDate_;
  b.status = kPending;
  // The title is the sheet's first line: made in place, it is not copied.
  std::string& title = s->MadeLine();
  TitleCaseInto(TextView(r, 24, 40), title);
  s->lines.push_back(title);
  titleKey_ = TNewHdrObject::TitleKey(title);
  hdr_->PrefetchTitle(titleKey_);  // looked up below, after the title checks
  longestLine_ = title.size();
  log_.SetSheet(b, title);
  const char orientation = r[19];
  if (orientation == 'P' || orientation == 'L') {
    b.orientation = uint8_t(orientation);
  } else {
    log_.Add(std::string("Orientation of ") + orientation + " is in error, Portrait assumed");
    b.orientation = 'P';
  }
  const char lpi = r[22];
  if (lpi == '6' || lpi == '8') {
    b.linesPerInch = uint8_t(lpi);
  } else {
    log_.Add(std::string(1, lpi) + " Lines per inch is not valid, 6 substituted");
    b.linesPerInch = '6';
  }
  s->SetLayout();
  if (hdr_->HoldsTitle(title, titleKey_)) {
    log_.Add("Duplicate Sheet in input: " + title);
    Recycle(std::move(s));
    return;
  }
  if (dup_ && dup_->isDuplicate(StoredSheetName(title))) {
    log_.Add("Duplicate Sheet on Disk: " + title);
    Recycle(std::move(s));
    return;
  }
  sheet_ = std::move(s);
  titleOnly_ = true;
  sheetHasText_ = false;
}

void TAddFilings::Type4(const std::string& r) {
  if (!sheet_) return;
  FieldInto(r, 5, 8, sheet_->body.fromSheetNo);
  FieldInto(r, 13, 8, sheet_->body.toSheetNo);
  if (r.size() > 20) {
    std::string& line = sheet_->MadeLine();
    TitleCaseInto(TextView(r, 21, 40), line);
    sheet_->lines.push_back(line);
    longestLine_ = std::max(longestLine_, line.size());
  }
  titleOnly_ = false;
}

void TAddFilings::Type5(const std::string& r) {
  if (!volumeOpen_) {
    log_.Add(r + " *** out of order **");
    return;
  }
  auto e = std::make_shared<T5Entry>();
  // As it stands: trailing blanks make another issuer. Readers show it
  // through IssuerName, which trims.
  if (r.size() > 5) e->name = TextField(r, 5, 54);
  issuer_ = hdr_->AddIssuer(e);
}

void TAddFilings::Type6(const std::string& r) {
  if (!volumeOpen_) {
    log_.Add(r + " *** out of order **");
    return;
  }
  std::shared_ptr<T6Entry> e;
  if (r.size() == 4) {
    e = T6Entry::Placeholder();
  } else {
    e = std::make_shared<T6Entry>();
    TDocketBody& b = e->body;
    b.issueDate = SixDigitDate(FieldAt(r, 5, 6));
    b.complianceDate = SixDigitDate(FieldAt(r, 11, 6));
    b.complianceDkt = FieldAt(r, 17, 20);
    b.effectiveDate = SixDigitDate(FieldAt(r, 37, 6));
    b.orderDate = 0;
    b.docket = PadRight(filingDocket_.substr(0, 20), 20);
    b.citevalue = TZoakCite::None();  // until a type 7 record sets it
    e->docketText = FormatDocket(b).substr(0, 20);
  }
  docket_ = hdr_->AddDocket(e);
  docketSinceVolume_ = true;
}

void TAddFilings::Type7(const std::string& r) {
  if (!volumeOpen_) {
    log_.Add(r + " *** out of order **");
    return;
  }
  if (!docketSinceVolume_ || !docket_) {
    log_.Direct("Type 6 record must precede type 7");
    return;
  }
  docket_->body.citevalue = FilingCitation(r);
}

std::unique_ptr<TOutSheet> TAddFilings::TakeSheet() {
  if (!spareSheet_) return std::make_unique<TOutSheet>();
  std::unique_ptr<TOutSheet> s = std::move(spareSheet_);
  // Copied from a blank one: the fields keep their storage.
  static const TSheetBody kBlank{};
  s->body = kBlank;
  s->position = -1;
  s->lineCount = 0;
  s->maxLineLength = 0;
  return s;
}

void TAddFilings::Recycle(std::unique_ptr<TOutSheet> s) {
  if (!s) return;
  s->ClearText();
  spareSheet_ = std::move(s);
}

void TAddFilings::DiscardSheet() { Recycle(std::move(sheet_)); }

// The line without its trailing blanks and NULs: eight bytes at a time
// while they are all blanks or NULs (no bit but the blank's set), as filings
// often pad their lines.
static std::string_view TrimmedRight(std::string_view s) {
  size_t n = s.size();
  for (uint64_t x; n >= 8; n -= 8) {
    std::memcpy(&x, s.data() + n - 8, 8);
    if ((x & ~0x2020202020202020ull) != 0) break;
  }
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return s.substr(0, n);
}

void TAddFilings::AddTextLine(std::string_view in) {
  TOutSheet& s = *sheet_;
  if (titleOnly_) {
    s.lines.push_back("   ");
    longestLine_ = std::max<size_t>(longestLine_, 3);
    titleOnly_ = false;
  }
  if (!in.empty() && (in[0] == '\n' || in[0] == '\f')) in.remove_prefix(1);
  std::string_view line = in.size() < 250 ? TrimmedRight(in) : in;
  if (line.empty()) line = "   ";
  if (line.size() <= kWrapWidth) {
    s.lines.push_back(line);
    longestLine_ = std::max(longestLine_, line.size());
  } else {
    log_.Add("Word Wrap performed, line too long");
    for (std::string& piece : WordWrap(line, kWrapWidth)) {
      s.AddMadeLine(piece);
      longestLine_ = std::max(longestLine_, piece.size());
    }
  }
  sheetHasText_ = true;
}

void TAddFilings::CompleteSheet() {
  std::unique_ptr<TOutSheet> s = std::move(sheet_);
  sheetHasText_ = false;
  if (!s) return;
  if (!hdr_) {
    Recycle(std::move(s));
    return;
  }
  if (TrimmedRight(s->body.sheetNo).empty()) {
    log_.Add("Blank SheetNo field, sheet rejected ");
    Recycle(std::move(s));
    return;
  }
  for (size_t i = kMaxSheetLines; i < s->lines.size(); ++i)
    if (s->lines[i] != "   ") log_.Add(std::string(s->lines[i]).append(" Lost"));
  LayoutCheck(*s, log_, longestLine_);
  const std::string& no = s->body.sheetNo;
  const std::string& from = s->body.fromSheetNo;
  const std::string& to = s->body.toSheetNo;
  if ((!TrimmedRight(from).empty() && CompareSheetNo(no, from) < 0) ||
      (!TrimmedRight(to).empty() && CompareSheetNo(no, to) > 0)) {
    log_.Add("** Bad TF04 **");
    log_.Add(no + " not in range:" + from + ".." + to);
  }
  // After a failed write the volume takes no more sheets: it would have a gap.
  std::optional<TTextPos> pos;
  if (notAdded_.empty()) pos = out_->OutBuffer()->WriteSheet(s->lines);
  s->lineCount = int32_t(s->lines.size());
  if (!pos) {
    // The pages of the volume's earlier sheets may have gone with the failed
    // write: none of them is recorded.
    if (notAdded_.empty()) {
      log_.Add("The text could not be written; the sheets of this volume are not added");
      for (const auto& listed : hdr_->Sheets()) NoteNotAdded(listed.SheetNo());
    }
    NoteNotAdded(s->body.sheetNo);
    hdr_->DropSheets();
    Recycle(std::move(s));
    return;
  }
  s->body.text = *pos;
  // The title line stays first: the layout check only drops trailing lines.
  const std::string_view title = s->lines.front().substr(0, 40);
  // Without a type 5 or type 6 record the sheet has none: IssuePos or
  // DocketPos -1, and no record is invented for it.
  hdr_->AddSheet(title, titleKey_, s->body, issuer_.get(), docket_.get());
  if (sheetList_) sheetList_->AddCopiedLine(std::string(title));
  Recycle(std::move(s));
}

void TAddFilings::NoteNotAdded(std::string_view sheetNo) { notAdded_.push_back(TrimBoth(sheetNo)); }

void TAddFilings::CompleteVolume() {
  if (!hdr_) {
    volumeOpen_ = false;
    return;
  }
  const bool isNew = hdr_->IsNewVolume();
  std::vector<std::string> listed;
  for (const auto& sheet : hdr_->Sheets()) listed.emplace_back(sheet.SheetNo());
  const size_t n = hdr_->Complete();
  // Completing flushes the text: the volume's last pages may fail there.
  if (!listed.empty() && n == 0) {
    log_.Add("The text could not be written; the sheets of this volume are not added");
    for (const std::string& no : listed) NoteNotAdded(no);
  }
  if (!notAdded_.empty()) {
    std::string list;
    for (const std::string& no : notAdded_) list += (list.empty() ? "" : ", ") + no;
    env_.port.Error("The text file could not be written: " + std::to_string(notAdded_.size()) + " sheets of " +
                    hdr_->Prime().Caption() + " were not added (" + list + ")");
    notAdded_.clear();
  }
  sheetsAdded_ += int(hdr_->Added);
  if (n > 0) ++volumesCompleted_;
  if (toDisplay_ && outRow_ >= 0) {
    if (hdr_->Added == 0 && isNew && !out_->FindVolume(hdr_->Prime().record))
      toDisplay_->RemoveRow(size_t(outRow_));
    else
      toDisplay_->UpdateRow(size_t(outRow_), hdr_->Prime().record);
  }
  outRow_ = -1;
  listStorage_ = hdr_->ReleaseStorage();
  hdr_.reset();
  dup_.reset();
  volumeOpen_ = false;
  issuer_.reset();
  docket_.reset();
}

void TAddFilings::EndOfFile() {
  if (sheet_ && sheetHasText_) CompleteSheet();
  DiscardSheet();
  CompleteVolume();
}

bool TAddFilings::SaveLog(const std::string& path) {
  std::string text;
  for (const std::string& l : log_.Lines()) text += l + "\r\n";
  try {
    env_.fs.ReplaceFile(path, text);
  } catch (const EInOutError& e) {
    env_.port.Error("The error log could not be saved in " + path + ": " + e.what());
    return false;
  }
  return true;
}

}  // namespace vorne
