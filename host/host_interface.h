// The part of the compositing host's effect interface that this effect uses: records, callback
// tables, command selectors, parameter types and error codes. Written from what the effect
// reads, writes and calls; the host's own headers are not used.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define PF_CALL __cdecl
#else
#define PF_CALL
#endif

extern "C" {

typedef int32_t PF_Err;
typedef int32_t PF_Cmd;
typedef int32_t PF_ParamType;
typedef int32_t PF_ParamIndex;
typedef int32_t PF_Fixed;  // 16.16 fixed point
typedef void** PF_Handle;
typedef struct PF_ProgressInfo* PF_ProgPtr;  // the host's reference to one effect instance

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
  PF_OutFlag_I_DO_DIALOG = 0x20,
  PF_OutFlag_USE_OUTPUT_EXTENT = 0x40,
  PF_OutFlag_PIX_INDEPENDENT = 0x400,
};

enum { PF_PlatData_MAIN_WND = 0 };
typedef int32_t PF_PlatDataID;

enum { PF_MAX_EFFECT_PARAM_NAME_LEN = 31, PF_MAX_EFFECT_MSG_LEN = 255 };

// A pixel: alpha, red, green, blue, one byte each.
typedef struct PF_Pixel {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
} PF_Pixel;

// An image: `rowbytes` bytes from one row to the next.
typedef struct PF_LayerDef {
  PF_Pixel* data;
  int32_t rowbytes;
  int32_t width;
  int32_t height;
} PF_LayerDef;

typedef struct PF_SliderDef {
  int32_t value;
  char value_str[32];
  char value_desc[32];
  int32_t valid_min;
  int32_t valid_max;
  int32_t slider_min;
  int32_t slider_max;
  int32_t dephault;
} PF_SliderDef;

typedef struct PF_FixedSliderDef {
  PF_Fixed value;
  char value_str[32];
  char value_desc[32];
  PF_Fixed valid_min;
  PF_Fixed valid_max;
  PF_Fixed slider_min;
  PF_Fixed slider_max;
  PF_Fixed dephault;
  int16_t precision;
  int16_t display_flags;
} PF_FixedSliderDef;

typedef struct PF_AngleDef {
  PF_Fixed value;
  PF_Fixed dephault;
} PF_AngleDef;

typedef struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

typedef struct PF_CheckBoxDef {
  int32_t value;
  uint8_t dephault;
  uint8_t reserved[3];
  const char* nameptr;  // label beside the box
} PF_CheckBoxDef;

typedef union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  int32_t id;
  PF_ParamType param_type;
  char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  int32_t flags;
  int32_t ui_flags;
  int16_t ui_width;
  int16_t ui_height;
  PF_ParamDefUnion u;
} PF_ParamDef;

typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

typedef struct PF_InteractCallbacks {
  PF_Err(PF_CALL* add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
} PF_InteractCallbacks;

typedef struct PF_ANSICallbacks {
  int(PF_CALL* sprintf)(char* buffer, const char* format, ...);
  char*(PF_CALL* strcpy)(char* dest, const char* src);
} PF_ANSICallbacks;

typedef struct PF_UtilCallbacks {
  PF_ANSICallbacks ansi;
  PF_Err(PF_CALL* get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
  PF_Handle(PF_CALL* host_new_handle)(uint32_t size);
  void*(PF_CALL* host_lock_handle)(PF_Handle handle);
  void(PF_CALL* host_unlock_handle)(PF_Handle handle);
  void(PF_CALL* host_dispose_handle)(PF_Handle handle);
} PF_UtilCallbacks;

typedef struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  int32_t current_time;
  int32_t time_step;
  int32_t time_scale;
  int32_t width;
  int32_t height;
  PF_Handle sequence_data;
} PF_InData;

typedef struct PF_OutData {
  uint32_t my_version;
  uint32_t out_flags;
  int32_t num_params;
  PF_Handle sequence_data;
  int32_t flat_sdata_size;
  char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
} PF_OutData;

// The effect's entry: command, in-data, out-data, parameters (null at global setup), output.
typedef PF_Err(PF_CALL* PF_EffectEntry)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                        PF_ParamDef* params[], PF_LayerDef* output);

}  // extern "C"
