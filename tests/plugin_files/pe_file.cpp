// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/plugin_files/pe_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

PeFile::PeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error_ = path + ": cannot be read";
    return;
  }
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes_.size() < 0x40 || bytes_[0] != 'M' || bytes_[1] != 'Z') {
    error_ = path + ": no MZ header";
    return;
  }
  const size_t pe = U32(0x3C);
  if (pe + 24 > bytes_.size() || U32(pe) != 0x00004550) {
    error_ = path + ": no PE header";
    return;
  }
  machine_ = U16(pe + 4);
  const uint16_t sectionCount = U16(pe + 6);
  const size_t optional = pe + 24;
  const size_t optionalSize = U16(pe + 20);
  const uint16_t magic = U16(optional);
  const size_t directories = optional + (magic == 0x20b ? 112 : 96);
  exportRva_ = U32(directories + 0 * 8);
  importRva_ = U32(directories + 1 * 8);
  resourceRva_ = U32(directories + 2 * 8);
  for (size_t s = 0; s < sectionCount; ++s) {
    const size_t at = optional + optionalSize + s * 40;
    sections_.push_back({U32(at + 12), std::max(U32(at + 8), U32(at + 16)), U32(at + 20)});
  }
}

uint32_t PeFile::U32(size_t at) const {
  if (at + 4 > bytes_.size()) return 0;
  return bytes_[at] | (bytes_[at + 1] << 8) | (bytes_[at + 2] << 16) | (uint32_t(bytes_[at + 3]) << 24);
}

uint16_t PeFile::U16(size_t at) const {
  if (at + 2 > bytes_.size()) return 0;
  return static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
}

size_t PeFile::Offset(uint32_t rva) const {
  for (const Section& s : sections_) {
    if (rva >= s.address && rva < s.address + s.size) return s.fileOffset + (rva - s.address);
  }
  return 0;
}

std::string PeFile::TextAt(uint32_t rva) const {
  std::string text;
  for (size_t at = Offset(rva); at && at < bytes_.size() && bytes_[at]; ++at) text += char(bytes_[at]);
  return text;
}

std::vector<std::string> PeFile::ExportedNames() const {
  std::vector<std::string> names;
  const size_t directory = exportRva_ ? Offset(exportRva_) : 0;
  if (!directory) return names;
  const uint32_t count = U32(directory + 24);
  const size_t table = Offset(U32(directory + 32));
  for (uint32_t i = 0; table && i < count; ++i) names.push_back(TextAt(U32(table + 4 * i)));
  return names;
}

uint32_t PeFile::ExportedFunctionCount() const {
  const size_t directory = exportRva_ ? Offset(exportRva_) : 0;
  return directory ? U32(directory + 20) : 0;
}

std::vector<std::string> PeFile::ImportedLibraries() const {
  std::vector<std::string> names;
  size_t entry = importRva_ ? Offset(importRva_) : 0;
  for (; entry && U32(entry + 12) != 0; entry += 20) {
    std::string name = TextAt(U32(entry + 12));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    names.push_back(name);
  }
  return names;
}

uint32_t PeFile::FindEntry(size_t directory, const std::string& name, uint32_t id, bool byName) const {
  const size_t base = Offset(resourceRva_);
  const size_t count = size_t(U16(directory + 12)) + U16(directory + 14);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = directory + 16 + 8 * i;
    const uint32_t key = U32(entry);
    if (byName != ((key & 0x80000000u) != 0)) continue;
    if (byName) {
      const size_t text = base + (key & 0x7FFFFFFFu);
      std::string entryName;
      for (size_t c = 0; c < U16(text); ++c) entryName += char(U16(text + 2 + 2 * c));
      if (entryName != name) continue;
    } else if (key != id) {
      continue;
    }
    return U32(entry + 4);
  }
  return 0;
}

std::vector<uint8_t> PeFile::Resource(const std::string& type, uint32_t id, uint32_t language) const {
  const size_t base = resourceRva_ ? Offset(resourceRva_) : 0;
  if (!base) return {};
  const bool typeById = !type.empty() && type[0] == '#';
  const uint32_t typeId = typeById ? uint32_t(std::stoul(type.substr(1))) : 0;
  const uint32_t byType = FindEntry(base, type, typeId, !typeById);
  if (!(byType & 0x80000000u)) return {};
  const uint32_t byId = FindEntry(base + (byType & 0x7FFFFFFFu), "", id, false);
  if (!(byId & 0x80000000u)) return {};
  const uint32_t byLanguage = FindEntry(base + (byId & 0x7FFFFFFFu), "", language, false);
  if (!byLanguage || (byLanguage & 0x80000000u)) return {};
  const size_t dataEntry = base + byLanguage;
  const size_t data = Offset(U32(dataEntry));
  const uint32_t size = U32(dataEntry + 4);
  if (!data || data + size > bytes_.size()) return {};
  return std::vector<uint8_t>(bytes_.begin() + data, bytes_.begin() + data + size);
}
