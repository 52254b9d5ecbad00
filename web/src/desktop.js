// The windows inside the page: frames with their captions, moved by their title bars, stacked
// as on the desktop (the reference windows above the others, message boxes above everything),
// minimised into a task bar, and the keyboard as the desktop's.
'use strict';

// The frames the windows were laid out with: a sizeable border with a caption, or a fixed
// one; the main menu takes its line from the client area.
const Frames = { sizeable: { border: 4, caption: 19 }, fixed: { border: 3, caption: 19 } };
const MenuHeight = 19;
const TaskbarHeight = 28;
const Layers = { normal: 100, top: 100000, box: 200000 };

class KwWindow {
  constructor(index, layout) {
    this.index = index;
    this.name = WindowNames[index];
    this.layout = layout;
    const frame = Frames[layout.frame];
    const menu = layout.menu ? MenuHeight : 0;
    this.clientSize = layout.outer
      ? [layout.outer[0] - 2 * frame.border, layout.outer[1] - 2 * frame.border - frame.caption - menu]
      : layout.client;
    this.outer = [this.clientSize[0] + 2 * frame.border,
      this.clientSize[1] + 2 * frame.border + frame.caption + menu];
    this.el = el('div', { class: 'kw-window kw-' + layout.frame, id: 'kw-' + this.name, 'data-w': this.name,
      role: 'dialog', 'aria-label': layout.caption, 'aria-description': layout.description, tabindex: '-1' });
    this.el.hidden = true;
    this.el.style.width = this.outer[0] + 'px';
    this.el.style.height = this.outer[1] + 'px';
    this.el.style.padding = frame.border + 'px';

    this.title = el('div', { class: 'kw-title', c: 'caption' }, [el('span', { class: 'kw-caption', text: layout.caption })]);
    this.title.style.height = frame.caption + 'px';
    const buttons = el('span', { class: 'kw-title-buttons' });
    if (layout.minimise) {
      this.minimiseButton = el('button', { type: 'button', class: 'kw-title-button kw-min', c: 'minimise',
        tabindex: '-1', 'aria-label': 'Réduire', title: 'Réduire' });
      buttons.append(this.minimiseButton);
    }
    this.closeButton = el('button', { type: 'button', class: 'kw-title-button kw-close', c: 'close',
      tabindex: '-1', 'aria-label': 'Fermer', title: 'Fermer' });
    buttons.append(this.closeButton);
    this.title.append(buttons);
    this.el.append(this.title);
    if (layout.menu) {
      this.menu = el('div', { class: 'kw-menubar', role: 'menubar', 'aria-label': 'Menu' });
      this.menu.style.height = MenuHeight + 'px';
      this.el.append(this.menu);
    }
    this.client = el('div', { class: 'kw-client' });
    this.client.style.width = this.clientSize[0] + 'px';
    this.client.style.height = this.clientSize[1] + 'px';
    this.el.append(this.client);

    this.left = 0;
    this.top = 0;
    this.shown = false;
    this.minimised = false;
    this.modal = false;
    this.dragging = null;
    this.title.addEventListener('pointerdown', (event) => this.startDrag(event));
    this.title.addEventListener('pointermove', (event) => this.drag(event));
    this.title.addEventListener('pointerup', (event) => this.endDrag(event));
    this.title.addEventListener('pointercancel', (event) => this.endDrag(event));
  }

  moveTo(x, y) {
    this.left = Math.round(x);
    this.top = Math.round(y);
    place(this.el, this.left, this.top);
  }

  startDrag(event) {
    if (event.button !== 0 || event.target.closest('button'))
      return;
    event.preventDefault();
    this.dragging = { x: event.clientX - this.left, y: event.clientY - this.top };
    this.title.setPointerCapture(event.pointerId);
  }

  drag(event) {
    if (!this.dragging)
      return;
    // The title bar stays within reach.
    const x = Math.min(Math.max(event.clientX - this.dragging.x, 40 - this.outer[0]), Desk.area()[0] - 40);
    const y = Math.min(Math.max(event.clientY - this.dragging.y, 0), Desk.area()[1] - 20);
    this.moveTo(x, y);
  }

  endDrag(event) {
    if (!this.dragging)
      return;
    this.dragging = null;
    if (this.title.hasPointerCapture(event.pointerId))
      this.title.releasePointerCapture(event.pointerId);
  }

  // What the keyboard can reach in the window, in Tab order; of a group of radio buttons,
  // only the checked one (or the first).
  focusables() {
    const nodes = [...this.client.querySelectorAll('button, input, [tabindex="0"]')].filter((node) =>
      !node.disabled && node.tabIndex >= 0 && !node.closest('[hidden]') && !node.closest('.kw-off') &&
      !(node.type === 'text'));
    const groups = new Map();
    return nodes.filter((node) => {
      if (node.type !== 'radio')
        return true;
      const members = nodes.filter((n) => n.type === 'radio' && n.name === node.name);
      if (!groups.has(node.name))
        groups.set(node.name, members.find((n) => n.checked) || members[0]);
      return groups.get(node.name) === node;
    });
  }
}

const Desk = {
  screen: null,
  taskbar: null,
  windows: [],
  dialogs: [], // the controls of each window (dialogs.js)
  active: -1,
  z: 0,
  history: [], // the windows in the order they were last active, the latest last

  area() {
    return [document.documentElement.clientWidth, document.documentElement.clientHeight];
  },

  // Where a window centred on the screen, or on the desktop (the screen less the task bar),
  // stands.
  centred(win, desktop, area = this.area()) {
    const [w, h] = area;
    const height = desktop ? h - TaskbarHeight : h;
    return [Math.max(0, Math.floor((w - win.outer[0]) / 2)), Math.max(0, Math.floor((height - win.outer[1]) / 2))];
  },

  build(host, view, geometry) {
    this.screen = el('div', { class: 'kw-screen', id: 'kw-screen' });
    this.taskbar = el('div', { class: 'kw-taskbar', role: 'toolbar', 'aria-label': 'Fenêtres', id: 'kw-taskbar' });
    host.append(this.screen, this.taskbar);
    this.windows = WindowLayouts.map((layout, index) => new KwWindow(index, layout));
    this.active = -1;
    this.history = [];
    this.z = 0;
    // Measured once: the windows come hidden and change nothing of it, and each measure after a
    // change would lay the page out again.
    const area = this.area();
    for (const win of this.windows) {
      this.screen.append(win.el);
      const layout = win.layout;
      const [x, y] = layout.at || this.centred(win, layout.place === 'desktop', area);
      win.moveTo(x, y);
      win.el.addEventListener('pointerdown', () => this.activate(win, true), true);
      win.el.addEventListener('focusin', () => this.activate(win, true));
      win.el.addEventListener('keydown', (event) => Keys.windowKey(win, event));
      win.closeButton.addEventListener('click', () => App.act(Act.CloseWindow, win.index));
      if (win.minimiseButton)
        win.minimiseButton.addEventListener('click', () => this.minimise(win));
      const task = el('button', { type: 'button', class: 'kw-task', 'data-task': win.name, tabindex: '-1',
        text: layout.task || layout.caption });
      task.hidden = true;
      task.addEventListener('click', () => this.restore(win));
      win.task = task;
      this.taskbar.append(task);
    }
    this.dialogs = Dialogs.build(this.windows, view, geometry);
  },

  destroy() {
    if (this.screen)
      this.screen.remove();
    if (this.taskbar)
      this.taskbar.remove();
    this.screen = null;
    this.taskbar = null;
    this.windows = [];
    this.dialogs = [];
    this.active = -1;
    this.history = [];
  },

  layer(win) {
    return win.layout.layer === 'top' ? Layers.top : Layers.normal;
  },

  raise(win) {
    this.z += 1;
    win.el.style.zIndex = String(this.layer(win) + this.z);
  },

  remember(win) {
    this.history = this.history.filter((i) => i !== win.index);
    this.history.push(win.index);
  },

  // The window comes to the front and becomes the active one; `notify` tells the game that the
  // student switched to it from another window (a window the game opens has run its activation).
  activate(win, notify) {
    if (!win.shown || win.minimised || this.active === win.index && !notify)
      return;
    if (win.el.inert)
      return;
    const changed = this.active !== win.index;
    this.active = win.index;
    this.remember(win);
    this.raise(win);
    for (const w of this.windows)
      w.el.classList.toggle('kw-active', w === win);
    this.updateTasks();
    // A window clicked takes the keyboard too, at its first control unless the click gives
    // it to another.
    if (changed && !win.el.contains(document.activeElement))
      this.focusFirst(win);
    if (changed && notify && !App.busy)
      App.act(Act.Activate, win.index);
  },

  // The window shown by the game, in front, its first control focused.
  open(win, modal) {
    win.shown = true;
    win.modal = modal;
    win.minimised = false;
    win.el.hidden = false;
    win.el.dataset.shown = modal ? 'modal' : 'modeless';
    win.el.setAttribute('aria-modal', modal ? 'true' : 'false');
    this.active = win.index;
    this.remember(win);
    this.raise(win);
    for (const w of this.windows)
      w.el.classList.toggle('kw-active', w === win);
    this.updateTasks();
    // A window opened afresh starts at its top, whatever had the focus when it last closed.
    this.focusFirst(win);
  },

  close(win) {
    if (!win.shown)
      return;
    win.shown = false;
    win.modal = false;
    win.minimised = false;
    win.el.hidden = true;
    win.el.dataset.shown = 'hidden';
    win.el.removeAttribute('aria-modal');
    if (this.active === win.index) {
      this.active = -1;
      const next = this.topmost();
      if (next)
        this.activateQuietly(next);
    }
    this.updateTasks();
  },

  // Shown at the start, maybe minimised: no activation of the game's runs.
  showQuietly(win, minimised) {
    win.shown = true;
    win.minimised = minimised;
    win.el.hidden = minimised;
    win.el.dataset.shown = 'modeless';
    win.el.dataset.minimised = minimised ? 'true' : 'false';
    this.raise(win);
    this.updateTasks();
  },

  activateQuietly(win) {
    this.active = win.index;
    this.remember(win);
    this.raise(win);
    for (const w of this.windows)
      w.el.classList.toggle('kw-active', w === win);
    if (!win.el.contains(document.activeElement))
      this.focusFirst(win);
    this.updateTasks();
  },

  // The window active last among those that can be: where the focus goes back when the
  // active one closes, as it goes back to a dialog's parent on the desktop.
  topmost() {
    for (let i = this.history.length - 1; i >= 0; --i) {
      const win = this.windows[this.history[i]];
      if (win && win.shown && !win.minimised && !win.el.inert)
        return win;
    }
    return null;
  },

  minimise(win) {
    if (!win.shown || win.minimised)
      return;
    win.minimised = true;
    win.el.hidden = true;
    win.el.dataset.minimised = 'true';
    if (this.active === win.index) {
      this.active = -1;
      const next = this.topmost();
      if (next)
        this.activate(next, true);
    }
    this.updateTasks();
  },

  // Restored from the task bar, in front and active.
  restore(win) {
    if (!win.shown || win.el.inert && !win.minimised)
      return;
    if (win.minimised) {
      win.minimised = false;
      win.el.hidden = false;
      win.el.dataset.minimised = 'false';
    }
    this.activate(win, true);
    if (!win.el.contains(document.activeElement))
      this.focusFirst(win);
  },

  // What the game's "bring to front" does: restored, in front, active, its first control
  // focused.
  bringToFront(win) {
    if (!win.shown)
      return;
    win.minimised = false;
    win.el.hidden = false;
    win.el.dataset.minimised = 'false';
    this.activate(win, true);
    this.focusFirst(win);
  },

  focusFirst(win) {
    const dialog = this.dialogs[win.index];
    const first = (dialog && dialog.firstFocus && dialog.firstFocus()) || win.focusables()[0];
    (first || win.el).focus({ preventScroll: true });
  },

  updateTasks() {
    for (const win of this.windows) {
      win.task.hidden = !(win.shown && win.layout.minimise);
      win.task.classList.toggle('kw-pressed', win.shown && !win.minimised && this.active === win.index);
      win.task.setAttribute('aria-pressed', win.shown && !win.minimised ? 'true' : 'false');
    }
  },

  // While the game works in a modal window, or a box is up, the other windows take nothing.
  updateInert(modalIndex, boxUp) {
    for (const win of this.windows)
      win.el.inert = boxUp || (modalIndex >= 0 && win.index !== modalIndex);
    if (this.taskbar)
      this.taskbar.inert = boxUp || modalIndex >= 0;
  },

  // Alt+F6, Maj+Alt+F6: the next window of the program, as Alt+Tab on the desktop.
  cycle(backwards) {
    const shown = this.windows.filter((w) => w.shown && !w.el.inert);
    if (shown.length === 0)
      return;
    shown.sort((a, b) => Number(b.el.style.zIndex) - Number(a.el.style.zIndex));
    const order = shown.filter((w) => !w.minimised);
    const minimised = shown.filter((w) => w.minimised);
    const all = [...order, ...minimised];
    const next = backwards ? all[all.length - 1] : all[Math.min(1, all.length - 1)];
    this.restore(next);
  },
};

// Message boxes: modal, centred on the screen, with their kind's caption, icon and buttons.
const Boxes = {
  open: [],
  onShow: null,
  kinds: ['Warning', 'Error', 'Information', 'Confirmation'],

  icon(kind) {
    const ns = 'http://www.w3.org/2000/svg';
    const svg = document.createElementNS(ns, 'svg');
    svg.setAttribute('width', '32');
    svg.setAttribute('height', '32');
    svg.setAttribute('viewBox', '0 0 32 32');
    svg.setAttribute('aria-hidden', 'true');
    svg.setAttribute('class', 'kw-box-icon');
    const shape = (name, attributes) => {
      const node = document.createElementNS(ns, name);
      for (const [key, value] of Object.entries(attributes))
        node.setAttribute(key, value);
      svg.append(node);
    };
    if (kind === 0) {
      shape('path', { d: 'M16 2 L31 29 H1 Z', fill: '#f5c400', stroke: '#7a6000', 'stroke-width': '1' });
      shape('rect', { x: '14.5', y: '10', width: '3', height: '11', fill: '#000' });
      shape('rect', { x: '14.5', y: '23', width: '3', height: '3', fill: '#000' });
    } else if (kind === 1) {
      shape('circle', { cx: '16', cy: '16', r: '15', fill: '#d01010', stroke: '#700', 'stroke-width': '1' });
      shape('path', { d: 'M10 10 L22 22 M22 10 L10 22', stroke: '#fff', 'stroke-width': '3.5' });
    } else {
      shape('circle', { cx: '16', cy: '16', r: '15', fill: '#2a6fd6', stroke: '#123c7a', 'stroke-width': '1' });
      if (kind === 2) {
        shape('rect', { x: '14.5', y: '13', width: '3', height: '12', fill: '#fff' });
        shape('rect', { x: '14.5', y: '7', width: '3', height: '3', fill: '#fff' });
      } else {
        shape('path', { d: 'M11 12 Q11 7 16 7 Q21 7 21 11.5 Q21 14.5 17.5 16 V19', fill: 'none', stroke: '#fff', 'stroke-width': '3' });
        shape('rect', { x: '16', y: '22', width: '3', height: '3', fill: '#fff' });
      }
    }
    return svg;
  },

  // Shows the box and waits: true for OK, false for Annuler (or the box closed).
  show(effect) {
    return new Promise((resolve) => {
      const kind = this.kinds[effect.kind] || 'Warning';
      const confirm = effect.kind === 3;
      const captionId = newId('box');
      const textId = newId('box');
      const box = el('div', { class: 'kw-box', role: 'alertdialog', 'aria-modal': 'true', 'data-box': kind,
        'data-kind': kind, 'aria-labelledby': captionId, 'aria-describedby': textId, tabindex: '-1' });
      const closeButton = el('button', { type: 'button', class: 'kw-title-button kw-close', tabindex: '-1',
        'aria-label': 'Fermer', title: 'Fermer', c: 'close' });
      const title = el('div', { class: 'kw-title' }, [
        el('span', { class: 'kw-caption', id: captionId, text: effect.caption, c: 'caption' }),
        el('span', { class: 'kw-title-buttons' }, [closeButton])]);
      // The texts keep their line breaks ("\r\n") and their blanks.
      const text = el('div', { class: 'kw-box-text', id: textId, c: 'text', text: effect.text.replace(/\r\n?/g, '\n') });
      const ok = el('button', { type: 'button', class: 'kw-button kw-default', c: 'OK', text: 'OK' });
      const buttons = el('div', { class: 'kw-box-buttons' }, [ok]);
      let cancel = null;
      if (confirm) {
        cancel = el('button', { type: 'button', class: 'kw-button', c: 'Annuler', text: 'Annuler' });
        buttons.append(cancel);
      }
      box.append(title, el('div', { class: 'kw-box-body' }, [this.icon(effect.kind), text]), buttons);
      const returnFocus = document.activeElement;
      const done = (answer) => {
        box.remove();
        this.open = this.open.filter((b) => b !== box);
        resolve({ answer, returnFocus });
      };
      ok.addEventListener('click', () => done(true));
      if (cancel)
        cancel.addEventListener('click', () => done(false));
      closeButton.addEventListener('click', () => done(!confirm));
      box.addEventListener('keydown', (event) => {
        if (event.key === 'Escape') {
          event.preventDefault();
          done(!confirm);
        } else if (event.key === 'Tab') {
          event.preventDefault();
          const order = cancel ? [ok, cancel] : [ok];
          const at = order.indexOf(document.activeElement);
          order[(at + (event.shiftKey ? order.length - 1 : 1)) % order.length].focus();
        } else if (event.key === 'Enter' && !event.target.closest('button')) {
          event.preventDefault();
          done(true);
        }
        event.stopPropagation();
      });
      box.style.zIndex = String(Layers.box + this.open.length);
      document.body.append(box);
      this.open.push(box);
      // Centred on the screen, once its size is known.
      const [w, h] = Desk.area();
      place(box, Math.max(0, Math.floor((w - box.offsetWidth) / 2)), Math.max(0, Math.floor((h - box.offsetHeight) / 2)));
      ok.focus({ preventScroll: true });
      if (this.onShow)
        this.onShow();
    });
  },

  closeAll() {
    for (const box of this.open)
      box.remove();
    this.open = [];
  },
};

// The keyboard, as on the desktop.
const Keys = {
  altAlone: false,

  install() {
    document.addEventListener('keydown', (event) => this.pageKey(event), true);
    document.addEventListener('keyup', (event) => this.pageKeyUp(event), true);
  },

  pageKey(event) {
    this.altAlone = event.key === 'Alt' && !event.repeat;
    if (Boxes.open.length || !App.playing)
      return;
    if (event.altKey && event.key === 'F6') {
      event.preventDefault();
      Desk.cycle(event.shiftKey);
      return;
    }
    // Alt and the first letter of each menu item, while the main window is active.
    const main = Desk.windows[W.Principale];
    if (event.altKey && !event.ctrlKey && !event.metaKey && main && Desk.active === W.Principale && !main.el.inert) {
      // The letter typed; on a Mac, where Option changes it, the key's place.
      const letter = /^[a-z]$/i.test(event.key) ? event.key.toLowerCase()
        : event.code.startsWith('Key') ? event.code.slice(3).toLowerCase() : '';
      const item = { n: Act.Nouveau, a: Act.About, q: Act.Quit }[letter];
      if (item !== undefined) {
        event.preventDefault();
        event.stopPropagation();
        Dialogs.menuAction(item);
      }
    }
  },

  pageKeyUp(event) {
    // Alt alone enters the menu bar; the arrows and Enter choose.
    if (event.key === 'Alt' && this.altAlone && App.playing && !Boxes.open.length) {
      const main = Desk.windows[W.Principale];
      if (main && Desk.active === W.Principale && !main.el.inert) {
        event.preventDefault();
        Dialogs.enterMenu();
      }
    }
    this.altAlone = false;
  },

  windowKey(win, event) {
    if (event.defaultPrevented || event.altKey || event.ctrlKey || event.metaKey)
      return;
    const dialog = Desk.dialogs[win.index];
    if (event.key === 'Tab') {
      event.preventDefault();
      const order = win.focusables();
      if (order.length === 0)
        return;
      const current = document.activeElement;
      let at = order.indexOf(current);
      if (at < 0 && current && current.type === 'radio')
        at = order.findIndex((n) => n.type === 'radio' && n.name === current.name);
      const next = at < 0 ? (event.shiftKey ? order.length - 1 : 0)
        : (at + (event.shiftKey ? order.length - 1 : 1)) % order.length;
      PictureKeys.tabbing = true;
      order[next].focus();
      PictureKeys.tabbing = false;
      return;
    }
    // Escape closes a dialog as its close box does; the main window is no dialog.
    if (event.key === 'Escape' && win.index !== W.Principale) {
      event.preventDefault();
      App.act(Act.CloseWindow, win.index);
      return;
    }
    if (event.key === 'Enter' && !event.repeat) {
      const target = event.target;
      if (target.tagName === 'BUTTON' && !target.classList.contains('kw-title-button'))
        return; // the focused button presses itself
      const byDefault = dialog && dialog.defaultButton && dialog.defaultButton();
      if (byDefault && !byDefault.disabled && !byDefault.hidden && !byDefault.closest('[hidden]')) {
        event.preventDefault();
        byDefault.click();
      }
    }
  },
};
