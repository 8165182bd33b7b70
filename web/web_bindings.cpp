// SPDX-License-Identifier: GPL-2.0-or-later
// What the page's script sees of the engine: the fire, the viewer's preview, the effect's
// parameter list as the effect declares it and its presets, the built-in wordmark, PNG
// decoding and encoding as the renderer does them, and the command text. Pixels go out as views
// of the module's memory, valid until the next call into it; bytes come in as JavaScript
// arrays, which may be such views (BytesOf copies them before anything in the module can move
// its memory).
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <string>
#include <vector>

#include "pictures/default_source.h"
#include "pictures/png_encoder.h"
#include "pictures/png_decoder.h"
#include "pictures/png_structure.h"
#include "effect/effect_params.h"
#include "effect/effect_presets.h"
#include "web/command_text.h"
#include "web/web_fire.h"
#include "web/web_preview.h"

using emscripten::val;

namespace {

val View(const std::vector<uint8_t>& bytes) {
  return val(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

// A copy that outlives the module's memory.
val Copy(const std::vector<uint8_t>& bytes) { return View(bytes).call<val>("slice"); }

// The bytes of a JavaScript array (a typed array, or an ArrayBuffer) in the module's memory.
// The array may be a view of that memory, which an allocation that grows it leaves empty: it
// is copied out in JavaScript first, and only then is room for it allocated here.
std::vector<uint8_t> BytesOf(const val& array) {
  const val owned = val::global("Uint8Array").new_(array.call<val>("slice"));
  std::vector<uint8_t> bytes(owned["length"].as<size_t>());
  val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<void>("set", owned);
  return bytes;
}

val ImageValue(const RgbaImage& image) {
  val result = val::object();
  result.set("width", image.width);
  result.set("height", image.height);
  result.set("pixels", Copy(image.pixels));
  return result;
}

val ErrorValue(const std::string& message) {
  val result = val::object();
  result.set("error", message);
  return result;
}

val ColorValue(int32_t rgb) {
  val result = val::array();
  result.call<void>("push", RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
  return result;
}

// A parameter as the effect's table describes it, with its value now: its type, range,
// default, group, help and the renderer's flag for it.
val ParamValue(const EffectParam& row, int32_t value) {
  val result = val::object();
  result.set("name", std::string(row.name));
  result.set("flag", std::string("--") + row.flagName);
  result.set("help", std::string(row.help));
  const ParamGroupInfo& group = GroupInfo(row.group);
  result.set("group", std::string(group.title));
  result.set("groupNote", std::string(group.note));
  result.set("renderOnly", !group.previewed);
  switch (row.kind) {
    case ParamKind::kSlider:
    case ParamKind::kFraction: {
      // A fraction's range is in whole units, its values in 16.16, shown to one decimal.
      const bool fixed = row.kind == ParamKind::kFraction;
      const int32_t unit = fixed ? kFixedOne : 1;
      result.set("type", std::string(fixed ? "fixed" : "slider"));
      result.set("min", row.min * unit);
      result.set("max", row.max * unit);
      result.set("sliderMin", row.min * unit);
      result.set("sliderMax", row.max * unit);
      if (fixed) result.set("precision", 1);
      break;
    }
    case ParamKind::kAngle: result.set("type", std::string("angle")); break;
    case ParamKind::kCheckBox: result.set("type", std::string("checkbox")); break;
    case ParamKind::kColor:
      result.set("type", std::string("color"));
      result.set("default", ColorValue(row.dephault));
      result.set("value", ColorValue(value));
      return result;
  }
  result.set("default", row.dephault);
  result.set("value", value);
  return result;
}

// The parameters the page shows, by group and in the effect's order within each.
val Params(const WebFire& fire) {
  val list = val::array();
  for (int group = 0; group < kParamGroupCount; ++group) {
    for (const EffectParam& row : EffectParams()) {
      if (row.hostOnly || static_cast<int>(row.group) != group) continue;
      list.call<void>("push", ParamValue(row, fire.Values()[row.position - 1]));
    }
  }
  return list;
}

// The page's controls name the parameters by display name: false for a name the table does
// not know (or, for a colour, a parameter that is no colour).
bool SetValue(WebFire& fire, const std::string& name, int32_t value) {
  const EffectParam* row = FindEffectParam(name);
  if (row) fire.SetValue(row->position, value);
  return row != nullptr;
}

bool SetColor(WebFire& fire, const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
  const EffectParam* row = FindEffectParam(name);
  if (!row || row->kind != ParamKind::kColor) return false;
  fire.SetValue(row->position, red << 16 | green << 8 | blue);
  return true;
}

bool ChangeValue(WebFire& fire, const std::string& name, int32_t value, int32_t frame) {
  const EffectParam* row = FindEffectParam(name);
  if (row) fire.ChangeValue(row->position, value, frame);
  return row != nullptr;
}

bool ChangeColor(WebFire& fire, const std::string& name, uint8_t red, uint8_t green,
                 uint8_t blue, int32_t frame) {
  const EffectParam* row = FindEffectParam(name);
  if (!row || row->kind != ParamKind::kColor) return false;
  fire.ChangeValue(row->position, red << 16 | green << 8 | blue, frame);
  return true;
}

// The presets: name, title, description, and the value each gives every parameter the page
// shows (its own or the default), by display name, as the page's controls hold values.
val Presets() {
  val list = val::array();
  for (const EffectPreset& preset : kEffectPresets) {
    val values = val::object();
    for (const EffectParam& row : EffectParams()) {
      if (row.hostOnly) continue;
      const int32_t value = PresetValueOf(preset, row);
      if (row.kind == ParamKind::kColor) {
        values.set(row.name, ColorValue(value));
      } else {
        values.set(row.name, value);
      }
    }
    val item = val::object();
    item.set("name", std::string(preset.name));
    item.set("title", std::string(preset.title));
    item.set("description", std::string(preset.description));
    item.set("values", values);
    list.call<void>("push", item);
  }
  return list;
}

val SourceBuffer(WebFire& fire, int32_t width, int32_t height) {
  return val(emscripten::typed_memory_view(static_cast<size_t>(width) * height * 4,
                                           fire.SourceBuffer(width, height)));
}

val Output(const WebFire& fire) { return View(fire.Output()); }

std::string RenderCommand(const WebFire& fire, const std::string& sourceName, int32_t frames) {
  return RenderCommandText(fire.Values(), sourceName, frames, &fire.Timeline());
}

std::string PreviewCommand(const WebFire& fire, int32_t frames) {
  return PreviewCommandText(fire.Values(), frames);
}

std::string Frei0rFilter(const WebFire& fire, int32_t frames) {
  return Frei0rFilterText(fire.Values(), &fire.Timeline(), frames);
}

WebPreview* OpenPreview(WebFire& fire) { return new WebPreview(fire.Values()); }

val PreviewRgba(const WebPreview& preview) { return View(preview.Rgba()); }
val PreviewRgb(const WebPreview& preview) { return View(preview.Rgb()); }

// Rows of `channels` (3: RGB, 4: RGBA) samples as the renderer's Windows build writes a PNG.
val EncodePngFile(const val& array, int32_t width, int32_t height, int channels) {
  const std::vector<uint8_t> samples = BytesOf(array);
  if (samples.size() != static_cast<size_t>(width) * height * channels) {
    return ErrorValue("the samples are not a " + std::to_string(width) + "x" +
                      std::to_string(height) + " image");
  }
  try {
    return Copy(EncodePng(samples.data(), width, height, channels));
  } catch (const std::exception& error) {
    return ErrorValue(error.what());
  }
}

// The size a PNG file's header gives, checked as far as the header, or its refusal: what a
// picture is can be known before anything is decoded.
val PngSize(const val& array, const std::string& name) {
  try {
    const PngHeader header = ReadPngHeader(BytesOf(array), name);
    val result = val::object();
    result.set("width", header.width);
    result.set("height", header.height);
    return result;
  } catch (const std::exception& error) {
    return ErrorValue(error.what());
  }
}

// A PNG file's bytes, checked and decoded as the renderer reads a source, or its refusal.
val DecodePngFile(const val& array, const std::string& name) {
  try {
    return ImageValue(DecodePng(BytesOf(array), name));
  } catch (const std::exception& error) {
    return ErrorValue(error.what());
  }
}

val DefaultSource() { return ImageValue(DrawDefaultSource()); }

}  // namespace

EMSCRIPTEN_BINDINGS(fyrel) {
  emscripten::class_<WebFire>("Fire")
      .constructor<>()
      .function("params", &Params)
      .function("setValue", &SetValue)
      .function("setColor", &SetColor)
      .function("sourceBuffer", &SourceBuffer)
      .function("setSource", &WebFire::SetSource)
      .function("restart", &WebFire::Restart)
      .function("changeValue", &ChangeValue)
      .function("changeColor", &ChangeColor)
      .function("replay", &WebFire::Replay)
      .function("keepStates", &WebFire::KeepStates)
      .function("keepLastStates", &WebFire::KeepLastStates)
      .function("lastStateFrame", &WebFire::LastStateFrame)
      .function("followRun", &WebFire::FollowRun)
      .function("render", &WebFire::Render)
      .function("output", &Output)
      .function("width", &WebFire::Width)
      .function("height", &WebFire::Height)
      .function("renderCommand", &RenderCommand)
      .function("previewCommand", &PreviewCommand)
      .function("frei0rFilter", &Frei0rFilter);
  emscripten::class_<WebPreview>("Preview")
      .constructor(&OpenPreview, emscripten::allow_raw_pointers())
      .function("step", &WebPreview::Step)
      .function("rgba", &PreviewRgba)
      .function("rgb", &PreviewRgb)
      .function("width", &WebPreview::Width)
      .function("height", &WebPreview::Height);
  emscripten::function("pngSize", &PngSize);
  emscripten::function("decodePng", &DecodePngFile);
  emscripten::function("encodePng", &EncodePngFile);
  emscripten::function("defaultSource", &DefaultSource);
  emscripten::function("presets", &Presets);
}
