#include "shell/MainCommands.h"

#include "shell/CommandLine.h"
#include "shell/Main.h"
#include "store/Prime.h"

namespace vorne {

bool FromClick(TMain& main) {
  TRunState& st = main.State();
  std::string start = st.FromDir.empty() ? std::string(".") : st.FromDir;
  ChooseNewerGeneration(main.Env().fs, start);
  for (;;) {
    auto chosen = main.Env().port.ChooseOpenFile({kFromCaption, AppendName(start, kZippedPrime), kFromFilter});
    if (!chosen || chosen->empty()) return false;
    st.FromDir = TypedFolder(*chosen);
    if (main.OpenPrimeFile(*chosen)) return true;
    start = st.FromDir;
  }
}

TSplashTick InitTimerTick(TRunState& st, bool hasArgs, int month, int day) {
  TSplashTick t;
  ++st.Ticks;
  if (st.Ticks > 2) {
    t.decemberPicture = month == 12;
    t.januaryPicture = (month == 1 && day <= 6) || (t.decemberPicture && day >= 26 && st.Ticks > 3);
  }
  if (!hasArgs && st.Ticks < 10) return t;
  t.start = month < 12 ? st.Ticks > 10 : st.Ticks >= 17;
  return t;
}

std::string ShowVersion(TRunState& st) {
  st.Ticks = -4;
  if (!st.ExpertMode) return {};
  return "Prime Record is " + std::to_string(kPrimeRecordSize) + " Bytes";
}

TToolboxDoor CreditsClick(const TRunState& st, bool splashShowing) {
  if (!st.ToolboxArmed && !st.ExpertMode) return TToolboxDoor::Contact;
  return splashShowing ? TToolboxDoor::ExpertAtOnce : TToolboxDoor::ShowDialog;
}

std::vector<std::string> FontBoxLines() {
  std::vector<std::string> lines;
  for (int r = 0; r < 16; ++r) {
    std::string line = std::to_string(r) + " : ";
    for (int c = 16 * r; c < 16 * r + 16; ++c) line.push_back(static_cast<char>(c));
    lines.push_back(line);
  }
  return lines;
}

}  // namespace vorne
