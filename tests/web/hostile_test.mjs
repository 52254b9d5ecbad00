// Bad, odd and hostile series given to the page the four ways a student or a teacher gives one:
// the two files picked, the folder picked, a drop on the drop zone, and `?serie=URL`. Each row
// names what the desktop does with the same files (its box, word for word, or the documented
// fallback); whatever the way, the page shows that and never a blank page, and every text of
// a file stays text: markup in a file is shown as written and never runs. Then a whole play,
// after which the page has stored nothing and asked only its own server for anything.
//
//   node hostile_test.mjs series | private
import { mkdtempSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { serve } from '../../web/tools/serve.mjs';
import { check, equal, examplesDir, run, webDir } from './support.mjs';

const Img = '<img src=x onerror="window.__pwned=1">';
const Script = '<script>window.__pwned=2</script>';
const Entity = '&amp;&lt;b&gt;';
const Machine1 = 'Machine 1';

const NotFound = 'KW_switch.ini non trouvé sur ';
const NothingToPlay = 'Ni exercice imposé ni exercice aléatoire\n\nFichier d\'exercices incorrect';
const Inaccessible = 'Le fichier ./switchexos.kw \n n\'est pas accessible';

const utf8 = (text) => Buffer.from(text, 'utf8');
const bom = (text) => Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), utf8(text)]);
// Windows-1252 for the letters used here: those of Latin-1, and the euro sign.
const cp1252 = (text) => Buffer.from([...text].map((c) => (c === '€' ? 0x80 : c.charCodeAt(0))));
const ask = (lineEnd) => '[parametres]' + lineEnd + 'questions=.' + lineEnd;
// Bytes that are no text at all: high bytes, zeros and control codes, no digit.
const binary = (size) => {
  const bytes = Buffer.alloc(size);
  for (let i = 0; i < size; ++i)
    bytes[i] = i % 7 === 0 ? 0 : i % 11 === 0 ? 10 : 0x80 + (i * 37) % 128;
  return bytes;
};
// An exercise file of more than 8 MiB: its first line, then comments; its FIN lies beyond
// what is read.
const huge = () => Buffer.concat([utf8('3 9\r\n'), Buffer.alloc(9 << 20, '; commentaire du professeur\r\n'), utf8('FIN\r\n')]);
const accents = (lineEnd) => ['; Série de Noël', '[adresses MAC]', 'Machine1=Côté-01', 'ServeurB=Été à 5 €',
  ask(lineEnd) + '1 2'].join(lineEnd) + lineEnd;

// Each row: the series folder's files, the folder's name on the disk, the boxes of the start
// ([kind, caption, text], `{shown}` standing for the series as its texts name it), and then:
// `refused` (the first screen back) or the exercise the main window shows. `stations`: what
// the window of the known addresses shows for some stations; `report`: texts of the check
// report.
const rows = [
  { name: 'sans_ini', folder: 'Série sans INI', files: { 'switchexos.kw': utf8('1 2\r\nFIN\r\n') },
    boxes: [['Error', 'Erreur', NotFound + '{shown}']], refused: true },
  { name: 'sans_exercices', folder: 'Série sans exercices', files: { 'kw_switch.INI': utf8(ask('\r\n')) },
    boxes: [['Error', 'Erreur', Inaccessible]], exercise: null },
  { name: 'vides', folder: 'vides', files: { 'kw_switch.INI': Buffer.alloc(0), 'switchexos.kw': Buffer.alloc(0) },
    boxes: [['Error', 'Erreur', NothingToPlay]], refused: true },
  { name: 'ini_binaire', folder: 'binaire', files: { 'kw_switch.INI': binary(70000), 'switchexos.kw': utf8('1 2\r\n') },
    boxes: [['Error', 'Erreur', NothingToPlay]], refused: true },
  // No exercise line: a random series.
  { name: 'exercices_binaires', folder: 'binaires', files: { 'kw_switch.INI': utf8(ask('\r\n')), 'switchexos.kw': binary(70000) },
    boxes: [], exercise: null },
  { name: 'enorme', folder: 'énorme', files: { 'kw_switch.INI': utf8(ask('\r\n')), 'switchexos.kw': huge() },
    boxes: [], exercise: ['Machine 3', 'Broadcast'], report: ['fichier de plus de 8 Mio : la suite est ignorée'] },
  { name: 'windows1252_cr', folder: 'Noël 1252', files: { 'kw_switch.INI': cp1252(accents('\r')), 'switchexos.kw': utf8('1 2\rFIN\r') },
    boxes: [], exercise: [Machine1, 'Machine 2'], stations: { 1: 'Côté-01', 8: 'Été à 5 €' } },
  { name: 'utf8_bom_crlf', folder: 'Noël BOM', files: { 'kw_switch.INI': bom(accents('\r\n')), 'switchexos.kw': bom('2 1\r\nFIN\r\n') },
    boxes: [], exercise: ['Machine 2', Machine1], stations: { 1: 'Côté-01', 8: 'Été à 5 €' } },
  // The names in any letter case, as on the desktop.
  { name: 'lf_casse', folder: 'Casse', files: { 'KW_SWITCH.INI': utf8(accents('\n')), 'SwitchExos.kw': utf8('8 4\nFIN\n') },
    boxes: [], exercise: ['ServeurB', 'Machine 4'], stations: { 1: 'Côté-01' } },
  { name: 'hors_limites', folder: 'hors limites', files: {
    'kw_switch.INI': utf8(ask('\r\n') + 'ttl_max=99999\r\nfreq_multi=-7\r\nhub_auto=40\r\nentrees_initiales=' + '7'.repeat(3000) + '\r\n'),
    'switchexos.kw': utf8('0 9\r\n5 5\r\n6 1\r\nFIN\r\n') }, boxes: [], exercise: ['Machine 6', 'Machine 1'] },
  { name: 'balisage', folder: Img, files: {
    'kw_switch.INI': utf8('[adresses MAC]\r\nMachine1=' + Img + '\r\nMachine2=' + Script + '\r\nMachine3=' + Entity + '\r\n' +
      ask('\r\n')),
    'switchexos.kw': utf8('1 2 ' + Script + '\r\n' + Img + '\r\nFIN\r\n') },
    boxes: [], exercise: [Machine1, 'Machine 2'], stations: { 1: Img, 2: Script, 3: Entity }, report: [Img, Script] },
  // Markup in the folder's name, in the box that names it.
  { name: 'balisage_sans_ini', folder: '<svg onload="window.__pwned=3">', files: { 'switchexos.kw': utf8(Img + '\r\n') },
    boxes: [['Error', 'Erreur', NotFound + '{shown}']], refused: true },
];

// The ways a series reaches the page, and how its texts name it there.
const ways = {
  fichiers: { shown: () => 'fichiers choisis' },
  dossier: { shown: (row) => row.folder },
  depot: { shown: () => 'fichiers choisis' },
  adresse: { shown: (row, url) => url.replace(/\/$/, '') },
};

// The boxes up, each answered with OK, in order.
async function startBoxes(student) {
  const seen = [];
  for (;;) {
    await student.idle();
    const box = await student.box();
    if (!box)
      return seen;
    check(box.role === 'alertdialog', 'a box is no alert dialog');
    seen.push([box.kind, box.caption, box.text]);
    check(seen.length < 5, 'boxes without end');
    await student.answerBox();
  }
}

// Nothing from a file ran, nor became markup.
async function expectNothingRan(student, what) {
  const found = await student.page.evaluate(() => ({
    pwned: typeof window.__pwned,
    images: [...document.querySelectorAll('img')].filter((img) => img.getAttribute('src') === 'x').length,
    scripts: [...document.querySelectorAll('script')].filter((s) => s.textContent.includes('__pwned')).length,
    bold: document.querySelectorAll('b').length,
  }));
  equal(found, { pwned: 'undefined', images: 0, scripts: 0, bold: 0 }, what + ': markup from a file');
}

// What the page shows once the series is given: its boxes, then the program or the first
// screen, never nothing.
async function expectOutcome(student, row, shown, what) {
  const boxes = await startBoxes(student);
  equal(boxes, row.boxes.map(([kind, caption, text]) => [kind, caption, text.replace('{shown}', shown)]), what + ': boxes');
  if (row.refused) {
    check(await student.page.locator('#kw-accueil').isVisible(), what + ': no first screen after the refused start');
    check(!(await student.page.evaluate(() => window.kwTest.playing())), what + ': still playing');
    equal(await student.page.locator('[data-w]:visible').count(), 0, what + ': windows shown');
  } else {
    check(await student.shown('Principale'), what + ': the main window is not shown');
    const edits = [await student.control('Principale', 'Edit1').inputValue(), await student.control('Principale', 'Edit2').inputValue()];
    if (row.exercise)
      equal(edits, row.exercise, what + ': exercise');
    else
      check(edits[0] && edits[1] && edits[0] !== edits[1], what + ': no random exercise: ' + JSON.stringify(edits));
    for (const [station, text] of Object.entries(row.stations || {})) {
      const cell = student.control('AdressesMAC', 'table_MAC').locator('[data-row="' + station + '"][data-col="1"]');
      equal(await cell.textContent(), text, what + ': address of station ' + station + ' in the known addresses');
    }
  }
  const body = await student.page.evaluate(() => document.body.innerText.trim().length);
  check(body > 0, what + ': a blank page');
  await expectNothingRan(student, what);
}

// The row's files in a folder of `root`.
function writeRow(root, row, folderName) {
  const folder = join(root, folderName);
  mkdirSync(folder, { recursive: true });
  for (const [name, bytes] of Object.entries(row.files))
    writeFileSync(join(folder, name), bytes);
  return folder;
}

// A drop of the row's files, as a file manager drops them.
async function drop(student, row) {
  const files = Object.entries(row.files).map(([name, bytes]) => [name, bytes.toString('base64')]);
  const transfer = await student.page.evaluateHandle((list) => {
    const data = new DataTransfer();
    for (const [name, base64] of list) {
      const text = atob(base64);
      const bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i)
        bytes[i] = text.charCodeAt(i);
      data.items.add(new File([bytes], name));
    }
    return data;
  }, files);
  const zone = student.page.locator('[data-c="depot"]');
  await zone.dispatchEvent('dragover', { dataTransfer: transfer });
  await zone.dispatchEvent('drop', { dataTransfer: transfer });
}

const tests = {
  async series(browser) {
    const root = mkdtempSync(join(tmpdir(), 'kw-hostile-'));
    // 404s of the names tried on the series' server, which the console logs.
    const site = await serve({ '/': webDir, '/series/': root });
    try {
      const student = await browser.page();
      const tried = [];
      student.page.on('console', (message) => {
        if (message.type() === 'error' && message.text().includes('404'))
          tried.push(message.location().url);
      });
      for (const row of rows) {
        const disk = writeRow(join(root, 'disk'), row, row.folder);
        const served = writeRow(root, row, row.name);
        for (const [way, { shown }] of Object.entries(ways)) {
          const what = row.name + ' (' + way + ')';
          if (way === 'adresse') {
            const url = site.url + 'series/' + row.name + '/';
            const before = tried.length;
            await student.open(site.url + '?graine=5&serie=' + encodeURIComponent('series/' + row.name + '/'));
            await expectOutcome(student, row, shown(row, url), what);
            // The only errors allowed: the names tried in the series' folder and not there.
            const missing = tried.slice(before);
            check(missing.every((u) => u.startsWith(url) && !Object.keys(row.files).includes(decodeURIComponent(u.slice(url.length)))),
              what + ': a request refused outside the names tried: ' + missing.join(' '));
            for (let n = 0; n < missing.length; ++n) {
              const at = browser.errors.findIndex((e) => e.startsWith('console: Failed to load resource') && e.includes('404'));
              check(at >= 0, what + ': a 404 of the series not reported');
              browser.errors.splice(at, 1);
            }
            continue;
          }
          await student.open(site.url + '?graine=5');
          if (way === 'fichiers')
            await student.page.locator('[data-c="fichiers-input"]').setInputFiles(Object.keys(row.files).map((name) => join(served, name)));
          else if (way === 'dossier')
            await student.page.locator('[data-c="dossier-input"]').setInputFiles(disk);
          else
            await drop(student, row);
          await student.page.waitForFunction(() => !document.querySelector('[data-c="jouer"]').disabled);
          const status = await student.page.locator('[data-c="serie"]').textContent();
          if (way === 'dossier')
            equal(status, 'Série : ' + row.folder, what + ': the series named on the first screen');
          await student.page.locator('[data-c="verifier"]').click();
          const report = await student.page.locator('[data-c="rapport"]').textContent();
          check(report.length > 0, what + ': an empty check report');
          for (const text of row.report || [])
            check(report.includes(text), what + ': the check report lacks ' + JSON.stringify(text));
          await expectNothingRan(student, what + ' (check report)');
          await student.page.locator('[data-c="jouer"]').click();
          await expectOutcome(student, row, shown(row), what);
        }
        rmSync(disk, { recursive: true });
        rmSync(served, { recursive: true });
      }
    } finally {
      site.server.close();
      rmSync(root, { recursive: true, force: true });
    }
  },

  // A whole play leaves nothing behind and asks nothing of anyone but the page's own server;
  // from file://, nothing at all but the file itself.
  async private(browser) {
    for (const fromFile of [false, true]) {
      const student = await browser.page();
      const requests = [];
      student.page.on('request', (request) => requests.push(request.url()));
      const start = fromFile ? browser.fileUrl('kw_switch.html') : browser.url;
      await student.open(start);
      // A series from the disk, checked, then played: a station, a hub, a wrong click and its
      // box, the about box, the question before ending.
      await student.page.locator('[data-c="dossier-input"]').setInputFiles(join(examplesDir, 'serie_imposee'));
      await student.page.waitForFunction(() => !document.querySelector('[data-c="jouer"]').disabled);
      await student.page.locator('[data-c="verifier"]').click();
      await student.page.locator('[data-c="jouer"]').click();
      await student.idle();
      check(await student.shown('Principale'), 'the series picked does not start');
      await student.clickDiagram(30, 200);
      await student.copyFrame(2, 1);
      await student.click('Source', 'BitBtn1');
      await student.clickDiagram(250, 145);
      await student.expectBox('Warning', 'Ce n\'est pas le moment de traiter ce hub');
      await student.click('Principale', 'APropos1');
      check(await student.shown('APropos'), 'no about box');
      await student.click('APropos', 'OKButton');
      // Both examples too, and back.
      await student.page.keyboard.press('Alt+q');
      await student.idle();
      await student.answerBox('OK');
      await student.page.locator('[data-c="serie_aleatoire"]').click();
      await student.idle();
      check(await student.shown('Principale'), 'the random example does not start');
      const stored = await student.page.evaluate(async () => ({
        cookie: document.cookie,
        local: localStorage.length,
        session: sessionStorage.length,
        databases: indexedDB.databases ? (await indexedDB.databases()).length : 0,
        caches: window.caches ? (await caches.keys()).length : 0,
        // A page from file:// may not ask (it can register none either).
        workers: await (navigator.serviceWorker ? navigator.serviceWorker.getRegistrations() : Promise.resolve([]))
          .then((list) => list.length, () => 0),
      }));
      const where = fromFile ? 'from file://' : 'from the server';
      equal(stored, { cookie: '', local: 0, session: 0, databases: 0, caches: 0, workers: 0 }, 'stored ' + where);
      const page = new URL(start);
      const elsewhere = requests.filter((url) => {
        if (url.startsWith('data:') || url.startsWith('blob:'))
          return false;
        return fromFile ? url.split('?')[0] !== page.href : new URL(url).origin !== page.origin;
      });
      equal(elsewhere, [], 'requests ' + where);
      await student.page.context().close();
    }
  },
};

const name = process.argv[2];
if (!tests[name]) {
  console.error('usage: hostile_test.mjs ' + Object.keys(tests).join(' | '));
  process.exit(2);
}
run(name, tests[name]);
