# SPDX-License-Identifier: GPL-2.0-or-later
"""What the plug-in imports from Windows and the C runtime, as far as its start-up and its
commands reach it, carried out on a Machine. Everything else it imports is bound to a trap by
the loader: the viewer's windows and drawing (user32, gdi32), threads and TLS, files, error
output, and the runtime's shut-down.

One thread, nothing else loaded: a critical section is never contended, and a semaphore made
for one is never waited on.
"""
import struct

from win32_machine import EmulationFault

MEM_COMMIT_RESERVE = 0x3000
MEM_RELEASE = 0x8000
PAGE_READWRITE = 0x04


def _virtual_alloc(m):
    address, size, kind, protect = (m.arg(i) for i in range(4))
    if address != 0 or kind != MEM_COMMIT_RESERVE or protect != PAGE_READWRITE:
        raise EmulationFault("VirtualAlloc(0x%x, %d, 0x%x, 0x%x): only fresh read-write memory is "
                             "expected of it" % (address, size, kind, protect))
    return m.allocate_pages(size) if size else 0


def _virtual_free(m):
    address, size, kind = m.arg(0), m.arg(1), m.arg(2)
    if size != 0 or kind != MEM_RELEASE or not m.release_pages(address):
        raise EmulationFault("VirtualFree(0x%08x, %d, 0x%x) of no area VirtualAlloc gave"
                             % (address, size, kind))
    return 1


def _module_handle(m):
    if m.arg(0) == 0:
        raise EmulationFault("GetModuleHandleA(NULL): there is no executable here")
    return 0  # no other module is loaded (the runtime looks for a shared libgcc)


def _memcpy(m):
    dest, src, size = m.arg(0), m.arg(1), m.arg(2)
    if size:
        m.write(dest, m.read(src, size))  # read whole before written: memmove too
    return dest


def _memset(m):
    dest, value, size = m.arg(0), m.arg(1), m.arg(2)
    if size:
        m.write(dest, bytes([value & 0xFF]) * size)
    return dest


def _nothing(m):
    return None


def _stdcall(count):
    return 4 * count


def imports(machine):
    """The import table for pe_loader.load: name -> (body, stdcall argument bytes or None),
    ("code", address) or ("data", bytes)."""
    # _initterm calls each function of a table, so it is emulated code:
    # for (p = begin; p < end; ++p) if (*p) (*p)();
    initterm = machine.code(bytes.fromhex("56 57 8b74240c 8b7c2410 39fe 730d 8b06 85c0 7402 ffd0"
                                          "83c604 ebef 5f 5e c3".replace(" ", "")))
    return {
        # kernel32: stdcall
        "InitializeCriticalSection": (_nothing, _stdcall(1)),
        "CreateSemaphoreW": (lambda m: 0x5E0, _stdcall(4)),
        "GetCurrentThreadId": (lambda m: 1, _stdcall(0)),
        "GetModuleHandleA": (_module_handle, _stdcall(1)),
        "VirtualAlloc": (_virtual_alloc, _stdcall(4)),
        "VirtualFree": (_virtual_free, _stdcall(3)),
        # msvcrt: cdecl
        "_initterm": ("code", initterm),
        "_lock": (_nothing, None),
        "_unlock": (_nothing, None),
        "malloc": (lambda m: m.malloc(m.arg(0)), None),
        "calloc": (lambda m: m.malloc(m.arg(0) * m.arg(1)), None),
        "free": (lambda m: m.free(m.arg(0)), None),
        "memcpy": (_memcpy, None),
        "memmove": (_memcpy, None),
        "memset": (_memset, None),
        # variables
        "__mb_cur_max": ("data", struct.pack("<I", 1)),
        "_iob": ("data", bytes(3 * 32)),
    }
