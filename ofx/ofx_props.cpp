// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_props.h"

#include "ofx/ofx_host.h"

namespace {

const OfxPropertySuiteV1& Suite() { return *HostSuites().props; }

}  // namespace

OfxStatus OfxProps::SetString(const char* name, const char* value, int index) const {
  return Suite().propSetString(handle_, name, index, value);
}
OfxStatus OfxProps::SetInt(const char* name, int value, int index) const {
  return Suite().propSetInt(handle_, name, index, value);
}
OfxStatus OfxProps::SetDouble(const char* name, double value, int index) const {
  return Suite().propSetDouble(handle_, name, index, value);
}
OfxStatus OfxProps::SetPointer(const char* name, void* value) const {
  return Suite().propSetPointer(handle_, name, 0, value);
}

OfxStatus OfxProps::SetStrings(const char* name, std::initializer_list<const char*> values) const {
  int index = 0;
  for (const char* value : values) {
    const OfxStatus status = SetString(name, value, index++);
    if (status != ofx::kStatOK) return status;
  }
  return ofx::kStatOK;
}

OfxStatus OfxProps::SetInts(const char* name, std::initializer_list<int> values) const {
  int index = 0;
  for (int value : values) {
    const OfxStatus status = SetInt(name, value, index++);
    if (status != ofx::kStatOK) return status;
  }
  return ofx::kStatOK;
}

OfxStatus OfxProps::SetDoubles(const char* name, const double* values, int count) const {
  for (int i = 0; i < count; ++i) {
    const OfxStatus status = SetDouble(name, values[i], i);
    if (status != ofx::kStatOK) return status;
  }
  return ofx::kStatOK;
}

bool OfxProps::GetString(const char* name, const char** value, int index) const {
  char* text = nullptr;
  if (Suite().propGetString(handle_, name, index, &text) != ofx::kStatOK || !text) return false;
  *value = text;
  return true;
}
bool OfxProps::GetInt(const char* name, int* value, int index) const {
  return Suite().propGetInt(handle_, name, index, value) == ofx::kStatOK;
}
bool OfxProps::GetDouble(const char* name, double* value, int index) const {
  return Suite().propGetDouble(handle_, name, index, value) == ofx::kStatOK;
}
bool OfxProps::GetPointer(const char* name, void** value) const {
  return Suite().propGetPointer(handle_, name, 0, value) == ofx::kStatOK;
}
bool OfxProps::GetInts(const char* name, int* values, int count) const {
  for (int i = 0; i < count; ++i) {
    if (!GetInt(name, &values[i], i)) return false;
  }
  return true;
}
