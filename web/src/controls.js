// The controls the windows are made of, placed at absolute pixels as on the desktop. Every
// text goes in through textContent or a value, never as markup: a file's text stays text.
'use strict';

// The pictures of assets/, at the density of the screen: the twin drawn at twice the size
// when a CSS pixel covers 1.5 device pixels or more.
const Pictures = {
  scale: 1,
  sources: {}, // name -> {1: url, 2: url}
  images: {},  // name -> decoded HTMLImageElement at `scale`

  url(name) {
    const pair = this.sources[name];
    return pair ? (pair[this.scale] || pair[1]) : '';
  },

  all: null, // resolves once every picture is decoded
  complete: false,

  // Resolves once the pictures named in `first` (those the start shows) are decoded; the others
  // go on in the background, for the dialogs.
  load(first) {
    this.scale = (window.devicePixelRatio || 1) >= 1.5 ? 2 : 1;
    const decoding = Object.keys(this.sources).map((name) => [name, (async () => {
      const image = new Image();
      image.src = this.url(name);
      try {
        await image.decode();
      } catch (e) {
        console.error('kw_switch: picture ' + name + ' could not be read');
      }
      this.images[name] = image;
    })()]);
    this.all = Promise.all(decoding.map(([, done]) => done)).then(() => this.complete = true);
    return Promise.all(decoding.filter(([name]) => first.includes(name)).map(([, done]) => done));
  },
};

// One element: `attributes` are set as attributes, except `text` (its textContent), `c` (its
// control name, the hook the tests use) and `style` (an object).
function el(tag, attributes = {}, children = []) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false)
      continue;
    if (name === 'text')
      node.textContent = value;
    else if (name === 'c')
      node.dataset.c = value;
    else if (name === 'style')
      Object.assign(node.style, value);
    else
      node.setAttribute(name, value === true ? '' : String(value));
  }
  for (const child of children)
    node.append(child);
  return node;
}

function place(node, x, y, w, h) {
  node.style.left = x + 'px';
  node.style.top = y + 'px';
  if (w !== undefined)
    node.style.width = w + 'px';
  if (h !== undefined)
    node.style.height = h + 'px';
  return node;
}

function setShown(node, shown) {
  node.hidden = !shown;
}

let uniqueId = 0;
function newId(prefix) {
  uniqueId += 1;
  return 'kw-' + prefix + '-' + uniqueId;
}

// A label sized to its text at (x, y); with `w` and `h` a label of fixed size.
function label(parent, x, y, text, options = {}) {
  const node = el('span', { class: 'kw-label' + (options.bold ? ' kw-bold' : ''), c: options.c, text });
  place(node, x, y, options.w, options.h);
  if (options.size)
    node.style.fontSize = options.size + 'px';
  parent.append(node);
  return node;
}

// A one-line read-only edit box (always disabled here, as on the desktop).
function edit(parent, x, y, w, h, options = {}) {
  const node = el('input', {
    type: 'text', class: 'kw-edit' + (options.bold ? ' kw-bold' : '') + (options.frame === false ? ' kw-noframe' : ''),
    c: options.c, readonly: true, disabled: true, 'aria-label': options.name, tabindex: '-1',
  });
  place(node, x, y, w, h);
  parent.append(node);
  return node;
}

// A push button, with the green tick glyph (greyed when disabled) when `tick`.
function button(parent, x, y, w, h, caption, options = {}) {
  const node = el('button', { type: 'button', class: 'kw-button', c: options.c,
    'aria-description': options.description });
  if (options.tick) {
    node.append(el('img', { class: 'kw-glyph kw-glyph-on', src: Pictures.url('tick'), alt: '', draggable: 'false' }));
    node.append(el('img', { class: 'kw-glyph kw-glyph-off', src: Pictures.url('tick_disabled'), alt: '', draggable: 'false' }));
  }
  node.append(el('span', { text: caption }));
  if (options.isDefault)
    node.classList.add('kw-default');
  place(node, x, y, w, h);
  parent.append(node);
  return node;
}

// A check box or a radio button with its caption; `input` is the control itself.
function choice(parent, type, x, y, w, h, caption, options = {}) {
  const input = el('input', { type, name: options.group, 'aria-label': options.name,
    'aria-description': options.description });
  const node = el('label', { class: 'kw-choice', c: options.c }, [input]);
  if (caption)
    node.append(el('span', { text: caption }));
  place(node, x, y, w, h);
  parent.append(node);
  node.input = input;
  return node;
}

// A panel: a plain area, or with a raised or etched bevel.
function panel(parent, x, y, w, h, options = {}) {
  const node = el('div', { class: 'kw-panel' + (options.bevel ? ' kw-' + options.bevel : ''), c: options.c,
    title: options.hint });
  place(node, x, y, w, h);
  parent.append(node);
  return node;
}

function groupBox(parent, x, y, w, h, title, options = {}) {
  const node = el('div', { class: 'kw-group', c: options.c, role: 'group' });
  const titleNode = el('span', { class: 'kw-group-title', text: title, id: newId('group') });
  node.setAttribute('aria-labelledby', titleNode.id);
  node.append(el('div', { class: 'kw-group-frame' }), titleNode);
  place(node, x, y, w, h);
  parent.append(node);
  return node;
}

// A picture of assets/ shown at its size, cut at the right and bottom by its place.
function picture(parent, x, y, w, h, name, options = {}) {
  const image = Pictures.images[name];
  const node = el('div', { class: 'kw-picture', c: options.c, role: 'img', 'aria-label': options.name,
    title: options.hint });
  const img = el('img', { src: Pictures.url(name), alt: '', draggable: 'false' });
  if (image && image.naturalWidth) {
    img.style.width = (options.fit ? w : image.naturalWidth / Pictures.scale) + 'px';
    img.style.height = (options.fit ? h : image.naturalHeight / Pictures.scale) + 'px';
  }
  if (options.fit)
    img.classList.add('kw-smooth');
  node.append(img);
  place(node, x, y, w, h);
  parent.append(node);
  return node;
}

// A string grid: cells of the given widths and `rowHeight`, each with its grid line after it;
// `fixedRows` heading rows and `fixedColumns` heading columns that cannot be selected; the
// selection is a whole row, a cell, or nothing.
class Grid {
  constructor(parent, x, y, w, h, options) {
    this.widths = options.widths;
    this.rows = options.rows;
    this.fixedRows = options.fixedRows || 0;
    this.fixedColumns = options.fixedColumns || 0;
    this.select = options.select || 'none';
    this.focusable = Boolean(options.focusable);
    this.node = el('div', { class: 'kw-grid', c: options.c, role: 'grid', tabindex: options.focusable ? '0' : '-1',
      'aria-label': options.name, 'aria-description': options.description, 'aria-readonly': 'true',
      title: options.hint });
    place(this.node, x, y, w, h);
    this.cells = [];
    const template = this.widths.map((width) => (width + 1) + 'px').join(' ');
    for (let row = 0; row < this.rows; ++row) {
      const rowNode = el('div', { class: 'kw-row', role: 'row', 'data-row': row });
      rowNode.style.gridTemplateColumns = template;
      rowNode.style.height = (options.rowHeight + 1) + 'px';
      const cells = [];
      this.widths.forEach((width, column) => {
        const fixed = row < this.fixedRows || column < this.fixedColumns;
        const cell = el('div', {
          class: 'kw-cell' + (fixed ? ' kw-fixed' : ''), id: newId('cell'),
          role: row < this.fixedRows ? 'columnheader' : column < this.fixedColumns ? 'rowheader' : 'gridcell',
          'data-row': row, 'data-col': column,
        }, [el('span')]);
        cells.push(cell);
        rowNode.append(cell);
      });
      this.cells.push(cells);
      this.node.append(rowNode);
    }
    parent.append(this.node);
    this.current = null; // [column, row] of the keyboard's cell
  }

  setCell(column, row, text) {
    const span = this.cells[row][column].firstChild;
    if (span.textContent !== text)
      span.textContent = text;
  }

  text(column, row) {
    return this.cells[row][column].firstChild.textContent;
  }

  // Shows the selection: a row (select 'row') or a cell (select 'cell'); -1 for none.
  setSelection(column, row) {
    this.cells.forEach((cells, r) => cells.forEach((cell, c) => {
      const selected = (this.select === 'row' && r === row && c >= this.fixedColumns) ||
        (this.select === 'cell' && r === row && c === column);
      cell.classList.toggle('kw-selected', selected);
      if (r >= this.fixedRows && c >= this.fixedColumns)
        cell.setAttribute('aria-selected', selected ? 'true' : 'false');
    }));
    this.setCurrent(column, row);
  }

  setCurrent(column, row) {
    this.current = [column, row];
    const cell = this.cells[row] && this.cells[row][column];
    if (cell)
      this.node.setAttribute('aria-activedescendant', cell.id);
    this.cells.forEach((cells) => cells.forEach((c) => c.classList.toggle('kw-current', c === cell)));
  }

  setEnabled(enabled) {
    this.node.classList.toggle('kw-disabled', !enabled);
    this.node.setAttribute('aria-disabled', enabled ? 'false' : 'true');
    this.node.tabIndex = enabled && this.focusable ? 0 : -1;
  }

  // The cell under a mouse event: [column, row], or null.
  cellAt(event) {
    const cell = event.target.closest && event.target.closest('.kw-cell');
    if (!cell || !this.node.contains(cell))
      return null;
    return [Number(cell.dataset.col), Number(cell.dataset.row)];
  }
}

// A picture that keeps what is drawn on it, on a canvas at the screen's density, where a
// picture pixel is a scale x scale block, so that lines and squares drawn at run time land
// exactly on the twin picture's features.
class Canvas {
  constructor(parent, x, y, w, h, name, options = {}) {
    const image = Pictures.images[name];
    this.width = options.pictureWidth || w;
    this.height = options.pictureHeight || h;
    this.node = el('div', { class: 'kw-canvas', c: options.c });
    place(this.node, x, y, w, h);
    this.canvas = el('canvas', { width: this.width * Pictures.scale, height: this.height * Pictures.scale });
    this.canvas.style.width = this.width + 'px';
    this.canvas.style.height = this.height + 'px';
    this.context = this.canvas.getContext('2d');
    this.context.imageSmoothingEnabled = false;
    this.context.fillStyle = 'rgb(204,204,204)';
    this.context.fillRect(0, 0, this.canvas.width, this.canvas.height);
    if (image && image.naturalWidth)
      this.context.drawImage(image, 0, 0, this.canvas.width, this.canvas.height);
    this.node.append(this.canvas);
    parent.append(this.node);
  }

  colour(rgb) {
    return 'rgb(' + rgb[0] + ',' + rgb[1] + ',' + rgb[2] + ')';
  }

  // The pixels given as [x0, y0, x1, y1, ...].
  drawPixels(pixels, rgb) {
    const s = Pictures.scale;
    this.context.fillStyle = this.colour(rgb);
    for (let i = 0; i + 1 < pixels.length; i += 2)
      if (pixels[i] >= 0 && pixels[i] < this.width && pixels[i + 1] >= 0 && pixels[i + 1] < this.height)
        this.context.fillRect(pixels[i] * s, pixels[i + 1] * s, s, s);
  }

  fillRect(left, top, w, h, rgb) {
    const s = Pictures.scale;
    this.context.fillStyle = this.colour(rgb);
    this.context.fillRect(left * s, top * s, w * s, h * s);
  }

  // Picture pixel under a mouse event.
  pointOf(event) {
    const box = this.canvas.getBoundingClientRect();
    return [Math.floor((event.clientX - box.left) * this.width / box.width),
      Math.floor((event.clientY - box.top) * this.height / box.height)];
  }
}

// How the keyboard and a screen reader reach the things of a picture that a click reaches:
// the arrow keys move a focus mark from element to element (Left and Right in reading order, Up
// and Down to the nearest element of the row above or below), Home and End go to the first and
// last; Space (and Enter when `enterActs`) acts on the marked element as a click in its middle.
// The first key only shows the mark; a mouse click hides it again.
class PictureKeys {
  constructor(host, options) {
    this.host = host; // the focusable element, over the picture
    this.elements = options.elements; // [{rect: [x, y, w, h], name, description, c}]
    this.order = options.order;
    this.margin = options.margin;
    this.enterActs = options.enterActs;
    this.onActivate = options.onActivate;
    this.bounds = options.bounds; // [w, h] of the widget
    this.marked = this.order[0];
    this.keyboardInUse = false;
    host.tabIndex = 0;
    host.setAttribute('role', 'application');
    host.setAttribute('aria-label', options.name);
    if (options.description)
      host.setAttribute('aria-description', options.description);
    this.nodes = this.elements.map((element, i) => {
      const node = el('div', {
        class: 'kw-element', id: newId('element'), role: options.role || 'button', c: element.c,
        'aria-label': element.name, 'aria-description': element.description, 'data-index': i,
      });
      place(node, ...element.rect);
      host.append(node);
      return node;
    });
    this.mark = el('div', { class: 'kw-mark', 'aria-hidden': 'true' }, [el('div')]);
    this.mark.hidden = true;
    host.append(this.mark);
    host.addEventListener('keydown', (event) => this.key(event));
    host.addEventListener('focus', () => {
      // Reached with Tab: the keyboard is in use, and the mark shows at once.
      if (PictureKeys.tabbing)
        this.keyboardInUse = true;
      this.update();
    });
    host.addEventListener('blur', () => this.update());
    host.addEventListener('pointerdown', () => {
      this.keyboardInUse = false;
      this.update();
    });
  }

  // Set while Tab moves the focus (desktop.js).
  static tabbing = false;

  shown() {
    return this.keyboardInUse && document.activeElement === this.host;
  }

  update() {
    const shown = this.shown();
    this.mark.hidden = !shown;
    if (shown) {
      const [x, y, w, h] = this.elements[this.marked].rect;
      const m = this.margin;
      const left = Math.max(1, x - m);
      const top = Math.max(1, y - m);
      const right = Math.min(this.bounds[0] - 1, x + w + m);
      const bottom = Math.min(this.bounds[1] - 1, y + h + m);
      place(this.mark, left, top, right - left, bottom - top);
      this.host.setAttribute('aria-activedescendant', this.nodes[this.marked].id);
    } else {
      this.host.removeAttribute('aria-activedescendant');
    }
  }

  moveTo(element) {
    this.marked = element;
    this.update();
  }

  centre(element) {
    const [x, y, w, h] = this.elements[element].rect;
    return [x + Math.floor((w - 1) / 2), y + Math.floor((h - 1) / 2)];
  }

  neighbour(key) {
    const at = this.order.indexOf(this.marked);
    if (key === 'ArrowLeft')
      return at > 0 ? this.order[at - 1] : this.marked;
    if (key === 'ArrowRight')
      return at + 1 < this.order.length ? this.order[at + 1] : this.marked;
    const middle = (e) => {
      const [x, y, w, h] = this.elements[e].rect;
      return [x + (w - 1) / 2, y + (h - 1) / 2];
    };
    const from = middle(this.marked);
    const sign = key === 'ArrowUp' ? -1 : 1;
    let rowDistance = -1;
    for (const e of this.order) {
      const dy = sign * (middle(e)[1] - from[1]);
      if (dy > 0 && (rowDistance < 0 || dy < rowDistance))
        rowDistance = dy;
    }
    if (rowDistance < 0)
      return this.marked;
    // Elements of one row may stand a few pixels higher or lower than their neighbours.
    const tolerance = 8;
    let best = this.marked;
    let bestDx = -1;
    for (const e of this.order) {
      const c = middle(e);
      const dy = sign * (c[1] - from[1]);
      if (dy <= 0 || dy > rowDistance + tolerance)
        continue;
      const dx = Math.abs(c[0] - from[0]);
      if (bestDx < 0 || dx < bestDx) {
        best = e;
        bestDx = dx;
      }
    }
    return best;
  }

  key(event) {
    const key = event.key;
    const enter = key === 'Enter';
    const handled = !event.altKey && !event.ctrlKey && !event.metaKey && !event.shiftKey &&
      ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Home', 'End', ' '].includes(key) ||
      (enter && this.enterActs && !event.altKey && !event.ctrlKey && !event.metaKey && !event.shiftKey);
    if (!handled)
      return;
    event.preventDefault();
    event.stopPropagation();
    const wasShown = this.shown();
    this.keyboardInUse = true;
    if (key === 'Home')
      return this.moveTo(this.order[0]);
    if (key === 'End')
      return this.moveTo(this.order[this.order.length - 1]);
    if (!wasShown)
      return this.moveTo(this.marked);
    if (key === ' ' || enter) {
      // One act per press, as one per click: a held key does not repeat it.
      if (!event.repeat)
        this.onActivate(this.marked, ...this.centre(this.marked));
      return;
    }
    const next = this.neighbour(key);
    if (next !== this.marked)
      this.moveTo(next);
  }
}
