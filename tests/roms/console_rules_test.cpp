// Our rule cartridges run headless: each one's screenshot is checked at named pixels against
// colours computed here from the hardware reference's formulas, the byte-store cartridge's memory
// through --dump. The colours and coefficients repeat those in the cartridges' sources.

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

struct Rgb5 {
  unsigned r, g, b;
  bool operator==(const Rgb5&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb5& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// "I = MIN(31, I1st x EVA + I2nd x EVB)", "I1st + (31 - I1st) x EVY", "I1st - I1st x EVY", each
// coefficient in sixteenths and at most 16/16.
unsigned sixteenths(unsigned coefficient) { return std::min(coefficient, 16u); }
Rgb5 alpha(Rgb5 first, Rgb5 second, unsigned eva, unsigned evb) {
  auto mix = [&](unsigned a, unsigned b) {
    return std::min(31u, (a * sixteenths(eva) + b * sixteenths(evb)) / 16);
  };
  return {mix(first.r, second.r), mix(first.g, second.g), mix(first.b, second.b)};
}
Rgb5 brighten(Rgb5 c, unsigned evy) {
  auto up = [&](unsigned i) { return i + (31 - i) * sixteenths(evy) / 16; };
  return {up(c.r), up(c.g), up(c.b)};
}
Rgb5 darken(Rgb5 c, unsigned evy) {
  auto down = [&](unsigned i) { return i - i * sixteenths(evy) / 16; };
  return {down(c.r), down(c.g), down(c.b)};
}

struct Check {
  const char* name;
  unsigned x, y;
  Rgb5 expected;
};

class ConsoleRulesTest : public ::testing::Test {
 protected:
  // Runs the cartridge for ten frames and returns what it printed.
  std::string run(const std::string& cartridge, const std::string& options) {
    std::string command = std::string(ORVANE_PROGRAM) + " --headless --frames 10 " + options + " " +
                          CARTRIDGE_DIR + "/" + cartridge + ".gba 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return "";
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
    return output;
  }

  // The screenshot's pixels as five-bit channels: the PNG widens each channel by repeating its
  // top bits, so the top five bits of each byte are the channel.
  void expect_pixels(const std::string& cartridge, const std::vector<Check>& checks) {
    std::string png = dir.file(cartridge + ".png");
    run(cartridge, "--screenshot " + png);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()))
        << cartridge << ": no screenshot";
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr));
    ASSERT_EQ(image.width, 240u);
    for (const Check& c : checks) {
      const png_byte* p = bytes.data() + (c.y * 240 + c.x) * 3;
      Rgb5 seen{p[0] / 8u, p[1] / 8u, p[2] / 8u};
      EXPECT_EQ(seen, c.expected) << cartridge << ": " << c.name << " at (" << c.x << ", " << c.y
                                  << ")";
    }
  }

  TempDir dir;
};

// Objects 1 and 2 normal, 0 and 3 semi-transparent over them; BG0 second target; EVA 9, EVB 7.
TEST_F(ConsoleRulesTest, SemiTransparentObjectBlendsWithTheLayerBeneathTheObjects) {
  const Rgb5 bg{4, 28, 12}, normal{30, 6, 2}, semi{8, 14, 31};
  expect_pixels("effects_object_stack",
                {
                    {"semi-transparent over normal over BG0", 60, 60, alpha(semi, bg, 9, 7)},
                    {"semi-transparent over BG0", 80, 80, alpha(semi, bg, 9, 7)},
                    {"normal over BG0, no effect", 45, 45, normal},
                    {"normal over semi-transparent", 155, 45, normal},
                    {"semi-transparent beside the normal one", 140, 30, alpha(semi, bg, 9, 7)},
                    {"BG0 alone", 200, 120, bg},
                });
}

// Objects first targets with alpha 11/6; the backdrop a second target on lines 0-79 only.
TEST_F(ConsoleRulesTest, BackdropIsASecondTargetWhenBit13SelectsIt) {
  const Rgb5 backdrop{6, 10, 20}, normal{30, 6, 2}, semi{8, 14, 31};
  expect_pixels("effects_backdrop",
                {
                    {"normal object, bit 13 set", 50, 30, alpha(normal, backdrop, 11, 6)},
                    {"semi-transparent object, bit 13 set", 130, 30, alpha(semi, backdrop, 11, 6)},
                    {"backdrop, bit 13 set", 200, 30, backdrop},
                    {"normal object, bit 13 clear", 50, 120, normal},
                    {"semi-transparent object, bit 13 clear", 130, 120, semi},
                    {"backdrop, bit 13 clear", 200, 120, backdrop},
                });
}

// Brighten with EVY 5; BG1 second target beneath everything (alpha 10/5); BG0 first target on
// lines 0-79 only.
TEST_F(ConsoleRulesTest, SemiTransparentObjectsAreFirstTargetsOfTheFade) {
  const Rgb5 bg0{20, 3, 9}, bg1{2, 25, 17}, semi{27, 12, 5};
  expect_pixels("effects_semi_fade",
                {
                    {"semi over BG0, BG0 first", 50, 20, brighten(semi, 5)},
                    {"semi over BG1, BG0 first", 50, 60, alpha(semi, bg1, 10, 5)},
                    {"BG0, BG0 first", 150, 20, brighten(bg0, 5)},
                    {"BG1, BG0 first", 150, 60, bg1},
                    {"semi over BG0, no first target", 50, 100, brighten(semi, 5)},
                    {"semi over BG1, no first target", 50, 140, alpha(semi, bg1, 10, 5)},
                    {"BG0, no first target", 150, 100, bg0},
                    {"BG1, no first target", 150, 140, bg1},
                });
}

// Palette colours 1-8 at pixels 8k to 8k + 7; four bands of 40 lines.
TEST_F(ConsoleRulesTest, BrightenAndDarkenRoundEachChannelOnce) {
  const Rgb5 colours[8] = {{0, 0, 0},   {31, 31, 31}, {1, 2, 3},   {10, 20, 30},
                           {5, 17, 29}, {30, 7, 13},  {16, 9, 24}, {27, 3, 22}};
  struct Band {
    unsigned y, evy;
    bool brighten;
  } bands[] = {{20, 3, true}, {60, 11, true}, {100, 7, false}, {140, 13, false}};
  std::vector<Check> checks;
  for (const Band& band : bands) {
    for (unsigned i = 0; i < 8; ++i) {
      Rgb5 c = colours[i];
      checks.push_back({band.brighten ? "brighten" : "darken", 80 + i, band.y,
                        band.brighten ? brighten(c, band.evy) : darken(c, band.evy)});
    }
  }
  expect_pixels("effects_fade_grid", checks);
}

// Mode 3: lines 0-49 brighten BG2 by 9, 50-99 darken by 6, then alpha 6/12 under a
// semi-transparent object with BG2 as second target.
TEST_F(ConsoleRulesTest, BitmapModeTakesColourEffects) {
  const Rgb5 upper{25, 10, 4}, lower{3, 18, 28}, semi{14, 29, 7};
  expect_pixels("effects_bitmap_fade",
                {
                    {"brightened", 50, 25, brighten(upper, 9)},
                    {"darkened, upper colour", 50, 65, darken(upper, 6)},
                    {"darkened, lower colour", 50, 90, darken(lower, 6)},
                    {"semi-transparent object over BG2", 110, 120, alpha(semi, lower, 6, 12)},
                    {"BG2 as second target alone", 50, 130, lower},
                });
}

// The hardware reference's "Writing 8bit Data to Video Memory": each halfword held 0x1234 first.
TEST_F(ConsoleRulesTest, ByteStoresToVideoMemory) {
  struct Dump {
    const char* what;
    const char* range;
    const char* expected;
  } dumps[] = {
      {"palette RAM doubles the byte", "5000002:2", "05000002: 3c 3c"},
      {"background VRAM doubles the byte", "6000004:2", "06000004: 77 77"},
      {"OAM ignores it", "7000008:2", "07000008: 34 12"},
      {"object tiles ignore it in mode 0", "6010006:2", "06010006: 34 12"},
      {"0x06012000 holds object tiles in mode 0", "601200C:2", "0601200c: 34 12"},
      {"and the bitmap in mode 3", "6012008:2", "06012008: 5b 5b"},
      {"object tiles ignore it in mode 3", "601400A:2", "0601400a: 34 12"},
  };
  std::string options;
  for (const Dump& d : dumps) options += std::string(" --dump ") + d.range;
  std::string output = run("byte_writes", options);
  for (const Dump& d : dumps)
    EXPECT_NE(output.find(d.expected), std::string::npos) << d.what << "\n" << output;
}

}  // namespace
