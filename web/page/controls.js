// SPDX-License-Identifier: GPL-2.0-or-later
// The effect's parameters as controls, built from the list the module gives: each as the effect
// declares it (name, type, range, default) with its group, help and flag from the effect's
// parameter table, in the table's order by group.

const FIXED_ONE = 65536;

const hex = (rgb) => '#' + rgb.map((c) => c.toString(16).padStart(2, '0')).join('');
const rgbOf = (text) => [1, 3, 5].map((i) => parseInt(text.slice(i, i + 2), 16));
const wrapDegrees = (d) => ((Math.round(d) % 360) + 360) % 360;

function element(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key === 'class') node.className = value;
    else node.setAttribute(key, value);
  }
  node.append(...children);
  return node;
}

// A slider with a number box beside it, both on the effect's integer range.
function sliderControl(param, set) {
  const range = element('input', { type: 'range', min: param.sliderMin, max: param.sliderMax,
                                   step: 1, 'aria-label': param.name });
  const number = element('input', { type: 'number', min: param.min, max: param.max, step: 1,
                                    'aria-label': param.name + ' value' });
  range.addEventListener('input', () => set(Number(range.value)));
  number.addEventListener('change', () => {
    const value = Math.round(Number(number.value));
    set(Number.isFinite(value) ? Math.min(param.max, Math.max(param.min, value)) : param.default);
  });
  return { nodes: [range, number], show(value) { range.value = value; number.value = value; } };
}

// A 16.16 fixed-point slider shown with the effect's number of decimals.
function fixedControl(param, set) {
  const step = 1 / 10 ** param.precision;
  const range = element('input', { type: 'range', min: param.sliderMin / FIXED_ONE,
                                   max: param.sliderMax / FIXED_ONE, step, 'aria-label': param.name });
  const number = element('input', { type: 'number', min: param.min / FIXED_ONE,
                                    max: param.max / FIXED_ONE, step, 'aria-label': param.name + ' value' });
  const fixed = (v) => Math.min(param.max, Math.max(param.min, Math.round(Number(v) * FIXED_ONE)));
  range.addEventListener('input', () => set(fixed(range.value)));
  number.addEventListener('change', () => set(Number.isFinite(Number(number.value)) ? fixed(number.value) : param.default));
  return { nodes: [range, number], show(value) {
    const text = (value / FIXED_ONE).toFixed(param.precision);
    range.value = text;
    number.value = text;
  } };
}

// The direction dial: drag the needle (0 degrees up, clockwise), or type whole degrees.
function angleControl(param, set) {
  const svgNs = 'http://www.w3.org/2000/svg';
  const dial = document.createElementNS(svgNs, 'svg');
  dial.setAttribute('viewBox', '-30 -30 60 60');
  dial.setAttribute('class', 'dial');
  dial.setAttribute('role', 'slider');
  dial.setAttribute('aria-label', param.name + ' dial');
  const circle = document.createElementNS(svgNs, 'circle');
  circle.setAttribute('r', 27);
  const needle = document.createElementNS(svgNs, 'line');
  needle.setAttribute('x1', 0);
  needle.setAttribute('y1', 0);
  dial.append(circle, needle);
  const number = element('input', { type: 'number', min: -1, max: 360, step: 1,
                                    'aria-label': param.name + ' degrees' });
  const setDegrees = (d) => set(wrapDegrees(d) * FIXED_ONE);
  const fromPointer = (event) => {
    const box = dial.getBoundingClientRect();
    const x = event.clientX - (box.left + box.width / 2), y = event.clientY - (box.top + box.height / 2);
    setDegrees(Math.atan2(x, -y) * 180 / Math.PI);
  };
  dial.addEventListener('pointerdown', (event) => { dial.setPointerCapture(event.pointerId); fromPointer(event); });
  dial.addEventListener('pointermove', (event) => { if (dial.hasPointerCapture(event.pointerId)) fromPointer(event); });
  number.addEventListener('change', () => setDegrees(Number(number.value) || 0));
  return { nodes: [dial, number], show(value) {
    const degrees = value / FIXED_ONE;
    const radians = degrees * Math.PI / 180;
    needle.setAttribute('x2', (22 * Math.sin(radians)).toFixed(2));
    needle.setAttribute('y2', (-22 * Math.cos(radians)).toFixed(2));
    dial.setAttribute('aria-valuenow', degrees);
    number.value = degrees;
  } };
}

// The box's label is the parameter's name, beside it (see buildControls).
function checkboxControl(param, set) {
  const box = element('input', { type: 'checkbox', id: `box-${param.flag.slice(2)}` });
  box.addEventListener('change', () => set(box.checked ? 1 : 0));
  return { nodes: [box, element('span')], labels: box.id, show(value) { box.checked = value !== 0; } };
}

function colorControl(param, set) {
  const picker = element('input', { type: 'color', 'aria-label': param.name });
  const text = element('span', { class: 'label' });
  picker.addEventListener('input', () => set(rgbOf(picker.value)));
  return { nodes: [picker, text], show(value) { picker.value = hex(value); text.textContent = hex(value).toUpperCase(); } };
}

const KINDS = { slider: sliderControl, fixed: fixedControl, angle: angleControl,
                checkbox: checkboxControl, color: colorControl };

// Builds the controls into `container`. `onChange(param, value)` hears every change; the
// returned object holds the values by name and sets them.
export function buildControls(container, params, onChange) {
  const values = new Map();
  const shows = new Map();
  const byName = new Map(params.map((p) => [p.name, p]));
  const set = (param, value) => {
    values.set(param.name, value);
    shows.get(param.name)(value);
    onChange(param, value);
  };
  const groups = [];
  for (const param of params) {
    let group = groups.find((g) => g.title === param.group);
    if (!group) {
      group = { title: param.group, note: param.groupNote, renderOnly: param.renderOnly, members: [] };
      groups.push(group);
    }
    group.members.push(param);
  }
  const fieldsets = [];
  for (const group of groups) {
    const fieldset = element('fieldset', {}, element('legend', {}, group.title));
    if (group.note) fieldset.append(element('p', { class: 'note' }, group.note));
    for (const param of group.members) {
      const name = param.name;
      const make = KINDS[param.type];
      if (!make) continue;
      const control = make(param, (value) => set(param, value));
      const title = control.labels ? element('label', { class: 'name', for: control.labels }, name)
                                   : element('span', { class: 'name' }, name);
      if (param.flag) title.title = `${param.help} (${param.flag})`;
      title.addEventListener('dblclick', () => set(param, param.default));
      fieldset.append(element('div', { class: 'param', 'data-param': name }, title, ...control.nodes));
      shows.set(name, control.show);
      values.set(name, param.value);
      control.show(param.value);
    }
    fieldsets.push({ fieldset, renderOnly: !!group.renderOnly });
    container.append(fieldset);
  }
  return {
    values,
    set(name, value) { set(byName.get(name), value); },
    // Every value of `values` (by name), each as if the user had set it.
    setAll(values) { for (const [name, value] of values) if (shows.has(name)) set(byName.get(name), value); },
    resetAll() { for (const param of params) if (shows.has(param.name)) set(param, param.default); },
    // In the viewer's preview the render-only values change nothing; they are shown as idle.
    markPreview(previewing) {
      for (const { fieldset, renderOnly } of fieldsets) fieldset.classList.toggle('idle', previewing && renderOnly);
    },
  };
}

// Sets every value of `values` on a fire.
export function applyValues(fire, values) {
  for (const [name, value] of values) {
    if (Array.isArray(value)) fire.setColor(name, ...value);
    else fire.setValue(name, value);
  }
}
