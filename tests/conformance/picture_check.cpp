// Checks a 240 x 160 screenshot against what a picture cartridge's source says it draws:
//   picture_check FILE hello    white text on black, on a band across the middle
//   picture_check FILE shades   bands of 16 columns, black through ever brighter pure blues
//   picture_check FILE stripes  vertical stripes of two alternating light blues over the screen
// Prints what differs and exits 1 when the picture is not the one described.

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr unsigned W = 240, H = 160;

struct Rgb {
  unsigned r, g, b;
  bool operator==(const Rgb&) const = default;
  bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
};

struct Picture {
  std::vector<Rgb> pixels;
  Rgb at(unsigned x, unsigned y) const { return pixels[y * W + x]; }
};

bool load(const char* path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_RGB;
  if (image.width != W || image.height != H) return false;
  std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return false;
  for (unsigned i = 0; i < W * H; ++i)
    picture.pixels.push_back({bytes[i * 3], bytes[i * 3 + 1], bytes[i * 3 + 2]});
  return true;
}

int failures = 0;
void expect(bool ok, const std::string& what) {
  if (!ok) {
    std::printf("picture differs: %s\n", what.c_str());
    ++failures;
  }
}

bool columns_uniform(const Picture& p) {
  for (unsigned x = 0; x < W; ++x) {
    for (unsigned y = 1; y < H; ++y) {
      if (!(p.at(x, y) == p.at(x, 0))) return false;
    }
  }
  return true;
}

void hello(const Picture& p) {
  const Rgb black{0, 0, 0}, white{255, 255, 255};
  unsigned whites = 0, top = H, bottom = 0, left = W, right = 0;
  for (unsigned y = 0; y < H; ++y) {
    for (unsigned x = 0; x < W; ++x) {
      Rgb c = p.at(x, y);
      expect(c == black || c == white, "a pixel neither black nor white");
      if (!(c == white)) continue;
      ++whites;
      top = std::min(top, y), bottom = std::max(bottom, y);
      left = std::min(left, x), right = std::max(right, x);
    }
    if (failures) return;
  }
  // Twelve characters of an 8-pixel font: one line of text, wider than tall, roughly centred.
  expect(whites > 100, "too little text");
  expect(bottom - top < 16, "text taller than one line");
  expect(right - left > 70 && right - left < 100, "text not about 12 characters wide");
  expect(top > 40 && bottom < 120 && left > 40 && right < 200, "text not in the middle");
}

// The cartridge lays 16 bands of two tiles (16 pixels) on a 256-pixel map; the 240-pixel screen
// shows 15 of them, the last one at blue 28 of 31.
void shades(const Picture& p) {
  expect(columns_uniform(p), "columns are not uniform");
  expect(p.at(0, 0) == (Rgb{0, 0, 0}), "left band is not black");
  for (unsigned band = 0; band < 15; ++band) {
    Rgb first = p.at(band * 16, 0);
    for (unsigned x = band * 16; x < band * 16 + 16; ++x)
      expect(p.at(x, 0) == first, "band not uniform");
    expect(first.r == 0 && first.g == 0, "band not pure blue");
    if (band > 0) expect(first.b > p.at(band * 16 - 1, 0).b, "bands not growing brighter");
  }
  expect(p.at(239, 0).b >= 224, "right band is not bright blue");
}

void stripes(const Picture& p) {
  expect(columns_uniform(p), "columns are not uniform");
  std::set<Rgb> colours(p.pixels.begin(), p.pixels.end());
  expect(colours.size() == 2, "not exactly two colours");
  for (const Rgb& c : colours)
    expect(c.b > c.r && c.b > c.g && c.b >= 160 && c.r >= 64, "a colour that is no light blue");
  unsigned changes = 0;
  for (unsigned x = 1; x < W; ++x) changes += !(p.at(x, 0) == p.at(x - 1, 0));
  expect(changes >= 10, "fewer than ten stripes");
}

}  // namespace

int main(int argc, char** argv) {
  Picture picture;
  if (argc != 3 || !load(argv[1], picture)) {
    std::fprintf(stderr, "usage: picture_check FILE.png hello|shades|stripes (a 240 x 160 PNG)\n");
    return 2;
  }
  std::string name = argv[2];
  if (name == "hello")
    hello(picture);
  else if (name == "shades")
    shades(picture);
  else if (name == "stripes")
    stripes(picture);
  else
    return 2;
  if (failures == 0) std::printf("%s: the picture is the one described\n", name.c_str());
  return failures == 0 ? 0 : 1;
}
