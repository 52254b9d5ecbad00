// The web page in a real browser: it starts on both examples, from its address and from its
// first screen; the imposed series' first exercise plays to its end with the mouse; the single
// file runs from file:// and opens a series picked from the disk.
//
//   node page_test.mjs examples_start | imposed_first_exercise | single_file
import { join } from 'node:path';

import { check, equal, examplesDir, run } from './support.mjs';

const mainCaption = 'Animation sur le commutateur ethernet  (switch).            Brevanne  V 1.0';

// The main window up, with its caption and the exercise's two stations; the two reference
// windows minimised in the task bar; no box.
async function expectStarted(student, source, destination) {
  check(await student.shown('Principale'), 'the main window is not shown');
  equal(await student.window('Principale').locator('.kw-caption').textContent(), mainCaption, 'caption');
  equal(await student.window('Principale').getAttribute('role'), 'dialog', 'role of the main window');
  equal(await student.window('Principale').getAttribute('aria-label'), mainCaption, 'name of the main window');
  equal(await student.control('Principale', 'Edit1').inputValue(), source, 'Edit1');
  equal(await student.control('Principale', 'Edit2').inputValue(), destination, 'Edit2');
  for (const name of ['Avance', 'AdressesMAC']) {
    check(!(await student.shown(name)), name + ' is not minimised at the start');
    check(await student.page.locator('[data-task="' + name + '"]').isVisible(), name + ' is not in the task bar');
  }
  equal(await student.box(), null, 'box at the start');
}

const tests = {
  async examples_start(browser) {
    const student = await browser.page();
    await student.open(browser.url + '?exemple=serie_imposee');
    await expectStarted(student, 'Machine 1', 'Machine 2');
    const view = await student.view();
    equal(view.avance.exerciseCaption, 'Exercice N° 1', 'progress caption');

    await student.open(browser.url + '?exemple=serie_aleatoire');
    check(await student.shown('Principale'), 'the random series does not start');
    const random = await student.view();
    check(random.principale.sourceName !== random.principale.destinationName, 'a random exercise from a station to itself');
    await expectStarted(student, random.principale.sourceName, random.principale.destinationName);

    // The first screen offers both examples.
    await student.open(browser.url);
    check(await student.page.locator('#kw-accueil').isVisible(), 'no first screen');
    await student.page.locator('[data-c="serie_imposee"]').click();
    await student.idle();
    await expectStarted(student, 'Machine 1', 'Machine 2');

    // A series on the server, by its address.
    await student.open(browser.url + '?serie=examples/serie_imposee/');
    await expectStarted(student, 'Machine 1', 'Machine 2');
  },

  async imposed_first_exercise(browser) {
    const student = await browser.page();
    await student.open(browser.url + '?exemple=serie_imposee');
    const view = await student.view();
    const mac = (station) => view.stations[station][1];

    // Machine 1 emits to Machine 2: the two addresses copied from the cache into the frame.
    await student.clickDiagram(30, 200);
    check(await student.shown('Source'), 'the sending dialog does not open');
    equal(await student.window('Source').getAttribute('aria-modal'), 'true', 'the sending dialog is modal');
    await student.copyFrame(2, 1);
    equal(await (await student.cell('Source', 'trame', 0, 0)).textContent(), mac(2), 'destination cell');
    await student.click('Source', 'BitBtn1');
    check(!(await student.shown('Source')), 'the sending dialog stays open');
    equal(await student.page.evaluate(() => window.kwTest.flowState()), 20, 'FlowState after the emission');
    // The frame shown under the diagram, its last cells as the window wrote them.
    check(await student.control('Principale', 'trame_gauche').isVisible(), 'the emitted frame is not shown');
    const shownFrame = [];
    for (let column = 0; column < 5; ++column)
      shownFrame.push(await (await student.cell('Principale', 'trame_gauche', column, 0)).textContent());
    equal(shownFrame, [mac(2), mac(1), '', ' Couches LLC et supérieures', 'FCS'], 'frame under the diagram');

    // Hub 1: RX on port 1, TX on ports 2, 3 and 4.
    await student.clickDiagram(100, 145);
    check(await student.shown('Hub1'), 'the Hub 1 dialog does not open');
    for (const k of [1, 4, 6, 8])
      await student.clickLed('Hub1', k);
    await student.click('Hub1', 'BitBtn1');
    equal(await student.page.evaluate(() => window.kwTest.flowState()), 30, 'FlowState after Hub 1');

    // The switch: Machine 1's address and port 1 into the table, "inconnu", then its LEDs: RX
    // on port 1, TX on ports 2, 3 and 4.
    await student.clickDiagram(250, 100);
    check(await student.shown('Switch'), 'the switch dialog does not open');
    await student.clickCell('Switch', 'trame', 1, 0);
    await student.control('Switch', 'port1').dblclick();
    await student.idle();
    equal(await (await student.cell('Switch', 'table_ports', 0, 9)).textContent(), mac(1), 'entry row');
    await student.click('Switch', 'b_dinconnu');
    await student.click('Switch', 'image_switch');
    check(await student.shown('SwitchGros'), 'the switch LED dialog does not open');
    for (const k of [2, 3, 5, 7])
      await student.clickLed('SwitchGros', k);
    await student.click('SwitchGros', 'BitBtn1');
    check(!(await student.shown('Switch')), 'the switch dialog stays open');
    equal(await student.page.evaluate(() => window.kwTest.flowState()), 40, 'FlowState after the switch');

    // Hub 2 from its uplink: RX on port 1, TX on ports 2, 3 and 4.
    await student.clickDiagram(380, 145);
    check(await student.shown('Hub2'), 'the Hub 2 dialog does not open');
    for (const k of [1, 4, 6, 8])
      await student.clickLed('Hub2', k);
    await student.click('Hub2', 'BitBtn1');
    equal(await student.page.evaluate(() => window.kwTest.flowState()), 50, 'FlowState after Hub 2');

    // Machine 2 copies the frame; the progress window comes to the front for the end.
    await student.clickDiagram(90, 200);
    check(await student.shown('Destination'), 'the receiving dialog does not open');
    await student.click('Destination', 'copier');
    await student.click('Destination', 'BitBtn1');
    check(await student.shown('Avance'), 'the progress window does not come to the front');
    await student.click('Avance', 'fin_traitement');
    await student.expectBox('Information', 'Vous avez mené à bien cette transmission\nUtilisez le menu Nouveau');
    const end = await student.view();
    equal(end.errorTotal, 0, 'error total');
    equal(await student.control('Avance', 'label_erreurs').textContent(), 'Cumul erreurs = 0', 'error label (the window ran its activation)');
    equal(end.avance.ticks, [false, false, false, false, false, true, true, true, true, true], 'ticks');
    equal(end.principale.cables[0][0], [255, 255, 255], 'first line of cable 1');
    equal(end.principale.cables[6][1], [255, 255, 0], 'second line of cable 7 (Hub 1 to the switch)');
    equal(end.principale.cables[7][0], [255, 0, 0], 'first line of cable 8 (the switch to Hub 2)');

    // The cable's white line is on the picture, at the screen's density.
    const pixel = await student.page.evaluate(() => {
      const canvas = document.querySelector('[data-w="Principale"] canvas');
      const s = canvas.width / 485;
      return [...canvas.getContext('2d').getImageData(28 * s, 192 * s, 1, 1).data].slice(0, 3);
    });
    equal(pixel, [255, 255, 255], 'pixel (28, 192) of the diagram');

    // A wrong click, in the hub row between the hubs, is counted and shown in a warning box
    // (the progress window, above the diagram, minimised first).
    await student.window('Avance').locator('[data-c="minimise"]').click();
    check(!(await student.shown('Avance')), 'the progress window is not minimised');
    await student.clickDiagram(250, 145);
    await student.expectBox('Warning', 'Ce n\'est pas le moment de traiter ce hub');
    equal((await student.view()).errorTotal, 1, 'error total after a wrong click');

    // "Nouveau" starts the second exercise.
    await student.click('Principale', 'Nouveau');
    equal(await student.control('Principale', 'Edit1').inputValue(), 'Machine 2', 'second exercise');
  },

  async single_file(browser) {
    const student = await browser.page();
    // From file://, offline: the first screen, then an example.
    await student.open(browser.fileUrl('kw_switch.html'));
    check(await student.page.locator('#kw-accueil').isVisible(), 'no first screen from file://');
    await student.page.locator('[data-c="serie_imposee"]').click();
    await student.idle();
    await expectStarted(student, 'Machine 1', 'Machine 2');
    // Alt+Q, OK: the program ends and the first screen comes back.
    await student.page.keyboard.press('Alt+q');
    await student.idle();
    const question = await student.box();
    equal([question.kind, question.caption, question.text], ['Confirmation', 'Confirmation', 'Terminer ?'], 'question');
    await student.answerBox('OK');
    check(await student.page.locator('#kw-accueil').isVisible(), 'no first screen after the end');

    // The random series from the disk, its two files picked.
    await student.page.locator('[data-c="fichiers-input"]').setInputFiles([
      join(examplesDir, 'serie_aleatoire', 'kw_switch.INI'), join(examplesDir, 'serie_aleatoire', 'switchexos.kw')]);
    await student.page.locator('[data-c="jouer"]').waitFor({ state: 'visible' });
    await student.page.waitForFunction(() => !document.querySelector('[data-c="jouer"]').disabled);
    await student.page.locator('[data-c="verifier"]').click();
    const report = await student.page.locator('[data-c="rapport"]').textContent();
    check(report.includes('kw_switch.INI'), 'the check report does not name the configuration file: ' + report.slice(0, 200));
    await student.page.locator('[data-c="jouer"]').click();
    await student.idle();
    const view = await student.view();
    check(view && view.started, 'the series picked from the disk does not start');
    await expectStarted(student, view.principale.sourceName, view.principale.destinationName);

    // Straight to an example by the address.
    await student.open(browser.fileUrl('kw_switch.html') + '?exemple=serie_aleatoire');
    check(await student.shown('Principale'), 'the random example does not start from file://');
  },
};

const name = process.argv[2];
if (!tests[name]) {
  console.error('usage: page_test.mjs ' + Object.keys(tests).join(' | '));
  process.exit(2);
}
run(name, tests[name]);
