// SPDX-License-Identifier: GPL-2.0-or-later
// A property set through the host's property suite, one call per value. Setters return the
// host's status; getters return false when the host has no such value.
#pragma once

#include <initializer_list>

#include "ofx/ofx_api.h"

class OfxProps {
 public:
  explicit OfxProps(OfxPropertySetHandle handle) : handle_(handle) {}
  OfxPropertySetHandle handle() const { return handle_; }

  OfxStatus SetString(const char* name, const char* value, int index = 0) const;
  OfxStatus SetInt(const char* name, int value, int index = 0) const;
  OfxStatus SetDouble(const char* name, double value, int index = 0) const;
  OfxStatus SetPointer(const char* name, void* value) const;
  // Every value of a property, from index 0 on.
  OfxStatus SetStrings(const char* name, std::initializer_list<const char*> values) const;
  OfxStatus SetInts(const char* name, std::initializer_list<int> values) const;
  OfxStatus SetDoubles(const char* name, const double* values, int count) const;

  bool GetString(const char* name, const char** value, int index = 0) const;
  bool GetInt(const char* name, int* value, int index = 0) const;
  bool GetDouble(const char* name, double* value, int index = 0) const;
  bool GetPointer(const char* name, void** value) const;
  bool GetInts(const char* name, int* values, int count) const;

 private:
  OfxPropertySetHandle handle_;
};
