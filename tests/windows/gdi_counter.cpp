// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/windows/gdi_counter.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

GdiCounts counts;

decltype(&GetDC) realGetDC;
decltype(&ReleaseDC) realReleaseDC;
decltype(&CreateDIBitmap) realCreateDIBitmap;
decltype(&CreateCompatibleDC) realCreateCompatibleDC;
decltype(&CreateDIBSection) realCreateDIBSection;
decltype(&DeleteDC) realDeleteDC;
decltype(&DeleteObject) realDeleteObject;

HDC WINAPI CountedGetDC(HWND window) {
  HDC dc = realGetDC(window);
  if (dc) ++counts.dcsTaken;
  return dc;
}
int WINAPI CountedReleaseDC(HWND window, HDC dc) {
  const int released = realReleaseDC(window, dc);
  if (released) ++counts.dcsReleased;
  return released;
}
HBITMAP WINAPI CountedCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init,
                                     const void* bits, const BITMAPINFO* info, UINT usage) {
  HBITMAP bitmap = realCreateDIBitmap(dc, header, init, bits, info, usage);
  if (bitmap) ++counts.objectsMade;
  return bitmap;
}
HDC WINAPI CountedCreateCompatibleDC(HDC dc) {
  HDC memory = realCreateCompatibleDC(dc);
  if (memory) ++counts.objectsMade;
  return memory;
}
HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                       HANDLE section, DWORD offset) {
  HBITMAP bitmap = realCreateDIBSection(dc, info, usage, bits, section, offset);
  if (bitmap) ++counts.objectsMade;
  return bitmap;
}
BOOL WINAPI CountedDeleteDC(HDC dc) {
  const BOOL deleted = realDeleteDC(dc);
  if (deleted) ++counts.objectsDeleted;
  return deleted;
}
BOOL WINAPI CountedDeleteObject(HGDIOBJ object) {
  const BOOL deleted = realDeleteObject(object);
  if (deleted) ++counts.objectsDeleted;
  return deleted;
}

struct Reroute {
  const char* name;
  void* counted;
  void** real;
};

// Points the import address table entry of `name` at `counted`, keeping the original.
int RerouteImports(const Reroute* reroutes, int count) {
  auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int done = 0;
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       library->Name; ++library) {
    if (!library->OriginalFirstThunk) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      for (int i = 0; i < count; ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), reroutes[i].name) != 0) continue;
        DWORD protection;
        VirtualProtect(&addresses->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
        *reroutes[i].real = reinterpret_cast<void*>(addresses->u1.Function);
        addresses->u1.Function = reinterpret_cast<ULONG_PTR>(reroutes[i].counted);
        VirtualProtect(&addresses->u1.Function, sizeof(void*), protection, &protection);
        ++done;
      }
    }
  }
  return done;
}

}  // namespace

bool CountGdiCalls() {
  const Reroute reroutes[] = {
      {"GetDC", reinterpret_cast<void*>(CountedGetDC), reinterpret_cast<void**>(&realGetDC)},
      {"ReleaseDC", reinterpret_cast<void*>(CountedReleaseDC), reinterpret_cast<void**>(&realReleaseDC)},
      {"CreateDIBitmap", reinterpret_cast<void*>(CountedCreateDIBitmap),
       reinterpret_cast<void**>(&realCreateDIBitmap)},
      {"CreateCompatibleDC", reinterpret_cast<void*>(CountedCreateCompatibleDC),
       reinterpret_cast<void**>(&realCreateCompatibleDC)},
      {"CreateDIBSection", reinterpret_cast<void*>(CountedCreateDIBSection),
       reinterpret_cast<void**>(&realCreateDIBSection)},
      {"DeleteDC", reinterpret_cast<void*>(CountedDeleteDC), reinterpret_cast<void**>(&realDeleteDC)},
      {"DeleteObject", reinterpret_cast<void*>(CountedDeleteObject),
       reinterpret_cast<void**>(&realDeleteObject)},
  };
  const int wanted = sizeof reroutes / sizeof reroutes[0];
  return RerouteImports(reroutes, wanted) == wanted;
}

GdiCounts CurrentGdiCounts() { return counts; }
