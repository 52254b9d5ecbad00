// The page as the student sees it, at 1× and 2× (devicePixelRatio): each of the ten windows and
// each kind of box against its reference picture (tests/web/reference/), every text whole in
// its control, every control named for a screen reader, and the pictures crisp (a picture pixel a block of the screen's pixels, the
// same as the picture of assets/).
//
//   node pictures_test.mjs references | texts_fit | crisp | names
//
// KW_UPDATE_REFERENCES=1 writes the reference pictures afresh instead of comparing them (look
// at them before committing); a failed comparison leaves the picture taken in
// $TMPDIR/kw-pictures/.
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { decodePng } from './png.mjs';
import { check, equal, examplesDir, repository, run } from './support.mjs';

const referenceDir = join(dirname(fileURLToPath(import.meta.url)), 'reference');
const update = process.env.KW_UPDATE_REFERENCES === '1';

// Headless Chromium draws the same page the same way on one machine; between machines its
// antialiasing of text and of the boxes' icons may move a few edge pixels by a few levels.
// A pixel counts as changed beyond `levels` on a channel; a picture may have at most `share`
// of its pixels changed.
const tolerance = { levels: 48, share: 0.0005 };

// Visits every window and every kind of box at the given scale, in a play of the imposed
// series' first exercise, calling `seen(name, locator)` once for each when it is fresh.
async function tour(browser, scale, seen) {
  const student = await browser.page({ scale });
  // An error box: the exercise file alone, without its configuration.
  await student.open(browser.url);
  await student.page.locator('[data-c="fichiers-input"]').setInputFiles([join(examplesDir, 'serie_imposee', 'switchexos.kw')]);
  await student.page.waitForFunction(() => !document.querySelector('[data-c="jouer"]').disabled);
  await student.page.locator('[data-c="jouer"]').click();
  await student.idle();
  await seen('box_Error', student.page.locator('.kw-box'), student);
  await student.answerBox();

  await student.open(browser.url + '?exemple=serie_imposee');
  await seen('Principale', student.window('Principale'), student);
  for (const name of ['Avance', 'AdressesMAC']) {
    await student.page.locator('[data-task="' + name + '"]').click();
    await student.idle();
    await seen(name, student.window(name), student);
    await student.window(name).locator('[data-c="minimise"]').click();
  }
  await student.click('Principale', 'APropos1');
  await seen('APropos', student.window('APropos'), student);
  await student.click('APropos', 'OKButton');

  await student.clickDiagram(30, 200);
  await seen('Source', student.window('Source'), student);
  await student.copyFrame(2, 1);
  await student.click('Source', 'BitBtn1');
  await student.clickDiagram(100, 145);
  await seen('Hub1', student.window('Hub1'), student);
  for (const k of [1, 4, 6, 8])
    await student.clickLed('Hub1', k);
  await student.click('Hub1', 'BitBtn1');
  await student.clickDiagram(250, 100);
  await seen('Switch', student.window('Switch'), student);
  await student.clickCell('Switch', 'trame', 1, 0);
  await student.control('Switch', 'port1').dblclick();
  await student.idle();
  await student.click('Switch', 'b_dinconnu');
  await student.click('Switch', 'image_switch');
  await seen('SwitchGros', student.window('SwitchGros'), student);
  for (const k of [2, 3, 5, 7])
    await student.clickLed('SwitchGros', k);
  await student.click('SwitchGros', 'BitBtn1');
  await student.clickDiagram(380, 145);
  await seen('Hub2', student.window('Hub2'), student);
  for (const k of [1, 4, 6, 8])
    await student.clickLed('Hub2', k);
  await student.click('Hub2', 'BitBtn1');
  await student.clickDiagram(90, 200);
  await seen('Destination', student.window('Destination'), student);
  await student.click('Destination', 'copier');
  await student.click('Destination', 'BitBtn1');
  await student.click('Avance', 'fin_traitement');
  await seen('box_Information', student.page.locator('.kw-box'), student);
  await student.answerBox();
  await student.window('Avance').locator('[data-c="minimise"]').click();
  await student.clickDiagram(250, 145);
  await seen('box_Warning', student.page.locator('.kw-box'), student);
  await student.answerBox();
  await student.page.keyboard.press('Alt+q');
  await student.idle();
  await seen('box_Confirmation', student.page.locator('.kw-box'), student);
  await student.answerBox('Annuler');
  await student.page.context().close();
}

// Pixels of `b` that differ from `a` beyond the tolerance's levels.
function changed(a, b) {
  let count = 0;
  for (let i = 0; i < a.rgba.length; i += 4)
    for (let k = 0; k < 3; ++k)
      if (Math.abs(a.rgba[i + k] - b.rgba[i + k]) > tolerance.levels) {
        ++count;
        break;
      }
  return count;
}

// Every text node of `root` whole inside its element and each clipping box around it; every
// edit box's value whole. Runs in the page.
function cutTexts(root) {
  const cut = [];
  // The boxes of the text's words: blanks where a line wraps hang past the edge unseen, as
  // on the desktop.
  const rectOf = (node) => {
    const rects = [];
    for (const word of node.textContent.matchAll(/\S+/g)) {
      const range = document.createRange();
      range.setStart(node, word.index);
      range.setEnd(node, word.index + word[0].length);
      rects.push(...[...range.getClientRects()].filter((r) => r.width > 0 || r.height > 0));
    }
    return rects;
  };
  const nameOf = (node) => {
    const control = node.closest('[data-c]');
    return (control ? control.dataset.c : node.className) + ' ' + JSON.stringify(node.textContent || node.value);
  };
  const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (!node.textContent.trim())
      continue;
    const rects = rectOf(node);
    if (rects.length === 0)
      continue; // hidden
    const parent = node.parentElement;
    if (parent.scrollWidth > parent.clientWidth + 0.5 && getComputedStyle(parent).overflowX !== 'visible')
      cut.push(nameOf(parent) + ': wider than its control (' + parent.scrollWidth + ' > ' + parent.clientWidth + ')');
    for (let box = parent; box && box !== root.parentElement; box = box.parentElement) {
      const style = getComputedStyle(box);
      if (style.overflowX === 'visible' && style.overflowY === 'visible' && !box.dataset.c)
        continue;
      const b = box.getBoundingClientRect();
      for (const r of rects)
        if (r.left < b.left - 0.5 || r.right > b.right + 0.5 || r.top < b.top - 0.5 || r.bottom > b.bottom + 0.5) {
          cut.push(nameOf(parent) + ': runs out of ' + (box.dataset.c || box.className) +
            ' (' + [r.left, r.top, r.right, r.bottom].map(Math.round) + ' outside ' + [b.left, b.top, b.right, b.bottom].map(Math.round) + ')');
          break;
        }
    }
  }
  for (const input of root.querySelectorAll('input[type="text"]'))
    if (input.getClientRects().length && input.value && input.scrollWidth > input.clientWidth)
      cut.push(nameOf(input) + ': wider than its edit box (' + input.scrollWidth + ' > ' + input.clientWidth + ')');
  return [...new Set(cut)];
}

// The picture pixels (RGBA) of a canvas drawn in the page, at its own resolution.
async function canvasPixels(student, selector) {
  return student.page.evaluate((selector) => {
    const canvas = document.querySelector(selector);
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 0x8000)
      binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return { width: canvas.width, height: canvas.height, base64: btoa(binary) };
  }, selector).then(({ width, height, base64 }) => ({ width, height, rgba: Buffer.from(base64, 'base64') }));
}

const tests = {
  async references(browser) {
    const failures = [];
    const outDir = join(tmpdir(), 'kw-pictures');
    for (const scale of [1, 2]) {
      await tour(browser, scale, async (name, locator) => {
        const file = name + '@' + scale + 'x.png';
        const shot = await locator.last().screenshot({ animations: 'disabled', caret: 'hide' });
        if (update) {
          mkdirSync(referenceDir, { recursive: true });
          writeFileSync(join(referenceDir, file), shot);
          return;
        }
        const keep = () => {
          mkdirSync(outDir, { recursive: true });
          writeFileSync(join(outDir, file), shot);
        };
        if (!existsSync(join(referenceDir, file))) {
          keep();
          failures.push(file + ': no reference picture (KW_UPDATE_REFERENCES=1 makes it)');
          return;
        }
        const actual = decodePng(shot);
        const reference = decodePng(readFileSync(join(referenceDir, file)));
        if (actual.width !== reference.width || actual.height !== reference.height) {
          keep();
          failures.push(file + ': ' + actual.width + ' × ' + actual.height + ' instead of ' + reference.width + ' × ' + reference.height);
          return;
        }
        const count = changed(reference, actual);
        if (count > tolerance.share * actual.width * actual.height) {
          keep();
          failures.push(file + ': ' + count + ' pixels changed (picture taken in ' + outDir + ')');
        }
      });
    }
    check(failures.length === 0, failures.join('\n'));
  },

  async texts_fit(browser) {
    const cut = [];
    for (const scale of [1, 2])
      await tour(browser, scale, async (name, locator, student) => {
        const found = await locator.last().evaluate(cutTexts);
        cut.push(...found.map((text) => name + ' at ' + scale + 'x: ' + text));
      });
    check(cut.length === 0, 'texts cut:\n' + cut.join('\n'));
  },

  // What a screen reader is told, as Chromium computes it: each window a dialog named by its
  // caption, each box an alert dialog named by its caption, and in them every control and
  // picture element with a name.
  async names(browser) {
    const named = ['button', 'checkbox', 'radio', 'menuitem', 'textbox', 'grid', 'application', 'image', 'group',
      'dialog', 'alertdialog', 'menubar', 'toolbar'];
    const faults = [];
    await tour(browser, 1, async (name, locator, student) => {
      const caption = await locator.last().locator('[data-c="caption"]').first().textContent();
      const cdp = await student.page.context().newCDPSession(student.page);
      const { nodes } = await cdp.send('Accessibility.getFullAXTree');
      await cdp.detach();
      const byId = new Map(nodes.map((node) => [node.nodeId, node]));
      const role = (node) => node.role && node.role.value;
      const text = (node) => (node.name && node.name.value) || '';
      // A name as a screen reader speaks it: its runs of blanks as one.
      const spoken = (t) => t.replace(/\s+/g, ' ').trim();
      const dialogs = nodes.filter((node) => !node.ignored && ['dialog', 'alertdialog'].includes(role(node)) &&
        spoken(text(node)) === spoken(caption));
      if (dialogs.length !== 1) {
        faults.push(name + ': ' + dialogs.length + ' dialogs named ' + JSON.stringify(caption));
        return;
      }
      const expected = name.startsWith('box_') ? 'alertdialog' : 'dialog';
      if (role(dialogs[0]) !== expected)
        faults.push(name + ': a ' + role(dialogs[0]) + ' instead of a ' + expected);
      const walk = (node) => {
        if (!node.ignored && named.includes(role(node)) && !text(node).trim())
          faults.push(name + ': a ' + role(node) + ' without a name');
        for (const child of node.childIds || [])
          if (byId.has(child))
            walk(byId.get(child));
      };
      walk(dialogs[0]);
    });
    check(faults.length === 0, faults.join('\n'));
  },

  // At 2×, each pixel of a picture is a 2 × 2 block of the canvas, the picture's own pixel
  // (save for the cables the game draws on the diagram, black at the start, a picture pixel
  // each); at 1× the canvas is the picture itself.
  async crisp(browser) {
    const pictures = [
      ['Principale', 'diagram', '[data-w="Principale"] [data-c="Image1"] canvas', null],
      ['Hub1', 'hub_leds', '[data-w="Hub1"] [data-c="Image1"] canvas', [100, 145]],
      ['Switch', 'switch_small', '[data-w="Switch"] [data-c="image_switch"] canvas', [250, 100]],
    ];
    const asset = Object.fromEntries(pictures.map(([, name]) => [name, decodePng(readFileSync(join(repository, 'assets', name + '.png')))]));
    const canvases = {};
    for (const scale of [1, 2]) {
      const student = await browser.page({ scale });
      await student.open(browser.url + '?exemple=serie_imposee');
      equal(await student.page.evaluate(() => window.kwTest.scale()), scale, 'pictures\' scale');
      // The diagram as it starts; the Hub 1 and switch pictures as their windows open.
      canvases[scale + 'diagram'] = await canvasPixels(student, pictures[0][2]);
      await student.clickDiagram(30, 200);
      await student.copyFrame(2, 1);
      await student.click('Source', 'BitBtn1');
      await student.clickDiagram(100, 145);
      canvases[scale + 'hub_leds'] = await canvasPixels(student, pictures[1][2]);
      for (const k of [1, 4, 6, 8])
        await student.clickLed('Hub1', k);
      await student.click('Hub1', 'BitBtn1');
      await student.clickDiagram(250, 100);
      canvases[scale + 'switch_small'] = await canvasPixels(student, pictures[2][2]);
      await student.page.context().close();
    }
    for (const [, name] of pictures) {
      const a = asset[name];
      const one = canvases['1' + name];
      const two = canvases['2' + name];
      equal([one.width, one.height, two.width, two.height], [a.width, a.height, 2 * a.width, 2 * a.height], name + ': canvas sizes');
      let notBlock = 0;
      let notPicture = 0;
      let notBlack = 0;
      for (let y = 0; y < two.height; ++y)
        for (let x = 0; x < two.width; ++x)
          for (let k = 0; k < 4; ++k)
            if (two.rgba[(y * two.width + x) * 4 + k] !== one.rgba[((y >> 1) * one.width + (x >> 1)) * 4 + k]) {
              ++notBlock;
              break;
            }
      for (let i = 0; i < one.rgba.length; i += 4) {
        const same = [0, 1, 2].every((k) => one.rgba[i + k] === a.rgba[i + k]);
        if (!same) {
          ++notPicture;
          if (one.rgba[i] || one.rgba[i + 1] || one.rgba[i + 2])
            ++notBlack;
        }
      }
      equal(notBlock, 0, name + ': pixels of the 2× canvas off their 1× pixel');
      equal(notBlack, 0, name + ': pixels of the 1× canvas that are neither the picture\'s nor a black cable\'s');
      if (name !== 'diagram')
        equal(notPicture, 0, name + ': pixels of the 1× canvas not the picture\'s');
      else
        check(notPicture > 0 && notPicture < 2000, 'diagram: ' + notPicture + ' cable pixels');
    }
  },
};

const name = process.argv[2];
if (!tests[name]) {
  console.error('usage: pictures_test.mjs ' + Object.keys(tests).join(' | '));
  process.exit(2);
}
run(name, tests[name]);
