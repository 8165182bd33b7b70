// SPDX-License-Identifier: GPL-2.0-or-later
// Puts RGBA pixels (straight alpha, a view of any buffer) into a canvas of their size.
export function drawRgba(canvas, rgba, width, height) {
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, width * height * 4);
  canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
}
