// SPDX-License-Identifier: GPL-2.0-or-later
// The benchmark mode: a fire of its own at each frame size, fed the wordmark scaled to that
// size, rendered and drawn frame after frame for a few seconds as fast as the browser allows.
// "Drawn" is the frame put into a canvas on the page; between frames the page is given the
// chance to show it.
import { pixelsOf } from './sources.js';
import { drawRgba } from './drawing.js';

export const BENCHMARK_SIZES = [[1280, 720], [1920, 1080]];

const yieldToPage = () => new Promise((resolve) => {
  const channel = new MessageChannel();
  channel.port1.onmessage = resolve;
  channel.port2.postMessage(0);
});

async function scaledWordmark(fyrel, width, height) {
  const image = fyrel.defaultSource();
  const data = new ImageData(new Uint8ClampedArray(image.pixels.buffer), image.width, image.height);
  return pixelsOf(await createImageBitmap(data), width, height);
}

// Measures each size for `seconds`; `prepare(fire)` gives the fire the page's settings.
// Returns [{ width, height, frames, seconds, fps, renderMs, drawMs }].
export async function runBenchmark(fyrel, canvas, prepare, seconds = 3, sizes = BENCHMARK_SIZES) {
  const results = [];
  for (const [width, height] of sizes) {
    const fire = new fyrel.Fire();
    try {
      prepare(fire);
      fire.sourceBuffer(width, height).set(await scaledWordmark(fyrel, width, height));
      fire.setSource();
      let renderTime = 0, drawTime = 0, frames = 0;
      const warmUp = 10;
      let start = 0;
      for (let n = 1; ; n += 1) {
        if (n === warmUp + 1) start = performance.now();
        const t0 = performance.now();
        if (!fire.render(n)) throw new Error(`the effect failed to render frame ${n} (out of memory)`);
        const t1 = performance.now();
        drawRgba(canvas, fire.output(), width, height);
        const t2 = performance.now();
        await yieldToPage();
        if (n <= warmUp) continue;
        frames += 1;
        renderTime += t1 - t0;
        drawTime += t2 - t1;
        if (performance.now() - start >= seconds * 1000) break;
      }
      const elapsed = (performance.now() - start) / 1000;
      results.push({ width, height, frames, seconds: elapsed, fps: frames / elapsed,
                     renderMs: renderTime / frames, drawMs: drawTime / frames });
    } finally {
      fire.delete();
    }
  }
  return results;
}
