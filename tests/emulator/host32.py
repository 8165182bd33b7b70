# SPDX-License-Identifier: GPL-2.0-or-later
"""The 32-bit compositing host, played for a plug-in running in a Machine. Its records are laid
out from the 32-bit host's offset table alone (records packed to 2 bytes, pointers 4 bytes): it
shares nothing with the effect's own header. It provides the callbacks the effect is known to
use; every other callback slot traps with its name.

Every write the effect makes into the host's records and handles is checked as it happens: it
may write only the out_data fields the current command is allowed to set, and only inside the
memory of a live handle. The input layer is read-only. The output layer lies in pages of its
own with a pattern around every pixel the render may write, compared after each render.
"""
import struct

from unicorn import UC_PROT_READ

from win32_machine import HOST, PAGE, EmulationFault, align

# ---- The 32-bit host's offsets ----

IN_DATA_SIZE = 274
IN_UTILS, IN_EFFECT_REF = 88, 92
IN_CURRENT_TIME, IN_TIME_STEP, IN_TIME_SCALE = 132, 136, 148
IN_WIDTH, IN_HEIGHT = 160, 164
IN_SEQUENCE_DATA = 216

OUT_DATA_SIZE = 362
OUT_MY_VERSION, OUT_NUM_PARAMS, OUT_SEQUENCE_DATA, OUT_FLAT_SDATA_SIZE = 0, 40, 44, 48
OUT_FLAGS, OUT_RETURN_MSG, RETURN_MSG_SIZE = 68, 72, 256

UTILS_SIZE = 284
PARAM_SIZE = 148
PARAM_TYPE, PARAM_NAME, PARAM_VALUE = 12, 16, 56
LAYER_DATA, LAYER_ROWBYTES, LAYER_WIDTH, LAYER_HEIGHT = 68, 72, 76, 80  # inside PF_ParamDef
WORLD_SIZE = 76
WORLD_DATA, WORLD_ROWBYTES, WORLD_WIDTH, WORLD_HEIGHT = 12, 16, 20, 24

# The function slots: the interaction callbacks at the start of in_data, then the utility table
# with its ANSI and colour tables inside it.
INTER_SLOTS = ["checkout_param", "checkin_param", "add_param", "abort", "progress", "register_ui",
               "checkout_layer_audio", "checkin_layer_audio", "get_audio_data"]
UTIL_SLOTS = (["begin_sampling", "subpixel_sample", "area_sample", "get_batch_func", "end_sampling",
               "composite_rect", "blend", "convolve", "copy", "fill", "gaussian_kernel", "iterate",
               "premultiply", "premultiply_color", "new_world", "get_platform_refs",
               "dispose_world", "iterate_origin", "iterate_lut", "transfer_rect",
               "transform_world", "host_new_handle", "host_lock_handle", "host_unlock_handle",
               "host_dispose_handle", "get_callback_addr", "app"]
              + ["ansi." + n for n in ["atan", "atan2", "ceil", "cos", "exp", "fabs", "floor",
                                       "fmod", "hypot", "log", "log10", "pow", "sin", "sqrt",
                                       "tan", "sprintf", "strcpy", "asin", "acos", "ansi_procs"]]
              + ["colorCB." + n for n in ["RGBtoHLS", "HLStoRGB", "RGBtoYIQ", "YIQtoRGB",
                                          "Luminance", "Hue", "Lightness", "Saturation"]]
              + ["get_platform_data", "get_cgraf_data", "host_get_handle_size",
                 "iterate_origin_non_clip_src", "iterate_generic", "host_resize_handle",
                 "subpixel_sample16", "area_sample16", "fill16", "premultiply_color16",
                 "iterate16", "iterate_origin16", "iterate_origin_non_clip_src16",
                 "get_pixel_data8", "get_pixel_data16"])
assert len(UTIL_SLOTS) * 4 == 280  # then the reserved word

PARAM_SLIDER, PARAM_FIX_SLIDER, PARAM_ANGLE, PARAM_CHECKBOX, PARAM_COLOR = 1, 2, 3, 4, 5
CHECKBOX_LABEL = 64  # u.bd.u.nameptr

FILL = 0xA5  # what the host leaves in the fields it does not set
OUTSIDE = 0x5C  # the pattern around and between the output pixels the render may write
EFFECT_REF = 0x0EFF0000

# Where the host's memory lies: records (watched), handles (watched), input, output.
RECORDS = HOST
HANDLES = HOST + 0x100000
HANDLES_SIZE = 0x100000
LAYERS = HOST + 0x200000


class Host32:
    def __init__(self, machine, entry):
        self.m = machine
        self.entry = entry
        self.allowed = []  # the out_data fields the command being sent may write
        self.handles = {}  # handle -> (memory, size)
        self._handles_next = HANDLES + 16
        self.handle_sizes = []
        self.commands = []  # every selector sent, in order
        self.params = []  # addresses of the parameter records; position 0 is the input layer
        self.labels = []
        self._layers_next = LAYERS  # each frame size gets layers of its own

        m = machine
        m.map(RECORDS, 0x10000)
        m.write(RECORDS, bytes([FILL]) * 0x10000)
        self.in_data = RECORDS + 0x100
        self.out_data = RECORDS + 0x400
        self.utils = RECORDS + 0x800
        self.output_world = RECORDS + 0xA00
        self.param_array = RECORDS + 0xB00
        self.param_records = RECORDS + 0x1000
        self.strings = RECORDS + 0x8000
        self.strings_next = self.strings
        m.map(HANDLES, HANDLES_SIZE)
        m.watch(RECORDS, RECORDS + 0x10000, self._record_write)
        m.watch(HANDLES, HANDLES + HANDLES_SIZE, self._handle_write)

        provided = {
            "add_param": self._add_param, "ansi.sprintf": self._sprintf,
            "ansi.strcpy": self._strcpy, "get_platform_data": self._get_platform_data,
            "host_new_handle": self._new_handle, "host_lock_handle": self._lock_handle,
            "host_unlock_handle": lambda m: None, "host_dispose_handle": self._dispose_handle,
        }
        for table, names, at in (("in_data.inter", INTER_SLOTS, self.in_data),
                                 ("utils", UTIL_SLOTS, self.utils)):
            for slot, name in enumerate(names):
                m.put_u32(at + 4 * slot, m.native("%s.%s" % (table, name), provided.get(name)))
        m.put_u32(self.out_data + OUT_SEQUENCE_DATA, 0)
        m.put_u32(self.in_data + IN_UTILS, self.utils)
        m.put_u32(self.in_data + IN_EFFECT_REF, EFFECT_REF)
        m.put_u32(self.in_data + IN_TIME_STEP, 1)
        m.put_u32(self.in_data + IN_TIME_SCALE, 30)
        self.new_param(0)  # position 0: the input layer, the host's own

    # ---- records ----

    def new_param(self, param_type):
        address = self.param_records + len(self.params) * (PARAM_SIZE + 12)
        self.params.append(address)
        self.m.put_u32(address + PARAM_TYPE, param_type)
        return address

    def find(self, name):
        for position, address in enumerate(self.params[1:], 1):
            if self.m.cstring(address + PARAM_NAME, 32).decode() == name:
                return position
        raise KeyError("no parameter named %r" % name)

    def set_value(self, name, value):
        self.m.put_u32(self.params[self.find(name)] + PARAM_VALUE, value)

    def set_color(self, name, red, green, blue):
        at = self.params[self.find(name)] + PARAM_VALUE
        self.m.write(at + 1, bytes([red, green, blue]))  # alpha, red, green, blue: alpha kept

    def value(self, position, offset=PARAM_VALUE):
        return self.m.i32(self.params[position] + offset)

    def set_time_step(self, ticks):
        self.m.put_u32(self.in_data + IN_TIME_STEP, ticks)

    def out_i32(self, offset):
        return self.m.i32(self.out_data + offset)

    def set_out(self, offset, value):
        self.m.put_u32(self.out_data + offset, value)

    def set_frame(self, width, height, stride, source):
        """The frame size, the input layer (read-only pixels) and the output layer, stride in
        pixels. The output lies at the end of pages of its own, with the pattern before it."""
        size = stride * height * 4
        pages = align(size) + PAGE
        input_at = self._layers_next
        output_pages = input_at + pages + PAGE
        self._layers_next = output_pages + pages + PAGE
        self.m.map(input_at, size)
        self.m.write(input_at, source)
        self.m.protect(input_at, size, UC_PROT_READ)
        self.m.map(output_pages, pages)
        self.output = output_pages + pages - size
        self.output_pages = (output_pages, pages)
        self.width, self.height, self.stride = width, height, stride
        layer = self.params[0]
        for offset, value in ((LAYER_DATA, input_at), (LAYER_ROWBYTES, stride * 4),
                              (LAYER_WIDTH, width), (LAYER_HEIGHT, height)):
            self.m.put_u32(layer + offset, value)
        for offset, value in ((WORLD_DATA, self.output), (WORLD_ROWBYTES, stride * 4),
                              (WORLD_WIDTH, width), (WORLD_HEIGHT, height)):
            self.m.put_u32(self.output_world + offset, value)
        self.m.put_u32(self.in_data + IN_WIDTH, width)
        self.m.put_u32(self.in_data + IN_HEIGHT, height)

    def clear_output(self, pixel=b"\0\0\0\0"):
        """The pixels the render may write get `pixel`; every other byte of the output's pages
        the pattern."""
        start, pages = self.output_pages
        self.m.write(start, bytes([OUTSIDE]) * pages)
        row = pixel * self.width
        for y in range(1, self.height):
            self.m.write(self.output + y * self.stride * 4, row)
        self._outside_before = self._outside()

    def _outside(self):
        """Every byte of the output's pages the render must leave alone, row 0 and the padding
        at each row's end included."""
        start, pages = self.output_pages
        data = bytearray(self.m.read(start, pages))
        first = self.output - start
        for y in reversed(range(1, self.height)):
            at = first + y * self.stride * 4
            del data[at:at + self.width * 4]
        return bytes(data)

    def output_rows(self, first_row=1, padding=False):
        """The output's pixel bytes from `first_row` on, each row without its padding unless
        asked."""
        rowbytes = self.stride * 4
        data = self.m.read(self.output, rowbytes * self.height)
        if padding:
            return data[first_row * rowbytes:]
        return b"".join(data[y * rowbytes:y * rowbytes + self.width * 4]
                        for y in range(first_row, self.height))

    # ---- commands ----

    def send(self, cmd, with_params, allowed=()):
        """Calls main(cmd, in_data, out_data, params or null, output, extra) and returns its
        result. `allowed` names the out_data fields (offset, size) the command may write."""
        m = self.m
        for position, address in enumerate(self.params):
            m.put_u32(self.param_array + 4 * position, address)
        handle = m.u32(self.out_data + OUT_SEQUENCE_DATA)
        m.put_u32(self.in_data + IN_SEQUENCE_DATA, handle)  # both records hold the handle
        self.allowed = list(allowed)
        self.commands.append(cmd)
        result = m.call(self.entry, [cmd, self.in_data, self.out_data,
                                     self.param_array if with_params else 0, self.output_world,
                                     0x5EC0DE])
        self.allowed = []
        return result - (1 << 32) if result & 0x80000000 else result

    # Each command with the out_data fields it may write.
    def about(self):
        return self.send(0, False, [(OUT_RETURN_MSG, RETURN_MSG_SIZE)])

    def global_setup(self):
        return self.send(1, False, [(OUT_MY_VERSION, 4), (OUT_FLAGS, 4)])

    def params_setup(self):
        self.params, self.labels = self.params[:1], []
        return self.send(4, False, [(OUT_NUM_PARAMS, 4)])

    def sequence_setup(self):
        return self.send(5, False, [(OUT_SEQUENCE_DATA, 4), (OUT_FLAT_SDATA_SIZE, 4)])

    def sequence_setdown(self):
        return self.send(8, False, [(OUT_SEQUENCE_DATA, 4)])

    def global_setdown(self):
        return self.send(3, False)

    def render(self, frame, frame_setup=False, ticks_into_frame=0):
        """Frame setup (when asked) and render of `frame`, at current_time frame * time_step +
        ticks_into_frame; the pixels outside those the render may write are checked to be as
        they were."""
        time_step = self.m.i32(self.in_data + IN_TIME_STEP)
        self.m.put_u32(self.in_data + IN_CURRENT_TIME, frame * time_step + ticks_into_frame)
        results = []
        if frame_setup:
            results.append(self.send(10, True))
        results.append(self.send(11, True))
        if self._outside() != self._outside_before:
            raise EmulationFault("render of frame %d wrote outside the output's pixels (row 0, the "
                                 "padding, or around the layer)" % frame)
        return results

    # ---- watching the effect's writes ----

    def _record_write(self, address, size):
        offset = address - self.out_data
        for field, length in self.allowed:
            if field <= offset and offset + size <= field + length:
                return None
        return "the effect may not write there during command %d (%s)" % (
            self.commands[-1], self._describe(address))

    def _describe(self, address):
        for name, start, size in (("in_data", self.in_data, IN_DATA_SIZE),
                                  ("out_data", self.out_data, OUT_DATA_SIZE),
                                  ("the utility table", self.utils, UTILS_SIZE),
                                  ("the output world", self.output_world, WORLD_SIZE)):
            if start <= address < start + size:
                return "%s, byte %d" % (name, address - start)
        for position, start in enumerate(self.params):
            if start <= address < start + PARAM_SIZE:
                return "parameter %d, byte %d" % (position, address - start)
        return "host memory outside every record"

    def _handle_write(self, address, size):
        for memory, length in self.handles.values():
            if memory <= address and address + size <= memory + length:
                return None
        return "not inside the memory of a live handle"

    # ---- the callbacks ----

    def _add_param(self, m):
        effect_ref, index, definition = m.arg(0), m.arg(1), m.arg(2)
        if effect_ref != EFFECT_REF or index != 0xFFFFFFFF:
            raise EmulationFault("add_param(0x%x, %d, ...): expected the effect_ref and -1"
                                 % (effect_ref, index))
        record = bytearray(m.read(definition, PARAM_SIZE))
        if struct.unpack_from("<i", record, PARAM_TYPE)[0] == PARAM_CHECKBOX:
            # The label is the effect's temporary: the host keeps a copy.
            label = m.cstring(struct.unpack_from("<I", record, CHECKBOX_LABEL)[0]) + b"\0"
            self.labels.append(label[:-1].decode())
            struct.pack_into("<I", record, CHECKBOX_LABEL, self.strings_next)
            m.write(self.strings_next, label)
            self.strings_next += len(label)
        m.write(self.new_param(0), record)
        return 0

    def _sprintf(self, m):
        text = format_printf(m, m.cstring(m.arg(1)), 2)
        if len(text) >= RETURN_MSG_SIZE:
            raise EmulationFault("sprintf of %d characters into a buffer of %d" % (len(text), RETURN_MSG_SIZE))
        m.write(m.arg(0), text + b"\0")
        return len(text)

    def _strcpy(self, m):
        m.write(m.arg(0), m.cstring(m.arg(1)) + b"\0")
        return m.arg(0)

    def _get_platform_data(self, m):
        if m.arg(0) != EFFECT_REF or m.arg(1) != 0:
            raise EmulationFault("get_platform_data(0x%x, %d): expected the effect_ref and the "
                                 "main window's selector 0" % (m.arg(0), m.arg(1)))
        m.put_u32(m.arg(2), 0)  # no main window
        return 0

    def _new_handle(self, m):
        size = m.arg(0)
        self.handle_sizes.append(size)
        handle = self._handles_next
        memory = handle + 16
        self._handles_next = align(memory + size, 16) + 16
        if self._handles_next > HANDLES + HANDLES_SIZE:
            return 0
        m.put_u32(handle, memory)
        m.write(memory, bytes([FILL]) * size)
        self.handles[handle] = (memory, size)
        return handle

    def _lock_handle(self, m):
        handle = m.arg(0)
        if handle not in self.handles:
            raise EmulationFault("host_lock_handle(0x%08x): not a live handle" % handle)
        return self.handles[handle][0]

    def _dispose_handle(self, m):
        if self.handles.pop(m.arg(0), None) is None:
            raise EmulationFault("host_dispose_handle(0x%08x): not a live handle" % m.arg(0))


def format_printf(m, fmt, first_arg):
    """The C formatter over the emulated call's arguments from index first_arg on: conversions
    d, i, u, x, X, c, s and %%, with flags, width and precision."""
    out, i, arg = bytearray(), 0, first_arg
    while i < len(fmt):
        if fmt[i:i + 1] != b"%":
            out += fmt[i:i + 1]
            i += 1
            continue
        j = i + 1
        while j < len(fmt) and chr(fmt[j]) in "-+ #0123456789.":
            j += 1
        flags, conv = fmt[i:j].decode(), chr(fmt[j])
        i = j + 1
        if conv == "%":
            out += b"%"
            continue
        value = m.arg(arg)
        arg += 1
        if conv in "di":
            out += ((flags + "d") % (value - (1 << 32) if value & 0x80000000 else value)).encode()
        elif conv in "uxX":
            out += ((flags + conv.replace("u", "d")) % value).encode()
        elif conv == "c":
            out += bytes([value & 0xFF])
        elif conv == "s":
            out += ((flags + "s") % m.cstring(value).decode("latin-1")).encode("latin-1")
        else:
            raise EmulationFault("sprintf conversion %%%s is not known to this host" % conv)
    return bytes(out)
