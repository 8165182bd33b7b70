#include "cli/png_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <stb_image.h>

#include "cli/cli_error.h"
#include "cli/file_system.h"
#include "cli/png_encoder.h"
#include "cli/whole_file.h"

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t BigEndian32(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

// Walks the chunk framing up to IEND: every chunk's length, type, data and CRC must lie
// within the file. The decoder reads past the end as zeros, so a cut file is caught here.
void CheckChunkFraming(const std::vector<uint8_t>& bytes, const std::string& name) {
  size_t at = sizeof kPngSignature;
  while (true) {
    if (bytes.size() - at < 8) {
      throw CliError(name + ": truncated PNG file (it ends at byte " +
                     std::to_string(bytes.size()) + " before its end chunk)");
    }
    uint32_t length = BigEndian32(&bytes[at]);
    bool isEnd = std::memcmp(&bytes[at + 4], "IEND", 4) == 0;
    if (length > 0x7FFFFFFFu || bytes.size() - at - 8 < static_cast<size_t>(length) + 4) {
      throw CliError(name + ": truncated PNG file (the chunk at byte " + std::to_string(at) +
                     " runs past its end at byte " + std::to_string(bytes.size()) + ")");
    }
    at += 8 + static_cast<size_t>(length) + 4;
    if (isEnd) return;
  }
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  if (IsDirectory(path)) throw CliError("cannot read " + path + ": it is a directory");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw CliError("cannot read " + path + ": read error");
  return bytes;
}

// The decoder's own word for what it could not decode.
std::string DecoderReason() {
  const char* reason = stbi_failure_reason();
  return reason ? reason : "undecodable image data";
}

}  // namespace

RgbaImage DecodePng(const std::vector<uint8_t>& bytes, const std::string& name) {
  if (bytes.size() < sizeof kPngSignature ||
      std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0) {
    throw CliError(name + ": not a PNG file");
  }
  CheckChunkFraming(bytes, name);
  if (bytes.size() > 0x7FFFFFFF) throw CliError(name + ": file too large");
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  int length = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
    throw CliError(name + ": broken PNG file (" + DecoderReason() + ")");
  }
  if (width > kMaxImageSide || height > kMaxImageSide) {
    throw CliError(name + ": the image is " + std::to_string(width) + "x" +
                   std::to_string(height) + ", larger than " + std::to_string(kMaxImageSide) +
                   " pixels on a side");
  }
  // 16-bit samples come back as their high byte (stb's own reduction, 0xABCD -> 0xAB);
  // palettes, grey, low bit depths and tRNS keys all become 8-bit RGBA.
  stbi_uc* decoded = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
  if (!decoded) throw CliError(name + ": broken PNG file (" + DecoderReason() + ")");
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(decoded, decoded + static_cast<size_t>(width) * height * 4);
  stbi_image_free(decoded);
  return image;
}

RgbaImage ReadPngFile(const std::string& path) { return DecodePng(ReadWholeFile(path), path); }

void WritePngFile(const std::string& path, const uint8_t* samples, int32_t width,
                  int32_t height, int channels) {
  std::vector<uint8_t> bytes;
  try {
    bytes = EncodePng(samples, width, height, channels);
  } catch (const CliError& error) {
    throw CliError("cannot write " + path + ": " + error.what());
  }
  WriteWholeFile(path, bytes);
}
