# SPDX-License-Identifier: GPL-2.0-or-later
"""A 32-bit Windows process without Windows: the unicorn x86 CPU, a flat address space laid out
here, a thread block reached through FS, and "native" functions that Python carries out.

A native function is a few bytes in the stub area (a `ret`, or `ret n` for stdcall); a code hook
on that area runs its Python body just before the `ret` executes, so the emulated caller sees an
ordinary call that returns. A native function whose body is None traps: the run stops with its
name. Memory ranges can be watched: every write into them is checked as it happens.
"""
import struct

from unicorn import (UC_ARCH_X86, UC_HOOK_CODE, UC_HOOK_MEM_INVALID, UC_HOOK_MEM_WRITE,
                     UC_MEM_FETCH_UNMAPPED, UC_MEM_READ_UNMAPPED, UC_MEM_WRITE_PROT,
                     UC_MEM_WRITE_UNMAPPED, UC_MODE_32, UC_PROT_EXEC, UC_PROT_READ, UC_PROT_WRITE,
                     Uc, UcError)
from unicorn.x86_const import (UC_X86_REG_CS, UC_X86_REG_DS, UC_X86_REG_ES, UC_X86_REG_FPCW,
                               UC_X86_REG_MXCSR, UC_X86_REG_SS,
                               UC_X86_REG_EAX, UC_X86_REG_EBP, UC_X86_REG_EBX, UC_X86_REG_EDI,
                               UC_X86_REG_EIP, UC_X86_REG_ESI, UC_X86_REG_ESP, UC_X86_REG_FS,
                               UC_X86_REG_GDTR)

PAGE = 0x1000
X87_CONTROL = 0x37F  # what `fninit` sets: extended precision, round to nearest, all masked

# The address space, low to high. Every area is followed by unmapped space, so that running
# off its end faults.
GDT = 0x00001000
TEB = 0x00002000  # the thread block, with the static TLS array in its last bytes
STUBS = 0x00010000
STUBS_SIZE = 0x10000
STACK_TOP = 0x00400000
STACK_SIZE = 0x00200000
HEAP = 0x10000000  # malloc's blocks, each with an unmapped page after it
PAGES = 0x30000000  # VirtualAlloc's areas, each with an unmapped page after it
HOST = 0x50000000  # what the host owns: records, handles, layers

TEB_SIZE = 0x1000
STATIC_TLS = TEB + 0xF80  # the array of the modules' static TLS blocks


class EmulationFault(Exception):
    """The emulated code did something a Windows process must not: a trap, a bad access."""


def align(value, to=PAGE):
    return (value + to - 1) & ~(to - 1)


def _gdt_entry(base, limit, access, flags):
    entry = limit & 0xFFFF
    entry |= (base & 0xFFFFFF) << 16
    entry |= access << 40
    entry |= ((limit >> 16) & 0xF) << 48
    entry |= flags << 52
    entry |= ((base >> 24) & 0xFF) << 56
    return struct.pack("<Q", entry)


class Machine:
    def __init__(self):
        self.uc = Uc(UC_ARCH_X86, UC_MODE_32)
        self._natives = {}  # stub address -> (name, body)
        self._next_stub = STUBS
        self._watches = []  # (begin, end, check)
        self.calls = {}  # native name -> how often it ran
        self.uc.mem_map(STUBS, STUBS_SIZE, UC_PROT_READ | UC_PROT_EXEC)
        self.uc.hook_add(UC_HOOK_CODE, self._on_native, begin=STUBS, end=STUBS + STUBS_SIZE - 1)
        self.uc.hook_add(UC_HOOK_MEM_INVALID, self._on_bad_access)
        self.uc.mem_map(STACK_TOP - STACK_SIZE, STACK_SIZE, UC_PROT_READ | UC_PROT_WRITE)
        self._set_up_thread_block()
        self._heap_next = HEAP
        self.heap_blocks = {}  # address -> size, the live malloc blocks
        self._pages_next = PAGES
        self.page_areas = {}  # address -> size, the live VirtualAlloc areas
        self.exit = self.code(b"\xF4")  # where a call from the host returns to

    # ---- memory ----

    def read(self, address, size):
        return bytes(self.uc.mem_read(address, size))

    def write(self, address, data):
        self.uc.mem_write(address, bytes(data))

    def u32(self, address):
        return struct.unpack("<I", self.read(address, 4))[0]

    def i32(self, address):
        return struct.unpack("<i", self.read(address, 4))[0]

    def put_u32(self, address, value):
        self.write(address, struct.pack("<I", value & 0xFFFFFFFF))

    def cstring(self, address, limit=4096):
        data = self.read(address, limit)
        end = data.find(b"\0")
        if end < 0:
            raise EmulationFault("string at 0x%08x has no terminator within %d bytes" % (address, limit))
        return data[:end]

    def map(self, address, size, prot=UC_PROT_READ | UC_PROT_WRITE):
        self.uc.mem_map(address, align(size), prot)

    def protect(self, address, size, prot):
        self.uc.mem_protect(address, align(size), prot)

    def malloc(self, size):
        """A zeroed heap block of its own pages, so that running off its end faults."""
        address = self._heap_next
        self.map(address, max(size, 1))
        self._heap_next += align(max(size, 1)) + PAGE
        self.heap_blocks[address] = size
        return address

    def free(self, address):
        if address == 0:
            return
        if address not in self.heap_blocks:
            raise EmulationFault("free of 0x%08x, which no malloc gave" % address)
        size = self.heap_blocks.pop(address)
        self.uc.mem_unmap(address, align(max(size, 1)))

    def allocate_pages(self, size):
        address = self._pages_next
        self.map(address, size)
        self._pages_next += align(size) + PAGE
        self.page_areas[address] = size
        return address

    def release_pages(self, address):
        if address not in self.page_areas:
            return False
        self.uc.mem_unmap(address, align(self.page_areas.pop(address)))
        return True

    def watch(self, begin, end, check):
        """Calls check(address, size) for every write into [begin, end); a text it returns is a
        fault that stops the run."""
        self._watches.append((begin, end, check))
        self.uc.hook_add(UC_HOOK_MEM_WRITE, self._on_write, begin=begin, end=end - 1)

    def _on_write(self, uc, access, address, size, value, data):
        for begin, end, check in self._watches:
            if begin <= address < end:
                problem = check(address, size)
                if problem:
                    raise EmulationFault("write of %d bytes at 0x%08x (eip 0x%08x): %s"
                                         % (size, address, uc.reg_read(UC_X86_REG_EIP), problem))

    def _on_bad_access(self, uc, access, address, size, value, data):
        kind = {UC_MEM_READ_UNMAPPED: "read of unmapped memory",
                UC_MEM_WRITE_UNMAPPED: "write to unmapped memory",
                UC_MEM_FETCH_UNMAPPED: "jump to unmapped memory",
                UC_MEM_WRITE_PROT: "write to read-only memory"}.get(access, "bad access %d" % access)
        self._fault = "%s at 0x%08x (%d bytes, eip 0x%08x)" % (
            kind, address, size, uc.reg_read(UC_X86_REG_EIP))
        return False  # unicorn stops the run with an error

    # ---- the thread ----

    def _set_up_thread_block(self):
        # Flat 32-bit code and data segments, and FS on the thread block, as on Windows.
        gdt = (b"\0" * 8 + _gdt_entry(TEB, TEB_SIZE - 1, 0x92, 0x4)
               + _gdt_entry(0, 0xFFFFF, 0x92, 0xC) + _gdt_entry(0, 0xFFFFF, 0x9A, 0xC))
        self.map(GDT, PAGE)
        self.write(GDT, gdt)
        self.uc.reg_write(UC_X86_REG_GDTR, (0, GDT, len(gdt) - 1, 0))
        self.map(TEB, TEB_SIZE)
        self.put_u32(TEB + 0x00, 0xFFFFFFFF)  # no exception handler registered
        self.put_u32(TEB + 0x04, STACK_TOP)
        self.put_u32(TEB + 0x08, STACK_TOP - STACK_SIZE)
        self.put_u32(TEB + 0x18, TEB)
        self.put_u32(TEB + 0x2C, STATIC_TLS)
        self.uc.reg_write(UC_X86_REG_FS, 1 << 3)
        for segment in (UC_X86_REG_SS, UC_X86_REG_DS, UC_X86_REG_ES):
            self.uc.reg_write(segment, 2 << 3)
        self.uc.reg_write(UC_X86_REG_CS, 3 << 3)
        # The floating-point units as a program starts: SSE with every exception masked, the x87
        # unit as `fninit` leaves it, at extended precision, which is how mingw-built programs
        # (the Windows tests under wine) run it; Windows itself starts threads at double
        # precision. The plug-in's arithmetic is SSE2, so its bytes must not depend on it.
        self.uc.reg_write(UC_X86_REG_MXCSR, 0x1F80)
        self.uc.reg_write(UC_X86_REG_FPCW, X87_CONTROL)

    # ---- native functions ----

    def native(self, name, body, arg_bytes=None):
        """A function at a new stub address: body(machine) runs on the call and returns EAX (or
        None). arg_bytes is what a stdcall callee pops; None for cdecl. body None traps."""
        address = self._next_stub
        self._next_stub += 4
        if arg_bytes:
            self.write(address, b"\xC2" + struct.pack("<H", arg_bytes))
        else:
            self.write(address, b"\xC3")
        self._natives[address] = (name, body)
        return address

    def code(self, machine_code):
        """Emulated x86 code placed in the stub area (for functions that call back)."""
        address = self._next_stub
        self.write(address, machine_code)
        self._next_stub = align(address + len(machine_code), 4)
        return address

    def arg(self, index):
        """The index-th 32-bit argument of the native function being called."""
        return self.u32(self.uc.reg_read(UC_X86_REG_ESP) + 4 + 4 * index)

    def _on_native(self, uc, address, size, data):
        entry = self._natives.get(address)
        if entry is None:
            return  # code placed with code()
        name, body = entry
        if body is None:
            caller = self.u32(uc.reg_read(UC_X86_REG_ESP))
            raise EmulationFault("trap: %s was called (from 0x%08x), which this host does not provide"
                                 % (name, caller))
        self.calls[name] = self.calls.get(name, 0) + 1
        result = body(self)
        if result is not None:
            uc.reg_write(UC_X86_REG_EAX, result & 0xFFFFFFFF)

    # ---- calls into emulated code ----

    def call(self, function, args, stdcall=False):
        """Calls function(args...) with the C calling convention (or stdcall) and returns EAX.
        Checks that the callee kept the registers and the stack as the convention requires."""
        esp = STACK_TOP - 0x100
        frame = struct.pack("<%dI" % (len(args) + 1), self.exit, *[a & 0xFFFFFFFF for a in args])
        esp -= len(frame)
        self.write(esp, frame)
        kept = {UC_X86_REG_EBX: 0x0B0B0B0B, UC_X86_REG_ESI: 0x05150515,
                UC_X86_REG_EDI: 0x0D1D0D1D, UC_X86_REG_EBP: 0x0EBB0EBB}
        for register, value in kept.items():
            self.uc.reg_write(register, value)
        self.uc.reg_write(UC_X86_REG_ESP, esp)
        self._fault = None
        try:
            self.uc.emu_start(function, self.exit)
        except UcError as error:
            raise EmulationFault(self._fault or "%s (eip 0x%08x)" % (error, self.uc.reg_read(UC_X86_REG_EIP)))
        expected_esp = esp + 4 + (4 * len(args) if stdcall else 0)
        if self.uc.reg_read(UC_X86_REG_ESP) != expected_esp:
            raise EmulationFault("call of 0x%08x left the stack %+d bytes off its convention"
                                 % (function, self.uc.reg_read(UC_X86_REG_ESP) - expected_esp))
        for register, value in kept.items():
            if self.uc.reg_read(register) != value:
                raise EmulationFault("call of 0x%08x did not keep a callee-saved register" % function)
        return self.uc.reg_read(UC_X86_REG_EAX)
