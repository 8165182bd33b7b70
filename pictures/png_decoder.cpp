// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/png_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#if defined(FYREL_HAVE_SPNG)
#include <spng.h>
#else
#include <climits>

#include <stb_image.h>
#endif

namespace {

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  size_t Read(uint8_t* into, size_t size) override {
    const size_t take = std::min(size, bytes_.size() - at_);
    if (take > 0) std::memcpy(into, bytes_.data() + at_, take);
    at_ += take;
    return take;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

// The bytes of a source, each checked by the chunk checker as it passes.
class CheckedReader {
 public:
  CheckedReader(ByteSource& source, PngChunkChecker& checker)
      : source_(source), checker_(checker) {}

  // `size` bytes; throws a PngError when the file ends before them or is broken.
  void ReadExactly(uint8_t* into, size_t size) {
    const size_t got = source_.Read(into, size);
    checker_.Feed(into, got);
    if (got < size) checker_.CheckComplete();
    if (got < size) {
      throw PngError(checker_.Name() + ": broken PNG file (data after its end chunk is needed)");
    }
  }

  // Reads on to the end chunk, keeping the bytes when `kept` is given. Nothing after the end
  // chunk is read, so a device that never ends is left at that.
  void ReadToEnd(std::vector<uint8_t>* kept) {
    uint8_t buffer[65536];
    while (!checker_.Done()) {
      const size_t got = source_.Read(buffer, std::min(sizeof buffer, checker_.Wanted()));
      if (got == 0) checker_.CheckComplete();
      if (kept) kept->insert(kept->end(), buffer, buffer + got);
      checker_.Feed(buffer, got);
    }
  }

 private:
  ByteSource& source_;
  PngChunkChecker& checker_;
};

std::string SizeText(uint32_t width, uint32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

#if defined(FYREL_HAVE_SPNG)

namespace {

struct SpngStream {
  CheckedReader* reader;
  std::string error;  // the first error met while reading, as the user is to see it
};

int ReadForSpng(spng_ctx*, void* user, void* into, size_t length) {
  auto* stream = static_cast<SpngStream*>(user);
  try {
    stream->reader->ReadExactly(static_cast<uint8_t*>(into), length);
    return 0;
  } catch (const std::runtime_error& error) {
    stream->error = error.what();
  } catch (const std::bad_alloc&) {
    stream->error = "out of memory";
  }
  return SPNG_IO_ERROR;
}

}  // namespace

// libspng decodes any colour type and bit depth to 8-bit RGBA (16-bit samples keep their high
// byte, a tRNS key or palette alpha becomes alpha, no gamma is applied), checking CRCs,
// Adler-32 and the filter bytes on its way; the checker in front of it has refused what the
// stb build refuses.
void DecodePng(ByteSource& source, PngChunkChecker& checker, RgbaImage* image) {
  CheckedReader reader(source, checker);
  SpngStream stream{&reader, ""};
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
  if (!ctx) throw std::bad_alloc();
  // What libspng keeps of text and other metadata is bounded; the pixels are not kept.
  spng_set_chunk_limits(ctx.get(), 0x7FFFFFFF, size_t{64} << 20);
  spng_set_png_stream(ctx.get(), ReadForSpng, &stream);
  auto fail = [&](int code) -> PngError {
    if (!stream.error.empty()) return PngError(stream.error);
    return PngError(checker.Name() + ": broken PNG file (" + spng_strerror(code) + ")");
  };
  spng_ihdr ihdr{};
  int code = spng_get_ihdr(ctx.get(), &ihdr);
  if (code != 0) throw fail(code);
  size_t size = 0;
  code = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size);
  if (code != 0) throw fail(code);
  try {
    image->pixels.resize(size);
  } catch (const std::bad_alloc&) {
    throw PngError(checker.Name() + ": not enough memory for a " +
                   SizeText(ihdr.width, ihdr.height) + " image");
  }
  code = spng_decode_image(ctx.get(), image->pixels.data(), size, SPNG_FMT_RGBA8,
                           SPNG_DECODE_TRNS);
  if (code != 0) throw fail(code);
  reader.ReadToEnd(nullptr);
  image->width = static_cast<int32_t>(ihdr.width);
  image->height = static_cast<int32_t>(ihdr.height);
}

#else

namespace {

// The decoder's own word for what it could not decode.
std::string DecoderReason() {
  const char* reason = stbi_failure_reason();
  return reason ? reason : "undecodable image data";
}

}  // namespace

// stb's decoder takes the whole file from memory.
void DecodePng(ByteSource& source, PngChunkChecker& checker, RgbaImage* image) {
  std::vector<uint8_t> bytes;
  CheckedReader(source, checker).ReadToEnd(&bytes);
  const PngHeader& header = checker.Header();
  // stb keeps a 16-bit image whole before making it 8-bit, and counts its bytes in an int.
  if (header.bitDepth == 16 &&
      static_cast<uint64_t>(header.width) * header.height * 8 >= static_cast<uint64_t>(INT_MAX)) {
    throw PngError(checker.Name() + ": a 16-bit image of " +
                   SizeText(header.width, header.height) +
                   " pixels is more than this build's decoder takes");
  }
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    throw PngError(checker.Name() + ": the file is more than this build's decoder takes");
  }
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  int width = 0, height = 0, channels = 0;
  stbi_uc* decoded = stbi_load_from_memory(data, static_cast<int>(bytes.size()), &width,
                                           &height, &channels, 4);
  if (!decoded) throw PngError(checker.Name() + ": broken PNG file (" + DecoderReason() + ")");
  image->width = width;
  image->height = height;
  image->pixels.assign(decoded, decoded + static_cast<size_t>(width) * height * 4);
  stbi_image_free(decoded);
}

#endif


RgbaImage DecodePng(const std::vector<uint8_t>& bytes, const std::string& name) {
  MemorySource source(bytes);
  PngChunkChecker checker(name);
  checker.SetFileSize(bytes.size());
  RgbaImage image;
  DecodePng(source, checker, &image);
  return image;
}
