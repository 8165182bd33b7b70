// SPDX-License-Identifier: GPL-2.0-or-later
// The page's settings in its address: every value that is not its default, by the renderer's
// flag name and as the renderer's flag writes it (?velocity=60&color1=E0F0FF&custom-color=on),
// and back. An address is anyone's text: a value that is not one is dropped, one out of range
// is brought to its nearest end, and a name the page does not know is dropped.

const FIXED_ONE = 65536;
const HEX = /^#?[0-9a-fA-F]{6}$/;

const keyOf = (param) => param.flag.replace(/^--/, '');
const clamp = (value, low, high) => Math.min(high, Math.max(low, value));
const sameValue = (a, b) => (Array.isArray(a) ? a.every((c, i) => c === b[i]) : a === b);

function textOf(param, value) {
  switch (param.type) {
    case 'color': return value.map((c) => c.toString(16).padStart(2, '0')).join('').toUpperCase();
    case 'checkbox': return value ? 'on' : 'off';
    case 'angle':
    case 'fixed': return String(value / FIXED_ONE);
    default: return String(value);
  }
}

// The value `text` gives `param`, as the page's controls hold it, or undefined.
function valueOf(param, text) {
  if (param.type === 'color') {
    if (!HEX.test(text)) return undefined;
    const digits = text.replace('#', '');
    return [0, 2, 4].map((i) => parseInt(digits.slice(i, i + 2), 16));
  }
  if (param.type === 'checkbox') {
    const word = text.toLowerCase();
    if (['on', '1', 'true'].includes(word)) return 1;
    if (['off', '0', 'false'].includes(word)) return 0;
    return undefined;
  }
  if (!/^[-+]?(\d+\.?\d*|\.\d+)$/.test(text.trim())) return undefined;
  const number = Number(text);
  if (!Number.isFinite(number)) return undefined;
  // The dial holds whole degrees, 0 to 359.
  if (param.type === 'angle') return ((Math.round(number) % 360) + 360) % 360 * FIXED_ONE;
  if (param.type === 'fixed') return clamp(Math.round(number * FIXED_ONE), param.min, param.max);
  return clamp(Math.round(number), param.min, param.max);
}

// The query for `values` (by name): the values that differ from their defaults.
export function addressQuery(params, values) {
  const query = new URLSearchParams();
  for (const param of params) {
    const value = values.get(param.name);
    if (value !== undefined && !sameValue(value, param.default)) query.set(keyOf(param), textOf(param, value));
  }
  const text = query.toString();
  return text ? `?${text}` : '';
}

// The values an address's query gives, by name, each read as above; with `preset=NAME`, that
// preset's values first (the address's own values change them). `ignored` lists what was
// dropped, as the address wrote it.
export function readAddress(params, presets, search) {
  const values = new Map();
  const ignored = [];
  const query = new URLSearchParams(search);
  const presetName = query.get('preset');
  if (presetName !== null) {
    const preset = presets.find((p) => p.name === presetName);
    if (preset) for (const param of params) values.set(param.name, preset.values[param.name]);
    else ignored.push(`preset=${presetName}`);
  }
  for (const [key, text] of query) {
    if (key === 'preset') continue;
    const param = params.find((p) => keyOf(p) === key);
    const value = param && valueOf(param, text);
    if (value === undefined) ignored.push(`${key}=${text}`);
    else values.set(param.name, value);
  }
  return { values, ignored };
}
