// SPDX-License-Identifier: GPL-2.0-or-later
// The page: one fire from the engine module, its controls, its source, the transport (play,
// pause, step, restart at frame 1), the viewer's preview, the exports and the benchmark.
import createFyrel from './fyrel_web.js';
import { buildControls, applyValues } from './controls.js';
import { addressQuery, readAddress } from './address.js';
import { wordmarkSource, imageSource, cameraSource } from './sources.js';
import { download, frameFileName, pngBytes, encodeWebm, copyText } from './exports.js';
import { runBenchmark } from './benchmark.js';
import { drawRgba } from './drawing.js';

const $ = (id) => document.getElementById(id);

let fyrel;
try {
  fyrel = await createFyrel();
} catch (error) {
  $('status').textContent = 'This browser cannot run the engine (it needs WebAssembly with SIMD ' +
                            `and exceptions): ${error.message}`;
  $('status').classList.add('error');
  throw error;
}
const fire = new fyrel.Fire();
// Saved states of the run, so that a change while paused makes the frame on show again from
// the nearest one instead of from frame 1.
const STATES_BUDGET = 128 * 1024 * 1024;
fire.keepStates(STATES_BUDGET);
const state = {
  mode: 'fire',       // or 'preview': the Options viewer's preview
  frame: 0,           // the fire's frame on show; 0 before the first
  preview: null,      // the open preview
  previewFrame: 0,
  source: null,
  playing: false,
  fpsTarget: 25,
  loop: 0,            // the current playing loop
  shown: [],          // times of the frames shown in the last second
  replayPending: false,
  shownLog: null,     // for the tests: frame number → the frame's pixels as last shown
  shownAt: 0,         // for the tests: when the last frame was drawn
  addressTimer: 0,
};

function setStatus(text, isError = false) {
  $('status').textContent = text;
  $('status').classList.toggle('error', isError);
}

// A value the user sets holds from a frame of the fire's run on: the next frame to be made
// while the fire plays (or while the viewer is on show), the frame on show while it is paused,
// which is then made again with it. The run remembers each change at its frame, and the copied
// command gives them as keys, so that it makes every frame the page showed.
const params = fire.params();
const presets = fyrel.presets();
const controls = buildControls($('groups'), params, (param, value) => {
  const paused = state.mode === 'fire' && !state.playing && state.frame > 0;
  const at = paused ? state.frame : state.frame + 1;
  if (Array.isArray(value)) fire.changeColor(param.name, ...value, at);
  else fire.changeValue(param.name, value, at);
  // The viewer takes its values when it opens: a new value opens it anew.
  if (state.mode === 'preview') restart();
  else if (paused) requestReplay();
  updateCommand();
  addressSoon();
});

// A preset sets every control: its values, the defaults for the rest. Each counts as a change
// the user made, so that the run, the copied command and the address follow it.
for (const preset of presets) {
  const option = document.createElement('option');
  option.value = preset.name;
  option.textContent = preset.title;
  option.title = preset.description;
  $('preset').append(option);
}
$('preset').addEventListener('change', () => {
  const preset = presets.find((p) => p.name === $('preset').value);
  if (preset) controls.setAll(new Map(Object.entries(preset.values)));
  $('preset').value = '';
});

// The address holds the values, replaced in place: no history entry per slider step. A slider
// dragged changes it a moment after the last step (browsers ignore a flood of replacements).
function updateAddress() {
  clearTimeout(state.addressTimer);
  history.replaceState(history.state, '', location.pathname + addressQuery(params, controls.values) + location.hash);
}
function addressSoon() {
  clearTimeout(state.addressTimer);
  state.addressTimer = setTimeout(updateAddress, 200);
}

// The frame on show, made again with the values the run now holds for each frame, from the
// nearest saved state that they still hold for (from frame 1 for the camera, whose frames the
// run did not keep); once for any number of changes before the screen is next drawn.
function requestReplay() {
  if (state.replayPending) return;
  state.replayPending = true;
  requestAnimationFrame(settleReplay);
}
function settleReplay() {
  if (!state.replayPending) return;
  state.replayPending = false;
  if (state.mode !== 'fire' || state.frame === 0) return;
  if (state.source.live) loadSource();
  if (!fire.replay(state.frame, !state.source.live)) {
    setStatus(`The effect failed to make frame ${state.frame} again (out of memory).`, true);
    return;
  }
  showFrame();
}

// Paused, the state before the frame on show is made ready while nothing else runs, so that a
// change makes only that frame again (the frame on show is made again with the same values: it
// stays as it is).
function prepareChange() {
  setTimeout(() => {
    if (state.playing || state.replayPending || state.mode !== 'fire' || state.frame < 2 ||
        state.source.live || fire.lastStateFrame() === state.frame) return;
    fire.replay(state.frame, true);
  }, 50);
}

// --- Showing frames -------------------------------------------------------------------------

function drawBackdrop() {
  const backdrop = $('backdrop');
  backdrop.hidden = !(state.mode === 'fire' && $('background').value === 'source');
  if (!backdrop.hidden) drawRgba(backdrop, state.source.pixels, state.source.width, state.source.height);
}

function loadSource() {
  const { source } = state;
  if (source.live) source.grab();
  fire.sourceBuffer(source.width, source.height).set(source.pixels);
  fire.setSource();
}

function showFrame() {
  if (state.mode === 'preview') {
    drawRgba($('preview'), state.preview.rgba(), state.preview.width(), state.preview.height());
  } else {
    drawRgba($('fire'), fire.output(), fire.width(), fire.height());
    drawBackdrop();
  }
  $('frame-number').value = state.mode === 'preview' ? state.previewFrame : state.frame;
  if (state.mode === 'fire') state.shownLog?.set(state.frame, fire.output().slice());
  const now = performance.now();
  state.shownAt = now;
  state.shown.push(now);
  while (state.shown[0] < now - 1000) state.shown.shift();
}

// The next frame (frame 1 when restarting) of what is on show.
function advance(fromStart = false) {
  if (fromStart) {
    state.replayPending = false;
    state.shownLog?.clear();
  }
  else settleReplay();
  if (state.mode === 'preview') {
    if (fromStart || !state.preview) {
      state.preview?.delete();
      state.preview = new fyrel.Preview(fire);
      state.previewFrame = 0;
    }
    state.preview.step();
    state.previewFrame += 1;
  } else {
    const n = fromStart ? 1 : state.frame + 1;
    if (state.source.live) loadSource();
    // Frame 1 of a new run of the renderer: the copied command gives the same frames.
    if (fromStart) fire.restart();
    if (!fire.render(n)) {
      setPlaying(false);
      setStatus(`The effect failed to render frame ${n} (out of memory).`, true);
      return;
    }
    state.frame = n;
  }
  showFrame();
  if (!state.playing) updateCommand();
}

function restart() { advance(true); }

// --- Playing --------------------------------------------------------------------------------

// Frames at the chosen rate, on the screen's refreshes; each start begins a loop of its own
// and ends the one before.
function setPlaying(playing) {
  const starting = playing && !state.playing;
  state.playing = playing;
  $('play').textContent = playing ? 'Pause' : 'Play';
  fire.keepLastStates(!playing);
  if (!playing) {
    updateCommand();
    prepareChange();
  }
  if (!starting) return;
  const loop = ++state.loop;
  let last = 0;
  const tick = (now) => {
    if (!state.playing || loop !== state.loop) return;
    requestAnimationFrame(tick);
    const interval = state.fpsTarget > 0 ? 1000 / state.fpsTarget : 0;
    if (now - last < interval - 2) return;
    last = interval > 0 && now - last < 2 * interval ? last + interval : now;
    advance();
  };
  requestAnimationFrame(tick);
}

setInterval(() => {
  $('fps').value = state.playing ? String(state.shown.filter((t) => t > performance.now() - 1000).length) : '–';
  if (state.playing) updateCommand();
}, 500);

// --- The command ----------------------------------------------------------------------------

function updateCommand() {
  if (!state.source) return;
  const { source } = state;
  let note;
  if (state.mode === 'preview') {
    $('command').value = fire.previewCommand(Math.max(1, state.previewFrame));
    note = 'The renderer writes the preview\'s frames to fyrel-preview/; the last is the one shown.';
  } else {
    $('command').value = fire.renderCommand(source.name, Math.max(1, state.frame));
    note = 'The renderer writes frames 1 to N to fyrel-out/; the last is the frame shown.';
    if (source.live) note += ' The camera moves: the command burns the frame "Save source" writes, as a still.';
    else if (source.name) note += ` Run it beside ${source.name} ("Save source" writes it).`;
  }
  $('frei0r').value = fire.frei0rFilter(Math.max(1, state.frame));
  // Each box as tall as its text: the whole command shows.
  for (const box of [$('command'), $('frei0r')]) {
    box.style.height = 'auto';
    box.style.height = `${box.scrollHeight + 2}px`;
  }
  const keyed = $('frei0r').value.startsWith('frei0r.fyrel ');
  $('command-note').textContent = note + (keyed ?
    ' Values changed during the run: ffmpeg\'s frei0r filter holds one value each, so the filter is given as melt takes it (melt SOURCE -filter …), keys at MLT\'s positions, which count from 0.' :
    ' The frei0r filter: ffmpeg -vf or MLT; its first frame is frame 1.');
}

// --- Sources --------------------------------------------------------------------------------

function useSource(source) {
  if (state.source !== source) state.source?.stop?.();
  state.source = source;
  $('source-name').textContent = source.label;
  loadSource();
  // A new source is a new run: the fire starts at frame 1, now or when it is shown again.
  state.frame = 0;
  if (state.mode === 'fire') restart();
  else updateCommand();
}

async function useFile(file) {
  if (!file) return;
  try {
    useSource(await imageSource(fyrel, file));
    setStatus('');
  } catch (error) {
    setStatus(error.message, true);
  }
}

$('use-wordmark').addEventListener('click', () => useSource(wordmarkSource(fyrel)));
$('image-file').addEventListener('change', (event) => {
  useFile(event.target.files[0]);
  event.target.value = '';
});
$('use-camera').addEventListener('click', async () => {
  try {
    useSource(await cameraSource());
    setStatus('');
  } catch (error) {
    setStatus(`No camera: ${error.message}`, true);
  }
});
const stage = $('stage');
stage.addEventListener('dragover', (event) => {
  event.preventDefault();
  stage.classList.add('dropping');
  $('drop-hint').hidden = false;
});
stage.addEventListener('dragleave', () => {
  stage.classList.remove('dropping');
  $('drop-hint').hidden = true;
});
stage.addEventListener('drop', (event) => {
  event.preventDefault();
  stage.classList.remove('dropping');
  $('drop-hint').hidden = true;
  useFile(event.dataTransfer.files[0]);
});

// --- Transport and modes --------------------------------------------------------------------

$('restart').addEventListener('click', restart);
$('play').addEventListener('click', () => setPlaying(!state.playing));
$('step').addEventListener('click', () => {
  setPlaying(false);
  advance();
});
$('speed').addEventListener('change', () => { state.fpsTarget = Number($('speed').value); });
$('defaults').addEventListener('click', () => controls.resetAll());
$('background').addEventListener('change', () => {
  stage.className = $('background').value === 'black' ? 'black' : 'checker';
  drawBackdrop();
});
for (const radio of document.querySelectorAll('input[name=mode]')) {
  radio.addEventListener('change', () => {
    state.mode = radio.value;
    const previewing = state.mode === 'preview';
    $('preview').hidden = !previewing;
    $('fire').hidden = previewing;
    $('backdrop-choice').hidden = previewing;
    $('export-webm').disabled = previewing;
    controls.markPreview(previewing);
    // The viewer opens with a cold field; the fire goes on where it was.
    if (previewing || state.frame === 0) restart();
    else showFrame();
    updateCommand();
  });
}

// --- Exports --------------------------------------------------------------------------------

function framePng() {
  settleReplay();
  if (state.mode === 'preview') {
    return pngBytes(fyrel, state.preview.rgb(), state.preview.width(), state.preview.height(), 3);
  }
  return pngBytes(fyrel, fire.output(), fire.width(), fire.height(), 4);
}

function sourcePng() {
  const { source } = state;
  return pngBytes(fyrel, source.pixels, source.width, source.height, 4);
}

async function webmBytes(count, onProgress) {
  const { source } = state;
  const copy = new fyrel.Fire();
  try {
    // The run's values at each frame: the video is the command's frames 1 to N.
    applyValues(copy, controls.values);
    copy.followRun(fire);
    const feed = () => {
      copy.sourceBuffer(source.width, source.height).set(source.pixels);
      copy.setSource();
    };
    feed();
    return await encodeWebm({
      width: source.width, height: source.height, fps: state.fpsTarget || 25, count, onProgress,
      renderFrame(n) {
        if (source.live && n > 1) {
          source.grab();
          feed();
        }
        if (!copy.render(n)) throw new Error(`the effect failed to render frame ${n} (out of memory)`);
        return copy.output();
      },
    });
  } finally {
    copy.delete();
  }
}

function guarded(button, action) {
  button.addEventListener('click', async () => {
    button.disabled = true;
    try {
      await action();
    } catch (error) {
      setStatus(error.message, true);
    } finally {
      button.disabled = state.mode === 'preview' && button === $('export-webm');
    }
  });
}

guarded($('export-png'), () => {
  const frame = state.mode === 'preview' ? state.previewFrame : state.frame;
  download(framePng(), frameFileName(frame), 'image/png');
});
guarded($('export-source'), () => download(sourcePng(), state.source.name || 'wordmark.png', 'image/png'));
guarded($('export-webm'), async () => {
  const count = Number($('webm-frames').value);
  if (!Number.isInteger(count) || count < 1 || count > 1000) {
    throw new Error('Frames for the video: a whole number from 1 to 1000.');
  }
  const bytes = await webmBytes(count, (n) => setStatus(`Encoding frame ${n} of ${count}…`));
  download(bytes, 'fire.webm', 'video/webm');
  setStatus(`Saved fire.webm: ${count} frames, ${(bytes.length / 1024).toFixed(0)} KB.`);
});
guarded($('copy-link'), async () => {
  updateAddress();
  setStatus(await copyText(location.href, $('command')) ? 'Copied the link: it opens the page with these settings.' :
            `Copy the link from the address bar.`);
});
guarded($('copy-command'), async () => {
  updateCommand();
  const text = `${$('command').value}\n${$('frei0r').value}\n`;
  setStatus(await copyText(text, $('command')) ? 'Copied the command and the frei0r filter.' :
            'Select the command below and copy it.');
});

// --- Benchmark ------------------------------------------------------------------------------

async function benchmark(seconds) {
  const wasPlaying = state.playing;
  setPlaying(false);
  const canvas = $('benchmark-canvas');
  // The frames are drawn where they show.
  $('benchmark').open = true;
  canvas.hidden = false;
  try {
    const results = await runBenchmark(fyrel, canvas, (f) => applyValues(f, controls.values), seconds);
    const rows = results.map((r) => `<tr><td>${r.width}x${r.height}</td><td>${r.fps.toFixed(1)}</td>` +
                                    `<td>${r.renderMs.toFixed(2)}</td><td>${r.drawMs.toFixed(2)}</td></tr>`);
    $('benchmark-results').tBodies[0].innerHTML = rows.join('');
    return results;
  } finally {
    canvas.hidden = true;
    setPlaying(wasPlaying);
  }
}
guarded($('run-benchmark'), () => benchmark(3));

// --- For the tests: what the page shows, and the exports without a download ------------------

const base64 = (bytes) => {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text);
};
window.fyrelPage = {
  frame() {
    settleReplay();
    const previewing = state.mode === 'preview';
    const pixels = previewing ? state.preview.rgb() : fire.output();
    return { number: previewing ? state.previewFrame : state.frame, channels: previewing ? 3 : 4,
             width: previewing ? state.preview.width() : fire.width(),
             height: previewing ? state.preview.height() : fire.height(), pixels: base64(pixels) };
  },
  commands() { updateCommand(); return { command: $('command').value, frei0r: $('frei0r').value }; },
  png() { return base64(framePng()); },
  sourcePng() { return base64(sourcePng()); },
  async webm(count) { return base64(await webmBytes(count)); },
  benchmark,
  // Pauses and shows the next frames up to frame `n`.
  stepTo(n) {
    setPlaying(false);
    while (state.frame < n) advance();
  },
  shownAt() { return state.shownAt; },
  // Every frame of the fire shown from now on, the last showing of each frame number.
  recordShown() { state.shownLog = new Map(); },
  shown() {
    settleReplay();
    return [...state.shownLog].map(([number, pixels]) => ({ number, pixels: base64(pixels) }));
  },
};

// The values the address holds are the run's from frame 1.
const opened = readAddress(params, presets, location.search);
controls.setAll(opened.values);
updateAddress();
if (opened.ignored.length) setStatus(`Left out of the address, not values the page takes: ${opened.ignored.join(', ')}.`);
useSource(wordmarkSource(fyrel));
setPlaying(true);
