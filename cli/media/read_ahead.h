// SPDX-License-Identifier: GPL-2.0-or-later
// A moving source read one frame ahead on a thread of its own: while the caller works on frame
// n, frame n + 1 is decoded (a video's frame decoded and converted, a sequence's PNG read), so
// that reading costs the render loop only the hand-over. What the caller sees is what the
// source gives, in the same order: each frame with the notes made while reading it, a failure
// at the frame where it happened, the end where it is.
#pragma once

#include <memory>

#include "cli/media/source_frames.h"

// `source` read ahead (as it is where the build has no threads, as the Windows build).
std::unique_ptr<SourceFrames> ReadAhead(std::unique_ptr<SourceFrames> source);
