// A small library that exercises every part of a published site: a company
// with two volumes and more sheets than two sheet page files hold, a company
// whose file stem collides with another's, a one-sheet company, every status
// and sheet type, dockets with and without numbers, a missing issuer, and
// text with control characters, markup characters, entities and overlong
// lines.
#pragma once

#include <string>
#include <vector>

#include "support/LibraryBuilder.h"

namespace vorne::testing {

inline std::vector<std::string> SampleBody(int i) {
  static const char* kProse[] = {
      "Transporter shall receive gas at the Point(s) of Receipt and deliver",
      "the General Terms & Conditions of this \"Tariff\" apply <see below>.",
      "\tTabbed\x01 line with control characters\x7F and a DEL",
      "Accents: \xE9t\xE9, cents \xA2, section \xA7, copyright \xA9, half \xBD, \x1A" "nd\xFA",
      "",
      "     Reservation Charge        $4.5000    per Dth   (1)",
  };
  std::vector<std::string> body;
  for (int l = 0; l < 2 + i % 4; ++l) body.push_back(kProse[(i + l) % 6]);
  if (i % 29 == 5) body.push_back(std::string(300, 'x'));
  if (i % 31 == 7) body.push_back(std::string(252, 'y') + "&z<" + "q");
  return body;
}

inline TSheetPlan SampleSheet(int i) {
  static const char* kDockets[] = {"RP96-1-000", "CP01-12-003", "", "RP05-7-000", "GT99-100-001"};
  static const char* kIssuers[] = {"John Smith", "Mary O'Neil & Co.", ""};
  TSheetPlan s;
  s.sheetNo = std::to_string(i) + (i % 9 == 4 ? "A" : "");
  s.rev = i % 3;
  s.status = uint8_t(i % 7);
  s.sheetType = uint8_t(i % 11);
  s.docket = kDockets[i % 5];
  s.issuer = kIssuers[i % 41 == 3 ? 2 : i % 2];
  s.effectiveDate = uint16_t(PackDate(1990 + i % 15, 1 + i % 12, 1 + i % 28));
  s.filingDate = uint16_t(PackDate(1990 + i % 15, 1 + i % 12, 1));
  s.issueDate = uint16_t(i % 4 ? PackDate(1989, 1 + i % 12, 2) : 0);
  s.orderDate = uint16_t(i % 6 ? 0 : PackDate(1991, 3, 4));
  s.orderType = uint8_t(i % 6);
  if (i % 8 == 1) s.complianceDkt = "RP88-1-000 A";
  std::string title = i % 17 == 0 ? "" : (i % 2 ? "original sheet no. " : "FIRST REVISED SHEET NO. ") + s.sheetNo;
  if (i % 23 == 11) title = "\x02" "control first line";
  s.lines.push_back(title);
  if (i % 13 != 6) {
    s.lines.push_back(i % 3 ? "superseding original sheet no. " + s.sheetNo : "   ");
    for (std::string& l : SampleBody(i)) s.lines.push_back(std::move(l));
  }
  return s;
}

inline std::vector<TVolumePlan> SampleSite() {
  std::vector<TVolumePlan> volumes;
  TVolumePlan one;
  one.companyCode = 7;
  one.company = "Beta Pipeline";
  one.sheets.push_back(SampleSheet(1));
  volumes.push_back(one);

  TVolumePlan big;
  big.companyCode = 12345;
  big.company = "Alpha & Omega <Gas> Pipeline Company";
  big.volumeName = "First Revised Volume No. 1";
  for (int i = 1; i <= 230; ++i) big.sheets.push_back(SampleSheet(i));
  volumes.push_back(big);

  TVolumePlan second = big;
  second.volId = "2";
  second.volumeName = "Original Volume No. 2 <rate schedules>";
  second.sheets.clear();
  for (int i = 300; i < 305; ++i) second.sheets.push_back(SampleSheet(i));
  volumes.push_back(second);

  TVolumePlan collide;
  collide.companyCode = 112345;  // the same file stem as 012345
  collide.company = "Gamma Gas Transmission";
  for (int i = 400; i < 403; ++i) collide.sheets.push_back(SampleSheet(i));
  volumes.push_back(collide);
  return volumes;
}

}  // namespace vorne::testing
