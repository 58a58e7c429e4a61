// VORNE installed as a Linux program: `cmake --install` into a fresh prefix
// puts the programs, menu entry, icon, metadata, manual pages and completion
// where the desktop and the shell look for them, each valid for its checker;
// and the installed vorne-batch works from any folder, with nothing of the
// source or build tree (it imports the samples, publishes a site with its
// images and prints a PDF).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/BatchRunner.h"

namespace vorne::testing {
namespace {

namespace fs = std::filesystem;

class InstallTest : public ::testing::Test {
 protected:
  InstallTest() : dir_(TestTempDir("vorne-install-")), prefix_(dir_ / "usr"), work_(dir_ / "elsewhere") {
    fs::create_directories(work_);
  }
  ~InstallTest() override { fs::remove_all(dir_); }

  // Runs a shell command in the work folder, with stdout and stderr captured.
  TBatchResult Shell(const std::string& command) {
    const std::string cmd = "cd '" + work_.string() + "' && HOME='" + work_.string() + "' " + command +
                            " >shell-out.txt 2>shell-err.txt </dev/null";
    TBatchResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(work_ / "shell-out.txt");
    r.err = Slurp(work_ / "shell-err.txt");
    return r;
  }
  std::string Installed(const std::string& path) const { return (prefix_ / path).string(); }
  // The completion the shell would offer for the words typed so far.
  std::string Completion(const std::string& program, const std::string& words, int current) {
    const std::string script = "source '" + Installed("share/bash-completion/completions/" + program) +
                               "'; COMP_WORDS=(" + words + "); COMP_CWORD=" + std::to_string(current) + "; _" +
                               (program == "vorne" ? std::string("vorne") : "vorne_batch") +
                               "; echo \"${COMPREPLY[*]}\"";
    std::ofstream(work_ / "complete.sh") << script << "\n";
    return Shell("bash complete.sh").out;
  }

  fs::path dir_, prefix_, work_;
};

TEST_F(InstallTest, InstalledFilesAreWhereTheDesktopLooksAndValid) {
  TBatchResult install = Shell("cmake --install '" + std::string(VORNE_BUILD_DIR) + "' --prefix '" +
                               prefix_.string() + "'");
  ASSERT_EQ(install.status, 0) << install.err;
  for (const char* file : {"bin/vorne", "bin/vorne-batch", "share/applications/vorne.desktop",
                           "share/metainfo/org.vorne.vorne.metainfo.xml", "share/icons/hicolor/scalable/apps/vorne.svg",
                           "share/man/man1/vorne.1", "share/man/man1/vorne-batch.1", "share/doc/vorne/third-party-notices.txt",
                           "share/bash-completion/completions/vorne-batch", "share/bash-completion/completions/vorne"})
    EXPECT_TRUE(fs::is_regular_file(prefix_ / file)) << file;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const std::string png = "share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/vorne.png";
    EXPECT_EQ(Slurp(prefix_ / png).substr(1, 3), "PNG") << png;
  }
  // Nothing the programs read at run time lies beside them.
  EXPECT_FALSE(fs::exists(prefix_ / "bin/top.png"));

  for (const std::string& check :
       {"desktop-file-validate '" + Installed("share/applications/vorne.desktop") + "'",
        "appstreamcli validate --no-net '" + Installed("share/metainfo/org.vorne.vorne.metainfo.xml") + "'",
        "groff -ww -z -man '" + Installed("share/man/man1/vorne.1") + "'",
        "groff -ww -z -man '" + Installed("share/man/man1/vorne-batch.1") + "'"}) {
    TBatchResult r = Shell(check);
    EXPECT_EQ(r.status, 0) << check << "\n" << r.out << r.err;
    // The manual pages and the desktop entry are clean, not only valid.
    if (check.rfind("appstreamcli", 0) != 0) {
      EXPECT_EQ(r.out + r.err, "") << check;
    }
  }

  // The installed programs, from another folder.
  const std::string batch = "'" + Installed("bin/vorne-batch") + "'";
  TBatchResult import = Shell(batch + " ADDFROM '" + std::string(VORNE_SOURCE_DIR) + "/samples' TO lib");
  ASSERT_EQ(import.status, 0) << import.err;
  TBatchResult html = Shell(batch + " FROM lib UNZIP ALL HTML TO site");
  ASSERT_EQ(html.status, 0) << html.err;
  EXPECT_EQ(html.out, "site/index.htm\n");
  for (const char* image : {"top.png", "down.png", "up.png", "stop.png"})
    EXPECT_EQ(Slurp(work_ / "site" / image).substr(1, 3), "PNG") << image;
  TBatchResult pdf = Shell(batch + " FROM lib UNZIP ID 902 NOLIMIT PDF TO sheets.pdf");
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  EXPECT_EQ(Slurp(work_ / "sheets.pdf").substr(0, 5), "%PDF-");

  // The desktop program answers --help and --version without a display.
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + Installed("bin/vorne") + "'";
  TBatchResult version = Shell(noDisplay + " --version");
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("vorne ", 0), 0u) << version.out;
  TBatchResult help = Shell(noDisplay + " --help");
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("vorne <library folder>"), std::string::npos) << help.out;

  // Completion: keywords in any case, the words of a value, vorne-batch's own words.
  EXPECT_EQ(Completion("vorne-batch", "vorne-batch bro", 1), "BROWSE\n");
  EXPECT_EQ(Completion("vorne-batch", "vorne-batch FROM lib DELETE v", 4), "VOLUMES\n");
  EXPECT_EQ(Completion("vorne-batch", "vorne-batch RECENT a", 2), "ALL\n");
  EXPECT_EQ(Completion("vorne-batch", "vorne-batch FROM li", 2), "lib\n");
  EXPECT_EQ(Completion("vorne-batch", "vorne-batch PD", 1), "PDF\n");
  EXPECT_EQ(Completion("vorne", "vorne PD", 1), "\n");
}

}  // namespace
}  // namespace vorne::testing
