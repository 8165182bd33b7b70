// SPDX-License-Identifier: GPL-2.0-or-later
// What a PNG must be before its pixels are decoded, and how much of a hostile file is read:
// CRCs, header fields with the decoder's own reason, the size limits judged from the header
// and the file's size, and sources that never end (a device, a pipe kept open).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <filesystem>
#include <string>
#include <tuple>
#include <thread>
#include <vector>

#include "cli/platform/cli_error.h"
#include "cli/png/png_io.h"
#include "pictures/png_decoder.h"
#include "pictures/png_structure.h"
#include "tests/cli/png_chunks.h"
#include "tests/cli/process_runner.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType) {
  std::vector<uint8_t> ihdr;
  Append32(&ihdr, width);
  Append32(&ihdr, height);
  ihdr.insert(ihdr.end(), {depth, colorType, 0, 0, 0});
  return ihdr;
}

// Rows of zero samples (filter byte 0 each), deflated a row at a time: an image of any size
// without holding its raw bytes.
std::vector<uint8_t> ZeroImageData(uint32_t height, size_t rowBytes) {
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE);
  std::vector<uint8_t> row(rowBytes + 1, 0), out, buffer(1 << 16);
  for (uint32_t y = 0; y <= height; ++y) {
    const bool last = y == height;
    z.next_in = row.data();
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      out.insert(out.end(), buffer.data(), z.next_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  return out;
}

const std::vector<uint8_t> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A whole PNG of zero samples with the given header; chunk `spoilt` gets a wrong CRC.
std::vector<uint8_t> Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                         const std::string& spoilt = "") {
  const size_t channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
  std::vector<uint8_t> png = kSignature;
  AppendChunk(&png, "IHDR", Header(width, height, depth, colorType), spoilt == "IHDR");
  if (colorType == 3) AppendChunk(&png, "PLTE", {0, 0, 0});
  AppendChunk(&png, "tEXt", {'a', 0, 'b'}, spoilt == "tEXt");
  // A header the checks refuse needs no image data to match it.
  const bool valid = width > 0 && height <= 16384 && width <= 16384;
  AppendChunk(&png, "IDAT",
              valid ? ZeroImageData(height, (width * channels * depth + 7) / 8)
                    : std::vector<uint8_t>{0},
              spoilt == "IDAT");
  AppendChunk(&png, "IEND", {}, spoilt == "IEND");
  return png;
}

std::string DecodeError(const std::vector<uint8_t>& png) {
  try {
    DecodePng(png, "x.png");
  } catch (const PngError& error) {
    return error.what();
  }
  return "";
}

void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(file.string().c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

// An animation control chunk before the image data makes an animation, unless its only frame
// is the default image (a frame control chunk before the image data).
TEST(PngChecks, AnAnimationBeforeTheImageDataIsAnimatedUnlessItsOnlyFrameIsTheDefault) {
  const fs::path dir = FreshTestDir(CLI_TEST_WORK "/animated");
  const std::vector<uint8_t> still = Png(2, 2, 8, 6);
  const size_t afterHeader = kSignature.size() + 12 + 13;
  for (const auto& [frames, beforeData, defaultIsFrame, animated] :
       {std::tuple{6u, true, true, true}, {6u, true, false, true}, {1u, true, true, false},
        {1u, true, false, true}, {0u, true, false, false}, {6u, false, false, false}}) {
    std::vector<uint8_t> control, png(still.begin(), still.begin() + afterHeader);
    Append32(&control, frames);
    Append32(&control, 0);
    if (beforeData) AppendChunk(&png, "acTL", control);
    if (defaultIsFrame) AppendChunk(&png, "fcTL", std::vector<uint8_t>(26, 0));
    png.insert(png.end(), still.begin() + afterHeader, still.end() - 12);
    if (!beforeData) AppendChunk(&png, "acTL", control);
    png.insert(png.end(), still.end() - 12, still.end());
    WriteBytes(dir / "a.png", png);
    EXPECT_EQ(IsAnimatedPngFile((dir / "a.png").string()), animated)
        << frames << beforeData << defaultIsFrame;
  }
  EXPECT_FALSE(IsAnimatedPngFile((dir / "missing.png").string()));
}

TEST(PngChecks, CrcsAndHeaderFieldsAreCheckedWithTheRealReason) {
  EXPECT_EQ(DecodeError(Png(4, 3, 8, 6)), "");
  // Every chunk's CRC: the header, an ancillary chunk, the image data, the end chunk.
  EXPECT_EQ(DecodeError(Png(4, 3, 8, 6, "IHDR")),
            "x.png: broken PNG file (the IHDR chunk at byte 8 fails its CRC check)");
  EXPECT_EQ(DecodeError(Png(4, 3, 8, 6, "tEXt")),
            "x.png: broken PNG file (the tEXt chunk at byte 33 fails its CRC check)");
  EXPECT_EQ(DecodeError(Png(4, 3, 8, 6, "IDAT")),
            "x.png: broken PNG file (the IDAT chunk at byte 48 fails its CRC check)");
  const std::vector<uint8_t> png = Png(4, 3, 8, 6, "IEND");
  EXPECT_EQ(DecodeError(png), "x.png: broken PNG file (the IEND chunk at byte " +
                                  std::to_string(png.size() - 12) + " fails its CRC check)");

  // The header's fields, by name and value.
  EXPECT_EQ(DecodeError(Png(4, 3, 3, 2)),
            "x.png: broken PNG file (bit depth 3 is not valid for colour type 2)");
  EXPECT_EQ(DecodeError(Png(4, 3, 16, 3)),
            "x.png: broken PNG file (bit depth 16 is not valid for colour type 3)");
  EXPECT_EQ(DecodeError(Png(4, 3, 8, 5)), "x.png: broken PNG file (colour type 5 is not valid)");
  EXPECT_EQ(DecodeError(Png(0, 3, 8, 6)), "x.png: broken PNG file (width 0 is not valid)");
  EXPECT_EQ(DecodeError(Png(4, 0x80000000u, 8, 6)),
            "x.png: broken PNG file (height 2147483648 is not valid)");
  EXPECT_EQ(DecodeError(Png(16385, 2, 8, 6)),
            "x.png: the image is 16385x2, larger than 16384 pixels on a side");

  // The chunks' framing and order.
  std::vector<uint8_t> noHeader = kSignature;
  AppendChunk(&noHeader, "IDAT", {});
  EXPECT_EQ(DecodeError(noHeader), "x.png: broken PNG file (the first chunk is IDAT, not IHDR)");
  std::vector<uint8_t> unknown = kSignature;
  AppendChunk(&unknown, "IHDR", Header(1, 1, 8, 0));
  AppendChunk(&unknown, "ZZZZ", {1});
  EXPECT_EQ(DecodeError(unknown), "x.png: broken PNG file (unknown critical chunk ZZZZ at byte 33)");
  std::vector<uint8_t> noPalette = kSignature;
  AppendChunk(&noPalette, "IHDR", Header(1, 1, 8, 3));
  AppendChunk(&noPalette, "IDAT", ZeroImageData(1, 1));
  EXPECT_EQ(DecodeError(noPalette), "x.png: broken PNG file (no PLTE chunk before the image data)");
}

// The largest image the commands take, at the deepest samples: 16384 x 16384 16-bit RGBA
// (2 GB of samples, which stb's decoder refused) decodes to its 1 GB of 8-bit RGBA.
TEST(PngChecks, TheLargest16BitImageDecodes) {
  RgbaImage image = DecodePng(Png(16384, 16384, 16, 6), "large.png");
  EXPECT_EQ(image.width, 16384);
  EXPECT_EQ(image.height, 16384);
  ASSERT_EQ(image.pixels.size(), size_t{16384} * 16384 * 4);
  EXPECT_EQ(image.pixels.back(), 0);
}

TEST(PngChecks, InputIsBoundedBeforeDecoding) {
  fs::path dir = FreshTestDir(CLI_TEST_WORK);
  // The writers below write on into pipes that the reader has closed.
  std::signal(SIGPIPE, SIG_IGN);

  // A device that never ends: refused at its first bytes.
  EXPECT_EQ(ReadError("/dev/zero"), "/dev/zero: not a PNG file");

  // A file larger than any image within the limits could make it: refused by its size,
  // unread (a sparse file of 3 GB).
  const fs::path huge = dir / "huge.png";
  WriteBytes(huge, Png(1, 1, 8, 0));
  fs::resize_file(huge, uint64_t{3} << 30);
  EXPECT_EQ(ReadError(huge.string()),
            huge.string() + ": the file has 3221225472 bytes, more than any PNG image of at most "
                            "16384x16384 pixels takes");
  // ... or than its own header's image could (1x1 with 100 MB after it).
  const fs::path padded = dir / "padded.png";
  WriteBytes(padded, Png(1, 1, 8, 0));
  fs::resize_file(padded, uint64_t{100} << 20);
  EXPECT_EQ(ReadError(padded.string()),
            padded.string() + ": the file has 104857600 bytes, more than a 1x1 image takes");

  // A pipe whose writer keeps it open after the end chunk: the PNG is read and the rest
  // is not waited for (the writer gives up after 10 seconds, and says so).
  const fs::path fifo = dir / "pipe.png";
  ASSERT_EQ(::mkfifo(fifo.string().c_str(), 0600), 0);
  std::mutex mutex;
  std::condition_variable readDone;
  bool done = false, writerGaveUp = false;
  std::thread writer([&] {
    std::FILE* f = std::fopen(fifo.string().c_str(), "wb");
    std::vector<uint8_t> png = Png(5, 2, 8, 6);
    std::fwrite(png.data(), 1, png.size(), f);
    std::fflush(f);
    std::unique_lock<std::mutex> lock(mutex);
    writerGaveUp = !readDone.wait_for(lock, std::chrono::seconds(10), [&] { return done; });
    std::fclose(f);
  });
  RgbaImage fromPipe = ReadPngFile(fifo.string());
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  readDone.notify_all();
  writer.join();
  EXPECT_EQ(fromPipe.width, 5);
  EXPECT_FALSE(writerGaveUp) << "the reader waited for the writer to close the pipe";

  // A pipe of endless PNG chunks never ends the read by itself: it ends at the byte bound
  // of its header (a 1x1 image with chunk after chunk of 1 MB of text).
  const fs::path endless = dir / "endless.png";
  ASSERT_EQ(::mkfifo(endless.string().c_str(), 0600), 0);
  std::thread flood([&] {
    std::FILE* f = std::fopen(endless.string().c_str(), "wb");
    std::vector<uint8_t> start = kSignature;
    AppendChunk(&start, "IHDR", Header(1, 1, 8, 0));
    std::vector<uint8_t> text;
    AppendChunk(&text, "tEXt", std::vector<uint8_t>(1 << 20, 'a'));
    bool open = std::fwrite(start.data(), 1, start.size(), f) == start.size();
    for (int i = 0; open && i < 1000; ++i) {
      open = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    }
    std::fclose(f);
  });
  const std::string flooded = ReadError(endless.string());
  flood.join();
  EXPECT_EQ(flooded.rfind(endless.string() + ": the file holds more than the ", 0), 0u) << flooded;
}
