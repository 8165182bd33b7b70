// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures/png_encoder.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <stb_image_write.h>
#if defined(FYREL_HAVE_SPNG)
#include <spng.h>
#endif

#include "pictures/png_error.h"

namespace {

void AppendChunk(void* context, void* data, int size) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(context);
  const auto* begin = static_cast<const uint8_t*>(data);
  if (size > 0) bytes->insert(bytes->end(), begin, begin + size);
}

#if defined(FYREL_HAVE_SPNG)
int SpngFilterChoice(int filter) {
  switch (filter) {
    case 0: return SPNG_FILTER_CHOICE_NONE;
    case 1: return SPNG_FILTER_CHOICE_SUB;
    case 2: return SPNG_FILTER_CHOICE_UP;
    case 3: return SPNG_FILTER_CHOICE_AVG;
    case 4: return SPNG_FILTER_CHOICE_PAETH;
    default: return SPNG_FILTER_CHOICE_ALL;  // the encoder picks per row
  }
}
#endif

}  // namespace

std::vector<uint8_t> EncodePngWithStb(const uint8_t* samples, int32_t width, int32_t height,
                                      int channels) {
  std::vector<uint8_t> bytes;
  if (!stbi_write_png_to_func(AppendChunk, &bytes, width, height, channels, samples,
                              width * channels)) {
    throw PngError("the PNG encoder failed");
  }
  return bytes;
}

#if defined(FYREL_HAVE_SPNG)
std::vector<uint8_t> EncodePngWithSpng(const uint8_t* samples, int32_t width, int32_t height,
                                       int channels, const PngSettings& settings) {
  spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
  if (!context) throw std::bad_alloc();
  spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(context, SPNG_FILTER_CHOICE, SpngFilterChoice(settings.filter));
  spng_set_option(context, SPNG_IMG_COMPRESSION_LEVEL, settings.level);
  spng_set_option(context, SPNG_IMG_COMPRESSION_STRATEGY, settings.strategy);
  spng_ihdr header = {};
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  header.bit_depth = 8;
  header.color_type = channels == 4 ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
  int error = spng_set_ihdr(context, &header);
  const size_t size = static_cast<size_t>(width) * height * channels;
  if (!error) error = spng_encode_image(context, samples, size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  size_t length = 0;
  void* buffer = error ? nullptr : spng_get_png_buffer(context, &length, &error);
  spng_ctx_free(context);
  if (!buffer) {
    throw PngError(std::string("the PNG encoder failed: ") + spng_strerror(error));
  }
  std::vector<uint8_t> bytes(static_cast<uint8_t*>(buffer), static_cast<uint8_t*>(buffer) + length);
  std::free(buffer);
  return bytes;
}
#endif

std::vector<uint8_t> EncodePng(const uint8_t* samples, int32_t width, int32_t height,
                               int channels) {
#if defined(FYREL_HAVE_SPNG)
  return EncodePngWithSpng(samples, width, height, channels, PngSettings());
#else
  return EncodePngWithStb(samples, width, height, channels);
#endif
}
