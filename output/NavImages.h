// The four navigation images of the published pages. They ship as PNG
// files beside the programs (made at build time by tools/images) and every
// HTML run copies them into its site under exactly the names the pages use.
#pragma once

#include <array>
#include <string>

namespace vorne {

inline constexpr std::array<const char*, 4> kNavImages = {"top.png", "down.png", "up.png", "stop.png"};

// The folder the images are copied from: the one set by SetImageFolder, else
// the folder of the running program.
std::string ImageFolder();
void SetImageFolder(const std::string& folder);

}  // namespace vorne
