// A scenario (tests/scenarios) replayed through the web page in Chromium: the scenario as the
// shared C++ reader reads it (scenario_json, which also writes its series into a fresh folder),
// that folder served beside the page and opened with ?serie= and ?graine=, the page's clock held
// still and moved only by `wait`, every act made as the student's gesture (the mouse, or with
// /keys the keys alone, the mouse only where the windows' replayer takes it too), every box
// answered as it comes (a question stays up until `answer`), and every expectation read from
// what the page shows; only FlowState is the game's (kwTest.flowState()), as no window shows it.
//
//   node scenario_replay.mjs SCENARIO_JSON NAME[/keys]
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { Failure, repository, run } from './support.mjs';

const [tool, replay] = process.argv.slice(2);
if (!tool || !replay) {
  console.error('usage: scenario_replay.mjs SCENARIO_JSON NAME[/keys]');
  process.exit(2);
}
const [name, way = ''] = replay.split('/');
if (way !== '' && way !== 'keys') {
  console.error('unknown way: ' + way + ' (keys)');
  process.exit(2);
}
const byKeys = way === 'keys';
if (!existsSync(tool)) {
  console.log('skipped: no ' + tool);
  process.exit(77);
}
const scenarioFile = join(repository, 'tests', 'scenarios', name + '.scenario');
const folder = mkdtempSync(join(tmpdir(), 'kw-page-scenario-'));
process.on('exit', () => rmSync(folder, { recursive: true, force: true }));
const scenario = JSON.parse(execFileSync(tool, [scenarioFile, folder], { encoding: 'utf8' }));

// The page's names of the windows, by the scenario's keys.
const Windows = {
  principale: 'Principale', source: 'Source', avance: 'Avance', hub1: 'Hub1', macs: 'AdressesMAC',
  destination: 'Destination', hub2: 'Hub2', apropos: 'APropos', switch: 'Switch', leds: 'SwitchGros',
};
const Dialogs = ['source', 'hub1', 'destination', 'hub2', 'apropos', 'switch', 'leds'];
const MenuItems = { nouveau: ['Nouveau', 'n'], apropos: ['APropos1', 'a'], quitter: ['Quitter1', 'q'] };
// More keys than any window has controls or any picture elements.
const MaxKeys = 40;
// The moment the clock shows until a `wait`.
const start = new Date(2000, 1, 1, 8, 0, 0).getTime();

// Which window was in front before each act, read only when a `raised` needs it.
const watchRaised = scenario.steps.some((step) => step.expectations.some((e) => e.kind === 'raised'));

const inWindow = (key, selector = '') => '[data-w="' + Windows[key] + '"]' + (selector ? ' ' + selector : '');
const control = (key, c) => inWindow(key, '[data-c="' + c + '"]');

class Replayer {
  constructor(browser, student) {
    this.browser = browser;
    this.student = student;
    this.page = student.page;
    this.now = start;
    this.started = false; // the main window has been up
    this.failures = [];
    this.checking = null;
    this.unreached = '';
  }

  // ---- What the page shows, read at once ----

  // Everything the expectations look at, as the student sees it in the page.
  look() {
    return this.page.evaluate(({ cablePixels }) => {
      const q = (selector) => document.querySelector(selector);
      const w = (name) => q('[data-w="' + name + '"]');
      const c = (name, control) => {
        const win = w(name);
        return win && win.querySelector('[data-c="' + control + '"]');
      };
      const text = (node) => (node ? node.textContent : null);
      const offClass = (node) => !node || node.classList.contains('kw-off') || node.classList.contains('kw-disabled') ||
        node.getAttribute('aria-disabled') === 'true' || node.disabled === true;
      const out = { windows: {}, boxes: [] };
      for (const name of ['Principale', 'Source', 'Avance', 'Hub1', 'AdressesMAC', 'Destination', 'Hub2', 'APropos',
        'Switch', 'SwitchGros']) {
        const win = w(name);
        out.windows[name] = win ? {
          shown: win.dataset.shown || 'hidden', minimised: win.dataset.minimised === 'true',
          visible: !win.hidden, active: win.classList.contains('kw-active'), inert: win.inert,
        } : null;
      }
      out.boxes = [...document.querySelectorAll('.kw-box')].map((box) => ({
        kind: box.dataset.kind, caption: text(box.querySelector('[data-c="caption"]')),
        text: text(box.querySelector('[data-c="text"]')),
      }));
      if (!w('Principale'))
        return out;
      out.errors = text(c('Avance', 'label_erreurs'));
      out.ticks = ['emetteur', 'Hub1', 'Hub2', 'switch', 'destinataire', '_emetteur', '_hub1', '_hub2', '_switch',
        '_destinataire'].filter((box) => c('Avance', box).querySelector('input').checked);
      out.exercise = [c('Principale', 'Edit1').value, c('Principale', 'Edit2').value];
      out.numero = text(c('Avance', 'numero_exo'));
      const result = c('Principale', 'resultat');
      out.result = result.hidden ? null : result.textContent;
      out.nouveau = c('Principale', 'Nouveau').getAttribute('aria-disabled') !== 'true';
      out.fin = !c('Avance', 'fin_traitement').disabled;
      // A dialog never opened has no controls yet (check() makes those its expectations read).
      const cells = (name, grid, row, count) => {
        const g = c(name, grid);
        if (!g)
          return null;
        const values = [];
        for (let column = 0; column < count; ++column)
          values.push(text(g.querySelector('[data-row="' + row + '"][data-col="' + column + '"]')));
        return values;
      };
      out.cells = {
        source: cells('Source', 'trame', 0, 2), destination: cells('Destination', 'trame', 0, 2),
        switch: cells('Switch', 'trame', 0, 2),
        principale: c('Principale', 'trame_gauche').hidden ? null : cells('Principale', 'trame_gauche', 0, 2),
      };
      out.table = [];
      for (let row = 0; row <= 9; ++row)
        out.table.push(cells('Switch', 'table_ports', row, 3));
      // LEDs: the colour the picture shows in the middle of each LED, and what a screen
      // reader hears of it.
      out.leds = {};
      for (const name of ['Hub1', 'Hub2', 'SwitchGros']) {
        const host = c(name, 'Image1');
        if (!host)
          continue;
        const canvas = host.querySelector('canvas');
        const scale = canvas.width / parseFloat(canvas.style.width);
        const context = canvas.getContext('2d');
        out.leds[name] = [...host.querySelectorAll('[data-led]')].map((led) => {
          const x = parseFloat(led.style.left) + (parseFloat(led.style.width) - 1) / 2;
          const y = parseFloat(led.style.top) + (parseFloat(led.style.height) - 1) / 2;
          const pixel = context.getImageData(Math.floor(x * scale), Math.floor(y * scale), 1, 1).data;
          return { k: Number(led.dataset.led), rgb: [pixel[0], pixel[1], pixel[2]], checked: led.getAttribute('aria-checked') === 'true' };
        });
      }
      // Cables: the colour of each pixel of each line that no other line shares.
      const diagram = c('Principale', 'Image1').querySelector('canvas');
      const scale = diagram.width / parseFloat(diagram.style.width);
      const image = diagram.getContext('2d').getImageData(0, 0, diagram.width, diagram.height);
      out.cables = cablePixels.map((lines) => lines.map((pixels) => {
        const shown = [];
        for (let i = 0; i + 1 < pixels.length; i += 2) {
          const at = (pixels[i + 1] * scale * image.width + pixels[i] * scale) * 4;
          shown.push([pixels[i], pixels[i + 1], image.data[at], image.data[at + 1], image.data[at + 2]]);
        }
        return shown;
      }));
      const enabled = (nodes) => nodes.map((node) => !offClass(node));
      out.work = {
        source: enabled([c('Source', 'Panel')]),
        destination: enabled([c('Destination', 'Panel')]),
        hub1: enabled([c('Hub1', 'Image1'), c('Hub1', 'BitBtn1')]),
        hub2: enabled([c('Hub2', 'Image1'), c('Hub2', 'BitBtn1')]),
        leds: enabled([c('SwitchGros', 'Image1'), c('SwitchGros', 'BitBtn1')]),
        switch: enabled([c('Switch', 'Panel'), c('Switch', 'dest_via')]),
      };
      const copier = c('Destination', 'copier');
      out.copier = copier ? copier.querySelector('input').checked : null;
      return out;
    }, { cablePixels: scenario.cablePixels });
  }

  windowsState() {
    return this.page.evaluate(() => Object.fromEntries([...document.querySelectorAll('[data-w]')].map((win) => [win.dataset.w,
      { minimised: win.dataset.minimised === 'true', visible: !win.hidden, active: win.classList.contains('kw-active') }])));
  }

  // ---- Whose turn ----

  async play() {
    await this.page.clock.setFixedTime(this.now);
    const serie = this.browser.url + 'serie/';
    this.folderText = serie.replace(/\/$/, '');
    await this.student.open(this.browser.url + '?serie=' + encodeURIComponent(serie) + '&graine=' + scenario.seed);
    for (const step of scenario.steps) {
      if (step.act)
        await this.perform(step.act);
      // KW_TRACE=1: each act with what the game holds after it, and each mouse gesture.
      if (process.env.KW_TRACE && step.act)
        console.log(step.act.line + ' ' + step.act.source + ' -> ' + JSON.stringify(await this.page.evaluate(() => {
          const v = window.kwTest.view();
          return v && { flow: v.flowState, sw: v.switch && [v.switch.selectedColumn, v.switch.updatePort, v.switch.choice, v.switch.table[9]], active: document.activeElement && (document.activeElement.dataset.c || document.activeElement.tagName) };
        })));
      const boxes = await this.answerBoxes();
      await this.check(step, boxes);
      if (this.failures.length)
        break;
    }
  }

  // The boxes up now, each answered with OK as it comes, but a question, which stays up
  // until the scenario's `answer`.
  async answerBoxes() {
    const shown = [];
    for (let i = 0; i < 50; ++i) {
      await this.student.idle();
      const box = await this.student.box();
      if (!box)
        break;
      // A question already listed stays up.
      if (box.kind === 'Confirmation') {
        if (!this.questionUp)
          shown.push(box);
        this.questionUp = true;
        break;
      }
      shown.push(box);
      if (byKeys)
        await this.page.keyboard.press('Enter');
      else
        await this.page.locator('.kw-box').last().locator('[data-c="OK"]').click();
    }
    return shown;
  }

  // ---- The gestures ----

  async visible(selector) {
    const node = this.page.locator(selector).first();
    return (await node.count()) > 0 && node.isVisible();
  }

  async boxUp() {
    return (await this.page.locator('.kw-box').count()) > 0;
  }

  // Whether the window's controls can be reached at all: shown, and blocked neither by a
  // window open for work nor by a box.
  async reachable(key) {
    return this.page.evaluate((name) => {
      const win = document.querySelector('[data-w="' + name + '"]');
      return Boolean(win) && win.dataset.shown !== 'hidden' && win.dataset.shown !== undefined && !win.inert &&
        document.querySelectorAll('.kw-box').length === 0;
    }, Windows[key]);
  }

  async idle() {
    await this.student.idle();
  }

  // The window in front of the point (x, y) of the screen that is not the one of `selector`,
  // when it can be moved: its name, caption's place and width.
  coverOf(selector, x, y) {
    return this.page.evaluate(({ s, x, y }) => {
      const target = document.querySelector(s);
      const hit = document.elementFromPoint(x, y);
      if (!target || !hit || target.contains(hit))
        return null;
      const win = hit.closest('[data-w]');
      if (!win || win.contains(target) || win.inert)
        return null;
      const caption = win.querySelector('.kw-caption').getBoundingClientRect();
      return { name: win.dataset.w, x: caption.left + 4, y: caption.top + 6, left: win.offsetLeft, width: win.offsetWidth,
        area: document.documentElement.clientWidth };
    }, { s: selector, x, y });
  }

  async mouseAt(selector, x, y, double = false) {
    const box = await this.page.locator(selector).first().boundingBox();
    if (!box)
      return false;
    if (process.env.KW_TRACE)
      console.log('mouse: ' + selector);
    const at = [box.x + (x === undefined ? box.width / 2 : x + 0.5), box.y + (y === undefined ? box.height / 2 : y + 0.5)];
    // A window in front of the point (the reference windows stay above the others) is moved
    // out of the way by its title bar first, to the right edge of the screen, as a student
    // does; to the left edge when it stands at the right one already (the main window raised
    // over the dialogs it placed).
    for (let i = 0; i < 3; ++i) {
      const cover = await this.coverOf(selector, ...at);
      if (!cover)
        break;
      const right = cover.area - cover.width - 2;
      const to = cover.left >= right - 48 ? 24 * i : right - 24 * i;
      await this.page.mouse.move(cover.x, cover.y);
      await this.page.mouse.down();
      await this.page.mouse.move(cover.x + to - cover.left, cover.y, { steps: 4 });
      await this.page.mouse.up();
      await this.idle();
    }
    if (double)
      await this.page.mouse.dblclick(...at);
    else
      await this.page.mouse.click(...at);
    await this.idle();
    return true;
  }

  // The window the student works in, in front: from the task bar when minimised, else by a
  // click on its title bar, as on a desktop. False when it cannot come to the front.
  async bringToFront(key) {
    if (!(await this.reachable(key)))
      return false;
    const win = this.page.locator(inWindow(key)).first();
    const state = await win.evaluate((node) => ({ active: node.classList.contains('kw-active'), minimised: node.dataset.minimised === 'true' }));
    if (state.active && !state.minimised)
      return true;
    if (state.minimised)
      await this.restore(key);
    else
      await this.mouseAt(inWindow(key, '.kw-caption'), 2, 6);
    await this.idle();
    return win.evaluate((node) => node.classList.contains('kw-active') && !node.hidden);
  }

  reached(done, what) {
    if (!done && !this.unreached)
      this.unreached = 'the keys do not reach ' + what;
    return done;
  }

  async focused(selector) {
    return this.page.evaluate((s) => {
      const target = document.querySelector(s);
      return Boolean(target) && document.activeElement === target;
    }, selector);
  }

  async key(key) {
    await this.page.keyboard.press(key);
    await this.idle();
  }

  // Tab, at most once round the window, until `selector` has the focus.
  async tabTo(key, selector) {
    if (!(await this.bringToFront(key)))
      return false;
    for (let i = 0; i < MaxKeys && !(await this.focused(selector)); ++i)
      await this.key('Tab');
    return this.focused(selector);
  }

  // The selected cell of a grid: [column, row], -1 where nothing is selected.
  async selected(selector) {
    return this.page.evaluate((s) => {
      const cell = document.querySelector(s + ' .kw-cell.kw-selected');
      return cell ? [Number(cell.dataset.col), Number(cell.dataset.row)] : [-1, -1];
    }, selector);
  }

  // With the focus on the grid, the arrows until its selection is at `column` and `row` (null:
  // any).
  async moveTo(selector, column, row) {
    for (let i = 0; i < MaxKeys; ++i) {
      const [c, r] = await this.selected(selector);
      if (column !== null && c < column)
        await this.key('ArrowRight');
      else if (column !== null && c > column)
        await this.key('ArrowLeft');
      else if (row !== null && r < row)
        await this.key('ArrowDown');
      else if (row !== null && r > row)
        await this.key('ArrowUp');
      else
        return true;
    }
    return false;
  }

  // The accessible name of the element a picture's focus mark stands on, or its LED number.
  async marked(selector) {
    return this.page.evaluate((s) => {
      const host = document.querySelector(s);
      const mark = host && host.querySelector('.kw-mark');
      const id = host && host.getAttribute('aria-activedescendant');
      const element = id && !mark.hidden ? document.getElementById(id) : null;
      return element ? { name: element.getAttribute('aria-label'), led: element.dataset.led || null } : null;
    }, selector);
  }

  // With the focus on the picture, Home, then Right until the mark stands on the element.
  async markElement(selector, found) {
    await this.key('Home');
    for (let i = 0; i < MaxKeys; ++i) {
      const m = await this.marked(selector);
      if (m && found(m))
        return true;
      await this.key('ArrowRight');
    }
    const m = await this.marked(selector);
    return Boolean(m) && found(m);
  }

  async selectCell(key, grid, column, row) {
    const selector = control(key, grid);
    if (!byKeys)
      return this.mouseAt(selector + ' [data-row="' + row + '"][data-col="' + column + '"]');
    if (this.reached(await this.tabTo(key, selector), grid))
      // The cache selects whole rows, the frames have one row.
      this.reached(await this.moveTo(selector, grid === 'table_MAC' ? null : column, grid === 'table_MAC' ? row : null),
        'cell ' + column + ',' + row + ' of ' + grid);
    return true;
  }

  async enterCell(key, grid, column, row) {
    const selector = control(key, grid);
    if (!byKeys)
      return this.mouseAt(selector + ' [data-row="' + row + '"][data-col="' + column + '"]', undefined, undefined, true);
    await this.selectCell(key, grid, column, row);
    if (!this.unreached)
      await this.key('Enter');
    return true;
  }

  async gridEnabled(key, grid) {
    return this.page.locator(control(key, grid)).evaluate((node) => node.getAttribute('aria-disabled') !== 'true');
  }

  async inputEnabled(selector) {
    return this.page.locator(selector).evaluate((node) => !node.disabled);
  }

  // Tab into the group of radio buttons, then the arrows until the button has the focus (which
  // checks it, as arrows do in a group), Space when it is still clear.
  async arrowTo(key, c) {
    const input = control(key, c) + ' input';
    const group = await this.page.locator(input).evaluate((node) => node.name);
    if (!(await this.bringToFront(key)))
      return false;
    const inGroup = () => this.page.evaluate((name) => document.activeElement && document.activeElement.type === 'radio' &&
      document.activeElement.name === name, group);
    for (let i = 0; i < MaxKeys && !(await inGroup()); ++i)
      await this.key('Tab');
    const order = await this.page.evaluate((name) => [...document.querySelectorAll('input[type=radio]')]
      .filter((n) => n.name === name).map((n) => n.closest('[data-c]').dataset.c), group);
    for (let i = 0; i < MaxKeys && (await inGroup()) && !(await this.focused(input)); ++i) {
      const from = await this.page.evaluate(() => document.activeElement.closest('[data-c]').dataset.c);
      await this.key(order.indexOf(c) > order.indexOf(from) ? 'ArrowRight' : 'ArrowLeft');
    }
    if (!(await this.focused(input)))
      return false;
    if (!(await this.page.locator(input).isChecked()))
      await this.key(' ');
    return this.page.locator(input).isChecked();
  }

  async clickInput(selector) {
    return this.mouseAt(selector + ' input');
  }

  // "Terminé", "OK", "Fin du traitement de la trame".
  async press(key, c) {
    const selector = control(key, c);
    if (!(await this.visible(selector)))
      return;
    if (!byKeys) {
      await this.mouseAt(selector);
      return;
    }
    if (!(await this.inputEnabled(selector)) || !this.reached(await this.bringToFront(key), Windows[key]))
      return;
    // Enter where the focus is, unless a grid has it (there Enter copies): then on the
    // button itself.
    const onGrid = await this.page.evaluate(() => Boolean(document.activeElement && document.activeElement.closest('[role=grid]')));
    if (onGrid && !this.reached(await this.tabTo(key, selector), c))
      return;
    await this.key('Enter');
  }

  async perform(act) {
    this.unreached = '';
    const k = act.kind;
    if (k === 'wait') {
      this.now += act.seconds * 1000;
      await this.page.clock.setFixedTime(this.now);
      return;
    }
    if (k === 'answer') {
      if (!(await this.boxUp()))
        return;
      this.questionUp = false;
      if (byKeys) {
        if (!act.ok)
          await this.page.keyboard.press('Tab');
        await this.key('Enter');
      } else {
        await this.page.locator('.kw-box').last().locator('[data-c="' + (act.ok ? 'OK' : 'Annuler') + '"]').click();
        await this.idle();
      }
      return;
    }
    // A question up, or a program that did not start or has ended: nothing to act on.
    if (watchRaised)
      this.previous = await this.windowsState();
    if (await this.boxUp() || !(await this.window('principale')))
      return;
    switch (k) {
    case 'click':
      await this.clickDiagram(act);
      break;
    case 'copy':
      await this.copy(act.row, act.column);
      break;
    case 'tick':
      await this.tick(act.box === 'copier' ? control('destination', 'copier') : control('avance', act.box),
        act.box === 'copier' ? 'destination' : 'avance', act.on);
      break;
    case 'led':
      for (const led of act.leds)
        await this.led(act.window, led);
      break;
    case 'ledAt':
      if (await this.window(act.window))
        await this.mouseAt(control(act.window, 'Image1'), act.x, act.y);
      break;
    case 'done':
      await this.press(act.window, act.window === 'apropos' ? 'OKButton' : 'BitBtn1');
      break;
    case 'learn':
      await this.switchCell(act.column, false);
      if (!this.unreached)
        await this.switchPort(act.port, true);
      break;
    case 'select':
      await this.switchCell(act.column, false);
      break;
    case 'entry':
      await this.switchCell(act.column, true);
      break;
    case 'entryPort':
      await this.switchPort(act.port, true);
      break;
    case 'port':
      await this.switchPort(act.port, false);
      break;
    case 'via':
      await this.choose('switch', act.choice === 5 ? 'b_dinconnu' : 'b_d' + act.choice);
      break;
    case 'emit':
      if (!(await this.window('switch')))
        break;
      if (!byKeys)
        await this.mouseAt(control('switch', 'image_switch'), 70, 10);
      else if (!(await this.offClass(control('switch', 'image_switch'))) &&
        this.reached(await this.tabTo('switch', control('switch', 'image_switch')), 'image_switch'))
        await this.key(' ');
      break;
    case 'fin':
      await this.press('avance', 'fin_traitement');
      break;
    case 'menu':
      await this.menu(act.item);
      break;
    case 'close':
      await this.close(act.window);
      break;
    case 'activate':
      if (await this.window(act.window))
        this.reached(await this.bringToFront(act.window), Windows[act.window]);
      break;
    default:
      throw new Failure(scenario.file + ':' + act.line + ': no gesture for `' + act.source + '`');
    }
    if (this.unreached)
      this.failures.push(scenario.file + ':' + act.line + ': ' + act.source + ': ' + this.unreached);
  }

  // The window is up (maybe minimised): its controls exist for the student.
  async window(key) {
    return this.page.evaluate((name) => {
      const win = document.querySelector('[data-w="' + name + '"]');
      return Boolean(win) && (win.dataset.shown === 'modal' || win.dataset.shown === 'modeless');
    }, Windows[key]);
  }

  async offClass(selector) {
    return this.page.locator(selector).evaluate((node) => node.classList.contains('kw-off') ||
      node.getAttribute('aria-disabled') === 'true');
  }

  // A click on the window's button in the task bar (which takes nothing while a window is open
  // for work).
  async restore(key) {
    const task = this.page.locator('[data-task="' + Windows[key] + '"]');
    const box = await task.boundingBox();
    if (box)
      await this.page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await this.idle();
  }

  // A minimised window first comes back from the task bar: nobody clicks in a window not on
  // the screen.
  async onScreen(key) {
    if (!(await this.window(key)))
      return false;
    const minimised = await this.page.locator(inWindow(key)).evaluate((node) => node.dataset.minimised === 'true');
    if (minimised && !byKeys && !(await this.boxUp()))
      await this.restore(key);
    await this.idle();
    return true;
  }

  async clickDiagram(act) {
    if (!(await this.onScreen('principale')))
      return;
    const host = control('principale', 'Image1');
    // What no key reaches (a point that is no element), the student clicks with the mouse.
    if (!byKeys || !act.element) {
      await this.mouseAt(host + ' canvas', act.x, act.y);
      return;
    }
    if (!(await this.reachable('principale')))
      return;
    const name = act.element === 'switch' ? 'Switch' : act.element;
    if (this.reached(await this.tabTo('principale', host), 'the diagram') &&
      this.reached(await this.markElement(host, (m) => m.name === name), name))
      await this.key(' ');
  }

  async copy(row, column) {
    if (!(await this.onScreen('source')))
      return;
    if (byKeys && !(await this.gridEnabled('source', 'trame')))
      return;
    // The keys cannot copy the heading row, which the arrows never reach: the student takes
    // the mouse for it.
    const keys = byKeys && row >= 1;
    if (!keys) {
      await this.mouseAt(control('source', 'table_MAC') + ' [data-row="' + row + '"][data-col="0"]');
      await this.mouseAt(control('source', 'trame') + ' [data-row="0"][data-col="' + column + '"]', undefined, undefined, true);
      return;
    }
    if (!(await this.reachable('source')))
      return;
    await this.selectCell('source', 'table_MAC', 0, row);
    if (!this.unreached)
      await this.enterCell('source', 'trame', column, 0);
  }

  async tick(selector, key, on) {
    if (!(await this.onScreen(key)))
      return;
    const input = this.page.locator(selector + ' input');
    if ((await input.isChecked()) === on)
      return;
    if (!byKeys) {
      await this.clickInput(selector);
      return;
    }
    if (await this.inputEnabled(selector + ' input') && (await this.reachable(key)) &&
      this.reached(await this.tabTo(key, selector + ' input'), selector))
      await this.key(' ');
  }

  async led(key, k) {
    if (!(await this.onScreen(key)))
      return;
    const host = control(key, 'Image1');
    if (!byKeys) {
      const point = [0, 48, 81, 143, 176, 240, 272, 334, 367][k];
      await this.mouseAt(host, point, 30);
      return;
    }
    if (await this.offClass(host) || !(await this.reachable(key)))
      return;
    if (this.reached(await this.tabTo(key, host), 'LED ' + k + ' of ' + Windows[key]) &&
      this.reached(await this.markElement(host, (m) => m.led === String(k)), 'LED ' + k + ' of ' + Windows[key]))
      await this.key(' ');
  }

  async switchCell(column, enter) {
    if (!(await this.onScreen('switch')))
      return;
    if (byKeys && !(await this.gridEnabled('switch', 'trame')))
      return;
    if (byKeys && !(await this.reachable('switch')))
      return;
    if (enter)
      await this.enterCell('switch', 'trame', column, 0);
    else
      await this.selectCell('switch', 'trame', column, 0);
  }

  async switchPort(port, double) {
    const c = 'port' + port;
    if (!(await this.onScreen('switch')))
      return;
    if (!byKeys) {
      await this.mouseAt(control('switch', c) + ' input', undefined, undefined, double);
      return;
    }
    if (!(await this.inputEnabled(control('switch', c) + ' input')) || !(await this.reachable('switch')))
      return;
    if (this.reached(await this.arrowTo('switch', c), c) && double)
      await this.key('Enter');
  }

  async choose(key, c) {
    if (!(await this.onScreen(key)))
      return;
    if (!byKeys) {
      await this.clickInput(control(key, c));
      return;
    }
    if (await this.inputEnabled(control(key, c) + ' input') && (await this.reachable(key)))
      this.reached(await this.arrowTo(key, c), c);
  }

  async menu(item) {
    const [c, letter] = MenuItems[item];
    if (!(await this.onScreen('principale')))
      return;
    if (byKeys) {
      if (await this.bringToFront('principale'))
        await this.key('Alt+' + letter);
      return;
    }
    await this.mouseAt(control('principale', c));
  }

  async close(key) {
    if (!(await this.window(key)))
      return;
    if (byKeys && Dialogs.includes(key)) {
      if (await this.bringToFront(key))
        await this.key('Escape');
      return;
    }
    // The close box of the window's frame.
    if (await this.onScreen(key))
      await this.mouseAt(inWindow(key, '.kw-title [data-c="close"]'));
  }

  // ---- The checks ----

  fail(line, expectation, shown) {
    const step = this.checking;
    this.failures.push(scenario.file + ':' + line + ': ' + expectation + ': ' + shown +
      (step && step.act ? ' (after `' + step.act.source + '` at line ' + step.act.line + ')' : ' (after the start)'));
  }

  async check(step, boxes) {
    this.checking = step;
    // The page makes a dialog's controls at its first opening: those the expectations read are
    // made now, as the widgets are when a test touches them.
    const read = new Set();
    for (const e of step.expectations) {
      if (['cells', 'lit'].includes(e.kind))
        read.add(Windows[e.window]);
      else if (e.kind === 'table')
        read.add('Switch');
      else if (e.kind === 'copier')
        read.add('Destination');
      else if (e.kind === 'readonly' || e.kind === 'editable')
        e.windows.forEach((d) => read.add(Windows[d]));
    }
    for (const name of read)
      await this.page.evaluate((n) => window.kwTest.controls(n), name);
    const look = await this.look();
    const running = look.windows.Principale && look.windows.Principale.shown !== 'hidden';
    if (running)
      this.started = true;
    const quote = (text) => JSON.stringify(text);
    const common = Math.min(boxes.length, step.boxes.length);
    const lines = (text) => text.replace(/\{folder\}/g, this.folderText).replace(/\r\n?/g, '\n');
    for (let i = 0; i < common; ++i) {
      const want = step.boxes[i];
      const shown = boxes[i];
      if (shown.kind !== want.kind || shown.caption !== want.caption || shown.text !== lines(want.text))
        this.fail(want.line, 'box ' + want.caption + ' ' + quote(want.text), 'the box shown is ' + shown.caption + ' ' + quote(shown.text));
    }
    for (let i = common; i < step.boxes.length; ++i)
      this.fail(step.boxes[i].line, 'box ' + step.boxes[i].caption + ' ' + quote(step.boxes[i].text), 'no such box is shown');
    for (let i = common; i < boxes.length; ++i)
      this.fail(step.act ? step.act.line : 0, '(no box expected)', 'a box is shown: ' + boxes[i].caption + ' ' + quote(boxes[i].text));
    for (const e of step.expectations)
      await this.expect(e, look, running);
    this.checking = null;
  }

  async expect(e, look, running) {
    const expect = (holds, shown) => {
      if (!holds)
        this.fail(e.line, e.source, shown);
    };
    if (e.kind === 'program') {
      const state = running ? 'running' : this.started ? 'ended' : 'refused';
      expect(state === e.state, 'the program ' + (state === 'refused' ? 'refused to start' : state));
      return;
    }
    if (!running) {
      expect(false, 'the program has no windows');
      return;
    }
    const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
    switch (e.kind) {
    case 'errors': {
      const prefix = 'Cumul erreurs = ';
      expect(look.errors === prefix + e.number || (e.number === 0 && look.errors === prefix), 'the label reads ' + JSON.stringify(look.errors));
      break;
    }
    case 'ticks':
      expect(same(look.ticks, e.ticked), 'ticked: ' + (look.ticks.length ? look.ticks.join(' ') : 'none'));
      break;
    case 'cables': {
      let wrong = '';
      look.cables.forEach((lines, cable) => lines.forEach((pixels, line) => {
        const want = e.colours[cable][line];
        const bad = pixels.find(([, , r, g, b]) => r !== want[0] || g !== want[1] || b !== want[2]);
        if (bad)
          wrong += ' cable ' + (cable + 1) + ' ' + (line ? 'second' : 'first') + ' line: pixel (' + bad[0] + ',' + bad[1] +
            ') is rgb(' + bad.slice(2).join(',') + ');';
      }));
      expect(!wrong, wrong);
      break;
    }
    case 'flow': {
      const flow = await this.page.evaluate(() => window.kwTest.flowState());
      expect(flow === e.number, 'FlowState is ' + flow);
      break;
    }
    case 'windows': {
      const want = {};
      for (const d of Dialogs)
        want[d] = 'closed';
      for (const [d, how] of e.windows)
        want[d] = how;
      let wrong = '';
      for (const [key, how] of Object.entries(want)) {
        const win = look.windows[Windows[key]];
        const shown = !win || win.shown === 'hidden' ? 'closed' : win.shown;
        if (shown !== how)
          wrong += ' ' + key + ' is ' + shown + ';';
      }
      expect(!wrong, wrong);
      break;
    }
    case 'exercise':
      expect(same(look.exercise, [e.first, e.second]), 'the main window shows ' + look.exercise.join(' -> '));
      break;
    case 'numero':
      expect(look.numero === e.text, 'the caption is ' + JSON.stringify(look.numero));
      break;
    case 'result':
      if (e.none)
        expect(look.result === null, 'shown: ' + JSON.stringify(look.result));
      else
        expect(look.result === e.text, look.result === null ? 'not shown' : 'shown: ' + JSON.stringify(look.result));
      break;
    case 'enabled':
    case 'disabled':
      for (const item of e.items) {
        const enabled = item === 'nouveau' ? look.nouveau : look.fin;
        expect(enabled === (e.kind === 'enabled'), item + (enabled ? ' is enabled' : ' is disabled'));
      }
      break;
    case 'cells': {
      const cells = look.cells[e.window];
      if (e.none)
        expect(cells === null, 'the frame is shown');
      else
        expect(cells && same(cells, [e.first, e.second]),
          cells ? 'the cells are ' + cells.map((t) => JSON.stringify(t)).join(' ') : 'no frame is shown');
      break;
    }
    case 'table': {
      const [address, ttl, port] = look.table[e.row];
      expect(address === e.address && port === e.port && (e.anyTtl ? ttl !== '' : ttl === e.ttl),
        'the row is ' + [address, ttl, port].map((t) => JSON.stringify(t)).join(' '));
      break;
    }
    case 'lit': {
      const hub = e.window !== 'leds';
      let wrong = '';
      for (const { k, rgb, checked } of look.leds[Windows[e.window]]) {
        // On a hub the odd LEDs receive (green), on the switch they emit (red).
        const lit = (k % 2 === 1) === hub ? [0, 128, 0] : [255, 0, 0];
        const shows = same(rgb, lit);
        if (shows !== e.leds.includes(k))
          wrong += ' LED ' + k + ' shows rgb(' + rgb.join(',') + ');';
        else if (checked !== shows)
          wrong += ' LED ' + k + ' is told ' + (checked ? 'lit' : 'off') + ' to a screen reader;';
      }
      expect(!wrong, wrong);
      break;
    }
    case 'readonly':
    case 'editable':
      for (const d of e.windows) {
        const states = look.work[d];
        const enabled = states.every(Boolean);
        const disabled = states.every((s) => !s);
        expect(e.kind === 'editable' ? enabled : disabled,
          d + (enabled ? ' is editable' : disabled ? ' is read-only' : ' is half editable'));
      }
      break;
    case 'copier':
      expect(look.copier === e.on, look.copier ? 'the box is ticked' : 'the box is clear');
      break;
    case 'raised': {
      const win = look.windows[Windows[e.window]];
      expect(win && win.visible && !win.minimised && win.active && this.raisedBy(e.window),
        'the window was not brought to the front');
      break;
    }
    default:
      this.fail(e.line, e.source, 'no such expectation');
    }
  }

  // The window was not in front before the act.
  raisedBy(key) {
    const before = this.previous && this.previous[Windows[key]];
    return !before || !before.active || before.minimised || !before.visible;
  }
}

// A series whose files are missing from where the page looks logs a 404 for each name it tries.
const missing = !scenario.ini || !scenario.exercises || scenario.exercises.folder !== '';
const accepted = (error) => missing && /^console: Failed to load resource: .* 404 .*\[http:\/\/127\.0\.0\.1:\d+\/serie\//.test(error);

run('scenario/Page/' + replay, async (browser) => {
  const student = await browser.page({ width: 1600, height: 900 });
  const replayer = new Replayer(browser, student);
  await replayer.play();
  if (replayer.failures.length)
    throw new Failure(replayer.failures.join('\n'));
}, { mounts: { '/serie/': folder }, accepted });
