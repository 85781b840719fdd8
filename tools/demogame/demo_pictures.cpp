#include "demogame/demo_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gvde::demogame {
namespace {

constexpr std::uint8_t kClear = 255;

struct Canvas {
  SpritePicture picture;

  Canvas(std::uint32_t width, std::uint32_t height) {
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * height, kClear);
  }

  // (x, y) with y = 0 the top row; the buffer keeps the bottom row first.
  void Put(int x, int y, std::uint8_t colour) {
    const int w = static_cast<int>(picture.width);
    const int h = static_cast<int>(picture.height);
    // Keep a transparent border so every row starts and ends with a transparent run.
    if (x < 1 || y < 1 || x >= w - 1 || y >= h - 1) return;
    picture.pixels[static_cast<std::size_t>((h - 1 - y) * w + x)] = colour;
  }

  void Rect(int x0, int y0, int x1, int y1, std::uint8_t colour) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Put(x, y, colour);
  }

  void Ellipse(int cx, int cy, int rx, int ry, std::uint8_t colour) {
    for (int y = cy - ry; y <= cy + ry; ++y)
      for (int x = cx - rx; x <= cx + rx; ++x) {
        const double dx = static_cast<double>(x - cx) / rx;
        const double dy = static_cast<double>(y - cy) / ry;
        if (dx * dx + dy * dy <= 1.0) Put(x, y, colour);
      }
  }

  void Line(int x0, int y0, int x1, int y1, int thickness, std::uint8_t colour) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
    for (int i = 0; i < steps; ++i) {
      const int x = x0 + (x1 - x0) * i / std::max(steps - 1, 1);
      const int y = y0 + (y1 - y0) * i / std::max(steps - 1, 1);
      Rect(x - thickness / 2, y - thickness / 2, x + (thickness - 1) / 2, y + (thickness - 1) / 2, colour);
    }
  }
};

std::uint8_t Shade(std::uint32_t ramp, std::uint32_t level) {
  return static_cast<std::uint8_t>(ramp * 16 + std::min<std::uint32_t>(level, 15));
}

constexpr std::uint8_t kWood = 8 * 16;
constexpr std::uint8_t kGold = 13 * 16;

}  // namespace

std::vector<std::uint8_t> DemoPalette() {
  static constexpr std::array<std::array<int, 3>, 16> kBase = {{
      {255, 255, 255}, {230, 40, 30},  {240, 140, 30}, {250, 230, 60},  {60, 200, 60},  {40, 190, 180},
      {50, 90, 240},   {170, 60, 220}, {150, 95, 50},  {235, 185, 150}, {130, 20, 20},  {30, 100, 40},
      {170, 180, 200}, {255, 200, 40}, {235, 225, 200}, {255, 0, 255},
  }};
  std::vector<std::uint8_t> palette;
  palette.reserve(768);
  for (std::uint32_t ramp = 0; ramp < 16; ++ramp)
    for (std::uint32_t level = 0; level < 16; ++level)
      for (int channel = 0; channel < 3; ++channel)
        palette.push_back(static_cast<std::uint8_t>(kBase[ramp][static_cast<std::size_t>(channel)] *
                                                    static_cast<int>(level + 1) / 16));
  return palette;
}

std::vector<std::uint8_t> RampTranslation(std::uint32_t from, std::uint32_t to) {
  std::vector<std::uint8_t> table(256);
  for (std::uint32_t c = 0; c < 256; ++c)
    table[c] = static_cast<std::uint8_t>(c / 16 == from ? to * 16 + c % 16 : c);
  return table;
}

SpritePicture DrawItemPicture(std::uint32_t shape, std::uint32_t ramp) {
  const std::uint8_t lit = Shade(ramp, 13);
  const std::uint8_t mid = Shade(ramp, 9);
  const std::uint8_t dark = Shade(ramp, 5);
  switch (shape) {
    case 1: {  // sword
      Canvas c(28, 84);
      c.Line(14, 4, 14, 60, 4, Shade(12, 14));
      c.Line(14, 8, 14, 58, 1, Shade(12, 8));
      c.Rect(5, 61, 23, 64, mid);
      c.Rect(12, 65, 16, 78, kWood + 9);
      c.Ellipse(14, 80, 3, 2, lit);
      return c.picture;
    }
    case 2: {  // axe
      Canvas c(56, 84);
      c.Line(28, 8, 28, 80, 4, kWood + 10);
      c.Ellipse(18, 20, 14, 13, Shade(12, 12));
      c.Ellipse(18, 20, 10, 9, mid);
      return c.picture;
    }
    case 3: {  // bow
      Canvas c(28, 84);
      for (int y = 4; y < 80; ++y) {
        const double t = (y - 42) / 38.0;
        const int x = 6 + static_cast<int>(12.0 * (1.0 - t * t));
        c.Rect(x, y, x + 2, y, kWood + 11);
      }
      c.Line(7, 4, 7, 79, 1, Shade(0, 12));
      c.Rect(15, 38, 20, 46, mid);
      return c.picture;
    }
    case 4: {  // blunt
      Canvas c(28, 84);
      c.Line(14, 24, 14, 80, 4, kWood + 9);
      c.Ellipse(14, 14, 10, 11, Shade(12, 11));
      for (int i = 0; i < 5; ++i) c.Rect(3 + i * 5, 12, 4 + i * 5, 16, dark);
      return c.picture;
    }
    case 5: {  // shield
      Canvas c(56, 84);
      c.Ellipse(28, 42, 24, 36, Shade(12, 10));
      c.Ellipse(28, 42, 20, 32, mid);
      c.Line(28, 12, 28, 72, 4, lit);
      c.Line(10, 42, 46, 42, 4, lit);
      return c.picture;
    }
    case 6:  // light armour
    case 8:  // mid armour
    case 9: {  // heavy plate
      Canvas c(56, 84);
      const std::uint8_t body = shape == 6 ? mid : Shade(12, shape == 8 ? 9 : 13);
      c.Rect(12, 14, 43, 74, body);
      c.Rect(4, 14, 11, 40, body);
      c.Rect(44, 14, 51, 40, body);
      c.Ellipse(28, 12, 8, 5, kClear);
      c.Rect(14, 44, 41, 47, dark);
      if (shape == 8)
        for (int y = 18; y < 72; y += 4) c.Line(14, y, 41, y, 1, dark);
      return c.picture;
    }
    case 7: {  // helm
      Canvas c(56, 56);
      c.Ellipse(28, 30, 22, 20, Shade(12, 11));
      c.Rect(8, 30, 47, 50, Shade(12, 11));
      c.Rect(14, 30, 41, 34, dark);
      c.Rect(26, 34, 29, 46, dark);
      c.Ellipse(28, 8, 4, 4, lit);
      return c.picture;
    }
    case 10: {  // staff
      Canvas c(28, 84);
      c.Line(14, 14, 14, 80, 3, kWood + 10);
      c.Ellipse(14, 10, 7, 7, lit);
      c.Ellipse(14, 10, 4, 4, Shade(ramp, 15));
      return c.picture;
    }
    case 11: {  // gold
      Canvas c(28, 28);
      for (int i = 0; i < 4; ++i) c.Ellipse(14 + (i % 2) * 3 - 1, 20 - i * 4, 8, 3, static_cast<std::uint8_t>(kGold + 10 + i));
      return c.picture;
    }
    case 12: {  // ring
      Canvas c(28, 28);
      c.Ellipse(14, 16, 9, 9, kGold + 12);
      c.Ellipse(14, 16, 6, 6, kClear);
      c.Ellipse(14, 6, 3, 3, lit);
      return c.picture;
    }
    case 13: {  // amulet
      Canvas c(28, 28);
      c.Line(5, 3, 14, 14, 1, kGold + 10);
      c.Line(23, 3, 14, 14, 1, kGold + 10);
      c.Ellipse(14, 18, 6, 7, lit);
      c.Ellipse(14, 18, 3, 4, dark);
      return c.picture;
    }
    default: {  // potions, scrolls and other things
      Canvas c(28, 28);
      if (ramp % 2 == 0) {
        c.Ellipse(14, 17, 9, 9, mid);
        c.Ellipse(11, 14, 3, 3, lit);
        c.Rect(11, 3, 17, 8, Shade(14, 10));
      } else {
        c.Rect(5, 6, 22, 22, Shade(14, 13));
        c.Rect(3, 4, 24, 6, Shade(14, 9));
        c.Rect(3, 22, 24, 24, Shade(14, 9));
        for (int y = 9; y < 20; y += 3) c.Line(8, y, 19, y, 1, dark);
      }
      return c.picture;
    }
  }
}

SpritePicture DrawMonster(std::uint32_t width, std::uint32_t variant, std::uint32_t ramp) {
  const int w = static_cast<int>(width);
  Canvas c(width, width);
  const int cx = w / 2;
  const int bodyRx = w / 5 + static_cast<int>(variant % 3) * (w / 24);
  const int bodyRy = w / 4;
  const int bodyCy = w * 11 / 20;
  // legs
  c.Line(cx - bodyRx / 2, bodyCy + bodyRy - 2, cx - bodyRx / 2 - 4, w - 6, w / 24 + 2, Shade(ramp, 6));
  c.Line(cx + bodyRx / 2, bodyCy + bodyRy - 2, cx + bodyRx / 2 + 4, w - 6, w / 24 + 2, Shade(ramp, 6));
  // arms
  c.Line(cx - bodyRx, bodyCy - bodyRy / 2, cx - bodyRx - w / 6, bodyCy + (variant % 2 == 0 ? w / 8 : -w / 8),
         w / 32 + 2, Shade(ramp, 8));
  c.Line(cx + bodyRx, bodyCy - bodyRy / 2, cx + bodyRx + w / 6, bodyCy + w / 10, w / 32 + 2, Shade(ramp, 8));
  c.Ellipse(cx, bodyCy, bodyRx, bodyRy, Shade(ramp, 10));
  c.Ellipse(cx - bodyRx / 3, bodyCy - bodyRy / 3, bodyRx / 3, bodyRy / 4, Shade(ramp, 13));
  // head with eyes
  const int headR = w / 9 + static_cast<int>(variant % 2) * 3;
  const int headCy = bodyCy - bodyRy - headR + 4;
  c.Ellipse(cx, headCy, headR, headR, Shade(ramp, 11));
  c.Ellipse(cx - headR / 2, headCy - 1, 2, 2, Shade(3, 15));
  c.Ellipse(cx + headR / 2, headCy - 1, 2, 2, Shade(3, 15));
  if (variant % 4 == 3) {  // horns
    c.Line(cx - headR, headCy - headR / 2, cx - headR - 5, headCy - headR - 6, 2, Shade(14, 12));
    c.Line(cx + headR, headCy - headR / 2, cx + headR + 5, headCy - headR - 6, 2, Shade(14, 12));
  }
  return c.picture;
}

}  // namespace gvde::demogame
