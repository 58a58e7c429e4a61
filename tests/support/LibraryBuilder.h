// Builds small libraries for tests through the store's own writers, the way
// an import writes them: per volume a VolumeRecord, the issuer and docket
// records, the sheet records, an EndRecord, then the prime file.
#pragma once

#include <string>
#include <vector>

#include "platform/UserPort.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Records.h"
#include "store/TextWriter.h"

namespace vorne::testing {

struct TSheetPlan {
  std::string sheetNo;
  int rev = 0;
  std::vector<std::string> lines;  // the title first
  uint8_t status = kEffective;
  uint16_t filingDate = 0;
  uint16_t updDate = 0;
  std::string issuer = "John Smith";
  std::string docket = "RP96-1-000";
  uint16_t effectiveDate = 0;
  char orientation = 'P';
  uint8_t sheetType = 0;
  uint8_t orderType = 0;
  std::string complianceDkt;  // blank when empty
  uint16_t issueDate = 0;
  uint16_t orderDate = 0;
};

struct TVolumePlan {
  uint32_t companyCode = 1;
  std::string company = "Test Pipeline Company";
  std::string volId = "1";
  int16_t volRevNo = 0;
  std::string volumeName = "ZOAK Gas Tariff";
  std::vector<TSheetPlan> sheets;
};

// A volume of one sheet per status, numbered 1, 2, … and titled
// "Original Sheet No. n".
inline TVolumePlan VolumeWithStatuses(uint32_t code, const char* company, const std::vector<uint8_t>& statuses) {
  TVolumePlan v;
  v.companyCode = code;
  v.company = company;
  int n = 0;
  for (uint8_t st : statuses) {
    TSheetPlan s;
    s.sheetNo = std::to_string(++n);
    s.lines = {"Original Sheet No. " + s.sheetNo, "text"};
    s.status = st;
    v.sheets.push_back(s);
  }
  return v;
}

inline std::string PrimePathFor(const std::string& dir, bool compressed) {
  return dir + "/" + (compressed ? kCompressedNames.prime : kUncompressedNames.prime);
}

// Writes a new library into dir (recreated) and returns its prime file path.
inline std::string BuildLibrary(TEnv& env, const std::string& dir, bool compressed,
                                const std::vector<TVolumePlan>& volumes) {
  env.fs.MakeDir(dir);
  TFileCluster out(env, compressed);
  TOutputMode mode;
  mode.rewrite = true;
  out.SetOutputMode(&mode);
  const std::string prime = PrimePathFor(dir, compressed);
  if (!out.Open(prime, true) || !out.OpenBuffer()) throw std::runtime_error("cannot open " + dir);
  for (const TVolumePlan& v : volumes) {
    TPrimeRecord r;
    r.companyCode = v.companyCode;
    r.companyName = v.company;
    r.volId = v.volId;
    r.volRevNo = v.volRevNo;
    TPrimeRef* ref = out.NewVolume(r);
    ref->AddVolumeRecord({ZeroPad(v.companyCode, 6), PadRight(v.volId, 4), ZeroPad(v.volRevNo, 3), v.volumeName});
    TAuxList<T5Entry> issuers;
    TAuxList<T6Entry> dockets;
    std::vector<std::string> added;
    for (const TSheetPlan& s : v.sheets) {
      std::optional<TTextPos> text = out.OutBuffer()->WriteSheet(s.lines);
      if (!text) throw std::runtime_error("sheet does not fit");
      TSheetBody b;
      b.sheetNo = PadRight(s.sheetNo, 8);
      b.revNo = int16_t(s.rev);
      b.status = s.status;
      b.filingDate = s.filingDate;
      b.updDate = s.updDate;
      b.orientation = uint8_t(s.orientation);
      b.sheetType = s.sheetType;
      b.orderType = s.orderType;
      b.text = *text;
      TSheet sheet(b, ref, -1);
      auto issuer = std::make_shared<T5Entry>();
      issuer->name = s.issuer;
      int i = issuers.IndexOfEqual(*issuer);
      if (i >= 0) issuer = issuers[size_t(i)]; else issuers.Add(issuer);
      auto docket = std::make_shared<T6Entry>();
      docket->body.docket = s.docket;
      docket->body.effectiveDate = s.effectiveDate;
      docket->body.issueDate = s.issueDate;
      docket->body.orderDate = s.orderDate;
      if (!s.complianceDkt.empty()) docket->body.complianceDkt = PadRight(s.complianceDkt, 20);
      docket->docketText = FormatDocket(docket->body);
      int d = dockets.IndexOfEqual(*docket);
      if (d >= 0) docket = dockets[size_t(d)]; else dockets.Add(docket);
      sheet.AttachIssuer(issuer);
      sheet.AttachDocket(docket);
      issuer->Write(out);
      docket->Write(out);
      SaveSheet(sheet, out, out.HdrSize(), false);
      added.push_back(b.sheetNo);
      if (ref->record.updated < b.updDate) ref->record.updated = b.updDate;
    }
    out.AppendHdr(EncodeEnd());
    ExtendRange(ref->record, added);
  }
  out.CloseBuffer();
  out.CloseHdr();
  if (!out.FlushNew()) throw std::runtime_error("cannot write the prime file");
  return prime;
}

}  // namespace vorne::testing
