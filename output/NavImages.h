// The four navigation images of the published pages. They are drawn by the
// program itself (24 by 24 pixels, RGBA PNG), so that a program installed
// anywhere, or built without its helper tools, writes them into every site
// it publishes under exactly the names the pages use.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vorne {

inline constexpr std::array<const char*, 4> kNavImages = {"top.png", "down.png", "up.png", "stop.png"};

// The PNG file of one of kNavImages; empty for any other name. Drawn once.
const std::string& NavImagePng(std::string_view name);

}  // namespace vorne
