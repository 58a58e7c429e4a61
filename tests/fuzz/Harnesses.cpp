#include "fuzz/Harnesses.h"

#include <memory>
#include <vector>

#include "copy/OutputVolumes.h"
#include "filings/FilingImport.h"
#include "store/Cluster.h"
#include "store/Common.h"
#include "store/Errors.h"
#include "store/Headers.h"
#include "store/TextReader.h"
#include "support/LibraryBuilder.h"
#include "support/MemFileSystem.h"
#include "volumes/Export.h"

namespace vorne::fuzz {

using testing::TMemFileSystem;

namespace {

uint32_t Le(const uint8_t* p, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

// Reads every volume of the library whose prime file is at prime. The core's
// named failures end one volume's reading; anything else is a finding and
// is let through.
void ReadLibrary(TFileSystem& fs, const std::string& prime, bool compressed) {
  TSilentPort port;
  TEnv env{fs, port};
  TFileCluster in(env, compressed);
  if (!in.Open(prime, false)) return;
  try {
    in.ReadAll();
  } catch (const EVorneError&) {
    return;
  }
  for (const auto& v : in.Volumes()) {
    try {
      THdrList list(*v, nullptr);
      list.Load();
      TNamedSheets names;
      TAuxList<T5Entry> issuers;
      TAuxList<T6Entry> dockets;
      list.FillNames(names, issuers, dockets);
      if (in.OpenBuffer()) {
        std::vector<std::string> lines;
        for (const auto& group : list.Groups())
          for (const TSheetPtr& s : group.versions) {
            int32_t longest = 0, count = 0;
            lines.clear();
            try {
              in.Buffer()->SheetText(s->body.text, lines, longest, count);
            } catch (const EVorneError&) {
            }
          }
        in.CloseBuffer();
      }
      in.DocketList(*v);
      in.LatestUpdate(*v);
    } catch (const EVorneError&) {
      try {
        in.CloseBuffer();
      } catch (const EVorneError&) {
      }
      in.CloseHdr();
    }
  }
  try {
    std::string path = "/export.txt";
    TDatabaseExport db(env);
    if (db.OpenExport(path, "/")) {
      for (const auto& v : in.Volumes()) {
        try {
          db.ExportVolume(*v, nullptr);
        } catch (const EVorneError&) {
        }
      }
      db.Close();
    }
  } catch (const EVorneError&) {
  }
}

// A library holding two volumes, built once: the filing harness imports into
// a copy of it.
const TMemFileSystem& StockedLibrary() {
  static const std::unique_ptr<TMemFileSystem> disk = [] {
    auto fs = std::make_unique<TMemFileSystem>();
    TSilentPort port;
    TEnv env{*fs, port};
    auto sheet = [](const std::string& no) {
      testing::TSheetPlan s;
      s.sheetNo = no;
      s.rev = 1;
      s.lines = {"1st Revised Sheet No. " + no, "  text of " + no};
      return s;
    };
    testing::TVolumePlan zeta;
    zeta.companyCode = 123;
    zeta.company = "Zeta Gas Pipeline Company";
    zeta.sheets = {sheet("1"), sheet("2")};
    testing::TVolumePlan alpha;
    alpha.companyCode = 77;
    alpha.company = "Alpha Pipeline Company";
    alpha.sheets = {sheet("10")};
    fs->MakeDir("/lib");
    testing::BuildLibrary(env, "/lib", false, {zeta, alpha});
    return fs;
  }();
  return *disk;
}

void ImportInto(TFileSystem& fs, const std::string& dir, std::string_view filing) {
  TSilentPort port;
  TEnv env{fs, port};
  TFileCluster out(env, false);
  TOutputMode mode;
  mode.append = true;
  out.SetOutputMode(&mode);
  if (!out.Open(dir + "/Prime4", true)) return;
  try {
    out.ReadAll();
    TToDisplay display;
    display.SetOutput(out);
    TAddFilings run(env, nullptr, &display, nullptr);
    run.ImportText(out, filing, "FUZZ.ASC");
    out.CloseBuffer();
    out.CloseHdr();
  } catch (const EVorneError&) {
    // A volume cut short leaves no records; what was completed stays.
  }
  out.FlushNew();
}

}  // namespace

std::string PackLibrary(const std::string& prime, const std::string& header, const std::string& text) {
  std::string packed(7, '\0');
  const uint32_t p = uint32_t(prime.size()), h = uint32_t(header.size());
  for (int i = 0; i < 2; ++i) packed[size_t(1 + i)] = char(p >> (8 * i));
  for (int i = 0; i < 4; ++i) packed[size_t(3 + i)] = char(h >> (8 * i));
  return packed + prime + header + text;
}

void FuzzLibrary(const uint8_t* data, size_t size) {
  if (size < 7) return;
  size_t primeSize = Le(data + 1, 2), hdrSize = Le(data + 3, 4);
  const uint8_t* at = data + 7;
  size_t left = size - 7;
  primeSize = std::min(primeSize, left);
  hdrSize = std::min(hdrSize, left - primeSize);
  const std::string prime(reinterpret_cast<const char*>(at), primeSize);
  const std::string header(reinterpret_cast<const char*>(at + primeSize), hdrSize);
  const std::string text(reinterpret_cast<const char*>(at + primeSize + hdrSize), left - primeSize - hdrSize);
  for (bool compressed : {true, false}) {
    TMemFileSystem fs;
    const TFormNames& names = compressed ? kCompressedNames : kUncompressedNames;
    fs.MakeDir("/lib");
    fs.WriteAll(std::string("/lib/") + names.prime, prime);
    fs.WriteAll(std::string("/lib/") + names.header, header);
    fs.WriteAll(std::string("/lib/") + names.text, text);
    ReadLibrary(fs, std::string("/lib/") + names.prime, compressed);
  }
}

void FuzzFiling(const uint8_t* data, size_t size) {
  const std::string_view filing(reinterpret_cast<const char*>(data), size);
  {
    TMemFileSystem fs;
    fs.MakeDir("/new");
    {
      TSilentPort port;
      TEnv env{fs, port};
      TFileCluster out(env, false);
      TOutputMode mode;
      mode.rewrite = true;
      out.SetOutputMode(&mode);
      if (!out.Open("/new/Prime4", true)) return;
    }
    ImportInto(fs, "/new", filing);
    ReadLibrary(fs, "/new/Prime4", false);
  }
  auto fs = StockedLibrary().Snapshot();
  ImportInto(*fs, "/lib", filing);
  ReadLibrary(*fs, "/lib/Prime4", false);
}

}  // namespace vorne::fuzz
