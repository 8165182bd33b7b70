// SPDX-License-Identifier: GPL-2.0-or-later
// What the page gives away: a frame as the renderer writes it (PNG), N frames as a WebM video
// with alpha, and the text of the command that renders the same fire.
import { writeWebm } from './webm.js';

export function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

export const frameFileName = (frame) => `frame_${String(frame).padStart(4, '0')}.png`;

// PNG bytes of RGBA (4) or RGB (3) samples; throws with the encoder's word.
export function pngBytes(fyrel, samples, width, height, channels) {
  const png = fyrel.encodePng(samples, width, height, channels);
  if (png.error) throw new Error(png.error);
  return png;
}

// The alpha as the luma of an I420 frame, chroma neutral: what the second stream encodes.
function alphaFrame(rgba, width, height, timestamp) {
  const chromaWidth = Math.ceil(width / 2), chromaHeight = Math.ceil(height / 2);
  const planes = new Uint8Array(width * height + 2 * chromaWidth * chromaHeight);
  for (let i = 0, j = 3; i < width * height; i += 1, j += 4) planes[i] = rgba[j];
  planes.fill(128, width * height);
  return new VideoFrame(planes, { format: 'I420', codedWidth: width, codedHeight: height, timestamp });
}

// Encodes `count` frames that renderFrame(n) gives (RGBA views, n from 1) as VP9 with alpha.
// onProgress(n) hears each frame. Returns the WebM bytes.
export async function encodeWebm({ width, height, fps, count, renderFrame, onProgress }) {
  if (typeof VideoEncoder === 'undefined') {
    throw new Error('this browser has no video encoder here (it needs https or localhost)');
  }
  const config = { codec: 'vp09.00.10.08', width, height, framerate: fps,
                   bitrate: Math.max(1e6, Math.round(width * height * fps * 0.2)) };
  const support = await VideoEncoder.isConfigSupported(config);
  if (!support.supported) throw new Error(`this browser cannot encode VP9 at ${width}x${height}`);
  const failures = [];
  const streams = ['colour', 'alpha'].map(() => {
    const chunks = [];
    const encoder = new VideoEncoder({
      output: (chunk) => {
        const data = new Uint8Array(chunk.byteLength);
        chunk.copyTo(data);
        chunks.push({ timestamp: chunk.timestamp, key: chunk.type === 'key', data });
      },
      error: (error) => failures.push(error),
    });
    encoder.configure(config);
    return { encoder, chunks };
  });
  const frameUs = 1e6 / fps;
  const keyEvery = Math.max(1, Math.round(fps * 2));
  for (let n = 1; n <= count; n += 1) {
    const rgba = renderFrame(n);
    const timestamp = Math.round((n - 1) * frameUs);
    const options = { keyFrame: (n - 1) % keyEvery === 0 };
    const colour = new VideoFrame(rgba, {
      format: 'RGBX', codedWidth: width, codedHeight: height, timestamp });
    const alpha = alphaFrame(rgba, width, height, timestamp);
    streams[0].encoder.encode(colour, options);
    streams[1].encoder.encode(alpha, options);
    colour.close();
    alpha.close();
    onProgress?.(n);
    // Let the encoders drain and the page breathe.
    while (streams.some((s) => s.encoder.encodeQueueSize > 4)) await new Promise((r) => setTimeout(r, 1));
  }
  await Promise.all(streams.map((s) => s.encoder.flush()));
  for (const s of streams) s.encoder.close();
  if (failures.length) throw new Error(`the video encoder failed: ${failures[0].message}`);
  const [colour, alpha] = streams.map((s) => s.chunks);
  if (colour.length !== count || alpha.length !== count) {
    throw new Error(`the video encoder gave ${colour.length} and ${alpha.length} frames of ${count}`);
  }
  const frames = colour.map((chunk, i) => ({
    timestamp: Math.round(chunk.timestamp / 1000),
    key: chunk.key && alpha[i].key,
    colour: chunk.data,
    alpha: alpha[i].data,
  }));
  return writeWebm({ width, height, frameMs: 1000 / fps, frames });
}

// Copies text to the clipboard: the asynchronous clipboard where the page may use it, else the
// selection of a text box.
export async function copyText(text, box) {
  try {
    await navigator.clipboard.writeText(text);
    return true;
  } catch {
    box.focus();
    box.select();
    return document.execCommand('copy');
  }
}
