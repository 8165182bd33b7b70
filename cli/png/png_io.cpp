// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/png/png_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/platform/cli_error.h"
#include "cli/platform/file_system.h"
#include "cli/platform/whole_file.h"
#include "pictures/png_decoder.h"
#include "pictures/png_encoder.h"

namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& path) : path_(path) {
    if (IsDirectory(path)) throw CliError("cannot read " + path + ": it is a directory");
    file_ = OpenForReading(path);
  }
  ~FileSource() override { std::fclose(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // The size of a regular file; 0 for a pipe, a device or what cannot be told.
  uint64_t KnownSize() const {
    std::error_code error;
    const std::filesystem::path path(path_);
    if (!std::filesystem::is_regular_file(path, error)) return 0;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
  }

  size_t Read(uint8_t* into, size_t size) override {
    const size_t got = std::fread(into, 1, size, file_);
    if (got < size && std::ferror(file_)) {
      throw CliError("cannot read " + path_ + ": " + std::strerror(errno));
    }
    return got;
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace

void ReadPngFile(const std::string& path, RgbaImage* image) {
  FileSource source(path);
  PngChunkChecker checker(path);
  try {
    checker.SetFileSize(source.KnownSize());
    DecodePng(source, checker, image);
  } catch (const PngError& error) {
    throw CliError(error.what());
  }
}

RgbaImage ReadPngFile(const std::string& path) {
  RgbaImage image;
  ReadPngFile(path, &image);
  return image;
}

void WritePngFile(const std::string& path, const uint8_t* samples, int32_t width,
                  int32_t height, int channels) {
  std::vector<uint8_t> bytes;
  try {
    bytes = EncodePng(samples, width, height, channels);
  } catch (const PngError& error) {
    throw CliError("cannot write " + path + ": " + error.what());
  }
  WriteWholeFile(path, bytes);
}
