// SPDX-License-Identifier: GPL-2.0-or-later
// Where the fire's source layer comes from: the built-in wordmark, an image file (PNG is
// checked and decoded by the renderer's own reader, any other format by the browser), or the
// camera. A source is { name, width, height, pixels } (RGBA, straight alpha, rows top first);
// `name` is what the renderer's --source is given to reproduce it ('' for the wordmark). A
// camera source also has grab(), which takes its current frame into `pixels`.

// The page keeps to sources whose layers fit comfortably in the browser's memory.
export const MAX_SIDE = 4096;

const PNG_SIGNATURE = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];

export function wordmarkSource(fyrel) {
  const image = fyrel.defaultSource();
  return { name: '', label: 'the built-in wordmark', ...image };
}

function checkSize(name, width, height) {
  if (width > MAX_SIDE || height > MAX_SIDE) {
    throw new Error(`${name} is ${width}x${height}; the page takes images up to ${MAX_SIDE} ` +
                    'pixels on a side (the renderer takes larger ones)');
  }
}

// The pixels of what a canvas shows: a drawable scaled to width x height with no smoothing.
export function pixelsOf(drawable, width, height) {
  const canvas = new OffscreenCanvas(width, height);
  const context = canvas.getContext('2d', { willReadFrequently: true });
  context.imageSmoothingEnabled = false;
  context.drawImage(drawable, 0, 0, width, height);
  return new Uint8Array(context.getImageData(0, 0, width, height).data.buffer);
}

// A file the user picked or dropped. Throws an Error whose message names the file.
export async function imageSource(fyrel, file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const isPng = PNG_SIGNATURE.every((b, i) => bytes[i] === b);
  if (isPng) {
    // The size from the header first: a picture too large is refused before it is decoded.
    const size = fyrel.pngSize(bytes, file.name);
    if (size.error) throw new Error(size.error);
    checkSize(file.name, size.width, size.height);
    const image = fyrel.decodePng(bytes, file.name);
    if (image.error) throw new Error(image.error);
    checkSize(file.name, image.width, image.height);
    return { name: file.name, label: file.name, ...image };
  }
  let bitmap;
  try {
    bitmap = await createImageBitmap(file, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
  } catch {
    throw new Error(`${file.name}: not an image this browser can decode`);
  }
  checkSize(file.name, bitmap.width, bitmap.height);
  const pixels = pixelsOf(bitmap, bitmap.width, bitmap.height);
  // The renderer reads PNG: the command names the PNG that "Save source" writes.
  const name = file.name.replace(/\.[^./]*$/, '') + '.png';
  return { name, label: `${file.name} (saved as ${name} for the renderer)`, width: bitmap.width,
           height: bitmap.height, pixels };
}

// The camera, live: each grab() takes the frame it shows now.
export async function cameraSource() {
  if (!navigator.mediaDevices?.getUserMedia) {
    throw new Error('this browser gives no camera here (a camera needs https or localhost)');
  }
  const stream = await navigator.mediaDevices.getUserMedia({ video: true, audio: false });
  const video = document.createElement('video');
  video.muted = true;
  video.playsInline = true;
  video.srcObject = stream;
  await video.play();
  const width = video.videoWidth, height = video.videoHeight;
  const canvas = new OffscreenCanvas(width, height);
  const context = canvas.getContext('2d', { willReadFrequently: true });
  const source = {
    name: 'camera.png', label: `the camera (${width}x${height})`, width, height, live: true,
    pixels: new Uint8Array(width * height * 4),
    grab() {
      context.drawImage(video, 0, 0, width, height);
      source.pixels = new Uint8Array(context.getImageData(0, 0, width, height).data.buffer);
    },
    stop() { for (const track of stream.getTracks()) track.stop(); },
  };
  source.grab();
  return source;
}
