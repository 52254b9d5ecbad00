// The web page's benchmark, in Debian's headless Chromium driven by playwright-core: prints each
// figure with its target and whether it is met.
//  1. the start: from the navigation's start to the main window painted and ready for a click
//     (kwTest.ready(), then the frame after it), against a reference page that shows the
//     diagram and one line of text (reference.html, painted once its picture is loaded), each
//     opened <runs> times in a fresh browser context, interleaved; the static site from
//     127.0.0.1 and the single file from file://, each against the reference from the same place;
//  2. a click on the sender in the diagram, from the press (the event's time stamp) to the
//     frame that shows the sending dialog painted, <clicks> times, the dialog closed each time;
//  3. the bytes the page loads (raw, and gzipped as a server would send them);
//  4. the module's memory while the imposed series plays to its end, its acts taken from
//     tests/scenarios/serie_imposee.scenario (player.mjs).
//
//   node bench/web/bench.mjs [runs] [clicks]       defaults: 15, 100
import { readFileSync, statSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

import { serve } from '../../web/tools/serve.mjs';
import { playScenario } from './player.mjs';

const repository = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
const webDir = process.env.KW_WEB_DIR || join(repository, 'build-web');
const chromiumPath = process.env.KW_CHROMIUM || '/usr/bin/chromium';
const scenario = join(repository, 'tests', 'scenarios', 'serie_imposee.scenario');

const targets = { startRatio: 1.3, clickMs: 16, bytes: 300_000 };

const runs = Number(process.argv[2] || 15);
const clicks = Number(process.argv[3] || 100);
if (!Number.isInteger(runs) || runs < 1 || !Number.isInteger(clicks) || clicks < 2) {
  console.error('usage: bench.mjs [runs >= 1] [clicks >= 2]');
  process.exit(2);
}

const playwright = await import('playwright-core').catch(() => null);
if (!playwright) {
  console.error('no playwright-core: npm ci installs it');
  process.exit(1);
}
try {
  statSync(join(webDir, 'index.html'));
  statSync(join(webDir, 'kw_switch.html'));
} catch (e) {
  console.error('no web page in ' + webDir + ': scripts/web --build-only builds it');
  process.exit(1);
}

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  const n = v.length;
  return n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
};
const ms = (value) => value.toFixed(1) + ' ms';
const verdict = (met) => (met ? 'met' : 'missed');
const kB = (bytes) => (bytes / 1000).toFixed(1) + ' kB';

// In every page, before its own scripts: the moment it is painted and ready for a click. The
// page is ready when kwTest.ready() resolves (the main window up); the reference once its
// load event has come (its picture decoded). Painted: the frame that follows has been drawn,
// which a message posted from that frame's requestAnimationFrame callback comes after.
const instrument = () => {
  const afterFrame = () => new Promise((done) => requestAnimationFrame(() => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => done();
    channel.port2.postMessage(0);
  }));
  let shown;
  const bench = { shown: new Promise((done) => shown = done) };
  Object.defineProperty(window, '__kwBench', { value: bench });
  let hooks;
  Object.defineProperty(window, 'kwTest', {
    configurable: true,
    get: () => hooks,
    set(value) {
      hooks = value;
      value.ready().then(afterFrame).then(() => shown(performance.now()));
    },
  });
  addEventListener('load', () => {
    if (!hooks)
      afterFrame().then(() => shown(performance.now()));
  });
  // The next press of the mouse, to the frame painted after it; listened to before the page's
  // own listeners, so the frame asked for is the one that shows what they did.
  bench.armClick = () => {
    bench.click = new Promise((done) => addEventListener('pointerdown', (event) => {
      const pressed = event.timeStamp;
      afterFrame().then(() => done(performance.now() - pressed));
    }, { capture: true, once: true }));
  };
};

const browser = await playwright.chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
const site = await serve({ '/': webDir, '/bench/web/': join(repository, 'bench', 'web') });
const errors = [];

async function newPage() {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, deviceScaleFactor: 1 });
  await context.addInitScript(instrument);
  const page = await context.newPage();
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  return { context, page };
}

// Milliseconds from the navigation's start to the page painted and ready, in a fresh context
// (nothing cached).
async function start(url) {
  const { context, page } = await newPage();
  try {
    await page.goto(url, { waitUntil: 'commit' });
    return await page.evaluate(() => window.__kwBench.shown);
  } finally {
    await context.close();
  }
}

const serie = '?exemple=serie_imposee';
const variants = [
  { name: 'reference.html (http)', url: site.url + 'bench/web/reference.html' },
  { name: 'index.html (http)', url: site.url + serie, against: 0 },
  { name: 'reference.html (file://)', url: pathToFileURL(join(repository, 'bench', 'web', 'reference.html')).href },
  { name: 'kw_switch.html (file://)', url: pathToFileURL(join(webDir, 'kw_switch.html')).href + serie, against: 2 },
];

const uptime = () => readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
let status = 0;
try {
  console.log('== Load before (1, 5, 15 min): ' + uptime());
  console.log('== Start, to the main window painted and ready for a click: ' + runs +
    ' runs of each, interleaved, each in a fresh context (Chromium headless, 1280x800, 1x)');
  for (const variant of variants) // warms the browser up; not counted
    await start(variant.url);
  const times = variants.map(() => []);
  for (let run = 0; run < runs; ++run)
    for (let i = 0; i < variants.length; ++i) {
      const at = (i + run) % variants.length; // each first in turn
      times[at].push(await start(variants[at].url));
    }
  const medians = times.map(median);
  variants.forEach((variant, i) => {
    const ratio = variant.against === undefined ? '' : '  ' + (medians[i] / medians[variant.against]).toFixed(2) + 'x';
    console.log(variant.name.padEnd(28) + ' median ' + ms(medians[i]).padStart(9) + '   min ' +
      ms(Math.min(...times[i])).padStart(9) + ratio);
  });
  for (const [i, variant] of variants.entries()) {
    if (variant.against === undefined)
      continue;
    const ratio = medians[i] / medians[variant.against];
    console.log('start ' + variant.name + ' / ' + variants[variant.against].name + ': ' + ratio.toFixed(2) +
      'x (target <= ' + targets.startRatio.toFixed(2) + 'x): ' + verdict(ratio <= targets.startRatio));
  }

  console.log('\n== Click on the sender in the diagram, to the sending dialog painted (' + clicks +
    ' clicks, the dialog closed after each; index.html)');
  {
    const { context, page } = await newPage();
    await page.goto(site.url + serie);
    await page.evaluate(() => window.kwTest.ready());
    const sender = await page.evaluate(() => window.kwTest.view().principale.sourceName);
    const element = page.locator('[data-w="Principale"] .kw-element[aria-label="' + sender + '"]');
    const box = await element.boundingBox();
    const source = page.locator('[data-w="Source"]');
    const samples = [];
    for (let i = 0; i < clicks; ++i) {
      await page.evaluate(() => window.__kwBench.armClick());
      await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
      samples.push(await page.evaluate(() => window.__kwBench.click));
      await page.evaluate(() => window.kwTest.idle());
      if (await source.getAttribute('data-shown') !== 'modal')
        throw new Error('click ' + (i + 1) + ' on ' + sender + ' did not open the sending dialog');
      await source.locator('[data-c="close"]').click();
      await page.evaluate(() => window.kwTest.idle());
    }
    await context.close();
    const rest = median(samples.slice(1));
    console.log('first click ' + ms(samples[0]) + '; the others: median ' + ms(rest) + ', min ' +
      ms(Math.min(...samples.slice(1))) + ', max ' + ms(Math.max(...samples.slice(1))));
    console.log('click to the dialog painted, median: ' + ms(rest) + ' (target < ' + targets.clickMs + ' ms): ' +
      verdict(rest < targets.clickMs));
  }

  console.log('\n== Bytes the page loads (gzip: level 9, as a server may send them)');
  {
    const { context, page } = await newPage();
    const loaded = [];
    page.on('response', (response) => loaded.push(response));
    await page.goto(site.url + serie);
    await page.evaluate(() => window.kwTest.ready());
    let raw = 0;
    let gzipped = 0;
    const rows = [];
    for (const response of loaded) {
      if (!response.url().startsWith(site.url))
        continue;
      const body = await response.body();
      const packed = gzipSync(body, { level: 9 }).length;
      raw += body.length;
      gzipped += packed;
      rows.push([decodeURI(response.url().slice(site.url.length).split('?')[0]) || '(index.html)', body.length, packed]);
    }
    await context.close();
    for (const [name, size, packed] of rows.sort((a, b) => b[1] - a[1]))
      console.log('  ' + name.padEnd(34) + String(size).padStart(8) + ' B  ' + String(packed).padStart(8) + ' B gzip');
    const single = readFileSync(join(webDir, 'kw_switch.html'));
    const singleGzip = gzipSync(single, { level: 9 }).length;
    console.log('static site, ' + rows.length + ' files: ' + kB(raw) + ', ' + kB(gzipped) + ' gzipped (target < ' +
      kB(targets.bytes) + '): ' + verdict(raw < targets.bytes) + ' raw, ' + verdict(gzipped < targets.bytes) + ' gzipped');
    console.log('single file kw_switch.html: ' + kB(single.length) + ', ' + kB(singleGzip) + ' gzipped (target < ' +
      kB(targets.bytes) + '): ' + verdict(single.length < targets.bytes) + ' raw, ' +
      verdict(singleGzip < targets.bytes) + ' gzipped');
  }

  console.log('\n== Memory over the imposed series played to its end (the acts of ' +
    'tests/scenarios/serie_imposee.scenario; index.html)');
  {
    const { context, page } = await newPage();
    await page.goto(site.url + serie + '&graine=20000201');
    await page.evaluate(() => window.kwTest.ready());
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    const jsHeap = async () => (await cdp.send('Performance.getMetrics')).metrics
      .find((m) => m.name === 'JSHeapUsedSize').value;
    const wasm = () => page.evaluate(() => window.kwTest.memory());
    const first = await wasm();
    const firstHeap = await jsHeap();
    let most = first;
    const played = await playScenario(page, readFileSync(scenario, 'utf8'), async () => {
      most = Math.max(most, await wasm());
    });
    const last = await wasm();
    const lastHeap = await jsHeap();
    const view = await page.evaluate(() => window.kwTest.view());
    await context.close();
    const mib = (bytes) => (bytes / 1048576).toFixed(2) + ' MiB';
    console.log(played.acts + ' acts, ' + played.boxes + ' boxes answered, ' + played.dispatched +
      ' gestures sent to a control another window covered; the end: "' + view.principale.result + '"');
    if (!view.principale.resultShown || played.unexpected.length) {
      console.log('the series did not play to its end: ' + played.unexpected.join('; '));
      status = 1;
    }
    console.log('JavaScript heap used: ' + mib(firstHeap) + ' at the start, ' + mib(lastHeap) + ' at the end');
    console.log('wasm memory: ' + mib(first) + ' at the start, at most ' + mib(most) + ', ' + mib(last) +
      ' at the end; growth ' + (most - first) + ' B (target: none): ' + verdict(most === first));
  }
  if (errors.length) {
    console.log('\nerrors reported by the pages:\n  ' + errors.join('\n  '));
    status = 1;
  }
  console.log('\n== Load after (1, 5, 15 min): ' + uptime());
} finally {
  await browser.close();
  site.server.close();
}
process.exit(status);
