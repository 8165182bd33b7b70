# SPDX-License-Identifier: GPL-2.0-or-later
"""Loads a 32-bit Windows DLL into a Machine the way the Windows loader does: sections mapped at
the image base with their own protections, base relocations applied where the image cannot lie
at its preferred base, imports bound to native functions (or data), the thread's TLS block made,
TLS callbacks and then the entry point run for the process attach.
"""
import pefile
from unicorn import UC_PROT_ALL, UC_PROT_EXEC, UC_PROT_READ, UC_PROT_WRITE

from win32_machine import PAGE, STATIC_TLS, EmulationFault, align

DLL_PROCESS_ATTACH = 1
_EXECUTE = 0x20000000
_WRITE = 0x80000000


class Image:
    def __init__(self, base, size, entry, exports, tls_callbacks, imports):
        self.base = base
        self.size = size
        self.entry = entry
        self.exports = exports  # name -> address
        self.tls_callbacks = tls_callbacks
        self.imports = imports  # "dll!name" of every import bound


def load(machine, path, imports, base=None):
    """Maps the DLL at `base` (its preferred base when None). `imports` is a dict from the import
    name to (body, stdcall argument bytes or None) for a function, or ("data", bytes) for a
    variable; an import not in it is bound to a trap that names it."""
    pe = pefile.PE(path)
    if pe.FILE_HEADER.Machine != 0x14C:
        raise EmulationFault("%s is not a 32-bit x86 image" % path)
    preferred = pe.OPTIONAL_HEADER.ImageBase
    base = preferred if base is None else base
    size = align(pe.OPTIONAL_HEADER.SizeOfImage)
    mapped = pe.get_memory_mapped_image(ImageBase=base)  # relocated when base differs
    machine.map(base, size, UC_PROT_ALL)
    machine.write(base, mapped[:size].ljust(size, b"\0"))

    bound = []
    for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for symbol in dll.imports:
            name = symbol.name.decode() if symbol.name else "#%d" % symbol.ordinal
            slot = symbol.address - preferred + base
            known = imports.get(name)
            if known and known[0] == "code":
                address = known[1]
            elif known and known[0] == "data":
                address = machine.malloc(len(known[1]))
                machine.write(address, known[1])
            elif known:
                address = machine.native(name, known[0], known[1])
            else:
                address = machine.native("%s!%s" % (dll.dll.decode(), name), None)
            machine.put_u32(slot, address)
            bound.append("%s!%s" % (dll.dll.decode(), name))

    # Protections last: the import table may lie in a read-only section.
    machine.protect(base, PAGE, UC_PROT_READ)
    for section in pe.sections:
        flags = section.Characteristics
        prot = (UC_PROT_READ | (UC_PROT_WRITE if flags & _WRITE else 0)
                | (UC_PROT_EXEC if flags & _EXECUTE else 0))
        machine.protect(base + section.VirtualAddress, max(section.Misc_VirtualSize, 1), prot)

    exports = {}
    if hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols:
            if symbol.name:
                exports[symbol.name.decode()] = base + symbol.address

    callbacks = []
    if hasattr(pe, "DIRECTORY_ENTRY_TLS"):
        tls = pe.DIRECTORY_ENTRY_TLS.struct
        moved = base - preferred  # the directory holds addresses, relocated with the image
        start, end = tls.StartAddressOfRawData + moved, tls.EndAddressOfRawData + moved
        block = machine.malloc(end - start + tls.SizeOfZeroFill)
        machine.write(block, machine.read(start, end - start))
        machine.put_u32(STATIC_TLS, block)  # index 0 is this module's
        machine.put_u32(tls.AddressOfIndex + moved, 0)
        at = tls.AddressOfCallBacks + moved
        while machine.u32(at):
            callbacks.append(machine.u32(at))
            at += 4

    entry = base + pe.OPTIONAL_HEADER.AddressOfEntryPoint
    return Image(base, size, entry, exports, callbacks, bound)


def attach(machine, image):
    """The process attach: TLS callbacks, then the entry point (DllMain through the runtime's
    start-up code). Returns what the entry point returned."""
    for callback in image.tls_callbacks:
        machine.call(callback, [image.base, DLL_PROCESS_ATTACH, 0], stdcall=True)
    return machine.call(image.entry, [image.base, DLL_PROCESS_ATTACH, 0], stdcall=True)
