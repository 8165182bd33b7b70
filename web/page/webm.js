// SPDX-License-Identifier: GPL-2.0-or-later
// A WebM file of VP9 frames with alpha, as players read it: each block carries the colour
// frame, and its BlockAdditional (id 1) the frame of a second VP9 stream whose luma is the
// alpha; the track says so with AlphaMode 1. Frames are given in order with their key-frame
// flag; a cluster starts at every key frame.

const encoder = new TextEncoder();

// An EBML variable-length size: the fewest bytes, a marker bit before the value.
function sizeBytes(size) {
  let length = 1;
  while (size >= 2 ** (7 * length) - 1) length += 1;
  const bytes = new Uint8Array(length);
  let rest = size;
  for (let i = length - 1; i >= 0; i -= 1) {
    bytes[i] = rest % 256;
    rest = Math.floor(rest / 256);
  }
  bytes[0] |= 0x80 >> (length - 1);
  return bytes;
}

function unsignedBytes(value, length = 0) {
  const bytes = [];
  let rest = value;
  do {
    bytes.unshift(rest % 256);
    rest = Math.floor(rest / 256);
  } while (rest > 0 || bytes.length < length);
  return new Uint8Array(bytes);
}

function idBytes(id) { return unsignedBytes(id); }

function concat(parts) {
  const total = parts.reduce((sum, part) => sum + part.length, 0);
  const out = new Uint8Array(total);
  let at = 0;
  for (const part of parts) {
    out.set(part, at);
    at += part.length;
  }
  return out;
}

// An element: its id, its size and its payload (bytes, a number, a string or child elements).
function el(id, payload) {
  let body;
  if (payload instanceof Uint8Array) body = payload;
  else if (typeof payload === 'number') body = unsignedBytes(payload);
  else if (typeof payload === 'string') body = encoder.encode(payload);
  else body = concat(payload);
  return concat([idBytes(id), sizeBytes(body.length), body]);
}

function floatElement(id, value) {
  const bytes = new Uint8Array(8);
  new DataView(bytes.buffer).setFloat64(0, value);
  return el(id, bytes);
}

// frames: [{ timestamp (ms), key (boolean), colour (Uint8Array), alpha (Uint8Array) }].
export function writeWebm({ width, height, frameMs, frames }) {
  const header = el(0x1a45dfa3, [
    el(0x4286, 1), el(0x42f7, 1), el(0x42f2, 4), el(0x42f3, 8),
    el(0x4282, 'webm'), el(0x4287, 4), el(0x4285, 2),
  ]);
  const info = el(0x1549a966, [
    el(0x2ad7b1, 1000000),  // timestamps in milliseconds
    el(0x4d80, 'Fyrel'), el(0x5741, 'Fyrel'),
    floatElement(0x4489, frames.length * frameMs),
  ]);
  const tracks = el(0x1654ae6b, [el(0xae, [
    el(0xd7, 1), el(0x73c5, 1), el(0x83, 1), el(0x9c, 0), el(0x86, 'V_VP9'),
    el(0x23e383, Math.round(frameMs * 1e6)),
    el(0xe0, [el(0xb0, width), el(0xba, height), el(0x53c0, 1)]),
  ])]);
  const clusters = [];
  let cluster = null;
  let previous = 0;
  for (const frame of frames) {
    if (frame.key || cluster === null) {
      cluster = { timestamp: frame.timestamp, parts: [el(0xe7, frame.timestamp)] };
      clusters.push(cluster);
    }
    const relative = frame.timestamp - cluster.timestamp;
    const block = concat([sizeBytes(1), new Uint8Array([(relative >> 8) & 0xff, relative & 0xff, 0]),
                          frame.colour]);
    const group = [el(0xa1, block),
                   el(0x75a1, [el(0xa6, [el(0xee, 1), el(0xa5, frame.alpha)])])];
    if (!frame.key) {
      // The frame it depends on, as a signed offset from this one.
      const offset = previous - frame.timestamp;
      group.push(el(0xfb, unsignedBytes(offset & 0xffff, 2)));
    }
    cluster.parts.push(el(0xa0, group));
    previous = frame.timestamp;
  }
  const segment = el(0x18538067, [info, tracks, ...clusters.map((c) => el(0x1f43b675, c.parts))]);
  return concat([header, segment]);
}
