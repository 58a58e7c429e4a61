#include "FilingGenerator.h"

#include <cstdio>
#include <map>

namespace vorne::gen {
namespace {

// A small deterministic generator (xorshift), so files never depend on the
// standard library's distributions.
class TRand {
 public:
  explicit TRand(uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  int Below(int n) { return n <= 0 ? 0 : int(Next() % uint32_t(n)); }
  template <class T>
  const T& Pick(const std::vector<T>& v) { return v[size_t(Below(int(v.size())))]; }

 private:
  uint32_t s_;
};

struct TCompany {
  const char* name;
  const char* prefix;  // file name prefix
  int code;
  int volumes;
  const char* officer;
};

const std::vector<TCompany> kCompanies = {
    {"CASCADE RIDGE PIPELINE COMPANY, L.P.", "CRP", 4217, 1, "Margaret A. Holloway, Vice President, Rates"},
    {"GULF SHORE NATURAL GAS COMPANY", "GSN", 1188, 2, "Thomas R. McAllister, Director of Regulatory Affairs"},
    {"PRAIRIE WIND GAS STORAGE LLC", "PWS", 30561, 1, "Elena Vasquez, General Counsel"},
    {"BLUE MESA TRANSMISSION CORPORATION", "BMT", 902, 1, "Harold J. Brenner, Senior Vice President"},
    {"ALLEGHENY VALLEY INTERSTATE GAS CO.", "AVI", 7740, 2, "Dorothy K. Lindqvist, Manager, Tariffs"},
    {"HIGH DESERT LNG TERMINAL COMPANY", "HDL", 51234, 1, "Raymond O. Tsai, Vice President and Secretary"},
};

const char* kOrdinals[] = {"ORIGINAL",  "FIRST",     "SECOND",     "THIRD",     "FOURTH",    "FIFTH",
                           "SIXTH",     "SEVENTH",   "EIGHTH",     "NINTH",     "TENTH",     "ELEVENTH",
                           "TWELFTH",   "THIRTEENTH", "FOURTEENTH", "FIFTEENTH", "SIXTEENTH", "SEVENTEENTH",
                           "EIGHTEENTH", "NINETEENTH"};

std::string Pad(std::string s, size_t w) {
  s.resize(w, ' ');
  return s;
}
std::string Right(const std::string& s, size_t w) { return s.size() >= w ? s.substr(0, w) : std::string(w - s.size(), ' ') + s; }
std::string Num(int n, int w) {
  char b[16];
  std::snprintf(b, sizeof b, "%0*d", w, n);
  return b;
}
std::string Date6(int y, int m, int d) { return Num(m, 2) + Num(d, 2) + Num(y % 100, 2); }

std::string Title(int rev, int sheet, bool alt) {
  std::string t;
  if (rev == 0)
    t = "ORIGINAL SHEET NO. ";
  else if (rev < 20)
    t = std::string(kOrdinals[rev]) + " REVISED SHEET NO. ";
  else
    t = std::to_string(rev) + " REVISED SHEET NO. ";
  t += std::to_string(sheet);
  if (alt)
    t = (rev == 0 ? std::string("ORIGINAL") : std::string(kOrdinals[rev < 20 ? rev : 1]) + " REVISED") +
        " ALTERNATE SHEET NO. " + std::to_string(sheet);
  return t;
}

// The body of a sheet by its kind: rates, terms, forms, maps, contents.
std::vector<std::string> Body(TRand& r, const TCompany& c, int sheet, int type, int width, int rev) {
  std::vector<std::string> out;
  auto center = [&](const std::string& s) {
    int pad = (width - int(s.size())) / 2;
    return std::string(size_t(pad > 0 ? pad : 0), ' ') + s;
  };
  out.push_back(center(c.name));
  out.push_back(center("ZOAK Gas Tariff"));
  out.push_back("");
  switch (type) {
    case 1: {  // rates
      static const std::vector<std::string> sch = {"FTS-1", "ITS-1", "FSS", "ISS", "NNS", "PAL"};
      out.push_back(center("CURRENTLY EFFECTIVE RATES"));
      out.push_back(center("Rate Schedule " + r.Pick(sch)));
      out.push_back("");
      out.push_back("                              Base      Annual   Currently");
      out.push_back("                              Tariff    Charge   Effective");
      out.push_back("                              Rate      Adj.     Rate");
      static const std::vector<std::string> comp = {"Reservation Charge ($/Dth/mo)", "Commodity Charge ($/Dth)",
                                                    "Overrun Charge ($/Dth)", "Injection Charge ($/Dth)",
                                                    "Withdrawal Charge ($/Dth)", "Fuel Retention (%)"};
      int n = 3 + r.Below(4);
      for (int i = 0; i < n; ++i) {
        char line[160];
        double base = (r.Below(90000) + 100) / 10000.0 + rev * 0.0125;
        std::snprintf(line, sizeof line, "  %-28s%8.4f  %7.4f  %8.4f", comp[size_t(i)].c_str(), base,
                      0.0017, base + 0.0017);
        out.push_back(line);
      }
      break;
    }
    case 2:
    case 3: {  // general terms and conditions
      static const std::vector<std::string> heads = {"DEFINITIONS", "QUALITY OF GAS", "NOMINATIONS AND SCHEDULING",
                                                     "BILLING AND PAYMENT", "CURTAILMENT", "FORCE MAJEURE",
                                                     "PRESSURE AND DELIVERY", "IMBALANCE MANAGEMENT"};
      out.push_back(center("GENERAL TERMS AND CONDITIONS"));
      out.push_back("");
      out.push_back(std::to_string(sheet % 40 + 1) + ".  " + r.Pick(heads));
      static const std::vector<std::string> words = {
          "Shipper", "Transporter", "shall", "nominate", "quantities", "of", "gas", "at", "the", "Receipt",
          "Point", "on", "each", "Day", "in", "accordance", "with", "this", "Tariff", "and", "applicable",
          "Service", "Agreement", "not", "later", "than", "9:00", "a.m.", "Central", "Clock", "Time", "prior",
          "to", "Gas", "Day", "provided", "however", "that", "any", "such", "request", "be", "confirmed"};
      int paras = 2 + r.Below(3);
      for (int p = 0; p < paras; ++p) {
        out.push_back("");
        std::string line = "     (" + std::string(1, char('a' + p)) + ")";
        int n = 30 + r.Below(60);
        for (int i = 0; i < n; ++i) {
          const std::string& w = r.Pick(words);
          if (int(line.size() + 1 + w.size()) > width - 4) {
            out.push_back(line);
            line = "         ";
          }
          line += " " + w;
        }
        out.push_back(line + ".");
      }
      break;
    }
    case 4: {  // table of contents
      out.push_back(center("TABLE OF CONTENTS"));
      out.push_back("");
      out.push_back("  Description                                        Sheet No.");
      static const std::vector<std::string> items = {"Preliminary Statement", "System Map", "Statement of Rates",
                                                     "Rate Schedule FTS-1", "Rate Schedule ITS-1",
                                                     "General Terms and Conditions", "Form of Service Agreement",
                                                     "Index of Firm Shippers"};
      for (size_t i = 0; i < items.size(); ++i)
        out.push_back("  " + Pad(items[i], 50) + " " + Right(std::to_string(1 + int(i) * 10), 5));
      break;
    }
    default: {  // forms and notices
      out.push_back(center("FORM OF SERVICE AGREEMENT"));
      out.push_back("");
      out.push_back("     THIS AGREEMENT, made and entered into this ____ day of ________,");
      out.push_back("by and between " + std::string(c.name) + ", hereinafter");
      out.push_back("referred to as \"Transporter,\" and ______________________, hereinafter");
      out.push_back("referred to as \"Shipper.\"");
      out.push_back("");
      out.push_back("     Maximum Daily Quantity: ________ Dth per Day");
      out.push_back("     Primary Receipt Point(s): _____________________________");
      break;
    }
  }
  return out;
}

struct TLive {
  int rev = -1;
  int type = 1;
  char orient = 'P';
  int cpi = 10;
  char lpi = '6';
};

}  // namespace

std::vector<TGenFiling> GenerateFilings(const TGenOptions& o) {
  TRand r(o.seed);
  std::vector<TGenFiling> files;
  const int nCompanies = o.companies < int(kCompanies.size()) ? o.companies : int(kCompanies.size());
  for (int ci = 0; ci < nCompanies; ++ci) {
    const TCompany& c = kCompanies[size_t(ci)];
    std::map<int, std::map<int, TLive>> live;  // volume -> sheet -> latest version
    for (int f = 0; f < o.filingsPerCompany; ++f) {
      TGenFiling out;
      out.name = std::string(c.prefix) + Num(f + 1, 2) + Num(ci + 1, 2) + ".ASC";
      int year = 2003 + f, month = 1 + r.Below(12), day = 1 + r.Below(28);
      std::string docket = "RP" + Num(year % 100, 2) + "-" + std::to_string(100 + r.Below(800)) + "-000";
      auto line = [&](const std::string& s) { out.text += s + "\r\n"; };
      line("TF00" + Pad(docket, 20) + Date6(year, month, day));
      line("TF01" + Num(c.code, 6) + Date6(year, month, day) + c.name);
      for (int v = 1; v <= c.volumes; ++v) {
        const bool second = v == 2;
        line("TF02" + Pad(second ? "2" : "1", 4) + "000" +
             (second ? "ORIGINAL VOLUME NO. 2 (RATE SCHEDULES)" : "SECOND REVISED VOLUME NO. 1"));
        line("TF05" + std::string(c.officer));
        int effM = month % 12 + 1, effY = year + (month == 12);
        std::string comply = f > 0 ? Pad("RP" + Num((year - 1) % 100, 2) + "-" + std::to_string(50 + r.Below(400)) + "-001", 20)
                                   : std::string(20, ' ');
        line("TF06" + Date6(year, month, day) + (f > 0 ? Date6(year, month, 1 + r.Below(28)) : std::string("000000")) +
             comply + Date6(effY, effM, 1));
        if (f > 0) {
          // An order citation: reporter volume, series, paragraph.
          int vol = 90 + r.Below(20);
          line("TF07" + Num(vol % 100, 2) + Num(1 + r.Below(3), 2) + Num(r.Below(999), 3) + "  ");
        }
        auto& sheets = live[v];
        int count = o.sheetsPerFiling;
        for (int k = 0; k < count; ++k) {
          int sheetNo;
          if (f == 0 || sheets.empty() || r.Below(3) == 0)
            sheetNo = int(sheets.size()) + 1 + (v == 2 ? 100 : 0);  // a new sheet
          else
            sheetNo = std::next(sheets.begin(), r.Below(int(sheets.size())))->first;  // a revision
          TLive& s = sheets[sheetNo];
          bool fresh = s.rev < 0;
          if (fresh) {
            s.type = 1 + r.Below(10);
            s.orient = r.Below(4) == 0 ? 'L' : 'P';
            static const int kCpi[] = {10, 10, 12, 15, 17};
            s.cpi = kCpi[r.Below(5)];
            s.lpi = r.Below(3) == 0 ? '8' : '6';
          }
          // Never two versions of one sheet in one filing.
          if (!fresh && s.rev >= f) continue;
          s.rev = fresh ? (f == 0 ? 0 : 0) : s.rev + 1;
          if (s.rev > f) s.rev = f;
          const int orient = s.orient == 'L' ? 2 : 1;
          static const int kPort[] = {65, 79, 98, 112}, kLand[] = {98, 118, 148, 168};
          int pc = s.cpi == 10 ? 0 : s.cpi == 12 ? 1 : s.cpi == 15 ? 2 : 3;
          int width = orient == 2 ? kLand[pc] : kPort[pc];
          if (width > 78) width = 78;
          const bool alt = s.type == 9 && r.Below(2) == 0;
          std::string title = Title(s.rev, sheetNo, alt);
          line("TF03" + Right(std::to_string(sheetNo), 8) + Right(std::to_string(s.rev), 3) + (alt ? " 1" : " 0") +
               Right(std::to_string(s.type), 2) + std::string(1, s.orient) + Num(s.cpi, 2) + std::string(1, s.lpi) +
               title);
          if (s.type == 4 || r.Below(5) == 0)
            line("TF04" + Right(std::to_string(sheetNo), 8) + Right(std::to_string(sheetNo + 9), 8) +
                 (s.type == 4 ? "TABLE OF CONTENTS" : "Superseding " + Title(s.rev > 0 ? s.rev - 1 : 0, sheetNo, false)));
          for (const std::string& b : Body(r, c, sheetNo, s.type > 5 ? 5 : s.type, width, s.rev)) line(b);
          line("");
          line(Pad("Issued by: " + std::string(c.officer), 60));
          line("Issued on: " + std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year) +
               "                    Effective on: " + std::to_string(effM) + "/1/" + std::to_string(effY));
          ++out.sheets;
        }
        if (o.withErrors && v == 1) {
          // Deliberate faults the import must report.
          switch ((f + ci) % 4) {
            case 0:
              line("TF03" + Right(std::to_string(900 + f), 8) + "  0 0 1X107" + "ORIGINAL SHEET NO. " + std::to_string(900 + f));
              line("This sheet was prepared with an unknown orientation code.");
              line("TF08 THIS RECORD TYPE IS NOT VALID");
              ++out.sheets;
              break;
            case 1:
              line("TF03" + Right(std::to_string(950 + f), 8) + "  0 0 1P106" + "ORIGINAL SHEET NO. " + std::to_string(950 + f));
              line("TF04" + Right("1", 8) + Right("20", 8) + "OUT OF RANGE TEST");
              line("  Reserved for future use." + std::string(60, ' ') + "(continued on next sheet)");
              line("TF02SHORT");
              ++out.sheets;
              break;
            case 2:
              line("TF03" + Right(std::to_string(970 + f), 8) + "  0 0 1P106" + "FIRST REVISED SHEET NO. " + std::to_string(971 + f));
              for (int i = 0; i < 4; ++i) line(std::string(30, ' ') + std::string(150, '=') + " table rule");
              ++out.sheets;
              break;
            default:
              line("TF07" + std::string("12"));
              line("TF03" + std::string(8, ' ') + "  0 0 1P106" + "ORIGINAL SHEET NO. ");
              line("A sheet without a sheet number is rejected.");
              ++out.sheets;
              break;
          }
        }
      }
      files.push_back(std::move(out));
    }
  }
  return files;
}

}  // namespace vorne::gen
