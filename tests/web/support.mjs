// What the browser tests share: Debian's Chromium driven by playwright-core, the page served
// from 127.0.0.1 by the page's own small server (or opened from file://), every console error
// and unhandled rejection counted as a failure, and the student's hands on the page.
import { existsSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { serve } from '../../web/tools/serve.mjs';

// Installed by npm ci (scripts/test does it).
const playwright = await import('playwright-core').catch(() => null);

export const repository = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const webDir = process.env.KW_WEB_DIR || join(repository, 'build-web');
export const examplesDir = join(repository, 'examples');

// Exits with CTest's "skipped" status when the page or the browser is not there.
export function requirePage() {
  if (!playwright) {
    console.log('skipped: no playwright-core (npm ci installs it)');
    process.exit(77);
  }
  if (!existsSync(join(webDir, 'index.html')) || !existsSync(join(webDir, 'kw_switch.html'))) {
    console.log('skipped: no web page in ' + webDir + ' (scripts/web --build-only builds it)');
    process.exit(77);
  }
  if (!existsSync(chromiumPath())) {
    console.log('skipped: no Chromium at ' + chromiumPath());
    process.exit(77);
  }
}

export function chromiumPath() {
  return process.env.KW_CHROMIUM || '/usr/bin/chromium';
}

export class Failure extends Error {}

export function check(condition, message) {
  if (!condition)
    throw new Failure(message);
}

export function equal(actual, expected, what) {
  const a = JSON.stringify(actual);
  const e = JSON.stringify(expected);
  check(a === e, what + ': ' + a + ' instead of ' + e);
}

// One browser for a test file; pages opened through it report their errors.
export class Browser {
  // `mounts` adds folders to the server ({ '/serie/': folder }).
  async start(mounts = {}) {
    this.browser = await playwright.chromium.launch({ executablePath: chromiumPath(), args: ['--no-sandbox'] });
    this.errors = [];
    const site = await serve(Object.assign({ '/': webDir, '/examples/': examplesDir }, mounts));
    this.server = site.server;
    this.url = site.url;
    return this;
  }

  async page({ scale = 1, width = 1280, height = 800 } = {}) {
    const context = await this.browser.newContext({ viewport: { width, height }, deviceScaleFactor: scale });
    const page = await context.newPage();
    page.on('console', (message) => {
      if (message.type() === 'error') {
        const where = message.location() && message.location().url;
        this.errors.push('console: ' + message.text() + (where ? ' [' + where + ']' : ''));
      }
    });
    page.on('pageerror', (error) => this.errors.push('page error: ' + error.message));
    page.on('crash', () => this.errors.push('the page crashed'));
    return new Student(page);
  }

  fileUrl(name) {
    return pathToFileURL(join(webDir, name)).href;
  }

  async stop() {
    await this.browser.close();
    this.server.close();
  }
}

// The student's hands and eyes on the page.
export class Student {
  constructor(page) {
    this.page = page;
  }

  async open(url) {
    await this.page.goto(url);
    await this.page.evaluate(() => window.kwTest.ready());
  }

  window(name) {
    return this.page.locator('[data-w="' + name + '"]');
  }

  control(windowName, control) {
    return this.window(windowName).locator('[data-c="' + control + '"]');
  }

  async idle() {
    await this.page.evaluate(() => window.kwTest.idle());
  }

  async view() {
    return this.page.evaluate(() => window.kwTest.view());
  }

  // A press of the mouse at picture pixel (x, y) of a picture control.
  async clickPicture(windowName, control, x, y) {
    const box = await this.control(windowName, control).boundingBox();
    check(box, control + ' of ' + windowName + ' is not shown');
    await this.page.mouse.click(box.x + x + 0.5, box.y + y + 0.5);
    await this.idle();
  }

  async clickDiagram(x, y) {
    await this.clickPicture('Principale', 'Image1', x, y);
  }

  async click(windowName, control) {
    await this.control(windowName, control).click();
    await this.idle();
  }

  async cell(windowName, grid, column, row) {
    return this.control(windowName, grid).locator('[data-row="' + row + '"][data-col="' + column + '"]');
  }

  async clickCell(windowName, grid, column, row, double = false) {
    const cell = await this.cell(windowName, grid, column, row);
    if (double)
      await cell.dblclick();
    else
      await cell.click();
    await this.idle();
  }

  // A click in the middle of LED k's square (1..8) in a LED picture.
  async clickLed(windowName, k) {
    const j = Math.floor(k / 2);
    await this.clickPicture(windowName, 'Image1', k % 2 ? 95 * j + 47 : 95 * j - 15, 29);
  }

  // In the open sending dialog: the destination's address (cache row `to`) and the sender's
  // (row `from`) copied into the frame, each cell selected then the row double-clicked.
  async copyFrame(to, from) {
    await this.clickCell('Source', 'table_MAC', 1, to);
    await this.clickCell('Source', 'trame', 0, 0, true);
    await this.clickCell('Source', 'table_MAC', 1, from);
    await this.clickCell('Source', 'trame', 1, 0, true);
  }

  // The box on top: its kind, caption and text.
  async box() {
    const box = this.page.locator('.kw-box').last();
    if (await box.count() === 0)
      return null;
    return {
      kind: await box.getAttribute('data-kind'),
      caption: await box.locator('[data-c="caption"]').textContent(),
      text: await box.locator('[data-c="text"]').textContent(),
      role: await box.getAttribute('role'),
    };
  }

  async answerBox(button = 'OK') {
    await this.page.locator('.kw-box').last().locator('[data-c="' + button + '"]').click();
    await this.idle();
  }

  async expectBox(kind, text) {
    await this.page.locator('.kw-box').last().waitFor({ timeout: 5000 });
    const box = await this.box();
    equal([box.kind, box.text], [kind, text], 'box');
    await this.answerBox();
  }

  async shown(windowName) {
    return this.window(windowName).isVisible();
  }
}

// Runs `test` with a browser; prints its verdict, exits 1 on a failure or on any error the
// page reported, except those `accepted(error)` expects. `mounts` as for Browser.start.
export async function run(name, test, { mounts = {}, accepted = () => false } = {}) {
  requirePage();
  const browser = await new Browser().start(mounts);
  let failed = null;
  try {
    await test(browser);
  } catch (error) {
    failed = error;
  } finally {
    await browser.stop().catch(() => {});
  }
  browser.errors = browser.errors.filter((error) => !accepted(error));
  if (browser.errors.length)
    console.log(browser.errors.map((e) => 'error reported by the page: ' + e).join('\n'));
  if (failed)
    console.log(name + ': ' + (failed instanceof Failure ? failed.message : failed.stack || failed));
  const ok = !failed && browser.errors.length === 0;
  console.log(ok ? '1 passed, 0 failed' : '0 passed, 1 failed');
  process.exit(ok ? 0 : 1);
}
