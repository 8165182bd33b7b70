// SPDX-License-Identifier: GPL-2.0-or-later
// The compositing host's effect interface, laid out byte for byte as the host lays out its own
// records: the entry, the records it hands the effect, the callback tables, command selectors,
// parameter types and error codes. Two layouts exist, chosen by the pointer size of the target:
// - 32-bit Windows hosts: records packed to 2 bytes, 4-byte pointers (interface 11/12);
// - 64-bit Windows hosts: natural alignment, 8-byte pointers (interface 13). Linux builds use
//   this one too.
// Every field is declared, reserved and unused ones included, so that every offset matches; a
// callback slot that the effect never calls is kept as an opaque function pointer. The offsets
// are pinned by static_assert at the end, so a wrong layout fails to build.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define PF_CALL __cdecl
#else
#define PF_CALL
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
#define PF_HOST_32BIT 1
#else
#define PF_HOST_32BIT 0
#endif

extern "C" {

#if PF_HOST_32BIT
#pragma pack(push, 2)
#endif

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint64_t A_u_longlong;
typedef double A_FpLong;
typedef char PF_Boolean;

typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_ParamType;
typedef A_long PF_ParamIndex;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_Fixed;  // 16.16 fixed point
typedef A_long PF_PlatDataID;
typedef void** PF_Handle;
typedef struct PF_ProgressInfo* PF_ProgPtr;  // the host's reference to one effect instance

// The size a handle is asked for with: 32 bits on 32-bit hosts, 64 bits on 64-bit hosts.
#if PF_HOST_32BIT
typedef A_u_long PF_HandleSize;
#else
typedef A_u_longlong PF_HandleSize;
#endif

// A slot of a callback table that the effect never calls.
typedef void(PF_CALL* PF_UnusedCallback)(void);

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = -108,
};

enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_2 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
};

enum {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
};

enum {
  PF_OutFlag_RESERVED6 = 0x8,
  PF_OutFlag_I_DO_DIALOG = 0x20,
  PF_OutFlag_USE_OUTPUT_EXTENT = 0x40,
  PF_OutFlag_PIX_INDEPENDENT = 0x400,
};

enum { PF_PlatData_MAIN_WND = 0 };

enum { PF_MAX_EFFECT_NAME_LEN = 31, PF_MAX_EFFECT_PARAM_NAME_LEN = 31, PF_MAX_EFFECT_MSG_LEN = 255 };

// ---- Small records whose field order differs between the two hosts ----

#if PF_HOST_32BIT
typedef struct PF_Point {
  A_short v, h;
} PF_Point;
typedef struct PF_Rect {
  A_short top, left, bottom, right;
} PF_Rect;
#else
typedef struct PF_Point {
  A_long h, v;
} PF_Point;
typedef struct PF_Rect {
  A_long left, top, right, bottom;
} PF_Rect;
#endif

typedef PF_Rect PF_LRect;

typedef struct PF_RationalScale {
  A_long num;
  A_u_long den;
} PF_RationalScale;

typedef struct PF_SpecVersion {
  A_short major;
  A_short minor;
} PF_SpecVersion;

// A pixel: alpha, red, green, blue, one byte each.
typedef struct PF_Pixel {
  A_u_char alpha;
  A_u_char red;
  A_u_char green;
  A_u_char blue;
} PF_Pixel;

typedef struct PF_SoundFormatInfo {
  A_FpLong rateF;
  A_short num_channels;
  A_short format;
  A_short sample_size;
} PF_SoundFormatInfo;

typedef struct PF_SoundWorld {
  PF_SoundFormatInfo fi;
  A_long num_samples;
  void* dataP;
} PF_SoundWorld;

// ---- Images ----

// An image (the host's effect world): `rowbytes` bytes from one row to the next.
typedef struct PF_LayerDef {
  void* reserved0;
  void* reserved1;
  A_long world_flags;
  PF_Pixel* data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  void* platform_ref;
#if PF_HOST_32BIT
  A_long reserved[8];
#else
  A_long reserved_long1;
  intptr_t reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  intptr_t reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
#endif
  A_long dephault;
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;

// ---- Parameter definitions ----

typedef struct PF_SliderDef {
  A_long value;
  A_char value_str[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  A_char value_desc[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  A_long valid_min;
  A_long valid_max;
  A_long slider_min;
  A_long slider_max;
  A_long dephault;
} PF_SliderDef;

typedef struct PF_FixedSliderDef {
  PF_Fixed value;
  A_char value_str[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  A_char value_desc[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_Fixed valid_min;
  PF_Fixed valid_max;
  PF_Fixed slider_min;
  PF_Fixed slider_max;
  PF_Fixed dephault;
  A_short precision;
  A_short display_flags;
} PF_FixedSliderDef;

typedef struct PF_AngleDef {
  PF_Fixed value;
  PF_Fixed dephault;
#if !PF_HOST_32BIT
  PF_Fixed valid_min;
  PF_Fixed valid_max;
#endif
} PF_AngleDef;

typedef struct PF_CheckBoxDef {
  A_long value;
  PF_Boolean dephault;
  A_char reserved;
  A_short reserved1;
  union {
    const A_char* nameptr;  // label beside the box
  } u;
} PF_CheckBoxDef;

typedef struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

// Parameter types this effect never declares or reads: held as storage of the host's size and
// alignment, so that the union is as large as the host's.
#if PF_HOST_32BIT
typedef struct { A_long words[5]; } PF_PointDefStorage;
typedef struct { A_long words[3]; } PF_PopupDefStorage;
typedef struct { A_long words[20]; } PF_FloatSliderDefStorage;
typedef struct { A_long words[4]; } PF_ArbitraryDefStorage;
typedef struct { A_long words[3]; } PF_PathDefStorage;
typedef struct { A_long words[2]; } PF_ButtonDefStorage;
#else
typedef struct { A_long words[5]; } PF_PointDefStorage;
typedef struct { void* words[2]; } PF_PopupDefStorage;
typedef struct { A_FpLong words[11]; } PF_FloatSliderDefStorage;
typedef struct { void* words[4]; } PF_ArbitraryDefStorage;
typedef struct { A_long words[3]; } PF_PathDefStorage;
typedef struct { void* words[2]; } PF_ButtonDefStorage;
typedef struct { A_FpLong words[8]; } PF_Point3DDefStorage;
#endif

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PointDefStorage td;
  PF_PopupDefStorage pd;
  PF_FloatSliderDefStorage fs_d;
  PF_ArbitraryDefStorage arb_d;
  PF_PathDefStorage path_d;
  PF_ButtonDefStorage button_d;
#if !PF_HOST_32BIT
  PF_Point3DDefStorage point3d_d;
#endif
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;
    PF_ChangeFlags change_flags;
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
} PF_ParamDef;

typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

// ---- Callback tables ----

typedef struct PF_InteractCallbacks {
  PF_UnusedCallback checkout_param;
  PF_UnusedCallback checkin_param;
  PF_Err(PF_CALL* add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_UnusedCallback abort;
  PF_UnusedCallback progress;
  PF_UnusedCallback register_ui;
  PF_UnusedCallback checkout_layer_audio;
  PF_UnusedCallback checkin_layer_audio;
  PF_UnusedCallback get_audio_data;
  void* reserved_str[3];
  void* reserved[10];
} PF_InteractCallbacks;

typedef struct PF_ANSICallbacks {
  A_FpLong(PF_CALL* atan)(A_FpLong);
  A_FpLong(PF_CALL* atan2)(A_FpLong y, A_FpLong x);
  A_FpLong(PF_CALL* ceil)(A_FpLong);
  A_FpLong(PF_CALL* cos)(A_FpLong);
  A_FpLong(PF_CALL* exp)(A_FpLong);
  A_FpLong(PF_CALL* fabs)(A_FpLong);
  A_FpLong(PF_CALL* floor)(A_FpLong);
  A_FpLong(PF_CALL* fmod)(A_FpLong x, A_FpLong y);
  A_FpLong(PF_CALL* hypot)(A_FpLong x, A_FpLong y);
  A_FpLong(PF_CALL* log)(A_FpLong);
  A_FpLong(PF_CALL* log10)(A_FpLong);
  A_FpLong(PF_CALL* pow)(A_FpLong x, A_FpLong y);
  A_FpLong(PF_CALL* sin)(A_FpLong);
  A_FpLong(PF_CALL* sqrt)(A_FpLong);
  A_FpLong(PF_CALL* tan)(A_FpLong);
  int(PF_CALL* sprintf)(A_char* buffer, const A_char* format, ...);
  A_char*(PF_CALL* strcpy)(A_char* dest, const A_char* src);
  A_FpLong(PF_CALL* asin)(A_FpLong);
  A_FpLong(PF_CALL* acos)(A_FpLong);
  A_long ansi_procs[1];
} PF_ANSICallbacks;

typedef struct PF_ColorCallbacks {
  PF_UnusedCallback RGBtoHLS;
  PF_UnusedCallback HLStoRGB;
  PF_UnusedCallback RGBtoYIQ;
  PF_UnusedCallback YIQtoRGB;
  PF_UnusedCallback Luminance;
  PF_UnusedCallback Hue;
  PF_UnusedCallback Lightness;
  PF_UnusedCallback Saturation;
} PF_ColorCallbacks;

typedef struct PF_UtilCallbacks {
  PF_UnusedCallback begin_sampling;
  PF_UnusedCallback subpixel_sample;
  PF_UnusedCallback area_sample;
#if PF_HOST_32BIT
  PF_UnusedCallback get_batch_func;
#else
  void* get_batch_func_is_deprecated;
#endif
  PF_UnusedCallback end_sampling;
  PF_UnusedCallback composite_rect;
  PF_UnusedCallback blend;
  PF_UnusedCallback convolve;
  PF_UnusedCallback copy;
  PF_UnusedCallback fill;
  PF_UnusedCallback gaussian_kernel;
  PF_UnusedCallback iterate;
  PF_UnusedCallback premultiply;
  PF_UnusedCallback premultiply_color;
  PF_UnusedCallback new_world;
#if PF_HOST_32BIT
  PF_UnusedCallback get_platform_refs;
#endif
  PF_UnusedCallback dispose_world;
  PF_UnusedCallback iterate_origin;
  PF_UnusedCallback iterate_lut;
  PF_UnusedCallback transfer_rect;
  PF_UnusedCallback transform_world;
  PF_Handle(PF_CALL* host_new_handle)(PF_HandleSize size);
  void*(PF_CALL* host_lock_handle)(PF_Handle handle);
  void(PF_CALL* host_unlock_handle)(PF_Handle handle);
  void(PF_CALL* host_dispose_handle)(PF_Handle handle);
  PF_UnusedCallback get_callback_addr;
  PF_UnusedCallback app;
  PF_ANSICallbacks ansi;
  PF_ColorCallbacks colorCB;
  PF_Err(PF_CALL* get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
#if PF_HOST_32BIT
  PF_UnusedCallback get_cgraf_data;
#endif
  PF_HandleSize(PF_CALL* host_get_handle_size)(PF_Handle handle);
  PF_UnusedCallback iterate_origin_non_clip_src;
  PF_UnusedCallback iterate_generic;
  PF_UnusedCallback host_resize_handle;
  PF_UnusedCallback subpixel_sample16;
  PF_UnusedCallback area_sample16;
  PF_UnusedCallback fill16;
  PF_UnusedCallback premultiply_color16;
  PF_UnusedCallback iterate16;
  PF_UnusedCallback iterate_origin16;
  PF_UnusedCallback iterate_origin_non_clip_src16;
  PF_UnusedCallback get_pixel_data8;
  PF_UnusedCallback get_pixel_data16;
  A_long reserved[1];
} PF_UtilCallbacks;

// ---- The records of every command ----

typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  A_long quality;
  PF_SpecVersion version;
  A_long serial_num;
  A_long appl_id;
  A_long num_params;
  A_long reserved;
  A_long what_cpu;
  A_long what_fpu;
#if PF_HOST_32BIT
  A_long qd_globals;
#endif
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  A_long field;
  PF_Fixed shutter_angle;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  A_long in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  A_long start_sampL;
  A_long dur_sampL;
  A_long total_sampL;
  PF_SoundWorld src_snd;
  void* pica_basicP;
  A_long pre_effect_source_origin_x;
  A_long pre_effect_source_origin_y;
  PF_Fixed shutter_phase;
} PF_InData;

typedef struct PF_OutData {
  A_u_long my_version;
  A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  A_long out_flags;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
  A_long start_sampL;
  A_long dur_sampL;
  PF_SoundWorld dest_snd;
  A_long out_flags2;
} PF_OutData;

#if PF_HOST_32BIT
#pragma pack(pop)
#endif

// The effect's entry: command, in-data, out-data, parameters (null at global setup), output,
// and a sixth argument this effect does not use.
typedef PF_Err(PF_CALL* PF_EffectEntry)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                        PF_ParamDef* params[], PF_LayerDef* output, void* extra);

}  // extern "C"

// ---- The host's offsets, pinned ----
// Measured on the host's own interface; a record that drifts from them must not build.
#if PF_HOST_32BIT
#define PF_AT(record, field, off32, off64) \
  static_assert(offsetof(record, field) == (off32), #record "." #field " is off the host's offset")
#define PF_SIZE(record, size32, size64) \
  static_assert(sizeof(record) == (size32), #record " is not the host's size")
#else
#define PF_AT(record, field, off32, off64) \
  static_assert(offsetof(record, field) == (off64), #record "." #field " is off the host's offset")
#define PF_SIZE(record, size32, size64) \
  static_assert(sizeof(record) == (size64), #record " is not the host's size")
#endif

PF_SIZE(PF_Pixel, 4, 4);
PF_AT(PF_Pixel, alpha, 0, 0);
PF_AT(PF_Pixel, red, 1, 1);
PF_AT(PF_Pixel, green, 2, 2);
PF_AT(PF_Pixel, blue, 3, 3);
PF_SIZE(PF_Point, 4, 8);
PF_AT(PF_Point, h, 2, 0);
PF_AT(PF_Point, v, 0, 4);
PF_SIZE(PF_Rect, 8, 16);
PF_AT(PF_Rect, left, 2, 0);
PF_AT(PF_Rect, top, 0, 4);
PF_AT(PF_Rect, right, 6, 8);
PF_AT(PF_Rect, bottom, 4, 12);
PF_SIZE(PF_RationalScale, 8, 8);
PF_SIZE(PF_SpecVersion, 4, 4);
PF_SIZE(PF_SoundFormatInfo, 14, 16);
PF_SIZE(PF_SoundWorld, 22, 32);
PF_AT(PF_SoundWorld, num_samples, 14, 16);
PF_AT(PF_SoundWorld, dataP, 18, 24);

PF_SIZE(PF_InteractCallbacks, 88, 176);
PF_AT(PF_InteractCallbacks, checkout_param, 0, 0);
PF_AT(PF_InteractCallbacks, add_param, 8, 16);
PF_AT(PF_InteractCallbacks, abort, 12, 24);
PF_AT(PF_InteractCallbacks, progress, 16, 32);
PF_AT(PF_InteractCallbacks, get_audio_data, 32, 64);
PF_AT(PF_InteractCallbacks, reserved_str, 36, 72);
PF_AT(PF_InteractCallbacks, reserved, 48, 96);

PF_SIZE(PF_ANSICallbacks, 80, 160);
PF_AT(PF_ANSICallbacks, sin, 48, 96);
PF_AT(PF_ANSICallbacks, sqrt, 52, 104);
PF_AT(PF_ANSICallbacks, sprintf, 60, 120);
PF_AT(PF_ANSICallbacks, strcpy, 64, 128);
PF_AT(PF_ANSICallbacks, acos, 72, 144);
PF_AT(PF_ANSICallbacks, ansi_procs, 76, 152);

PF_SIZE(PF_ColorCallbacks, 32, 64);

PF_SIZE(PF_UtilCallbacks, 284, 552);
PF_AT(PF_UtilCallbacks, end_sampling, 16, 32);
PF_AT(PF_UtilCallbacks, new_world, 56, 112);
PF_AT(PF_UtilCallbacks, dispose_world, 64, 120);
PF_AT(PF_UtilCallbacks, host_new_handle, 84, 160);
PF_AT(PF_UtilCallbacks, host_lock_handle, 88, 168);
PF_AT(PF_UtilCallbacks, host_unlock_handle, 92, 176);
PF_AT(PF_UtilCallbacks, host_dispose_handle, 96, 184);
PF_AT(PF_UtilCallbacks, app, 104, 200);
PF_AT(PF_UtilCallbacks, ansi, 108, 208);
PF_AT(PF_UtilCallbacks, ansi.sprintf, 168, 328);
PF_AT(PF_UtilCallbacks, ansi.strcpy, 172, 336);
PF_AT(PF_UtilCallbacks, colorCB, 188, 368);
PF_AT(PF_UtilCallbacks, get_platform_data, 220, 432);
PF_AT(PF_UtilCallbacks, host_get_handle_size, 228, 440);
PF_AT(PF_UtilCallbacks, host_resize_handle, 240, 464);
PF_AT(PF_UtilCallbacks, get_pixel_data16, 276, 536);
PF_AT(PF_UtilCallbacks, reserved, 280, 544);

PF_SIZE(PF_InData, 274, 408);
PF_AT(PF_InData, inter, 0, 0);
PF_AT(PF_InData, inter.add_param, 8, 16);
PF_AT(PF_InData, utils, 88, 176);
PF_AT(PF_InData, effect_ref, 92, 184);
PF_AT(PF_InData, quality, 96, 192);
PF_AT(PF_InData, version, 100, 196);
PF_AT(PF_InData, version.minor, 102, 198);
PF_AT(PF_InData, num_params, 112, 208);
PF_AT(PF_InData, what_fpu, 124, 220);
PF_AT(PF_InData, current_time, 132, 224);
PF_AT(PF_InData, time_step, 136, 228);
PF_AT(PF_InData, total_time, 140, 232);
PF_AT(PF_InData, time_scale, 148, 240);
PF_AT(PF_InData, field, 152, 244);
PF_AT(PF_InData, width, 160, 252);
PF_AT(PF_InData, height, 164, 256);
PF_AT(PF_InData, extent_hint, 168, 260);
PF_AT(PF_InData, output_origin_x, 176, 276);
PF_AT(PF_InData, downsample_x, 184, 284);
PF_AT(PF_InData, pixel_aspect_ratio, 200, 300);
PF_AT(PF_InData, in_flags, 208, 308);
PF_AT(PF_InData, global_data, 212, 312);
PF_AT(PF_InData, sequence_data, 216, 320);
PF_AT(PF_InData, frame_data, 220, 328);
PF_AT(PF_InData, total_sampL, 232, 344);
PF_AT(PF_InData, src_snd, 236, 352);
PF_AT(PF_InData, pica_basicP, 258, 384);
PF_AT(PF_InData, pre_effect_source_origin_x, 262, 392);
PF_AT(PF_InData, shutter_phase, 270, 400);

PF_SIZE(PF_OutData, 362, 408);
PF_AT(PF_OutData, my_version, 0, 0);
PF_AT(PF_OutData, name, 4, 4);
PF_AT(PF_OutData, global_data, 36, 40);
PF_AT(PF_OutData, num_params, 40, 48);
PF_AT(PF_OutData, sequence_data, 44, 56);
PF_AT(PF_OutData, flat_sdata_size, 48, 64);
PF_AT(PF_OutData, frame_data, 52, 72);
PF_AT(PF_OutData, width, 56, 80);
PF_AT(PF_OutData, origin, 64, 88);
PF_AT(PF_OutData, out_flags, 68, 96);
PF_AT(PF_OutData, return_msg, 72, 100);
PF_AT(PF_OutData, start_sampL, 328, 356);
PF_AT(PF_OutData, dest_snd, 336, 368);
PF_AT(PF_OutData, out_flags2, 358, 400);

PF_SIZE(PF_LayerDef, 76, 120);
PF_AT(PF_LayerDef, world_flags, 8, 16);
PF_AT(PF_LayerDef, data, 12, 24);
PF_AT(PF_LayerDef, rowbytes, 16, 32);
PF_AT(PF_LayerDef, width, 20, 36);
PF_AT(PF_LayerDef, height, 24, 40);
PF_AT(PF_LayerDef, extent_hint, 28, 44);
PF_AT(PF_LayerDef, platform_ref, 36, 64);
PF_AT(PF_LayerDef, dephault, 72, 116);

PF_SIZE(PF_SliderDef, 88, 88);
PF_SIZE(PF_FixedSliderDef, 92, 92);
PF_AT(PF_FixedSliderDef, precision, 88, 88);
PF_AT(PF_FixedSliderDef, display_flags, 90, 90);
PF_SIZE(PF_AngleDef, 8, 16);
PF_SIZE(PF_CheckBoxDef, 12, 16);
PF_AT(PF_CheckBoxDef, dephault, 4, 4);
PF_AT(PF_CheckBoxDef, u.nameptr, 8, 8);
PF_SIZE(PF_ColorDef, 8, 8);
PF_SIZE(PF_ParamDefUnion, 92, 120);

PF_SIZE(PF_ParamDef, 148, 176);
PF_AT(PF_ParamDef, uu.id, 0, 0);
PF_AT(PF_ParamDef, ui_flags, 4, 4);
PF_AT(PF_ParamDef, ui_width, 8, 8);
PF_AT(PF_ParamDef, ui_height, 10, 10);
PF_AT(PF_ParamDef, param_type, 12, 12);
PF_AT(PF_ParamDef, name, 16, 16);
PF_AT(PF_ParamDef, flags, 48, 48);
PF_AT(PF_ParamDef, unused, 52, 52);
PF_AT(PF_ParamDef, u, 56, 56);
PF_AT(PF_ParamDef, u.sd.value, 56, 56);
PF_AT(PF_ParamDef, u.sd.value_str, 60, 60);
PF_AT(PF_ParamDef, u.sd.value_desc, 92, 92);
PF_AT(PF_ParamDef, u.sd.valid_min, 124, 124);
PF_AT(PF_ParamDef, u.sd.valid_max, 128, 128);
PF_AT(PF_ParamDef, u.sd.slider_min, 132, 132);
PF_AT(PF_ParamDef, u.sd.slider_max, 136, 136);
PF_AT(PF_ParamDef, u.sd.dephault, 140, 140);
PF_AT(PF_ParamDef, u.fd.value, 56, 56);
PF_AT(PF_ParamDef, u.fd.value_str, 60, 60);
PF_AT(PF_ParamDef, u.fd.value_desc, 92, 92);
PF_AT(PF_ParamDef, u.fd.valid_min, 124, 124);
PF_AT(PF_ParamDef, u.fd.valid_max, 128, 128);
PF_AT(PF_ParamDef, u.fd.slider_min, 132, 132);
PF_AT(PF_ParamDef, u.fd.slider_max, 136, 136);
PF_AT(PF_ParamDef, u.fd.dephault, 140, 140);
PF_AT(PF_ParamDef, u.fd.precision, 144, 144);
PF_AT(PF_ParamDef, u.fd.display_flags, 146, 146);
PF_AT(PF_ParamDef, u.ad.value, 56, 56);
PF_AT(PF_ParamDef, u.ad.dephault, 60, 60);
PF_AT(PF_ParamDef, u.bd.value, 56, 56);
PF_AT(PF_ParamDef, u.bd.dephault, 60, 60);
PF_AT(PF_ParamDef, u.bd.reserved, 61, 61);
PF_AT(PF_ParamDef, u.bd.reserved1, 62, 62);
PF_AT(PF_ParamDef, u.bd.u.nameptr, 64, 64);
PF_AT(PF_ParamDef, u.cd.value, 56, 56);
PF_AT(PF_ParamDef, u.cd.dephault, 60, 60);
PF_AT(PF_ParamDef, u.ld.data, 68, 80);
PF_AT(PF_ParamDef, u.ld.rowbytes, 72, 88);
PF_AT(PF_ParamDef, u.ld.width, 76, 92);
PF_AT(PF_ParamDef, u.ld.height, 80, 96);
PF_AT(PF_ParamDef, u.ld.dephault, 128, 172);

#undef PF_AT
#undef PF_SIZE
