// SPDX-License-Identifier: GPL-2.0-or-later
// The framing of a PNG file, checked as its bytes arrive and before any pixel is decoded: the
// signature, every chunk's length, type and CRC, the header's fields and the size limits, and
// the end chunk. Both builds check files this way in front of their decoders (libspng on
// Linux, stb's decoder on Windows), so that both refuse the same files for the same reasons,
// and a file that is not a PNG, or is larger than its image could make it, is refused after
// reading no more of it than that takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/png_error.h"
#include "pictures/rgba_image.h"

struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 0;
  uint8_t colorType = 0;
  uint8_t interlace = 0;
};

// The most bytes a PNG file of an image with `header` takes: its filtered rows stored without
// compression in many chunks, plus room for metadata. A larger file is refused unread.
uint64_t LargestPngFileFor(const PngHeader& header);
// The same for the largest image the commands accept (16-bit RGBA at the largest sides).
uint64_t LargestPngFile();

// The header of the PNG file in `bytes`, checked as far as it: the signature and the header
// chunk, with the size limits. Throws a CliError naming `name` at the first fault.
PngHeader ReadPngHeader(const std::vector<uint8_t>& bytes, const std::string& name);

// Whether the PNG file at `path` is an animation to read frame by frame: an animation control
// chunk (acTL) before its first image data, counting two frames or more, or one frame that is
// not the default image (no frame control chunk before the image data: the frame is in fdAT).
// A file without one, one whose only frame is the default image, or one that cannot be read
// is not (the reading reports what is wrong).
bool IsAnimatedPngFile(const std::string& path);

class PngChunkChecker {
 public:
  explicit PngChunkChecker(std::string name);

  // The file's size when it is known before reading (a regular file). Throws a PngError when
  // it is larger than any image could make it.
  void SetFileSize(uint64_t size);
  // The next bytes of the file, in order. Bytes after the end chunk are ignored. Throws a
  // PngError naming the file and the fault at the first fault.
  void Feed(const uint8_t* bytes, size_t size);
  // Throws a PngError for a file that ended before its end chunk.
  void CheckComplete() const;

  bool Done() const { return state_ == State::kDone; }
  // How many bytes can be fed before the next decision (the rest of the signature, of a
  // chunk's head, data or CRC); 0 once done. Reading no more than this never reads past the
  // end chunk.
  size_t Wanted() const;
  bool HasHeader() const { return hasHeader_; }
  const PngHeader& Header() const { return header_; }
  const std::string& Name() const { return name_; }

 private:
  enum class State { kSignature, kChunkHead, kChunkData, kChunkCrc, kDone };
  [[noreturn]] void Broken(const std::string& why) const;
  void ChunkHeadComplete();
  void HeaderComplete();
  void ChunkComplete();

  std::string name_;
  State state_ = State::kSignature;
  uint64_t seen_ = 0;         // bytes fed so far
  uint64_t fileSize_ = 0;     // 0: unknown
  uint64_t limit_;            // the most bytes the file may hold
  uint64_t chunkStart_ = 0;   // offset of the current chunk
  uint8_t head_[8] = {};      // length and type of the current chunk
  uint8_t crcBytes_[4] = {};
  uint8_t ihdr_[13] = {};
  size_t filled_ = 0;         // bytes of the current part (signature, head, data, CRC) so far
  uint32_t length_ = 0;
  uint32_t crc_ = 0;
  uint32_t chunks_ = 0;
  bool hasHeader_ = false;
  bool sawPalette_ = false;
  bool sawData_ = false;
  bool dataEnded_ = false;
  PngHeader header_;
};
