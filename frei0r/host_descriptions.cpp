// SPDX-License-Identifier: GPL-2.0-or-later
// Writes the two descriptions video editors read beside fyrel.so, from the effect's parameter
// table and the filter's mapping: Kdenlive's effect XML and Shotcut's panel.
//   fyrel_frei0r_descriptions KDENLIVE_XML SHOTCUT_UI_QML
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "frei0r/frei0r_params.h"

namespace {

// `v` with six significant digits, as Kdenlive writes numbers.
std::string Six(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

// `v` rounded up at six significant digits: Kdenlive shows default * factor cut down to a
// whole number, so a default written a little low would show one less.
std::string SixUp(double v) {
  if (v <= 0) return Six(v);
  const double scale = std::pow(10.0, 5 - std::floor(std::log10(v)));
  return Six(std::ceil(v * scale - 1e-9) / scale);
}

std::string HexByte(uint8_t byte) {
  char text[4];
  std::snprintf(text, sizeof text, "%02x", byte);
  return text;
}

std::string ColourText(int32_t argb) {
  return HexByte(RedOf(argb)) + HexByte(GreenOf(argb)) + HexByte(BlueOf(argb));
}

std::string KdenliveXml() {
  std::ostringstream out;
  out << R"(<?xml version="1.0"?>
<!-- SPDX-License-Identifier: GPL-2.0-or-later -->
<!DOCTYPE kpartgui>
<!-- Kdenlive's description of the fyrel frei0r filter, written at build time from the effect's
     parameter table: every parameter in the filter's order, shown in the effect's own units.
     Kdenlive sends a slider's shown value divided by its factor, which the filter maps back as
     round(v * 255) (the angle: v * 360 degrees); defaults are written as the values sent,
     rounded up at six digits, since Kdenlive shows default * factor cut down to a whole
     number. A slider whose range no factor reaches (it does not start at 0) is a list whose
     entries are the values the filter maps to each integer, written with six digits as
     Kdenlive writes numbers, or it finds no entry for the default. -->
<effect LC_NUMERIC="C" tag="frei0r.fyrel" id="frei0r.fyrel">
    <name>Fyrel Fire</name>
    <description>Fire drawn from the brightness of the clip</description>
    <author>ZEL</author>
)";
  for (int i = 0; i < kFrei0rParamCount; ++i) {
    const Frei0rParam& p = *Frei0rParamAt(i);
    const EffectParam& row = *FindEffectParam(p.name);
    const std::string name = p.name;
    switch (p.kind) {
      case Frei0rKind::kSlider:
        if (p.min != 0) {
          std::string values, shown;
          for (int32_t v = p.min; v <= p.max; ++v) {
            values += (v > p.min ? ";" : "") + Six(UnitFromSlider(v, p.min, p.max));
            shown += (v > p.min ? "," : "") + std::to_string(v);
          }
          out << "    <parameter type=\"list\" name=\"" << name << "\" default=\""
              << Six(UnitFromSlider(row.dephault, p.min, p.max)) << "\" paramlist=\"" << values
              << "\">\n        <paramlistdisplay>" << shown << "</paramlistdisplay>\n";
        } else {
          out << "    <parameter type=\"animated\" name=\"" << name << "\" default=\""
              << SixUp(UnitFromSlider(row.dephault, p.min, p.max)) << "\" min=\"" << p.min
              << "\" max=\"" << p.max << "\" factor=\"" << p.max << "\">\n";
        }
        break;
      case Frei0rKind::kColor:
        out << "    <parameter type=\"color\" name=\"" << name << "\" default=\"0x"
            << ColourText(row.dephault) << "ff\">\n";
        break;
      case Frei0rKind::kCheckBox:
        out << "    <parameter type=\"bool\" name=\"" << name << "\" default=\"" << row.dephault
            << "\">\n";
        break;
      case Frei0rKind::kAngle:
        out << "    <parameter type=\"animated\" name=\"" << name << "\" default=\""
            << SixUp(UnitFromAngle(row.dephault)) << "\" min=\"0\" max=\"360\" factor=\"360\""
            << " suffix=\"°\">\n";
        break;
    }
    out << "        <name>" << name << "</name>\n    </parameter>\n";
  }
  out << "</effect>\n";
  return out.str();
}

std::string ShotcutQml(const std::string& templateText) {
  std::string sliders, colours, checkBoxes;
  auto add = [](std::string& list, const std::string& row) {
    list += (list.empty() ? "        " : ",\n        ") + row;
  };
  for (int i = 0; i < kFrei0rParamCount; ++i) {
    const Frei0rParam& p = *Frei0rParamAt(i);
    const EffectParam& row = *FindEffectParam(p.name);
    const std::string name = std::string("'") + p.name + "'";
    switch (p.kind) {
      case Frei0rKind::kSlider:
        add(sliders, "[" + name + ", " + std::to_string(p.min) + ", " + std::to_string(p.max) +
                         ", " + std::to_string(row.dephault) + ", '']");
        break;
      case Frei0rKind::kAngle:
        add(sliders, "[" + name + ", 0, 360, " + std::to_string(row.dephault / kFixedOne) +
                         ", ' °']");
        break;
      case Frei0rKind::kColor: add(colours, "[" + name + ", '#" + ColourText(row.dephault) + "']"); break;
      case Frei0rKind::kCheckBox:
        add(checkBoxes, "[" + name + ", " + (row.dephault ? "true" : "false") + "]");
        break;
    }
  }
  std::string text = templateText;
  for (const auto& [key, value] : {std::pair<std::string, std::string>{"@SLIDERS@", sliders},
                                   {"@COLOURS@", colours}, {"@CHECKBOXES@", checkBoxes}}) {
    const size_t at = text.find(key);
    if (at == std::string::npos) throw std::runtime_error("the panel's template has no " + key);
    text.replace(at, key.size(), value);
  }
  return text;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: fyrel_frei0r_descriptions KDENLIVE_XML SHOTCUT_UI_TEMPLATE SHOTCUT_UI_QML\n";
    return 2;
  }
  try {
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream templateText;
    templateText << in.rdbuf();
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[2]);
    WriteFile(argv[1], KdenliveXml());
    WriteFile(argv[3], ShotcutQml(templateText.str()));
  } catch (const std::exception& error) {
    std::cerr << "fyrel_frei0r_descriptions: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
