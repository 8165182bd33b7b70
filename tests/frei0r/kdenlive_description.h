// SPDX-License-Identifier: GPL-2.0-or-later
// The Kdenlive effect description of the filter, read as Kdenlive reads it, and the value
// Kdenlive hands MLT for a setting in the effect's own units.
#pragma once

#include <tinyxml2.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

struct KdenliveParam {
  std::string name;  // the frei0r parameter it sets
  std::string type;  // animated, list, color or bool
  std::string dephault;
  double min = 0, max = 0, factor = 1;
  std::vector<std::string> paramlist, paramlistdisplay;  // lists only
};

struct KdenliveEffect {
  std::string tag;
  std::vector<KdenliveParam> params;
  std::string error;  // empty when the file was read
};

inline std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
  return parts;
}

inline KdenliveEffect ReadKdenliveEffect(const std::string& path) {
  KdenliveEffect effect;
  tinyxml2::XMLDocument doc;
  if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
    effect.error = path + ": " + doc.ErrorStr();
    return effect;
  }
  const tinyxml2::XMLElement* root = doc.FirstChildElement("effect");
  if (!root) {
    effect.error = path + ": no <effect>";
    return effect;
  }
  effect.tag = root->Attribute("tag") ? root->Attribute("tag") : "";
  for (const tinyxml2::XMLElement* p = root->FirstChildElement("parameter"); p;
       p = p->NextSiblingElement("parameter")) {
    KdenliveParam param;
    param.name = p->Attribute("name") ? p->Attribute("name") : "";
    param.type = p->Attribute("type") ? p->Attribute("type") : "";
    param.dephault = p->Attribute("default") ? p->Attribute("default") : "";
    param.min = p->DoubleAttribute("min", 0);
    param.max = p->DoubleAttribute("max", 0);
    param.factor = p->DoubleAttribute("factor", 1);
    if (const char* list = p->Attribute("paramlist")) param.paramlist = SplitOn(list, ';');
    if (const tinyxml2::XMLElement* shown = p->FirstChildElement("paramlistdisplay")) {
      param.paramlistdisplay = SplitOn(shown->GetText() ? shown->GetText() : "", ',');
    }
    effect.params.push_back(param);
  }
  return effect;
}

// What Kdenlive sets on the MLT filter for `value` in the units the description shows (whole
// degrees for an angle, 0xRRGGBB for a colour): a slider's value divided by its factor, the
// list entry shown as the value, 0 or 1, a colour as 0xRRGGBBAA. Empty when the description
// offers no such value.
inline std::string KdenliveValue(const KdenliveParam& param, int32_t value) {
  char text[64];
  if (param.type == "list") {
    for (size_t i = 0; i < param.paramlistdisplay.size() && i < param.paramlist.size(); ++i) {
      if (param.paramlistdisplay[i] == std::to_string(value)) return param.paramlist[i];
    }
    return "";
  }
  if (param.type == "bool") return value ? "1" : "0";
  if (param.type == "color") {
    std::snprintf(text, sizeof text, "0x%06xff", static_cast<unsigned>(value) & 0xFFFFFFu);
    return text;
  }
  if (value < param.min || value > param.max) return "";
  std::snprintf(text, sizeof text, "%.15g", value / param.factor);
  return text;
}
