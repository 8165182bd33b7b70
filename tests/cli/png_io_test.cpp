// SPDX-License-Identifier: GPL-2.0-or-later
// PNG in and out: every colour type and bit depth arrives as 8-bit RGBA (16-bit samples keep
// their high byte), broken files are refused with their path in the message, and a write
// never leaves a partial file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pictures/default_source.h"
#include "cli/platform/cli_error.h"
#include "pictures/png_encoder.h"
#include "cli/png/png_io.h"
#include "pictures/png_decoder.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

std::string Data(const char* name) { return std::string(CLI_TEST_DATA) + "/" + name; }

std::vector<uint8_t> Pixels(const char* name, int width, int height) {
  RgbaImage image = ReadPngFile(Data(name));
  EXPECT_EQ(image.width, width) << name;
  EXPECT_EQ(image.height, height) << name;
  return image.pixels;
}

}  // namespace

TEST(PngRead, SixteenBitSamplesKeepTheirHighByte) {
  EXPECT_EQ(Pixels("rgba16.png", 2, 1),
            (std::vector<uint8_t>{0x12, 0x34, 0x56, 0xFF, 0x00, 0xFF, 0x80, 0x00}));
  EXPECT_EQ(Pixels("gray16.png", 2, 1),
            (std::vector<uint8_t>{0xA0, 0xA0, 0xA0, 255, 0x01, 0x01, 0x01, 255}));
}

TEST(PngRead, EveryColourTypeBecomesRgba) {
  EXPECT_EQ(Pixels("palette4.png", 3, 1),
            (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 64, 0, 0, 255, 255}));
  EXPECT_EQ(Pixels("gray1.png", 8, 1),
            (std::vector<uint8_t>{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255,
                                  255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255,
                                  255, 255, 255, 255, 0, 0, 0, 255}));
  EXPECT_EQ(Pixels("graya8.png", 2, 1), (std::vector<uint8_t>{200, 200, 200, 100, 7, 7, 7, 0}));
  EXPECT_EQ(Pixels("rgb8_key.png", 2, 1), (std::vector<uint8_t>{1, 2, 3, 255, 10, 20, 30, 0}));
  std::vector<uint8_t> interlaced = Pixels("rgb8_interlaced.png", 3, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const uint8_t* p = &interlaced[(y * 3 + x) * 4];
      EXPECT_EQ(p[0], x * 100);
      EXPECT_EQ(p[1], y * 100);
      EXPECT_EQ(p[2], 7);
      EXPECT_EQ(p[3], 255);
    }
  }
}

TEST(PngRead, BrokenFilesAreRefusedWithTheirPath) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  EXPECT_EQ(ReadError((dir / "missing.png").string()),
            "cannot read " + (dir / "missing.png").string() + ": No such file or directory");

  fs::path text = dir / "notes.png";
  std::FILE* f = std::fopen(text.string().c_str(), "wb");
  std::fputs("not a picture\n", f);
  std::fclose(f);
  EXPECT_EQ(ReadError(text.string()), text.string() + ": not a PNG file");

  std::string broken = ReadError(Data("broken_data.png"));
  EXPECT_EQ(broken.rfind(Data("broken_data.png") + ": broken PNG file", 0), 0u) << broken;

  EXPECT_EQ(ReadError(dir.string()), "cannot read " + dir.string() + ": it is a directory");
}

TEST(PngRead, TruncatedFilesAreRefusedAtEveryCut) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  std::vector<uint8_t> whole = FileBytes(Data("rgb8_interlaced.png"));
  ASSERT_GT(whole.size(), 20u);
  // Cut inside the signature, the header, the image data and the end chunk.
  for (size_t keep : {size_t{4}, size_t{20}, whole.size() / 2, whole.size() - 1}) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(keep));
    std::string message;
    try {
      DecodePng(cut, "cut.png");
    } catch (const PngError& error) {
      message = error.what();
    }
    EXPECT_EQ(message.rfind("cut.png: ", 0), 0u) << keep << ": " << message;
    if (keep >= 8) {
      EXPECT_NE(message.find("truncated"), std::string::npos) << message;
    }
  }
  EXPECT_NO_THROW(DecodePng(whole, "whole.png"));
}

TEST(PngWrite, RoundTripsRgbaAndRgbAndLeavesNoTemporaryFile) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  std::vector<uint8_t> rgba = {1, 2, 3, 4, 250, 251, 252, 0, 9, 8, 7, 255, 0, 0, 0, 128,
                               5, 5, 5, 5, 6, 6, 6, 6};
  WritePngFile((dir / "a.png").string(), rgba.data(), 3, 2, 4);
  EXPECT_EQ(ReadPngFile((dir / "a.png").string()).pixels, rgba);

  std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60};
  WritePngFile((dir / "b.png").string(), rgb.data(), 1, 2, 3);
  EXPECT_EQ(ReadPngFile((dir / "b.png").string()).pixels,
            (std::vector<uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));

  // Writing over an existing frame replaces it whole.
  WritePngFile((dir / "a.png").string(), rgb.data(), 1, 2, 3);
  EXPECT_EQ(ReadPngFile((dir / "a.png").string()).width, 1);
  EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"a.png", "b.png"}));
}

// Every encoder and every setting the settings benchmark tries gives back exactly the samples:
// an odd width (rows that do not end on a word), transparent runs, noise and smooth ramps,
// so that a wrong filter offset or a lost row shows.
TEST(PngWrite, EveryEncoderDecodesToExactlyTheSamples) {
  const int width = 37, height = 29;
  for (int channels : {3, 4}) {
    std::vector<uint8_t> samples(static_cast<size_t>(width) * height * channels);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* p = &samples[(static_cast<size_t>(y) * width + x) * channels];
        noise = noise * 1103515245u + 12345u;
        const bool burning = y > height / 2 && x > 3;
        for (int c = 0; c < channels; ++c) {
          p[c] = burning ? static_cast<uint8_t>(x * 7 + y * 3 + c * 50 + (noise >> 28)) : 0;
        }
      }
    }
    std::vector<uint8_t> expected;
    for (size_t i = 0; i < samples.size(); i += channels) {
      expected.insert(expected.end(), &samples[i], &samples[i] + channels);
      if (channels == 3) expected.push_back(255);
    }
    EXPECT_EQ(DecodePng(EncodePng(samples.data(), width, height, channels), "fast").pixels,
              expected);
    EXPECT_EQ(DecodePng(EncodePngWithStb(samples.data(), width, height, channels), "stb").pixels,
              expected);
#if defined(FYREL_HAVE_SPNG)
    for (int filter = 0; filter <= 5; ++filter) {
      for (int level : {1, 5, 9}) {
        for (int strategy : {0, 1, 3}) {
          PngSettings settings;
          settings.filter = filter;
          settings.level = level;
          settings.strategy = strategy;
          std::vector<uint8_t> png =
              EncodePngWithSpng(samples.data(), width, height, channels, settings);
          EXPECT_EQ(DecodePng(png, "spng").pixels, expected)
              << channels << " channels, filter " << filter << ", level " << level
              << ", strategy " << strategy;
        }
      }
    }
#endif
  }
}

TEST(PngWrite, AnUnwritablePlaceIsAnErrorNamingThePath) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  std::string target = (dir / "no-such-dir" / "a.png").string();
  uint8_t pixel[4] = {1, 2, 3, 4};
  try {
    WritePngFile(target, pixel, 1, 1, 4);
    ADD_FAILURE() << "no error";
  } catch (const CliError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("cannot write " + target + ": ", 0), 0u)
        << error.what();
  }
  EXPECT_TRUE(FilesIn(dir).empty());
}

TEST(DefaultSource, IsTheWordmarkInOpaqueGreyOnTransparent) {
  RgbaImage source = DrawDefaultSource();
  ASSERT_EQ(source.width, 320);
  ASSERT_EQ(source.height, 180);
  size_t ink = 0;
  for (size_t i = 0; i < source.pixels.size(); i += 4) {
    const uint8_t* p = &source.pixels[i];
    ASSERT_TRUE(p[3] == 0 || p[3] == 255);
    if (p[3]) {
      ++ink;
      // Inverted, grey 104 seeds heat 151: the brightest band of the palette.
      ASSERT_EQ(p[0], 104);
      ASSERT_EQ(p[1], 104);
      ASSERT_EQ(p[2], 104);
    } else {
      ASSERT_EQ(p[0] | p[1] | p[2], 0);
    }
  }
  // Strokes of 10 x 10 pixel cells: the letters' 5 x 7 grids hold 71 inked cells.
  EXPECT_EQ(ink, 71u * 100u);
  // The frame's border stays clear, so the mask's border rule never matters.
  for (int x = 0; x < source.width; ++x) {
    EXPECT_EQ(source.pixels[x * 4 + 3], 0);
    EXPECT_EQ(source.pixels[((source.height - 1) * source.width + x) * 4 + 3], 0);
  }
}
