// gen-filings <folder> [--seed N] [--companies N] [--filings N] [--sheets N] [--no-errors]
// Writes sample tariff filings into folder (created when missing).
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FilingGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr, "usage: gen-filings <folder> [--seed N] [--companies N] [--filings N] [--sheets N] [--no-errors]\n");
    return 2;
  }
  vorne::gen::TGenOptions o;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
    if (a == "--seed") o.seed = uint32_t(value());
    else if (a == "--companies") o.companies = value();
    else if (a == "--filings") o.filingsPerCompany = value();
    else if (a == "--sheets") o.sheetsPerFiling = value();
    else if (a == "--no-errors") o.withErrors = false;
    else {
      std::fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    }
  }
  ::mkdir(argv[1], 0755);
  int sheets = 0;
  for (const auto& f : vorne::gen::GenerateFilings(o)) {
    std::string path = std::string(argv[1]) + "/" + f.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(f.text.data(), 1, f.text.size(), out) != f.text.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::fclose(out);
    sheets += f.sheets;
  }
  std::printf("%d sheets written to %s\n", sheets, argv[1]);
  return 0;
}
