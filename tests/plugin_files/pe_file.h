// SPDX-License-Identifier: GPL-2.0-or-later
// Reads a Windows DLL as a file, as a host's plug-in scanner sees it before loading anything:
// the machine type, the exported and imported names, and resources by type and id. Works for
// either machine type on any platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PeFile {
 public:
  // Reads and checks the headers; Error() says what is wrong when Ok() is false.
  explicit PeFile(const std::string& path);
  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

  uint16_t Machine() const { return machine_; }  // 0x14c i386, 0x8664 x86-64
  std::vector<std::string> ExportedNames() const;
  uint32_t ExportedFunctionCount() const;
  std::vector<std::string> ImportedLibraries() const;  // lower case
  // The bytes of the resource of this type (a name such as "PIPL", or "#5" for type id 5),
  // id and language; empty when there is none.
  std::vector<uint8_t> Resource(const std::string& type, uint32_t id, uint32_t language) const;

 private:
  struct Section {
    uint32_t address, size, fileOffset;
  };
  uint32_t U32(size_t at) const;
  uint16_t U16(size_t at) const;
  // File offset of a relative virtual address; 0 when no section holds it.
  size_t Offset(uint32_t rva) const;
  std::string TextAt(uint32_t rva) const;
  // The entry of a resource directory (file offset) matching `key`; its OffsetToData, or 0.
  uint32_t FindEntry(size_t directory, const std::string& name, uint32_t id, bool byName) const;

  std::vector<uint8_t> bytes_;
  std::string error_;
  uint16_t machine_ = 0;
  std::vector<Section> sections_;
  uint32_t exportRva_ = 0, importRva_ = 0, resourceRva_ = 0;
};
