// SPDX-License-Identifier: GPL-2.0-or-later
// The page in Debian's chromium, headless, held against the native renderer: its frames, a
// control's effect, the presets, the copied command and frei0r string, the address that holds
// the settings (opened in a second browser, garbage in it too), a change while paused (timed),
// the viewer's preview, the exports, the sources, and the benchmark's figures (reported, not
// asserted).
//   node page_test.mjs --page DIR --fyrel FILE --readme FILE [--frei0r-dir DIR] [--ffmpeg FILE] --work DIR
// Exits 77 (skipped) with the reason when the page is not built or the browser or puppeteer-core
// is missing.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { parseArgs } from 'node:util';

const { values: opt } = parseArgs({ options: {
  page: { type: 'string' }, fyrel: { type: 'string' }, readme: { type: 'string' }, 'frei0r-dir': { type: 'string' },
  work: { type: 'string' }, ffmpeg: { type: 'string', default: 'ffmpeg' }, chromium: { type: 'string', default: '/usr/bin/chromium' } } });
for (const key of ['page', 'fyrel', 'frei0r-dir', 'work']) if (opt[key]) opt[key] = path.resolve(opt[key]);
const skip = (reason) => { console.log(`SKIP: ${reason}`); process.exit(77); };
if (!fs.existsSync(path.join(opt.page, 'fyrel_web.wasm'))) skip(`${opt.page} is not built: run tools/build-web`);
if (!fs.existsSync(opt.chromium)) skip(`no browser at ${opt.chromium}: install Debian's chromium`);
let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch {
  skip('puppeteer-core is not installed: run npm ci in tests/web');
}
const frei0rDir = opt['frei0r-dir'] && fs.existsSync(path.join(opt['frei0r-dir'], 'fyrel.so')) ? opt['frei0r-dir'] : '';

const N = 6;
const errors = [];
let server, browser, page, work;

const run = (file, args, cwd = work, env = process.env) =>
  execFileSync(file, args, { cwd, env, maxBuffer: 1 << 28 });
const ffmpeg = (args, env) => run(opt.ffmpeg, ['-hide_banner', '-nostdin', '-loglevel', 'error', ...args], work, env);
// Decoded frames, concatenated, as 8-bit samples of `format` (rgba or rgb24).
const decode = (input, format = 'rgba') => ffmpeg(['-i', input, '-f', 'rawvideo', '-pix_fmt', format, '-']);
const frameOf = (all, index, size) => all.subarray(index * size, (index + 1) * size);
const fresh = (name) => {
  const dir = path.join(work, name);
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir);
  return dir;
};

// The page's folder under a sub-path, as a static host may publish it; nothing else is served.
const SUB_PATH = '/static/fyrel/';
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.txt': 'text/plain' };
function serve(root) {
  return new Promise((resolve) => {
    const s = http.createServer((request, response) => {
      const url = decodeURIComponent(new URL(request.url, 'http://x').pathname);
      const name = path.join(root, path.normalize(url.slice(SUB_PATH.length)));
      const file = url.endsWith('/') ? path.join(name, 'index.html') : name;
      if (!url.startsWith(SUB_PATH) || !file.startsWith(root) || !fs.existsSync(file)) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'content-type': types[path.extname(file)] ?? 'application/octet-stream' });
      response.end(fs.readFileSync(file));
    });
    s.listen(0, '127.0.0.1', () => resolve(s));
  });
}

before(async () => {
  work = opt.work;
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  server = await serve(opt.page);
  browser = await puppeteer.launch({
    executablePath: opt.chromium, headless: true, userDataDir: fs.mkdtempSync(path.join(work, 'profile-')),
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--use-fake-device-for-media-stream', '--use-fake-ui-for-media-stream'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 1360, height: 900 });
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('requestfailed', (r) => errors.push(`${r.url()}: ${r.failure()?.errorText}`));
  await page.goto(`http://127.0.0.1:${server.address().port}${SUB_PATH}`);
  await page.waitForFunction(() => window.fyrelPage);
  await page.click('#step');  // pauses
});

after(async () => {
  // The page as a person sees it, at frame 60 of the defaults (the README's picture).
  if (page) {
    await page.click('#defaults');
    await pageFrames(60);
    await page.screenshot({ path: path.join(work, 'page.png'), fullPage: true });
  }
  await browser?.close();
  server?.close();
});

const frame = async () => {
  const f = await page.evaluate(() => window.fyrelPage.frame());
  return { ...f, pixels: Buffer.from(f.pixels, 'base64') };
};
// Frames 1..count as the page shows them, from "Frame 1" and "Step".
async function pageFrames(count) {
  await page.click('#restart');
  const frames = [await frame()];
  while (frames.length < count) {
    await page.click('#step');
    frames.push(await frame());
  }
  frames.forEach((f, i) => assert.equal(f.number, i + 1));
  return frames;
}
function assertSameFrames(frames, reference, label) {
  const size = frames[0].pixels.length;
  assert.equal(reference.length, size * frames.length, `${label}: frame count or size`);
  frames.forEach((f, i) => assert.ok(f.pixels.equals(frameOf(reference, i, size)), `${label}: frame ${i + 1} differs`));
}
// Runs the page's command line in `dir` with the built renderer for "fyrel".
const runCommand = (command, dir) =>
  run('bash', ['-c', command.replace(/^fyrel /, '"$FYREL" ') + ' --quiet'], dir, { ...process.env, FYREL: opt.fyrel });

// What a person does to a control.
async function setControl(kind, name, value) {
  const at = `[data-param="${name}"]`;
  await page.evaluate((kind, at, value) => {
    const fire = (node, type) => node.dispatchEvent(new Event(type, { bubbles: true }));
    const input = document.querySelector(`${at} input${{ slider: '[type=range]', color: '[type=color]',
      checkbox: '[type=checkbox]', angle: '[type=number]' }[kind]}`);
    if (kind === 'checkbox') { if (input.checked !== value) input.click(); return; }
    input.value = value;
    fire(input, kind === 'angle' ? 'change' : 'input');
  }, kind, at, value);
}

test('every control at its default: frames 1..N equal the renderer\'s, and the copied command and frei0r string give them', async () => {
  const frames = await pageFrames(N);
  assert.equal(frames[0].width, 320);
  const dir = fresh('defaults');
  run(opt.fyrel, ['render', '--frames', String(N), '--out', dir, '--quiet']);
  assertSameFrames(frames, decode(path.join(dir, 'frame_%04d.png')), 'fyrel render');
  const { command, frei0r } = await page.evaluate(() => window.fyrelPage.commands());
  assert.equal(command, `fyrel render --frames ${N}`);
  assert.equal(frei0r, 'frei0r=fyrel:0.4444|0.05098|0.003922|0.1608|0.04706|0.8353|1/1/1|1/1/0|1/0/0|0/0/0|0.3333|0.6706|n|y|y|y|0');
});

// The controls are the README's parameter table (itself checked against the effect's table):
// every row, in its group and in order, with its help and flag, and nothing else.
test('the controls are the parameter table\'s rows, by group, with their help and flags', async () => {
  const rows = fs.readFileSync(opt.readme, 'utf8').split('\n')
    .filter((line) => /^\| [A-Z]\w* \| .* \| `--/.test(line))
    .map((line) => line.split(' | ').map((cell) => cell.replace(/^\| |`| \|$/g, '')))
    .map(([group, name, flag, , , , , help]) => ({ group, name, title: `${help} (${flag})` }));
  assert.ok(rows.length > 0, 'no parameter table in the README');
  const shown = await page.evaluate(() => [...document.querySelectorAll('[data-param]')].map((node) => ({
    group: node.closest('fieldset').querySelector('legend').textContent,
    name: node.dataset.param, title: node.querySelector('.name').title })));
  assert.deepEqual(shown, rows);
});

const CASES = [
  { controls: [['slider', 'Velocity', 100]], flags: ['--velocity', '100'] },
  { controls: [['checkbox', 'Custom Color', true], ['color', 'Color 1', '#80c0ff'], ['slider', 'Color 2 Position', 40],
               ['slider', 'Height', 30]],
    flags: ['--height', '30', '--color1', '80C0FF', '--color2-position', '40', '--custom-color', 'on'] },
  { controls: [['checkbox', 'Birth', false], ['checkbox', 'Drop', false], ['slider', 'Soot', 200]],
    flags: ['--soot', '200', '--birth', 'off', '--drop', 'off'] },
  { controls: [['angle', 'Fire Direction', 97], ['slider', 'Alpha', 120], ['checkbox', 'Invert Source', false],
               ['slider', 'Width', 254], ['slider', 'Amplitude', 3]],
    flags: ['--width', '254', '--amplitude', '3', '--alpha', '120', '--invert-source', 'off', '--fire-direction', '97'] },
];

for (const { controls, flags } of CASES) {
  test(`controls ${controls.map((c) => c[1]).join(', ')}: the renderer's frames with ${flags.join(' ')}`, async () => {
    await page.click('#defaults');
    for (const control of controls) await setControl(...control);
    const frames = await pageFrames(N);
    const dir = fresh('flags');
    run(opt.fyrel, ['render', '--frames', String(N), '--out', dir, '--quiet', ...flags]);
    assertSameFrames(frames, decode(path.join(dir, 'frame_%04d.png')), 'fyrel render');

    const { command, frei0r } = await page.evaluate(() => window.fyrelPage.commands());
    assert.equal(command, `fyrel render --frames ${N} ${flags.join(' ')}`);
    const copied = fresh('copied');
    runCommand(command, copied);
    assertSameFrames(frames.slice(N - 1), decode(path.join(copied, 'fyrel-out', `frame_000${N}.png`)), 'the copied command');
    if (frei0rDir) {
      fs.writeFileSync(path.join(copied, 'wordmark.png'), Buffer.from(await page.evaluate(() => window.fyrelPage.sourcePng()), 'base64'));
      const out = ffmpeg(['-loop', '1', '-i', path.join(copied, 'wordmark.png'), '-frames:v', String(N), '-vf', `format=rgba,${frei0r}`,
                          '-f', 'rawvideo', '-pix_fmt', 'rgba', '-'], { ...process.env, FREI0R_PATH: frei0rDir });
      assertSameFrames(frames, out, `ffmpeg with ${frei0r}`);
    }
  });
}

test('values changed while playing and while paused: the copied command makes every frame shown', async () => {
  await page.click('#defaults');
  await page.evaluate(() => window.fyrelPage.recordShown());
  await page.click('#restart');
  const shownFrame = () => page.evaluate(() => window.fyrelPage.frame().number);
  const playUntil = async (n) => {
    await page.click('#play');
    await page.waitForFunction((n) => window.fyrelPage.frame().number >= n, {}, n);
  };
  await playUntil(4);
  await setControl('slider', 'Velocity', 90);
  await page.waitForFunction(() => window.fyrelPage.frame().number >= 8);
  await setControl('checkbox', 'Custom Color', true);
  await setControl('color', 'Color 2', '#20c0ff');
  await page.waitForFunction(() => window.fyrelPage.frame().number >= 11);
  await setControl('angle', 'Fire Direction', 45);
  await page.click('#play');  // pauses
  const paused = await shownFrame();
  await setControl('slider', 'Height', 40);
  await setControl('checkbox', 'Drop', false);
  await page.click('#step');
  await page.click('#step');
  await setControl('slider', 'Width', 200);
  await setControl('slider', 'Velocity', 20);
  await playUntil(paused + 6);
  await page.click('#play');
  const last = await shownFrame();
  const shown = await page.evaluate(() => window.fyrelPage.shown());
  assert.deepEqual(shown.map((f) => f.number), Array.from({ length: last }, (_, i) => i + 1));

  const { command, frei0r } = await page.evaluate(() => window.fyrelPage.commands());
  // ffmpeg's filter cannot change a value during a run; MLT's can, at positions from 0.
  assert.match(frei0r, new RegExp(`^frei0r\\.fyrel 'Velocity=0\\|=0\\.4444;\\d+\\|=0\\.899;${paused + 1}=0\\.1919' `));
  assert.match(command, new RegExp(`--frames ${last} --velocity '1\\|=45;\\d+\\|=90;${paused + 2}=20'`));
  assert.ok(await page.$eval('#command', (box) => box.scrollHeight <= box.clientHeight + 2), 'the whole command shows');
  const dir = fresh('changes');
  runCommand(command, dir);
  const rendered = decode(path.join(dir, 'fyrel-out', 'frame_%04d.png'));
  const size = rendered.length / last;
  shown.forEach((f, i) => assert.ok(Buffer.from(f.pixels, 'base64').equals(frameOf(rendered, i, size)), `frame ${f.number} differs`));
  // A change while paused makes the frame on show again: it is what is saved and copied.
  await setControl('slider', 'Soot', 9);
  fs.writeFileSync(path.join(dir, 'saved.png'), Buffer.from(await page.evaluate(() => window.fyrelPage.png()), 'base64'));
  const again = fresh('changes-again');
  runCommand((await page.evaluate(() => window.fyrelPage.commands())).command, again);
  assert.ok(decode(path.join(dir, 'saved.png')).equals(decode(path.join(again, 'fyrel-out', `frame_${String(last).padStart(4, '0')}.png`))));
});

// The presets, from the renderer's list: each chosen from the menu sets every control, and the
// page's frames are the renderer's with --preset, as the copied command's are.
test('each preset from the menu: the renderer\'s frames with --preset, and the copied command\'s', async () => {
  const names = run(opt.fyrel, ['presets']).toString().trim().split('\n').map((line) => line.split(/\s+/)[0]);
  assert.deepEqual(await page.$$eval('#preset option', (os) => os.slice(1).map((o) => o.value)), names);
  for (const name of names) {
    await setControl('slider', 'Soot', 77);  // the preset sets the rest too
    await page.select('#preset', name);
    const frames = await pageFrames(N);
    const dir = fresh(`preset-${name}`);
    run(opt.fyrel, ['render', '--preset', name, '--frames', String(N), '--out', dir, '--quiet']);
    assertSameFrames(frames, decode(path.join(dir, 'frame_%04d.png')), `fyrel render --preset ${name}`);
    const { command } = await page.evaluate(() => window.fyrelPage.commands());
    runCommand(command, dir);
    assertSameFrames(frames, decode(path.join(dir, 'fyrel-out', 'frame_%04d.png')), `${name}: ${command}`);
  }
});

test('check boxes are labelled with their parameter\'s name alone', async () => {
  const labels = await page.$$eval('input[type=checkbox]', (boxes) => boxes.map((box) => box.labels[0]?.textContent));
  assert.deepEqual(labels, ['Custom Color', 'Birth', 'Drop', 'Invert Source']);
  assert.ok(!(await page.$eval('#controls', (c) => c.textContent)).includes('Add Fire Params'));
});

// A second browser, without the first one's storage, opening an address.
async function openedAt(address) {
  const context = await browser.createBrowserContext();
  const other = await context.newPage();
  other.on('pageerror', (e) => errors.push(e.message));
  await other.goto(address);
  await other.waitForFunction(() => window.fyrelPage);
  await other.click('#step');  // pauses
  return { context, other };
}
async function framesOf(which, count) {
  await which.click('#restart');
  const frames = [];
  for (let n = 1; n <= count; n += 1) {
    if (n > 1) await which.click('#step');
    const f = await which.evaluate(() => window.fyrelPage.frame());
    frames.push({ ...f, pixels: Buffer.from(f.pixels, 'base64') });
  }
  return frames;
}

test('the address holds the settings: opened in a new browser it restores every value and the frames', async () => {
  await page.click('#defaults');
  const before = await page.evaluate(() => history.length);
  await page.select('#preset', 'ghost-fire');
  for (const velocity of [30, 31, 32, 33]) await setControl('slider', 'Velocity', velocity);
  await setControl('angle', 'Fire Direction', 300);
  await setControl('checkbox', 'Drop', false);
  await setControl('color', 'Color 4', '#102030');
  assert.equal(await page.evaluate(() => history.length), before, 'a history entry per change');
  await page.waitForFunction(() => location.search.includes('color4=102030'));
  const address = await page.evaluate(() => location.href);
  assert.match(address, /\?velocity=33&/);
  await page.click('#copy-link');
  await page.waitForFunction(() => /link/.test(document.querySelector('#status').textContent));
  await page.click('#restart');
  const { command } = await page.evaluate(() => window.fyrelPage.commands());

  const { context, other } = await openedAt(address);
  try {
    const frames = await framesOf(other, N);
    const restored = await other.evaluate(() => window.fyrelPage.commands().command);
    assert.equal(restored.replace(/--frames \d+/, ''), command.replace(/--frames \d+/, ''));
    const dir = fresh('address');
    runCommand(restored, dir);
    assertSameFrames(frames, decode(path.join(dir, 'fyrel-out', 'frame_%04d.png')), restored);
  } finally {
    await context.close();
  }
});

test('an address with garbage and values out of range: kept within range or left out, the page runs', async () => {
  const base = await page.evaluate(() => location.origin + location.pathname);
  const query = '?velocity=abc&height=999&soot=-5&width=12.6&color1=zzzzzz&color2=%2300ff80&custom-color=maybe' +
                '&drop=off&fire-direction=400&alpha=1e400&bogus=1&preset=nonesuch&amplitude=';
  const { context, other } = await openedAt(base + query);
  try {
    const frames = await framesOf(other, N);
    const { command } = await other.evaluate(() => window.fyrelPage.commands());
    assert.equal(command, `fyrel render --frames ${N} --height 255 --soot 0 --width 13 --color2 00FF80 --drop off --fire-direction 40`);
    const status = await other.$eval('#status', (s) => s.textContent);
    for (const left of ['velocity=abc', 'color1=zzzzzz', 'custom-color=maybe', 'alpha=1e400', 'bogus=1', 'preset=nonesuch']) {
      assert.ok(status.includes(left), `${left} in "${status}"`);
    }
    const dir = fresh('garbage');
    runCommand(command, dir);
    assertSameFrames(frames, decode(path.join(dir, 'fyrel-out', 'frame_%04d.png')), command);
    // The address now holds what the page took.
    assert.equal(await other.evaluate(() => location.search),
                 '?height=255&soot=0&width=13&color2=00FF80&drop=off&fire-direction=40');
  } finally {
    await context.close();
  }
});

test('a picked image burns as the renderer burns it; a broken one is refused by name', async () => {
  await page.click('#defaults');
  const dir = fresh('picked');
  run(opt.fyrel, ['preview', '--frames', '12', '--size', '160x90', '--out', dir, '--quiet']);
  fs.renameSync(path.join(dir, 'frame_0012.png'), path.join(dir, "it's mine.png"));
  fs.writeFileSync(path.join(dir, 'broken.png'), fs.readFileSync(path.join(dir, 'frame_0011.png')).subarray(0, 60));
  const input = await page.$('#image-file');
  await input.uploadFile(path.join(dir, 'broken.png'));
  await page.waitForFunction(() => document.querySelector('#status.error')?.textContent.includes('broken.png'));
  await input.uploadFile(path.join(dir, "it's mine.png"));
  await page.waitForFunction(() => window.fyrelPage.frame().width === 160);
  await page.click('#step');
  const frames = await pageFrames(N);
  const { command } = await page.evaluate(() => window.fyrelPage.commands());
  assert.equal(command, `fyrel render --source 'it'\\''s mine.png' --frames ${N}`);
  runCommand(command, dir);
  assertSameFrames(frames, decode(path.join(dir, 'fyrel-out', 'frame_%04d.png')), 'the copied command');
  await page.click('#use-wordmark');
});

// A PNG's bytes with the header's size made `width` x `height` (its CRC made again).
function resizedPng(bytes, width, height) {
  const png = Buffer.from(bytes);
  png.writeUInt32BE(width, 16);
  png.writeUInt32BE(height, 20);
  let crc = ~0;
  for (const byte of png.subarray(12, 29)) {
    crc ^= byte;
    for (let k = 0; k < 8; k += 1) crc = (crc >>> 1) ^ (0xEDB88320 & -(crc & 1));
  }
  png.writeUInt32BE(~crc >>> 0, 29);
  return png;
}

test('a 4096x4096 picture: the first saved frame is the frame; a 16384x16384 one is refused from its header', async () => {
  const dir = fresh('large');
  ffmpeg(['-f', 'lavfi', '-i', 'testsrc2=size=4096x4096', '-frames:v', '1', '-pix_fmt', 'rgba', path.join(dir, 'large.png')]);
  const input = await page.$('#image-file');
  await input.uploadFile(path.join(dir, 'large.png'));
  await page.waitForFunction(() => window.fyrelPage.frame().width === 4096, { timeout: 120000 });
  await page.click('#step');
  const shown = await frame();
  fs.writeFileSync(path.join(dir, 'saved.png'), Buffer.from(await page.evaluate(() => window.fyrelPage.png()), 'base64'));
  assert.ok(decode(path.join(dir, 'saved.png')).equals(shown.pixels), 'the first saved frame is the frame shown');

  fs.writeFileSync(path.join(dir, 'huge.png'), resizedPng(fs.readFileSync(path.join(dir, 'saved.png')), 16384, 16384));
  await input.uploadFile(path.join(dir, 'huge.png'));
  await page.waitForFunction(() => document.querySelector('#status.error')?.textContent.includes('huge.png'));
  assert.match(await page.$eval('#status', (s) => s.textContent), /huge\.png is 16384x16384; the page takes images up to 4096 pixels on a side/);
  await page.click('#use-wordmark');
});

// The page keeps saved states of its run: a change while paused makes the frame on show again
// from the nearest one, not from frame 1. Timed from the input event to the frame drawn.
test('a change while paused at frame 300 of 1920x1080: shown within 150 ms, and the copied command\'s frame 300', async () => {
  const dir = fresh('paused');
  ffmpeg(['-f', 'lavfi', '-i', 'testsrc2=size=1920x1080', '-frames:v', '1', '-pix_fmt', 'rgba', path.join(dir, 'big.png')]);
  await page.click('#defaults');
  await (await page.$('#image-file')).uploadFile(path.join(dir, 'big.png'));
  await page.waitForFunction(() => document.querySelector('#source-name').textContent.includes('big.png'), { timeout: 120000 });
  await page.evaluate(() => window.fyrelPage.stepTo(300));
  const change = (name, value) => page.evaluate(async (name, value) => {
    const slider = document.querySelector(`[data-param="${name}"] input[type=range]`);
    const before = window.fyrelPage.shownAt();
    const start = performance.now();
    slider.value = value;
    slider.dispatchEvent(new Event('input', { bubbles: true }));
    while (window.fyrelPage.shownAt() <= before) await new Promise((r) => requestAnimationFrame(r));
    return window.fyrelPage.shownAt() - start;
  }, name, value);
  // Paused while playing, at whatever frame, a person's moment later.
  await page.click('#play');
  await page.waitForFunction(() => window.fyrelPage.shownAt() && document.querySelector('#frame-number').value >= 40);
  await page.click('#play');
  await new Promise((r) => setTimeout(r, 300));
  const afterPlay = await change('Amplitude', 20);
  // A new run stepped to frame 300, then three changes one after another.
  await page.click('#restart');
  await page.evaluate(() => window.fyrelPage.stepTo(300));
  await new Promise((r) => setTimeout(r, 300));
  const timings = [];
  for (const [name, value] of [['Height', 40], ['Soot', 30], ['Velocity', 80]]) timings.push(await change(name, value));
  console.log(`a change while paused, shown after: ${afterPlay.toFixed(1)} ms (paused from playing); at frame 300 of ` +
              `1920x1080: ${timings.map((t) => `${t.toFixed(1)} ms`).join(', ')}`);
  for (const t of [afterPlay, ...timings]) assert.ok(t < 150, `shown after ${t.toFixed(1)} ms`);
  const shown = await frame();
  assert.equal(shown.number, 300);
  const { command } = await page.evaluate(() => window.fyrelPage.commands());
  assert.match(command, /--frames 300 .*--height '1\|=13;300=40'.*--amplitude 20/);
  runCommand(command, dir);
  assert.ok(decode(path.join(dir, 'fyrel-out', 'frame_0300.png')).equals(shown.pixels), `frame 300 of ${command}`);
  await page.click('#use-wordmark');
});

test('the viewer preview equals fyrel preview, and its copied command gives it', async () => {
  await page.click('#defaults');
  await page.click('input[name=mode][value=preview]');
  await setControl('slider', 'Width', 30);
  await page.click('#step');
  const frames = await pageFrames(N);
  assert.deepEqual([frames[0].width, frames[0].height, frames[0].channels], [132, 123, 3]);
  const { command } = await page.evaluate(() => window.fyrelPage.commands());
  assert.equal(command, `fyrel preview --frames ${N} --width 30`);
  const dir = fresh('preview');
  runCommand(command, dir);
  assertSameFrames(frames, decode(path.join(dir, 'fyrel-preview', 'frame_%04d.png'), 'rgb24'), 'fyrel preview');
  await page.click('input[name=mode][value=fire]');
});

test('exports: the PNG is the frame; the WebM holds N VP9 frames whose alpha is the fire\'s', async () => {
  await page.click('#defaults');
  const frames = await pageFrames(N);
  const dir = fresh('exports');
  fs.writeFileSync(path.join(dir, 'frame.png'), Buffer.from(await page.evaluate(() => window.fyrelPage.png()), 'base64'));
  assertSameFrames(frames.slice(N - 1), decode(path.join(dir, 'frame.png')), 'the saved PNG');

  const count = 30;
  fs.writeFileSync(path.join(dir, 'fire.webm'), Buffer.from(await page.evaluate((n) => window.fyrelPage.webm(n), count), 'base64'));
  const probe = JSON.parse(run('ffprobe', ['-v', 'error', '-count_frames', '-show_streams', '-of', 'json', 'fire.webm'], dir));
  const stream = probe.streams[0];
  assert.deepEqual([stream.codec_name, stream.width, stream.height, Number(stream.nb_read_frames), stream.tags?.alpha_mode],
                   ['vp9', 320, 180, count, '1']);
  run(opt.fyrel, ['render', '--frames', String(count), '--out', dir, '--quiet']);
  const decoded = ffmpeg(['-c:v', 'libvpx-vp9', '-i', path.join(dir, 'fire.webm'), '-f', 'rawvideo', '-pix_fmt', 'rgba', '-']);
  const reference = decode(path.join(dir, 'frame_%04d.png'));
  assert.equal(decoded.length, reference.length);
  let error = 0;
  for (let i = 3; i < decoded.length; i += 4) error += Math.abs(decoded[i] - reference[i]);
  const meanAlphaError = error / (decoded.length / 4);
  assert.ok(meanAlphaError < 4, `alpha off by ${meanAlphaError.toFixed(2)} on average`);
});

test('the camera is a live source', async () => {
  await page.click('#use-camera');
  await page.waitForFunction(() => document.querySelector('#source-name').textContent.startsWith('the camera'));
  await page.click('#step');
  const first = await frame();
  await page.click('#step');
  assert.ok(first.width > 0 && first.height > 0);
  assert.equal((await frame()).number, first.number + 1);
  await page.click('#use-wordmark');
});

test('benchmark: frames rendered and drawn per second (reported, not asserted)', async () => {
  const results = await page.evaluate(() => window.fyrelPage.benchmark(3));
  for (const r of results) {
    console.log(`benchmark ${r.width}x${r.height}: ${r.fps.toFixed(1)} fps (render ${r.renderMs.toFixed(2)} ms, ` +
                `draw ${r.drawMs.toFixed(2)} ms, ${r.frames} frames)`);
    assert.ok(r.frames > 0);
  }
  fs.writeFileSync(path.join(work, 'benchmark.json'), JSON.stringify(results, null, 1));
});

test('the footer links the licence and the notices, served beside the page', async () => {
  const links = await page.$$eval('footer a', (as) => as.map((a) => a.href));
  for (const name of ['LICENSE.txt', 'NOTICES.txt']) {
    const href = links.find((link) => link.endsWith(`${SUB_PATH}${name}`));
    assert.ok(href, `no footer link to ${name}`);
    assert.equal(await page.evaluate(async (h) => (await fetch(h)).status, href), 200, href);
  }
});

test('no console error, failed request or uncaught exception on the page', () => {
  assert.deepEqual(errors, []);
});
