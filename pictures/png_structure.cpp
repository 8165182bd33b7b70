// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/png_structure.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>


namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Room for what a file may carry besides its pixels: text, colour profiles, camera data.
constexpr uint64_t kMetadataAllowance = uint64_t{16} << 20;

uint32_t BigEndian32(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

// CRC-32 as PNG (and zlib) define it; the cross build has no zlib to take it from.
const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

// The running CRC register (start at 0xFFFFFFFF, complement at the end).
uint32_t UpdateCrc(uint32_t crc, const uint8_t* bytes, size_t size) {
  const std::array<uint32_t, 256>& table = CrcTable();
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

int ChannelsOf(uint8_t colorType) {
  switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
  }
  return 0;
}

bool DepthValidFor(uint8_t colorType, uint8_t depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
  }
  return false;
}

std::string TypeText(const uint8_t* type) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const uint8_t c = type[i];
    if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text;
}

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The 13 bytes of an IHDR chunk's data as a header. Throws a PngError starting with `name`
// that names the field at fault: "bit depth 3 is not valid for colour type 2", a zero width,
// an image over kMaxImageSide on a side.
PngHeader ParsePngHeader(const uint8_t* data, const std::string& name) {
  PngHeader header;
  header.width = BigEndian32(data);
  header.height = BigEndian32(data + 4);
  header.bitDepth = data[8];
  header.colorType = data[9];
  header.interlace = data[12];
  auto broken = [&](const std::string& why) -> PngError {
    return PngError(name + ": broken PNG file (" + why + ")");
  };
  if (header.width == 0 || header.width > 0x7FFFFFFFu) {
    throw broken("width " + std::to_string(header.width) + " is not valid");
  }
  if (header.height == 0 || header.height > 0x7FFFFFFFu) {
    throw broken("height " + std::to_string(header.height) + " is not valid");
  }
  if (ChannelsOf(header.colorType) == 0) {
    throw broken("colour type " + std::to_string(header.colorType) + " is not valid");
  }
  if (!DepthValidFor(header.colorType, header.bitDepth)) {
    throw broken("bit depth " + std::to_string(header.bitDepth) + " is not valid for colour type " +
                 std::to_string(header.colorType));
  }
  if (data[10] != 0) {
    throw broken("compression method " + std::to_string(data[10]) + " is not valid");
  }
  if (data[11] != 0) throw broken("filter method " + std::to_string(data[11]) + " is not valid");
  if (header.interlace > 1) {
    throw broken("interlace method " + std::to_string(header.interlace) + " is not valid");
  }
  if (header.width > static_cast<uint32_t>(kMaxImageSide) ||
      header.height > static_cast<uint32_t>(kMaxImageSide)) {
    throw PngError(name + ": the image is " + std::to_string(header.width) + "x" +
                   std::to_string(header.height) + ", larger than " +
                   std::to_string(kMaxImageSide) + " pixels on a side");
  }
  return header;
}

}  // namespace

uint64_t LargestPngFileFor(const PngHeader& header) {
  const uint64_t bits = static_cast<uint64_t>(ChannelsOf(header.colorType)) * header.bitDepth;
  const uint64_t rowBytes = (header.width * bits + 7) / 8;
  // Every row with its filter byte; an interlaced image has up to seven passes of rows.
  uint64_t raw = static_cast<uint64_t>(header.height) * (1 + rowBytes);
  if (header.interlace) raw += 7 * (static_cast<uint64_t>(header.height) + 8);
  // Stored deflate blocks cost 5 bytes in 65535, chunk framing 12 bytes a chunk.
  return sizeof kSignature + raw + raw / 64 + 65536 + kMetadataAllowance;
}

uint64_t LargestPngFile() {
  PngHeader largest;
  largest.width = largest.height = static_cast<uint32_t>(kMaxImageSide);
  largest.bitDepth = 16;
  largest.colorType = 6;
  largest.interlace = 1;
  return LargestPngFileFor(largest);
}

PngChunkChecker::PngChunkChecker(std::string name)
    : name_(std::move(name)), limit_(LargestPngFile()) {}

void PngChunkChecker::Broken(const std::string& why) const {
  throw PngError(name_ + ": broken PNG file (" + why + ")");
}

void PngChunkChecker::SetFileSize(uint64_t size) {
  fileSize_ = size;
  if (size > limit_) {
    throw PngError(name_ + ": the file has " + std::to_string(size) +
                   " bytes, more than any PNG image of at most " + std::to_string(kMaxImageSide) +
                   "x" + std::to_string(kMaxImageSide) + " pixels takes");
  }
}

void PngChunkChecker::Feed(const uint8_t* bytes, size_t size) {
  while (size > 0 && state_ != State::kDone) {
    size_t take = 0;
    switch (state_) {
      case State::kSignature: {
        take = std::min(size, sizeof kSignature - filled_);
        if (std::memcmp(bytes, kSignature + filled_, take) != 0) {
          throw PngError(name_ + ": not a PNG file");
        }
        filled_ += take;
        if (filled_ == sizeof kSignature) {
          state_ = State::kChunkHead;
          filled_ = 0;
        }
        break;
      }
      case State::kChunkHead: {
        if (filled_ == 0) chunkStart_ = seen_;
        take = std::min(size, sizeof head_ - filled_);
        std::memcpy(head_ + filled_, bytes, take);
        filled_ += take;
        if (filled_ == sizeof head_) ChunkHeadComplete();
        break;
      }
      case State::kChunkData: {
        take = static_cast<size_t>(std::min<uint64_t>(size, length_ - filled_));
        if (!hasHeader_ && filled_ < sizeof ihdr_) {
          std::memcpy(ihdr_ + filled_, bytes, std::min(take, sizeof ihdr_ - filled_));
        }
        crc_ = UpdateCrc(crc_, bytes, take);
        filled_ += take;
        if (filled_ == length_) {
          // The header's fields are judged as soon as they are in: a decoder reading along
          // judges them before the CRC too.
          if (!hasHeader_) HeaderComplete();
          state_ = State::kChunkCrc;
          filled_ = 0;
        }
        break;
      }
      case State::kChunkCrc: {
        take = std::min(size, sizeof crcBytes_ - filled_);
        std::memcpy(crcBytes_ + filled_, bytes, take);
        filled_ += take;
        if (filled_ == sizeof crcBytes_) ChunkComplete();
        break;
      }
      case State::kDone: break;
    }
    seen_ += take;
    bytes += take;
    size -= take;
    if (seen_ > limit_) {
      throw PngError(name_ + ": the file holds more than the " + std::to_string(limit_) +
                     " bytes its image can take");
    }
  }
}

void PngChunkChecker::ChunkHeadComplete() {
  length_ = BigEndian32(head_);
  const uint8_t* type = head_ + 4;
  const std::string at = " at byte " + std::to_string(chunkStart_);
  if (length_ > 0x7FFFFFFFu) {
    Broken("the chunk" + at + " gives its length as " + std::to_string(length_) +
           ", over 2^31 - 1");
  }
  if (!IsLetter(type[0]) || !IsLetter(type[1]) || !IsLetter(type[2]) || !IsLetter(type[3])) {
    Broken("the chunk" + at + " has the type '" + TypeText(type) + "', not four letters");
  }
  const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
  const bool isPalette = std::memcmp(type, "PLTE", 4) == 0;
  const bool isData = std::memcmp(type, "IDAT", 4) == 0;
  const bool isEnd = std::memcmp(type, "IEND", 4) == 0;
  const bool critical = (type[0] & 0x20) == 0;
  if (chunks_ == 0 && !isHeader) Broken("the first chunk is " + TypeText(type) + ", not IHDR");
  if (chunks_ > 0 && isHeader) Broken("a second IHDR chunk" + at);
  if (isHeader && length_ != 13) {
    Broken("the IHDR chunk has " + std::to_string(length_) + " bytes, not 13");
  }
  if (isEnd && length_ != 0) {
    Broken("the IEND chunk has " + std::to_string(length_) + " bytes, not 0");
  }
  if (critical && !isHeader && !isPalette && !isData && !isEnd) {
    Broken("unknown critical chunk " + TypeText(type) + at);
  }
  if (isPalette) {
    if (sawData_) Broken("a PLTE chunk after the image data" + at);
    if (header_.colorType == 0 || header_.colorType == 4) {
      Broken("a PLTE chunk in an image of colour type " + std::to_string(header_.colorType));
    }
    if (length_ == 0 || length_ % 3 != 0 || length_ > 768) {
      Broken("the PLTE chunk has " + std::to_string(length_) + " bytes");
    }
    sawPalette_ = true;
  }
  if (isData) {
    if (dataEnded_) Broken("the IDAT chunk" + at + " is apart from the others");
    if (header_.colorType == 3 && !sawPalette_) Broken("no PLTE chunk before the image data");
    sawData_ = true;
  } else if (sawData_) {
    dataEnded_ = true;
  }
  if (isEnd && !sawData_) Broken("no image data (IDAT) before the end chunk");
  ++chunks_;
  crc_ = UpdateCrc(0xFFFFFFFFu, type, 4);
  filled_ = 0;
  state_ = length_ > 0 ? State::kChunkData : State::kChunkCrc;
}

void PngChunkChecker::HeaderComplete() {
  header_ = ParsePngHeader(ihdr_, name_);
  hasHeader_ = true;
  limit_ = LargestPngFileFor(header_);
  if (fileSize_ > limit_) {
    throw PngError(name_ + ": the file has " + std::to_string(fileSize_) + " bytes, more than a " +
                   std::to_string(header_.width) + "x" + std::to_string(header_.height) +
                   " image takes");
  }
}

void PngChunkChecker::ChunkComplete() {
  const uint32_t computed = crc_ ^ 0xFFFFFFFFu;
  if (BigEndian32(crcBytes_) != computed) {
    Broken("the " + TypeText(head_ + 4) + " chunk at byte " + std::to_string(chunkStart_) +
           " fails its CRC check");
  }
  filled_ = 0;
  state_ = std::memcmp(head_ + 4, "IEND", 4) == 0 ? State::kDone : State::kChunkHead;
}

size_t PngChunkChecker::Wanted() const {
  switch (state_) {
    case State::kSignature: return sizeof kSignature - filled_;
    case State::kChunkHead: return sizeof head_ - filled_;
    case State::kChunkData: return length_ - filled_;
    case State::kChunkCrc: return sizeof crcBytes_ - filled_;
    case State::kDone: return 0;
  }
  return 0;
}

void PngChunkChecker::CheckComplete() const {
  if (state_ == State::kDone) return;
  if (state_ == State::kSignature) throw PngError(name_ + ": not a PNG file");
  throw PngError(name_ + ": truncated PNG file (it ends at byte " + std::to_string(seen_) +
                 " before its end chunk)");
}

PngHeader ReadPngHeader(const std::vector<uint8_t>& bytes, const std::string& name) {
  PngChunkChecker checker(name);
  size_t at = 0;
  while (!checker.HasHeader()) {
    const size_t take = std::min(checker.Wanted(), bytes.size() - at);
    if (take == 0) checker.CheckComplete();
    checker.Feed(bytes.data() + at, take);
    at += take;
  }
  return checker.Header();
}

bool IsAnimatedPngFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       std::fclose);
  uint8_t head[8];
  if (!file || std::fread(head, 1, 8, file.get()) != 8 || std::memcmp(head, kSignature, 8) != 0) {
    return false;
  }
  // Chunk heads only, each chunk's data skipped, until the image data begins. The default
  // image is the animation's first frame when a frame control chunk (fcTL) comes before it.
  uint32_t frames = 0;
  while (std::fread(head, 1, 8, file.get()) == 8) {
    const uint32_t length = BigEndian32(head);
    if (std::memcmp(head + 4, "IDAT", 4) == 0) return frames >= 1;
    if (std::memcmp(head + 4, "IEND", 4) == 0) break;
    if (std::memcmp(head + 4, "fcTL", 4) == 0) return frames > 1;
    if (std::memcmp(head + 4, "acTL", 4) == 0) {
      uint8_t control[8];
      if (length != 8 || std::fread(control, 1, 8, file.get()) != 8) return false;
      frames = BigEndian32(control);
      if (std::fseek(file.get(), 4, SEEK_CUR) != 0) break;
      continue;
    }
    if (length > 0x7FFFFFFB || std::fseek(file.get(), static_cast<long>(length) + 4, SEEK_CUR) != 0) break;
  }
  return false;
}
