// Draws the editor's panel texture: 512 by 512 red, green, blue bytes, top
// row first, written to the file named on the command line.
//
// The knobs stand on this picture, so everything round about them is drawn in
// scene units and follows the knob layout. Text and small symbols are drawn
// in the window's own pixels instead: the editor shows the texture at 300 by
// 200 through nearest sampling, about 1.7 by 2.5 texels to a pixel, and a
// pixel font only stays crisp if each of its dots fills exactly the texels
// that one window pixel samples.
//
// Usage: quorlin_panel_generator OUTPUT
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/panel_pixels.h"
#include "editor/scene_geometry.h"
#include "engine/parameter_table.h"

namespace {

struct Colour {
  uint8_t red, green, blue;
};

constexpr Colour kBackground{255, 0, 0};
constexpr Colour kInk{0, 0, 0};
constexpr Colour kShadow{150, 0, 0};    // title shadow, frame and dividers
constexpr Colour kKnobFace{185, 0, 0};  // mostly hidden under the knob
constexpr Colour kScrewHead{120, 0, 0};

constexpr double kPi = 3.14159265358979323846;

// --- Coordinates -------------------------------------------------------------

struct Point {
  double x, y;
};

// The centre of a texel in scene units on the panel.
Point panelPointOfTexel(int column, int row) {
  return {(column + 0.5) / kPanelSize * 2 * kPanelHalfWidth - kPanelHalfWidth,
          kPanelHalfHeight - (row + 0.5) / kPanelSize * 2 * kPanelHalfHeight};
}

// What the window shows of the panel: the frustum widened to the panel's depth.
constexpr double kVisibleHalfWidth = kFrustumHalfWidth * kPanelDepth / kNearDepth;
constexpr double kVisibleHalfHeight = kFrustumHalfHeight * kPanelDepth / kNearDepth;

Point screenPointOfPanel(Point panel) {
  return {(panel.x / kVisibleHalfWidth + 1.0) * kEditorWidth / 2.0,
          (1.0 - panel.y / kVisibleHalfHeight) * kEditorHeight / 2.0};
}

// A knob's direction at an angle, as the editor turns it: 0 up, positive counter-clockwise.
Point direction(double degrees) {
  const double radians = degrees * kPi / 180.0;
  return {-std::sin(radians), std::cos(radians)};
}

// --- Drawing in scene units ------------------------------------------------------

class Panel {
 public:
  Panel() : pixels(kPanelBytes) {
    for (uint32_t i = 0; i < kPanelBytes; i += 3) put(i, kBackground);
  }

  // Paints every texel whose centre lies inside the shape.
  template <typename Inside>
  void fill(Colour colour, Inside inside) {
    for (int row = 0; row < kPanelSize; ++row) {
      for (int column = 0; column < kPanelSize; ++column) {
        if (inside(panelPointOfTexel(column, row))) put(offset(column, row), colour);
      }
    }
  }

  // Paints every texel that a window pixel set in the layer shows.
  void overlay(const std::vector<int>& layer, const std::vector<Colour>& palette) {
    for (int row = 0; row < kPanelSize; ++row) {
      for (int column = 0; column < kPanelSize; ++column) {
        const Point screen = screenPointOfPanel(panelPointOfTexel(column, row));
        const int x = static_cast<int>(std::floor(screen.x));
        const int y = static_cast<int>(std::floor(screen.y));
        if (x < 0 || y < 0 || x >= kEditorWidth || y >= kEditorHeight) continue;
        const int colour = layer[y * kEditorWidth + x];
        if (colour >= 0) put(offset(column, row), palette[colour]);
      }
    }
  }

  // Written beside the target and renamed into place, so a failure never
  // leaves half a texture behind.
  bool write(const std::string& path) const {
    const std::string partial = path + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
      std::remove(partial.c_str());
      return false;
    }
    return true;
  }

 private:
  static uint32_t offset(int column, int row) { return (static_cast<uint32_t>(row) * kPanelSize + column) * 3; }
  void put(uint32_t at, Colour colour) {
    pixels[at] = colour.red;
    pixels[at + 1] = colour.green;
    pixels[at + 2] = colour.blue;
  }

  std::vector<uint8_t> pixels;
};

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Distance from p to the segment from a to b.
double distanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return distance(p, {a.x + t * dx, a.y + t * dy});
}

// The face under each knob: the knob (radius 0.7 at its base) covers all but
// a dark outline, which shows as a ring round it.
constexpr double kFaceRadius = 0.77;
constexpr double kOutlineWidth = 0.07;
// Scale marks start just past the pointer fin's reach and point outwards.
constexpr double kMarkInner = 0.86;
constexpr double kMarkOuter = 1.06;
constexpr double kMarkHalfWidth = 0.045;

void drawKnobFace(Panel& panel, Point centre) {
  panel.fill(kInk, [&](Point p) { return distance(p, centre) < kFaceRadius; });
  panel.fill(kKnobFace, [&](Point p) { return distance(p, centre) < kFaceRadius - kOutlineWidth; });
}

void drawMark(Panel& panel, Point centre, double degrees) {
  const Point d = direction(degrees);
  const Point inner{centre.x + kMarkInner * d.x, centre.y + kMarkInner * d.y};
  const Point outer{centre.x + kMarkOuter * d.x, centre.y + kMarkOuter * d.y};
  panel.fill(kInk, [&](Point p) { return distanceToSegment(p, inner, outer) < kMarkHalfWidth; });
}

// --- Drawing in window pixels ------------------------------------------------------

// A glyph: rows of '#' and '.', all of one width.
struct Glyph {
  char letter;
  std::vector<const char*> rows;
};

// Labels: three dots wide (five for M and W, four for N), five tall.
const std::vector<Glyph> kLabelFont = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},     {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}},     {'E', {"###", "#..", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#..", "#.."}},     {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},     {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},     {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},     {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},     {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#...#", "#...#", "#.#.#", "##.##", "#...#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},
};

// The name: six dots tall, each dot two pixels wide and three tall.
const std::vector<Glyph> kTitleFont = {
    {'-', {"...", "...", "###", "...", "...", "..."}},
    {'Q', {".###.", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'L', {"#...", "#...", "#...", "#...", "#...", "####"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#"}},
};

// The waveform knob's three ranges.
const Glyph kSquareWave{'s', {"####...", "#..#...", "#..#...", "#..####"}};
const Glyph kSawWave{'w', {"...#...#", "..##..##", ".#.#.#.#", "#..##..#"}};
const Glyph kTriangleWave{'t', {"...#...", "..#.#..", ".#...#.", "#.....#"}};

const Glyph& glyphOf(const std::vector<Glyph>& font, char letter) {
  for (const Glyph& glyph : font) {
    if (glyph.letter == letter) return glyph;
  }
  std::fprintf(stderr, "panel_generator: no glyph for '%c'\n", letter);
  throw 1;
}

int glyphWidth(const Glyph& glyph) { return static_cast<int>(std::string(glyph.rows[0]).size()); }

// Window pixels to paint over the panel: -1 where the panel shows through,
// else an index into the palette.
class ScreenLayer {
 public:
  ScreenLayer() : cells(kEditorWidth * kEditorHeight, -1) {}

  void dot(int x, int y, int width, int height, int colour) {
    for (int row = y; row < y + height; ++row) {
      for (int column = x; column < x + width; ++column) {
        if (column >= 0 && row >= 0 && column < kEditorWidth && row < kEditorHeight) {
          cells[row * kEditorWidth + column] = colour;
        }
      }
    }
  }

  void glyph(const Glyph& glyph, int x, int y, int dotWidth, int dotHeight, int colour) {
    for (size_t row = 0; row < glyph.rows.size(); ++row) {
      for (int column = 0; glyph.rows[row][column]; ++column) {
        if (glyph.rows[row][column] == '#') {
          dot(x + column * dotWidth, y + static_cast<int>(row) * dotHeight, dotWidth, dotHeight, colour);
        }
      }
    }
  }

  const std::vector<int>& pixels() const { return cells; }

 private:
  std::vector<int> cells;
};

enum PaletteIndex { inkIndex, shadowIndex, screwIndex };
const std::vector<Colour> kPalette = {kInk, kShadow, kScrewHead};

int textWidth(const std::vector<Glyph>& font, const std::string& text, int dotWidth, int spacing) {
  int width = 0;
  for (char letter : text) width += glyphWidth(glyphOf(font, letter)) * dotWidth + spacing;
  return width - spacing;
}

void drawLabel(ScreenLayer& layer, const std::string& text, double centreX, int top) {
  int x = static_cast<int>(std::lround(centreX - textWidth(kLabelFont, text, 1, 1) / 2.0));
  for (char letter : text) {
    const Glyph& glyph = glyphOf(kLabelFont, letter);
    layer.glyph(glyph, x, top, 1, 1, inkIndex);
    x += glyphWidth(glyph) + 1;
  }
}

// "-QUORLIN-", black over a darker red shadow one pixel down and right.
void drawTitle(ScreenLayer& layer, int left, int top) {
  const std::string title = "-QUORLIN-";
  for (int colour : {shadowIndex, inkIndex}) {
    const int shift = colour == shadowIndex ? 1 : 0;
    int x = left + shift;
    for (char letter : title) {
      const Glyph& glyph = glyphOf(kTitleFont, letter);
      layer.glyph(glyph, x, top + shift, 2, 3, colour);
      x += glyphWidth(glyph) * 2 + 2;
    }
  }
}

void drawSymbol(ScreenLayer& layer, const Glyph& symbol, Point centre) {
  const int x = static_cast<int>(std::lround(centre.x - glyphWidth(symbol) / 2.0));
  const int y = static_cast<int>(std::lround(centre.y - symbol.rows.size() / 2.0));
  layer.glyph(symbol, x, y, 1, 1, inkIndex);
}

// A round screw head with a slot, in each corner.
void drawScrew(ScreenLayer& layer, int centreX, int centreY) {
  constexpr int kRadius = 4;
  for (int dy = -kRadius; dy <= kRadius; ++dy) {
    for (int dx = -kRadius; dx <= kRadius; ++dx) {
      const int squared = dx * dx + dy * dy;
      if (squared > kRadius * kRadius) continue;
      const bool rim = squared > (kRadius - 1) * (kRadius - 1);
      const bool slot = dx == -dy && std::abs(dx) < kRadius;
      layer.dot(centreX + dx, centreY + dy, 1, 1, rim || slot ? inkIndex : screwIndex);
    }
  }
}

// A frame round the panel's edge, and two rules that part the oscillator
// from the filter and the upper row from the envelope.
void drawFrame(ScreenLayer& layer) {
  constexpr int kInset = 3;
  layer.dot(kInset, kInset, kEditorWidth - 2 * kInset, 1, shadowIndex);
  layer.dot(kInset, kEditorHeight - kInset - 1, kEditorWidth - 2 * kInset, 1, shadowIndex);
  layer.dot(kInset, kInset, 1, kEditorHeight - 2 * kInset, shadowIndex);
  layer.dot(kEditorWidth - kInset - 1, kInset, 1, kEditorHeight - 2 * kInset, shadowIndex);
  layer.dot(14, 105, kEditorWidth - 28, 1, shadowIndex);
  layer.dot(128, 44, 1, 56, shadowIndex);
}

// --- The panel ----------------------------------------------------------------------

// A parameter's name as the panel prints it: capitals, the spaces left out
// (the label font is narrow, and "ATTACKLEVEL" fits where "ATTACK LEVEL" would not).
std::string panelLabel(int parameter) {
  std::string label;
  for (const char* letter = kParameters[parameter].name; *letter; ++letter) {
    if (*letter != ' ') label += static_cast<char>(std::toupper(static_cast<unsigned char>(*letter)));
  }
  return label;
}

// The ends and the middle of a knob's 240-degree sweep; the waveform knob
// instead marks where its three ranges meet (0.33 and 0.66 lie near +40 and
// -40 degrees).
const std::vector<double> kScaleMarks = {120.0, 0.0, -120.0};
const std::vector<double> kWaveformMarks = {120.0, 40.0, -40.0, -120.0};

// Label tops in window pixels: texture rows 129..140 above the upper row and
// 399..410 below the lower one.
constexpr int kUpperLabelTop = 50;
constexpr int kLowerLabelTop = 156;
// The name fills texture rows 39..87, columns 20..187.
constexpr int kTitleLeft = 11;
constexpr int kTitleTop = 15;

Panel drawPanel() {
  Panel panel;
  for (int knob = 0; knob < kKnobCount; ++knob) {
    const Point centre{kKnobLayout[knob].x, kKnobLayout[knob].y};
    drawKnobFace(panel, centre);
    for (double degrees : knob == 0 ? kWaveformMarks : kScaleMarks) drawMark(panel, centre, degrees);
  }

  ScreenLayer layer;
  drawFrame(layer);
  for (int x : {9, kEditorWidth - 10}) {
    for (int y : {9, kEditorHeight - 10}) drawScrew(layer, x, y);
  }
  drawTitle(layer, kTitleLeft, kTitleTop);
  for (int knob = 0; knob < kKnobCount; ++knob) {
    const Point centre = screenPointOfPanel({kKnobLayout[knob].x, kKnobLayout[knob].y});
    drawLabel(layer, panelLabel(kKnobLayout[knob].parameter), centre.x, knob < 3 ? kUpperLabelTop : kLowerLabelTop);
  }
  // Square, sawtooth and triangle between the waveform knob's marks.
  const Point waveformKnob{kKnobLayout[0].x, kKnobLayout[0].y};
  const struct {
    const Glyph& symbol;
    double degrees;
    double radius;
  } symbols[] = {{kSquareWave, 80.0, 1.25}, {kSawWave, 0.0, 1.07}, {kTriangleWave, -80.0, 1.25}};
  for (const auto& placed : symbols) {
    const Point d = direction(placed.degrees);
    drawSymbol(layer, placed.symbol,
               screenPointOfPanel({waveformKnob.x + placed.radius * d.x, waveformKnob.y + placed.radius * d.y}));
  }
  panel.overlay(layer.pixels(), kPalette);
  return panel;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorlin_panel_generator OUTPUT\n");
    return 2;
  }
  try {
    if (!drawPanel().write(argv[1])) {
      std::fprintf(stderr, "panel_generator: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (int) {
    return 1;
  }
  return 0;
}
