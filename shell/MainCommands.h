// The main window's commands that talk to the person or keep time: the From
// button, the splash timer of the start sequence, Show Version, and the door
// to the toolbox. The decisions live here so that they can be tested without
// a window; the desktop view carries them out (hides the splash, opens the
// dialog) and the batch program never calls them.
#pragma once

#include <string>
#include <vector>

namespace vorne {

class TMain;
struct TRunState;

inline constexpr char kFromCaption[] = "FROM what Prime file:";
// The prime files of the two library forms by their own names: a pattern
// "Prim*" would also offer the legacy "Prime" file, which no library opens by.
inline constexpr char kFromFilter[] = "All|GZPrime;Prime4|zipped|GZPrime|unzipped|Prime4";
// The toolbox's door when it is not open to this person.
inline constexpr char kToolboxContact[] =
    "The toolbox holds tools that can change a library beyond repair.\n"
    "Ask the administrator of your tariff library to open it for you.";

// The From button and the Open menu command: the open dialog, starting in
// FromDir (the newer copy of a two-copy library), repeated until a library
// opens or the person cancels. True when a library opened; a cancel leaves
// the library that was open as it was.
bool FromClick(TMain& main);

// One tick of the 500 ms splash timer: what the splash shows and whether the
// start sequence runs now.
struct TSplashTick {
  bool start = false;
  bool decemberPicture = false;
  bool januaryPicture = false;
};
// Ticks := Ticks + 1; the seasonal pictures from the third tick; without
// command-line arguments nothing starts before the tenth tick; outside
// December the start comes after the tenth tick, in December at the
// seventeenth. month 1-12, day 1-31.
TSplashTick InitTimerTick(TRunState& state, bool hasArgs, int month, int day);

// "Show Version": the splash is shown again and counts from Ticks = -4. In
// ExpertMode the returned text is shown first ("Prime Record is 96 Bytes"),
// otherwise it is empty.
std::string ShowVersion(TRunState& state);

// A click on the credits panel: the toolbox opens only after a double-click
// on the main window (ToolboxArmed) or in ExpertMode; while the splash shows,
// ExpertMode comes on at once without the dialog.
enum class TToolboxDoor { Contact, ExpertAtOnce, ShowDialog };
TToolboxDoor CreditsClick(const TRunState& state, bool splashShowing);

// The character table of the toolbox: 16 lines, line r being r, " : " and
// the 16 characters with the codes 16r to 16r + 15 (Windows-1252 bytes).
std::vector<std::string> FontBoxLines();

}  // namespace vorne
