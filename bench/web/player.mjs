// Plays the acts of a scenario file (tests/scenarios/README.md) on the page, as gestures of
// the mouse, for the benchmark: its expectations are not checked here (the tests do that),
// only that no box came that the scenario does not list. Each message box is answered OK as
// it comes, except a confirmation, which waits for an `answer` act.
//
// A gesture goes to the screen at its point when nothing covers its control there; when
// another window does (the windows open centred, and the reference windows stay above the
// others), the same press is sent to the control itself, at the same point.

// The diagram's points of the scenario format.
const diagramPoints = {
  'Machine 1': [29, 207], 'Machine 2': [89, 207], 'Machine 3': [150, 207], 'Machine 4': [339, 207],
  'Machine 5': [403, 207], 'Machine 6': [460, 207], ServeurA: [220, 29], ServeurB: [290, 29],
  'Hub 1': [106, 145], 'Hub 2': [385, 145], switch: [249, 97],
};
const ledX = [null, 48, 81, 143, 176, 240, 272, 334, 367];
const ledY = 30;
const windowNames = {
  principale: 'Principale', source: 'Source', avance: 'Avance', hub1: 'Hub1', macs: 'AdressesMAC',
  destination: 'Destination', hub2: 'Hub2', apropos: 'APropos', switch: 'Switch', leds: 'SwitchGros',
};
const progressBoxes = ['emetteur', 'Hub1', 'Hub2', 'switch', 'destinataire'];
const boxCaptions = { Warning: 'Avertissement', Error: 'Erreur', Information: 'Information', Confirmation: 'Confirmation' };

// The tokens of a line: blank-separated, a double-quoted text being one token.
function tokens(line) {
  const out = [];
  const re = /"((?:[^"\\]|\\.)*)"|(\S+)/g;
  let m;
  while ((m = re.exec(line)))
    out.push(m[1] !== undefined
      ? m[1].replace(/\\(.)/g, (all, c) => ({ n: '\n', r: '\r', t: '\t' })[c] || c)
      : m[2]);
  return out;
}

// The @play section's lines, comments left out.
function playLines(text) {
  const lines = text.split(/\r\n|\r|\n/);
  const start = lines.findIndex((line) => line.startsWith('@play'));
  if (start < 0)
    throw new Error('the scenario has no @play section');
  return lines.slice(start + 1).filter((line) => line.trim() && !line.trim().startsWith('#'));
}

export async function playScenario(page, text, afterAct) {
  const played = { acts: 0, boxes: 0, dispatched: 0, unexpected: [] };
  const win = (key) => page.locator('[data-w="' + (windowNames[key] || key) + '"]');
  const control = (key, c) => win(key).locator('[data-c="' + c + '"]').first();
  const idle = () => page.evaluate(() => window.kwTest.idle());

  // A press (and release, and double click) at (x, y) of `locator`'s box, its middle by default.
  const gesture = async (locator, { x, y, double = false } = {}) => {
    const box = await locator.boundingBox();
    if (!box)
      throw new Error('not shown: ' + locator);
    const px = box.x + (x === undefined ? box.width / 2 : x + 0.5);
    const py = box.y + (y === undefined ? box.height / 2 : y + 0.5);
    const reached = await locator.evaluate((node, [px, py]) => {
      const top = document.elementFromPoint(px, py);
      return Boolean(top) && (top === node || node.contains(top) || top.contains(node) && top.tagName === 'LABEL');
    }, [px, py]);
    if (reached) {
      if (double)
        await page.mouse.dblclick(px, py);
      else
        await page.mouse.click(px, py);
      return;
    }
    played.dispatched += 1;
    await locator.evaluate((node, [px, py, double]) => {
      const at = { bubbles: true, cancelable: true, composed: true, clientX: px, clientY: py, button: 0,
        pointerId: 1, pointerType: 'mouse', isPrimary: true };
      const target = node.querySelector('input') || node;
      for (let i = 0; i < (double ? 2 : 1); ++i) {
        node.dispatchEvent(new PointerEvent('pointerdown', Object.assign({ buttons: 1 }, at)));
        node.dispatchEvent(new MouseEvent('mousedown', Object.assign({ buttons: 1, detail: i + 1 }, at)));
        node.dispatchEvent(new PointerEvent('pointerup', at));
        node.dispatchEvent(new MouseEvent('mouseup', Object.assign({ detail: i + 1 }, at)));
        target.dispatchEvent(new MouseEvent('click', Object.assign({ detail: i + 1 }, at)));
      }
      if (double)
        node.dispatchEvent(new MouseEvent('dblclick', Object.assign({ detail: 2 }, at)));
    }, [px, py, double]);
  };

  const cell = (key, grid, column, row) =>
    control(key, grid).locator('.kw-cell[data-col="' + column + '"][data-row="' + row + '"]');
  const led = (key, k) => gesture(control(key, 'Image1'), { x: ledX[k], y: ledY });
  const setBox = async (name, checked) => {
    const key = name === 'copier' ? 'destination' : 'avance';
    const box = control(key, name);
    if (key === 'avance' && !(await win('avance').isVisible()))
      await page.locator('[data-task="Avance"]').click();
    if ((await box.locator('input').isChecked()) !== checked && (await box.locator('input').isEnabled()))
      await gesture(box);
  };

  const acts = {
    async click(args) {
      const name = args.join(' ');
      const point = diagramPoints[name] || (/^\d+,\d+$/.test(name) && name.split(',').map(Number));
      if (!point)
        throw new Error('no such element of the diagram: ' + name);
      await gesture(control('principale', 'Image1'), { x: point[0], y: point[1] });
    },
    async copy([row, , column]) {
      await gesture(cell('source', 'trame', column, 0));
      await gesture(cell('source', 'table_MAC', 1, row), { double: true });
    },
    tick: ([name]) => setBox(name, true),
    untick: ([name]) => setBox(name, false),
    async led([key, ...ks]) {
      if (ks[0] === 'at') {
        const [x, y] = ks[1].split(',').map(Number);
        return gesture(control(key, 'Image1'), { x, y });
      }
      for (const k of ks)
        await led(key, Number(k));
    },
    done: ([key]) => gesture(control(key, key === 'apropos' ? 'OKButton' : 'BitBtn1')),
    async learn([column, , port]) {
      await gesture(cell('switch', 'trame', column, 0));
      await gesture(control('switch', 'port' + port), { double: true });
    },
    select: ([column]) => gesture(cell('switch', 'trame', column, 0)),
    entry: ([what, port]) => (what === 'port'
      ? gesture(control('switch', 'port' + port), { double: true })
      : gesture(cell('switch', 'trame', what, 0), { double: true })),
    port: ([port]) => gesture(control('switch', 'port' + port)),
    via: ([to]) => gesture(control('switch', to === 'inconnu' ? 'b_dinconnu' : 'b_d' + to)),
    emit: () => gesture(control('switch', 'image_switch')),
    fin: () => gesture(control('avance', 'fin_traitement')),
    menu: ([item]) => gesture(control('principale', { nouveau: 'Nouveau', apropos: 'APropos1', quitter: 'Quitter1' }[item])),
    answer: ([button]) => gesture(page.locator('.kw-box').last().locator('[data-c="' + (button === 'ok' ? 'OK' : 'Annuler') + '"]')),
    close: ([key]) => gesture(win(key).locator('[data-c="close"]').first()),
    activate: ([key]) => gesture(win(key).locator('.kw-caption').first()),
    wait: () => {}, // the page's clock is the browser's: the series' time is not the bench's
  };

  let listed = []; // the boxes the scenario lists after the last act
  let shown = []; // the boxes that act showed
  let asking = false; // a confirmation is up, already counted
  const compare = () => {
    const a = JSON.stringify(shown);
    const b = JSON.stringify(listed);
    if (a !== b)
      played.unexpected.push('after act ' + played.acts + ': boxes ' + a + ' instead of ' + b);
  };
  for (const line of playLines(text)) {
    const [word, ...args] = tokens(line.trim());
    if (word === 'box') {
      listed.push([args[0], args[1]]);
      continue;
    }
    if (!acts[word])
      continue; // an expectation
    compare();
    listed = [];
    shown = [];
    await acts[word](args);
    if (word === 'answer')
      asking = false;
    played.acts += 1;
    await idle();
    // Each box as it comes, answered OK, except a confirmation.
    for (;;) {
      const box = page.locator('.kw-box').last();
      if (await box.count() === 0)
        break;
      const kind = await box.getAttribute('data-kind');
      const boxText = await box.locator('[data-c="text"]').textContent();
      if (kind === 'Confirmation') {
        if (!asking)
          shown.push([boxCaptions[kind], boxText.replace(/\n/g, '\r\n')]);
        asking = true;
        break;
      }
      shown.push([boxCaptions[kind] || kind, boxText.replace(/\n/g, '\r\n')]);
      await box.locator('[data-c="OK"]').click();
      played.boxes += 1;
      await idle();
    }
    await afterAct();
  }
  compare();
  return played;
}
