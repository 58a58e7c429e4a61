#include "output/NavImages.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace vorne {

// Shapes filled with 4x4 supersampling so their edges stay smooth.
namespace {

constexpr int kSize = 24;

struct TPoint {
  double x, y;
};
using TShape = std::function<bool(double, double)>;

bool InPolygon(const std::vector<TPoint>& p, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x) in = !in;
  return in;
}

TShape Polygon(std::vector<TPoint> pts) {
  return [pts = std::move(pts)](double x, double y) { return InPolygon(pts, x, y); };
}

struct TLayer {
  TShape shape;
  uint8_t r, g, b;
};

std::vector<uint8_t> Render(const std::vector<TLayer>& layers) {
  std::vector<uint8_t> rgba(size_t(kSize * kSize * 4), 0);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
          for (auto it = layers.rbegin(); it != layers.rend(); ++it)
            if (it->shape(px, py)) {
              r += it->r, g += it->g, b += it->b, a += 1;
              break;
            }
        }
      uint8_t* p = &rgba[size_t((y * kSize + x) * 4)];
      if (a > 0) {
        p[0] = uint8_t(r / a), p[1] = uint8_t(g / a), p[2] = uint8_t(b / a);
        p[3] = uint8_t(std::lround(255 * a / 16));
      }
    }
  return rgba;
}

void Put32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += char((v >> s) & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  Put32(png, uint32_t(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  Put32(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

std::string EncodePng(const std::vector<uint8_t>& rgba) {
  std::string raw;
  for (int y = 0; y < kSize; ++y) {
    raw += '\0';  // no filter
    raw.append(reinterpret_cast<const char*>(&rgba[size_t(y * kSize * 4)]), size_t(kSize * 4));
  }
  uLongf size = compressBound(uLong(raw.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            uLong(raw.size()), 9);
  packed.resize(size);
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Put32(ihdr, kSize);
  Put32(ihdr, kSize);
  ihdr += char(8);  // bit depth
  ihdr += char(6);  // RGBA
  ihdr += std::string(3, '\0');
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", "");
  return png;
}

TShape Disc(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

}  // namespace

const std::string& NavImagePng(std::string_view name) {
  static const std::map<std::string, std::string, std::less<>> drawn = [] {
    const uint8_t bg[3] = {30, 90, 170};      // blue disc
    const uint8_t fg[3] = {255, 255, 255};    // white sign
    const TShape disc = Disc(12, 12, 11.5);
    const TShape upArrow = Polygon({{12, 4.5}, {19.5, 12.5}, {15, 12.5}, {15, 19.5}, {9, 19.5}, {9, 12.5}, {4.5, 12.5}});
    const TShape downArrow = Polygon({{12, 19.5}, {19.5, 11.5}, {15, 11.5}, {15, 4.5}, {9, 4.5}, {9, 11.5}, {4.5, 11.5}});
    const TShape topArrow = Polygon({{12, 8}, {19, 14.5}, {15, 14.5}, {15, 20}, {9, 20}, {9, 14.5}, {5, 14.5}});
    const TShape topBar = Polygon({{5, 4.5}, {19, 4.5}, {19, 7}, {5, 7}});
    std::vector<TPoint> octagon;
    for (int i = 0; i < 8; ++i) {
      const double a = M_PI / 8 + i * M_PI / 4;
      octagon.push_back({12 + 11.5 * std::cos(a), 12 + 11.5 * std::sin(a)});
    }
    const TShape stopBar = Polygon({{5.5, 10.5}, {18.5, 10.5}, {18.5, 13.5}, {5.5, 13.5}});
    struct {
      const char* name;
      std::vector<TLayer> layers;
    } images[] = {
        {"top.png", {{disc, bg[0], bg[1], bg[2]}, {topArrow, fg[0], fg[1], fg[2]}, {topBar, fg[0], fg[1], fg[2]}}},
        {"down.png", {{disc, bg[0], bg[1], bg[2]}, {downArrow, fg[0], fg[1], fg[2]}}},
        {"up.png", {{disc, bg[0], bg[1], bg[2]}, {upArrow, fg[0], fg[1], fg[2]}}},
        {"stop.png", {{Polygon(octagon), 200, 30, 30}, {stopBar, fg[0], fg[1], fg[2]}}},
    };
    std::map<std::string, std::string, std::less<>> pngs;
    for (const auto& image : images) pngs[image.name] = EncodePng(Render(image.layers));
    return pngs;
  }();
  static const std::string none;
  auto it = drawn.find(name);
  return it == drawn.end() ? none : it->second;
}

}  // namespace vorne
