# SPDX-License-Identifier: GPL-2.0-or-later
"""The shipped 32-bit plug-in executed on any x86-64 machine, without wine or a 32-bit kernel: the
DLL is loaded into the unicorn CPU emulator and driven the way the 32-bit host drives it.

  emulator_test.py PLUGIN EXPECTED_DIGESTS_PROGRAM

First the host's whole sequence (About, global setup, parameter setup, two sequences of frame
setup and render, one restarting at frame 1 and one with every parameter off its default,
setdown, global setdown) with the frames the raw host renders; then, in a fresh load, the golden
cases. Every digest must be the one every other build gives. Prints what it covered, and
"skipped: ..." when the DLL has not been built.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

try:
    import pe_loader
    import win32_imports
    from host32 import (OUT_FLAGS, OUT_FLAT_SDATA_SIZE, OUT_MY_VERSION, OUT_NUM_PARAMS,
                        OUT_RETURN_MSG, OUT_SEQUENCE_DATA, PARAM_NAME, PARAM_TYPE, PARAM_VALUE,
                        RETURN_MSG_SIZE, Host32)
    from win32_machine import X87_CONTROL, EmulationFault, Machine
except ImportError as missing:
    sys.exit("emulator_test: %s: it needs Debian's python3-unicorn and python3-pefile "
             "(tools/setup-debian installs them)" % missing)


def fnv1a64(data, digest=0xCBF29CE484222325):
    for byte in data:
        digest = ((digest ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return digest


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def that(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed.append(what)
            print("FAILED: " + what, flush=True)
        return ok

    def equal(self, actual, expected, what):
        return self.that(actual == expected, "%s: got %r, expected %r" % (what, actual, expected))


def load(plugin):
    """A fresh process with the DLL loaded and attached; its host."""
    machine = Machine()
    image = pe_loader.load(machine, plugin, win32_imports.imports(machine))
    attached = pe_loader.attach(machine, image)
    if attached != 1:
        raise EmulationFault("DllMain returned %d for the process attach" % attached)
    if "main" not in image.exports:
        raise EmulationFault("the DLL exports no `main`")
    return machine, image, Host32(machine, image.exports["main"])


# ---- The host's sequence, as the raw host renders it ----

# Name, type, value, minimum, maximum: the eighteen definitions, in order.
DEFINITIONS = [
    ("Velocity", 1, 45, 1, 100), ("Height", 1, 13, 0, 255), ("Soot", 1, 1, 0, 255),
    ("Width", 1, 41, 0, 255), ("Amplitude", 1, 12, 0, 255), ("Alpha", 1, 213, 0, 255),
    ("Color 1", 5, bytes([255, 255, 255, 255]), 0, 0), ("Color 2", 5, bytes([255, 255, 255, 0]), 0, 0),
    ("Color 3", 5, bytes([255, 255, 0, 0]), 0, 0), ("Color 4", 5, bytes([0, 0, 0, 0]), 0, 0),
    ("Color 2 Position", 1, 85, 0, 255), ("Color 3 Position", 1, 171, 0, 255),
    ("Custom Color", 4, 0, 0, 0), ("Birth", 4, 1, 0, 0), ("Drop", 4, 1, 0, 0),
    ("Invert Source", 4, 1, 0, 0), ("Fire Direction", 3, 0, 0, 0), ("Phase", 2, 0, 0, 0x10000),
]


def check_definitions(h, checks):
    if not checks.equal(len(h.params), 19, "parameters after parameter setup"):
        return
    m = h.m
    for position, (name, kind, value, low, high) in enumerate(DEFINITIONS, 1):
        at = h.params[position]
        what = "parameter %d (%s)" % (position, name)
        checks.equal(m.cstring(at + PARAM_NAME, 32).decode(), name, what + " name")
        checks.equal(h.value(position, PARAM_TYPE), kind, what + " type")
        checks.equal(h.value(position, 0), 0, what + " id")
        if kind in (1, 2):  # value, value_str, valid, slider range, default, precision
            checks.equal([h.value(position, o) for o in (56, 124, 128, 132, 136, 140)],
                         [value, low, high, low, high, value], what + " value and ranges")
            checks.equal(m.read(at + 60, 1), b"\0", what + " value_str")
            if kind == 2:
                checks.equal(m.read(at + 144, 2), b"\x01\x00", what + " precision")
        elif kind == 5:  # value and default, each a pixel
            checks.equal(m.read(at + 56, 8), value * 2, what + " value and default")
        elif kind == 4:  # value, default byte
            checks.equal((h.value(position), m.read(at + 60, 1)[0]), (value, value), what + " value and default")
        else:  # the angle's value and default
            checks.equal((h.value(position), h.value(position, 60)), (0, 0), what + " value and default")
    checks.equal(h.labels, ["Add Fire Params"] * 4, "check box labels")


def host_source(width, height, stride):
    """The raw host's source: a bright disc, a dimmer bar and a few transparent holes."""
    pixels = bytearray([0x33]) * (stride * height * 4)
    for y in range(height):
        for x in range(width):
            dx, dy = x - width // 2, y - 2 * height // 3
            disc = dx * dx + dy * dy < (height // 4) ** 2
            bar = y > height - 8 and 4 < x < width - 4
            at = (y * stride + x) * 4
            pixels[at:at + 4] = bytes([
                0 if (x * 7 + y * 3) % 11 == 0 else 255,
                250 if disc else 160 if bar else (x * 3) & 0x3F,
                230 if disc else 90 if bar else (y * 5) & 0x3F,
                200 if disc else 20])
    return bytes(pixels)


def pixel(alpha, red, green, blue):
    return alpha | red << 8 | green << 16 | blue << 24


# The raw host's two sequences: (name, frames, (position, value) pairs).
SEQUENCES = [
    ("restart", [1, 2, 3, 4, 5, 6, 1, 2, 3], [(14, 0)]),
    ("parameters", [1, 2, 3, 4, 5],
     [(1, 80), (2, 20), (3, 3), (4, 60), (5, 30), (6, 150), (7, pixel(255, 255, 240, 200)),
      (8, pixel(255, 255, 160, 40)), (9, pixel(200, 150, 20, 60)), (10, pixel(0, 10, 0, 30)),
      (11, 60), (12, 200), (13, 1), (14, 0), (15, 1), (16, 0), (17, 135 << 16), (18, 0x8000)]),
]
TICKS_PER_FRAME, TICKS_INTO_FRAME = 100, 50  # time_step, and current_time's place in its frame


def host_run(plugin, expected, checks, report):
    machine, image, h = load(plugin)
    report["image"] = image
    m = h.m

    checks.equal(h.about(), 0, "About")
    about = m.cstring(h.out_data + OUT_RETURN_MSG, RETURN_MSG_SIZE)
    checks.that(about.startswith(b"ZEL Fyrel, v2.2\r"), "About text: %r" % about)
    report["about"] = about.split(b"\r")[0].decode()

    h.set_out(OUT_FLAGS, 0x1)  # a flag of the host's own stays
    checks.equal(h.global_setup(), 0, "global setup")
    checks.equal((h.out_i32(OUT_MY_VERSION), h.out_i32(OUT_FLAGS)), (1115648, 0x469),
                 "version word and out flags")

    checks.equal(h.params_setup(), 0, "parameter setup")
    checks.equal(h.out_i32(OUT_NUM_PARAMS), 19, "num_params")
    check_definitions(h, checks)

    width, height, stride = 48, 36, 51
    h.set_frame(width, height, stride, host_source(width, height, stride))
    h.set_time_step(TICKS_PER_FRAME)
    for name, frames, values in SEQUENCES:
        checks.equal(h.sequence_setup(), 0, "sequence setup")
        handle = h.out_i32(OUT_SEQUENCE_DATA)
        if not checks.that(handle in h.handles, "sequence setup gave no handle"):
            return
        memory, size = h.handles[handle]
        checks.equal((size, m.read(memory, size), h.out_i32(OUT_FLAT_SDATA_SIZE)), (20, bytes(20), 20),
                     "sequence record: size, zeroed, flat size")
        for position, value in values:
            m.put_u32(h.params[position] + PARAM_VALUE, value)
        digest, lit = fnv1a64(b""), False
        for frame in frames:
            h.clear_output(b"\x5c" * 4)
            checks.equal(h.render(frame, True, TICKS_INTO_FRAME), [0, 0], "frame setup and render of %d" % frame)
            rows = h.output_rows(1)
            digest = fnv1a64(rows, digest)
            lit = lit or any(rows[0::4])
        checks.that(lit, "%s: no pixel of any frame has alpha" % name)
        digest = "%016x" % digest
        report["host"].append((name, frames, digest, expected["raw_host"].get(name)))
        checks.equal(digest, expected["raw_host"].get(name), "%s frames' digest" % name)

        checks.equal(h.sequence_setdown(), 0, "sequence setdown")
        checks.equal((h.out_i32(OUT_SEQUENCE_DATA), len(h.handles), len(m.page_areas)), (0, 0, 0),
                     "after setdown: sequence_data, live handles, live page areas")
    checks.equal(h.global_setdown(), 0, "global setdown")
    report["commands"] = h.commands
    report["host_calls"] = dict(m.calls)


# ---- The golden cases, as every build renders them ----

GOLDEN_WIDTH, GOLDEN_HEIGHT, GOLDEN_FRAMES = 64, 48, 30


def golden_source():
    """A bright blob low in the middle on a dim ramp, with a transparent strip on the left."""
    pixels = bytearray()
    for y in range(GOLDEN_HEIGHT):
        for x in range(GOLDEN_WIDTH):
            distance = (x - 32) ** 2 * 4 + (y - 34) ** 2 * 9
            level = 255 - distance // 4 if distance < 900 else (x * 3 + y * 2) & 0x7F
            pixels += bytes([0 if x < 4 else 255, level, level * 3 // 4, level // 2])
    return bytes(pixels)


def _custom_colours(h):
    h.set_value("Custom Color", 1)
    for name, rgb in (("Color 1", (255, 240, 200)), ("Color 2", (255, 160, 40)),
                      ("Color 3", (150, 20, 60)), ("Color 4", (10, 0, 30))):
        h.set_color(name, *rgb)
    for name, value in (("Color 2 Position", 60), ("Color 3 Position", 200), ("Alpha", 128)):
        h.set_value(name, value)


def _values(*pairs):
    return lambda h: [h.set_value(name, value) for name, value in pairs]


# Name, parameter values, frames before rendering restarts at frame 1 (0: none).
GOLDEN_CASES = [
    ("defaults", _values(), 0),
    ("custom colours", _custom_colours, 0),
    ("direction 135, velocity 80", _values(("Fire Direction", 135 << 16), ("Velocity", 80)), 0),
    ("birth off, drop off, plain source",
     _values(("Birth", 0), ("Drop", 0), ("Invert Source", 0), ("Height", 5), ("Soot", 3),
             ("Width", 20), ("Amplitude", 40)), 0),
    ("direction 270, restarted at frame 1", _values(("Fire Direction", 270 << 16)), 12),
]


def golden_run(plugin, expected, checks, report):
    machine, image, h = load(plugin)
    source = golden_source()
    row0 = bytes(GOLDEN_WIDTH * 4)  # the host's own, cleared, never written by the render
    for name, set_up, restart_after in GOLDEN_CASES:
        checks.equal([h.global_setup(), h.params_setup(), h.sequence_setup()], [0, 0, 0], name + ": start")
        h.set_frame(GOLDEN_WIDTH, GOLDEN_HEIGHT, GOLDEN_WIDTH, source)
        set_up(h)
        digest = fnv1a64(b"")
        for n in range(GOLDEN_FRAMES):
            frame = n - restart_after + 1 if restart_after and n >= restart_after else n + 1
            h.clear_output()
            checks.equal(h.render(frame), [0], "%s: render of frame %d" % (name, frame))
            digest = fnv1a64(row0 + h.output_rows(1, padding=True), digest)
        checks.equal([h.sequence_setdown(), h.global_setdown()], [0, 0], name + ": stop")
        digest = "%016x" % digest
        report["golden"].append((name, digest, expected["golden"].get(name)))
        checks.equal(digest, expected["golden"].get(name), "golden case %r" % name)
    checks.equal(sorted(expected["golden"]), sorted(c[0] for c in GOLDEN_CASES), "golden case names")
    report["golden_calls"] = dict(machine.calls)


# ---- Running and reporting ----

def expected_digests(program):
    expected = {"golden": {}, "raw_host": {}}
    for line in subprocess.run([program], check=True, capture_output=True, text=True).stdout.splitlines():
        kind, name, digest = line.split("\t")
        expected[kind][name] = digest
    return expected


def _as_expected(digest, expected):
    return "(every build's)" if digest == expected else "(every other build: %s)" % expected


def print_coverage(report, seconds):
    image = report.get("image")
    if image:
        used = set(report.get("host_calls", {})) | set(report.get("golden_calls", {}))
        imported = [name.split("!")[1] for name in image.imports]
        print("loaded: image base 0x%08x, %d imports (%d of them called; the others are traps), "
              "%d TLS callbacks and DllMain run for the process attach"
              % (image.base, len(imported), len(used & set(imported)), len(image.tls_callbacks)))
    if "about" in report:
        print("About: %r" % report["about"])
    if "commands" in report:
        print("host run, commands in order: %s" % " ".join(str(c) for c in report["commands"]))
    for name, frames, digest, expected in report["host"]:
        print("  %s: frames %s -> %s %s" % (name, " ".join(map(str, frames)), digest, _as_expected(digest, expected)))
    if report["golden"]:
        print("golden cases, fresh load, %d frames each:" % GOLDEN_FRAMES)
        for name, digest, expected in report["golden"]:
            print("  %s -> %s %s" % (name, digest, _as_expected(digest, expected)))
    calls = {}
    for key in ("host_calls", "golden_calls"):
        for name, count in report.get(key, {}).items():
            calls[name] = calls.get(name, 0) + count
    print("called: " + ", ".join("%s %d" % item for item in sorted(calls.items())))
    print("floating point: SSE with exceptions masked, the x87 unit at extended precision "
          "(control word 0x%x)" % X87_CONTROL)
    print("out of reach: the Options viewer and its dialog (command 9, then 10, open a modal "
          "window; user32 and gdi32 are traps here), and the AVX2 rows (the emulated CPU has none, "
          "so the SSE2 rows run)")
    print("took %.1f s" % seconds)


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    plugin, program = argv[1], argv[2]
    if not os.path.exists(plugin):
        print("skipped: no %s (cross-build it with tools/build-windows first)" % plugin)
        return 0
    started = time.time()
    checks = Checks()
    report = {"host": [], "golden": []}
    expected = expected_digests(program)
    for run in (host_run, golden_run):
        try:
            run(plugin, expected, checks, report)
        except EmulationFault as fault:
            checks.that(False, "%s stopped: %s" % (run.__name__, fault))
    print_coverage(report, time.time() - started)
    print("emulator_test: %d passed, %d failed" % (checks.passed, len(checks.failed)))
    return 0 if not checks.failed and checks.passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
