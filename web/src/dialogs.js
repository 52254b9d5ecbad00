// The ten windows: their controls at the desktop's places, what each act of the student passes
// to the game, and how each shows the game's view. No rule is decided here.
'use strict';

const LayersText = ' Couches LLC et supérieures';
const FrameWidths = [98, 98, 10, 140, 22];
const CopyHint = 'Double click -> Copie l\'adresse dans la trame';

const WindowLayouts = [
  { caption: 'Animation sur le commutateur ethernet  (switch).            Brevanne  V 1.0', frame: 'sizeable',
    outer: [640, 468], menu: true, minimise: true, task: 'kw_switch',
    description: 'Fenêtre principale : l\'exercice en cours et le schéma du réseau sur lequel on clique chaque élément.' },
  { caption: 'Noeud émetteur', frame: 'fixed', client: [406, 340], minimise: true,
    description: 'Station émettrice : copier dans la trame les adresses MAC du destinataire et de la source, puis Terminé' },
  { caption: 'Avancement', frame: 'sizeable', outer: [181, 247], minimise: true, layer: 'top', place: 'desktop',
    description: 'Avancement de la trame : les éléments traités, ceux que la trame ne concerne pas, le cumul des erreurs.' },
  { caption: 'Fonction du Hub 1', frame: 'sizeable', outer: [439, 143], minimise: true,
    description: 'Allumer les leds RX et TX des ports du hub, puis cliquer sur Terminé' },
  { caption: 'Adresses MAC', frame: 'fixed', client: [191, 218], minimise: true, layer: 'top',
    description: 'Les adresses MAC de toutes les stations' },
  { caption: 'Réception de la trame', frame: 'sizeable', outer: [410, 119], minimise: true,
    description: 'Station réceptrice : décider si la trame est copiée en mémoire' },
  { caption: 'Fonction du Hub 2', frame: 'sizeable', outer: [443, 128], minimise: true, at: [199, 299],
    description: 'Allumer les leds RX et TX des ports du hub, puis cliquer sur Terminé' },
  { caption: 'KW SWITCH', frame: 'fixed', client: [289, 221], layer: 'top', description: 'Nom et version du programme' },
  { caption: 'Switch.     Analyser la trame reçue   1) et 2)       et en déduire l\'action 3)', frame: 'sizeable',
    outer: [512, 338], minimise: true,
    description: 'Switch : mettre à jour la table avec la source et son port, choisir le port du destinataire, puis cliquer sur le switch pour émettre' },
  { caption: 'Leds du  switch', frame: 'sizeable', outer: [438, 138], minimise: true, at: [290, 436],
    description: 'Allumer les leds TX et RX des ports du switch, puis cliquer sur Terminé' },
];

function enable(node, enabled) {
  if ('disabled' in node && node.tagName !== 'DIV' && node.tagName !== 'LABEL')
    node.disabled = !enabled;
  if (node.input)
    node.input.disabled = !enabled;
  node.classList.toggle('kw-off', !enabled);
}

function frameGrid(parent, x, y, options) {
  const grid = new Grid(parent, x, y, 385, 25, Object.assign({ widths: FrameWidths, rows: 1, rowHeight: 20 }, options));
  return grid;
}

function showFrame(grid, cells) {
  cells.forEach((text, column) => grid.setCell(column, 0, text));
}

// A picture of LEDs: the squares painted by the game's effects, reached by the keyboard and a
// screen reader as check boxes, lit when painted in their lit colour.
class LedPicture {
  constructor(parent, rect, pictureName, squares, options) {
    this.host = el('div', { class: 'kw-picture-host', c: 'Image1' });
    place(this.host, ...rect);
    parent.append(this.host);
    this.canvas = new Canvas(this.host, 0, 0, 415, 60, pictureName, { pictureWidth: 415, pictureHeight: 60 });
    this.squares = squares;
    this.receive = (k) => (k % 2 === 1) === options.hub;
    this.painted = Array(9).fill(null);
    const elements = [];
    for (let k = 1; k <= 8; ++k)
      elements.push({
        rect: squares[k], c: 'led' + k,
        name: 'Led ' + (this.receive(k) ? 'RX' : 'TX') + ' du port ' + Math.floor((k + 1) / 2),
        description: this.receive(k) ? 'Led de réception. Cliquer pour l\'allumer ou l\'éteindre.'
          : 'Led d\'émission. Cliquer pour l\'allumer ou l\'éteindre.',
      });
    this.keys = new PictureKeys(this.host, {
      elements, order: [0, 1, 2, 3, 4, 5, 6, 7], margin: 8, enterActs: false, role: 'checkbox',
      bounds: [rect[2], rect[3]], name: options.name,
      onActivate: (i, x, y) => App.act(Act.ClickLed, options.window, x, y),
    });
    this.keys.nodes.forEach((node, i) => node.dataset.led = String(i + 1));
    this.host.addEventListener('mousedown', (event) => event.preventDefault());
    this.host.addEventListener('contextmenu', (event) => event.preventDefault());
    // Every mouse button toggles alike, at its press.
    this.host.addEventListener('pointerdown', (event) => {
      const [x, y] = this.canvas.pointOf(event);
      if (x >= 0 && y >= 0 && x < rect[2] && y < rect[3])
        App.act(Act.ClickLed, options.window, x, y);
    });
    this.describe();
  }

  paint(k, rgb) {
    const [left, top, w, h] = this.squares[k];
    this.canvas.fillRect(left, top, w, h, rgb);
    this.painted[k] = rgb;
    this.describe();
  }

  lit(k) {
    const c = this.painted[k];
    const on = this.receive(k) ? [0, 128, 0] : [255, 0, 0];
    return Boolean(c) && c[0] === on[0] && c[1] === on[1] && c[2] === on[2];
  }

  describe() {
    const lit = [];
    for (let k = 1; k <= 8; ++k) {
      this.keys.nodes[k - 1].setAttribute('aria-checked', this.lit(k) ? 'true' : 'false');
      if (this.lit(k))
        lit.push(this.keys.elements[k - 1].name);
    }
    this.host.setAttribute('aria-description', lit.length ? 'Leds allumées : ' + lit.join(', ') + '.' : 'Aucune led allumée.');
  }

  setEnabled(enabled) {
    this.host.classList.toggle('kw-off', !enabled);
    this.host.tabIndex = enabled ? 0 : -1;
    this.host.setAttribute('aria-disabled', enabled ? 'false' : 'true');
  }
}

const Dialogs = {
  windows: [],
  geometry: null,

  // The main window and the two reference windows, which the start shows, get their controls
  // at once; the seven dialogs at their first opening (ensure), which the start need not wait for.
  build(windows, view, geometry) {
    this.windows = windows;
    this.geometry = geometry;
    this.builders = [this.principale, this.source, this.avance, this.hub, this.addresses, this.destination,
      this.hub, this.about, this.switchDialog, this.switchLeds];
    const atOnce = [W.Principale, W.Avance, W.AdressesMAC];
    return windows.map((win, index) => (atOnce.includes(index) ? this.builders[index].call(this, win, view, geometry) : null));
  },

  // The window's controls, made now if they are not yet, showing the game's view and the LEDs
  // the game has painted so far (`painted`: the effects done, in order).
  ensure(index, view, painted) {
    if (Desk.dialogs[index] || !this.windows[index])
      return;
    const dialog = this.builders[index].call(this, this.windows[index], view, this.geometry);
    Desk.dialogs[index] = dialog;
    const picture = [W.Hub1, W.Hub2, W.SwitchGros].indexOf(index);
    if (picture >= 0)
      for (const effect of painted)
        if (effect.k === 'led' && effect.pic === picture && effect.led >= 1 && effect.led <= 8)
          dialog.leds.paint(effect.led, effect.c);
    dialog.render(view, false);
  },

  // ---- Main window ----

  principale(win, view, geometry) {
    const c = win.client;
    const menuItems = [['Nouveau', 'Nouveau', Act.Nouveau, 'Alt+N'], ['APropos1', 'A propos', Act.About, 'Alt+A'],
      ['Quitter1', 'Quitter', Act.Quit, 'Alt+Q']].map(([name, caption, act, keys]) => {
      const item = el('button', { type: 'button', role: 'menuitem', class: 'kw-menuitem', c: name, text: caption,
        tabindex: '-1', 'aria-keyshortcuts': keys });
      item.addEventListener('click', () => this.menuAction(act));
      item.addEventListener('keydown', (event) => this.menuKey(event));
      win.menu.append(item);
      return item;
    });
    this.menuItems = menuItems;

    label(c, 24, 18, 'Emission d\'une trame  de  : ', { bold: true, w: 158, h: 13, c: 'Label1' });
    const edit1 = edit(c, 184, 16, 121, 21, { bold: true, c: 'Edit1', name: 'Station émettrice' });
    label(c, 312, 20, 'vers', { bold: true, w: 25, h: 13, c: 'Label2' });
    const edit2 = edit(c, 344, 16, 121, 21, { bold: true, c: 'Edit2', name: 'Destinataire' });
    const label3 = label(c, 120, 48, 'Cliquer,  dans l\'ordre,  sur chaque élément actif concerné.                ( Traiter le destinataire en dernier lieu )',
      { bold: true, size: 13, w: 405, h: 32, c: 'Label3' });
    label3.classList.add('kw-wrap', 'kw-yellow');

    const host = el('div', { class: 'kw-picture-host kw-cross', c: 'Image1' });
    place(host, 72, 96, 485, 234);
    c.append(host);
    const diagram = new Canvas(host, 0, 0, 485, 234, 'diagram');
    const names = (i) => view.stations[i][0];
    const elements = [];
    for (let station = 1; station <= 8; ++station) {
      const [hub, port] = geometry.ports[station];
      elements.push({ rect: geometry.diagram[station], name: names(station), c: 'station' + station,
        description: hub ? 'Station reliée au port ' + port + ' du Hub ' + hub + '. Cliquer pour la traiter.'
          : 'Serveur relié au port ' + port + ' du switch. Cliquer pour le traiter.' });
    }
    for (const hub of [1, 2])
      elements.push({ rect: geometry.diagram[8 + hub], name: 'Hub ' + hub, c: 'hub' + hub,
        description: 'Hub relié au port ' + geometry.hubPorts[hub] + ' du switch, avec les machines ' +
          (hub === 1 ? 1 : 4) + ' à ' + (hub === 1 ? 3 : 6) + '. Cliquer pour le traiter.' });
    elements.push({ rect: geometry.diagram[11], name: 'Switch', c: 'switch',
      description: 'Commutateur Ethernet à quatre ports. Cliquer pour le traiter.' });
    const main = win;
    const keys = new PictureKeys(host, {
      elements, order: [6, 7, 10, 8, 9, 0, 1, 2, 3, 4, 5], margin: 4, enterActs: true, bounds: [485, 234],
      name: 'Schéma du réseau',
      description: 'ServeurA et ServeurB sur le switch, Hub 1 avec les machines 1 à 3 sur le port 1, Hub 2 avec les machines 4 à 6 sur le port 4. Cliquer, dans l\'ordre, sur chaque élément actif concerné.',
      onActivate: (i, x, y) => App.act(Act.ClickDiagram, x, y, main.left, main.top),
    });
    host.addEventListener('mousedown', (event) => event.preventDefault());
    host.addEventListener('contextmenu', (event) => event.preventDefault());
    // Every mouse button acts alike, at its press.
    host.addEventListener('pointerdown', (event) => {
      const [x, y] = diagram.pointOf(event);
      if (x >= 0 && y >= 0 && x < 485 && y < 234)
        App.act(Act.ClickDiagram, x, y, main.left, main.top);
    });

    const trame = frameGrid(c, 112, 344, { c: 'trame_gauche', select: 'row', name: 'Trame émise',
      description: 'Adresse MAC du destinataire, adresse MAC de la source, couches LLC et supérieures, FCS' });
    trame.setCell(3, 0, LayersText);
    trame.setCell(4, 0, 'FCS');
    trame.setEnabled(false);
    trame.node.hidden = true;
    const resultat = el('div', { class: 'kw-panel kw-raised kw-result', c: 'resultat', role: 'status' });
    place(resultat, 40, 384, 521, 33);
    resultat.hidden = true;
    c.append(resultat);

    return {
      diagram, keys, trame, resultat,
      firstFocus: () => host,
      render(v, final) {
        const m = v.principale;
        edit1.value = m.sourceName;
        edit2.value = m.destinationName;
        trame.node.hidden = !m.frameShown;
        // Its last three cells keep what the window wrote at its creation.
        trame.setCell(0, 0, m.frame[0]);
        trame.setCell(1, 0, m.frame[1]);
        if (final) {
          resultat.hidden = !m.resultShown;
          resultat.textContent = m.result;
          menuItems[0].setAttribute('aria-disabled', m.nouveauEnabled ? 'false' : 'true');
          menuItems[0].classList.toggle('kw-off', !m.nouveauEnabled);
        }
      },
    };
  },

  menuAction(act) {
    if (act === Act.Nouveau && this.menuItems[0].getAttribute('aria-disabled') === 'true')
      return;
    this.leaveMenu();
    App.act(act);
  },

  enterMenu() {
    this.menuReturn = document.activeElement;
    const first = this.menuItems[0];
    this.menuItems.forEach((item) => item.tabIndex = item === first ? 0 : -1);
    first.focus();
  },

  leaveMenu() {
    this.menuItems.forEach((item) => item.tabIndex = -1);
    if (this.menuReturn && this.menuReturn.isConnected && this.menuItems.includes(document.activeElement))
      this.menuReturn.focus();
    this.menuReturn = null;
  },

  menuKey(event) {
    const at = this.menuItems.indexOf(event.target);
    if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
      event.preventDefault();
      const next = this.menuItems[(at + (event.key === 'ArrowRight' ? 1 : 2)) % 3];
      this.menuItems.forEach((item) => item.tabIndex = item === next ? 0 : -1);
      next.focus();
    } else if (event.key === 'Escape') {
      event.preventDefault();
      event.stopPropagation();
      this.leaveMenu();
    } else if (event.key === 'Tab') {
      event.preventDefault();
      event.stopPropagation();
    }
  },

  // ---- Sending dialog ----

  source(win, view) {
    const p = panel(win.client, 0, 0, 409, 345, { c: 'Panel' });
    p.classList.add('kw-white');
    const stationImage = picture(p, 72, 32, 33, 33, 'station', { c: 'station_image', name: 'Station' });
    const serverImage = picture(p, 72, 24, 41, 40, 'server', { c: 'serveur_image', name: 'Serveur', hint: CopyHint });
    const edit1 = edit(p, 64, 72, 73, 21, { bold: true, frame: false, c: 'edit1', name: 'Station émettrice' });
    const cache = new Grid(p, 194, 25, 199, 224, { widths: [199 - 106, 98], rows: 10, fixedRows: 1, rowHeight: 20,
      select: 'row', c: 'table_MAC', focusable: true, name: 'Adresses connues ( en cache )', description: CopyHint, hint: CopyHint });
    const done = button(p, 32, 136, 121, 33, 'Terminé', { tick: true, isDefault: true, c: 'BitBtn1',
      description: 'Vérifie la trame et l\'émet' });
    label(p, 216, 5, 'Adresses connues ( en cache )', { c: 'Label2' });
    const instruction = label(p, 16, 288, 'Trame à émettre.          Compléter  avec les adresses', { bold: true, c: 'Label1' });
    const trame = frameGrid(p, 10, 312, { c: 'trame', select: 'cell', focusable: true, name: 'Trame à émettre',
      description: 'Adresse MAC du destinataire, adresse MAC de la source, couches supérieures, FCS', hint: CopyHint });
    trame.setCell(3, 0, 'Couches supérieures');
    trame.setCell(4, 0, 'FCS');

    done.addEventListener('click', () => App.act(Act.PressDone, W.Source));
    const selectRow = (row) => App.act(Act.SelectCacheRow, row);
    const selectColumn = (column) => App.act(Act.SelectFrameColumn, column);
    // A click does not give the grids the focus, so that Enter stays "Terminé" for the mouse.
    for (const grid of [cache, trame])
      grid.node.addEventListener('mousedown', (event) => event.preventDefault());
    cache.node.addEventListener('pointerdown', (event) => {
      const at = cache.cellAt(event);
      if (at && at[1] >= 1)
        selectRow(at[1]);
    });
    cache.node.addEventListener('dblclick', (event) => {
      const at = cache.cellAt(event);
      if (at && at[1] >= 1)
        selectRow(at[1]);
      App.act(Act.CopyAddress);
    });
    trame.node.addEventListener('pointerdown', (event) => {
      const at = trame.cellAt(event);
      if (at)
        selectColumn(at[0]);
    });
    trame.node.addEventListener('dblclick', (event) => {
      const at = trame.cellAt(event);
      if (at)
        selectColumn(at[0]);
      App.act(Act.CopyAddress);
    });
    let v = view;
    cache.node.addEventListener('keydown', (event) => {
      const row = v.source.cacheRow;
      const moves = { ArrowUp: row - 1, ArrowDown: row + 1, Home: 1, End: 9, PageUp: 1, PageDown: 9 };
      if (event.key in moves) {
        event.preventDefault();
        selectRow(Math.min(9, Math.max(1, moves[event.key])));
      } else if (event.key === 'Enter' && !event.altKey) {
        event.preventDefault();
        event.stopPropagation();
        App.act(Act.CopyAddress);
      }
    });
    trame.node.addEventListener('keydown', (event) => {
      const column = v.source.frameColumn;
      const moves = { ArrowLeft: column - 1, ArrowRight: column + 1, Home: 0, End: 4 };
      if (event.key in moves) {
        event.preventDefault();
        selectColumn(Math.min(4, Math.max(0, moves[event.key])));
      } else if (event.key === 'Enter' && !event.altKey) {
        event.preventDefault();
        event.stopPropagation();
        App.act(Act.CopyAddress);
      }
    });
    return {
      // On "Terminé", the default button, while there is one: Enter on a grid would copy.
      firstFocus: () => (!done.hidden && !done.disabled ? done : null),
      defaultButton: () => done,
      render(view) {
        v = view;
        const s = view.source;
        setShown(stationImage, !s.server);
        setShown(serverImage, s.server);
        edit1.value = s.name;
        view.stations.forEach(([name, mac], row) => {
          cache.setCell(0, row, name);
          cache.setCell(1, row, mac);
        });
        showFrame(trame, s.frame);
        cache.setSelection(0, s.cacheRow);
        trame.setSelection(s.frameColumn, 0);
        setShown(done, s.doneShown);
        setShown(instruction, s.labelShown);
        enable(done, s.panelEnabled);
        cache.setEnabled(s.panelEnabled);
        trame.setEnabled(s.panelEnabled);
        p.classList.toggle('kw-disabled', !s.panelEnabled);
      },
    };
  },

  // ---- Progress window ----

  avance(win) {
    const c = win.client;
    const p = panel(c, 0, 0, 169, 41, { bevel: 'raised', c: 'Panel1' });
    const numero = label(p, 48, 4, 'Exercice N° 1', { c: 'numero_exo' });
    const errors = label(p, 8, 23, 'Cumul erreurs = ', { bold: true, w: 153, h: 13, c: 'label_erreurs' });
    errors.classList.add('kw-centre');
    errors.setAttribute('role', 'status');
    label(c, 8, 48, 'Non concerné', { c: 'Label2' });
    label(c, 120, 48, 'Traité', { c: 'Label1' });
    const concerned = 'Cocher si la trame ne concerne pas cet élément';
    const boxes = [
      ['emetteur', 32, 64, 73, 'émetteur'], ['Hub1', 32, 88, 65, 'Hub1'], ['Hub2', 32, 112, 73, 'Hub2'],
      ['switch', 32, 136, 57, 'switch'], ['destinataire', 32, 168, 81, 'destinataire'],
    ].map(([name, x, y, w, caption], tick) => {
      const box = choice(c, 'checkbox', x, y, w, 17, caption, { c: name, description: concerned });
      box.input.addEventListener('change', () => App.act(Act.SetTick, tick, box.input.checked ? 1 : 0));
      return box;
    });
    const treated = [['_emetteur', 128, 64, 25, 'émetteur'], ['_hub1', 128, 88, 25, 'Hub1'],
      ['_hub2', 128, 112, 25, 'Hub2'], ['_switch', 128, 136, 17, 'switch'], ['_destinataire', 128, 168, 17, 'destinataire'],
    ].map(([name, x, y, w, element]) => {
      const box = choice(c, 'checkbox', x, y, w, 17, '', { c: name, name: element + ' traité',
        description: 'Coché par le programme' });
      box.input.disabled = true;
      box.classList.add('kw-off');
      return box;
    });
    const fin = button(c, 2, 192, 167, 26, 'Fin du traitement de la trame', { tick: true, isDefault: true,
      c: 'fin_traitement', description: 'Vérifie une et une seule coche par ligne' });
    fin.addEventListener('click', () => App.act(Act.FinTraitement));
    return {
      errors,
      defaultButton: () => fin,
      render(view) {
        const a = view.avance;
        numero.textContent = a.exerciseCaption;
        if (!App.boxUp)
          errors.textContent = a.errorsCaption;
        boxes.forEach((box, i) => box.input.checked = a.ticks[i]);
        treated.forEach((box, i) => box.input.checked = a.ticks[5 + i]);
        enable(fin, a.finEnabled);
      },
    };
  },

  // ---- Hub dialogs ----

  hub(win, view, geometry) {
    const first = win.index === W.Hub1;
    const layout = first
      ? { panel: [428, 113], label: [40, 88], image: [8, 8], button: [232, 80, 121, 33] }
      : { panel: [433, 97], label: [32, 72], image: [8, 0], button: [232, 64, 121, 33] };
    const p = panel(win.client, 0, 0, ...layout.panel, { c: 'Panel' });
    const leds = new LedPicture(p, [...layout.image, 417, 65], 'hub_leds', geometry.hubLeds,
      { hub: true, window: win.index, name: 'Leds du hub ' + (first ? 1 : 2) });
    const instruction = label(p, ...layout.label, 'Cliquer  sur  les  leds  actives', { c: 'Label1' });
    const done = button(p, ...layout.button, 'Terminé', { tick: true, isDefault: true, c: 'BitBtn1',
      description: 'Vérifie les leds allumées' });
    done.addEventListener('click', () => App.act(Act.PressDone, win.index));
    const hub = first ? 1 : 2;
    return {
      leds,
      defaultButton: () => done,
      render(view) {
        const h = view.hubs[hub];
        leds.setEnabled(h.panelEnabled);
        enable(done, h.panelEnabled);
        setShown(instruction, h.labelShown);
        setShown(done, h.doneShown);
      },
    };
  },

  // ---- Known addresses ----

  addresses(win, view) {
    const grid = new Grid(win.client, 0, 0, 191, 217, { widths: [191 - 106, 98], rows: 10, fixedRows: 1,
      fixedColumns: 1, rowHeight: 20, c: 'table_MAC', focusable: true, name: 'Adresses MAC',
      description: 'Nom de chaque station et son adresse MAC, Broadcast compris' });
    // The keyboard starts on the first address, not on the headings; nothing is selected.
    grid.setCurrent(1, 1);
    grid.node.addEventListener('mousedown', (event) => event.preventDefault());
    grid.node.addEventListener('keydown', (event) => {
      const [column, row] = grid.current;
      const moves = { ArrowUp: [column, row - 1], ArrowDown: [column, row + 1], ArrowLeft: [column - 1, row],
        ArrowRight: [column + 1, row], Home: [0, row], End: [1, row] };
      if (event.key in moves) {
        event.preventDefault();
        const [c, r] = moves[event.key];
        grid.setCurrent(Math.min(1, Math.max(0, c)), Math.min(9, Math.max(0, r)));
      }
    });
    return {
      render(view) {
        view.stations.forEach(([name, mac], row) => {
          grid.setCell(0, row, name);
          grid.setCell(1, row, mac);
        });
      },
    };
  },

  // ---- Receiving dialog ----

  destination(win) {
    const p = panel(win.client, 0, 0, 401, 89, { c: 'Panel' });
    const serverImage = picture(p, 8, 8, 41, 40, 'server', { c: 'serveur_image', name: 'Serveur' });
    const stationImage = picture(p, 16, 8, 34, 33, 'station', { c: 'station_image', name: 'Station' });
    const edit1 = edit(p, 80, 10, 121, 21, { frame: false, c: 'edit1', name: 'Station réceptrice' });
    const done = button(p, 320, 8, 73, 25, 'Terminé', { tick: true, isDefault: true, c: 'BitBtn1',
      description: 'Vérifie la décision de copie' });
    label(p, 64, 48, 'Trame reçue', { c: 'Label1' });
    const copier = choice(p, 'checkbox', 184, 44, 153, 17, 'Copier la trame en mémoire', { c: 'copier' });
    const trame = frameGrid(p, 10, 64, { c: 'trame', select: 'row', name: 'Trame reçue',
      description: 'Adresse MAC du destinataire, adresse MAC de la source, couches LLC et supérieures, FCS' });
    trame.setCell(3, 0, LayersText);
    trame.setCell(4, 0, 'FCS');
    trame.setEnabled(false);
    done.addEventListener('click', () => App.act(Act.PressDone, W.Destination));
    copier.input.addEventListener('change', () => App.act(Act.SetCopy, copier.input.checked ? 1 : 0));
    return {
      defaultButton: () => done,
      render(view) {
        const d = view.destination;
        setShown(serverImage, d.server);
        setShown(stationImage, !d.server);
        edit1.value = d.name;
        copier.input.checked = d.copy;
        showFrame(trame, d.frame);
        enable(done, d.panelEnabled);
        enable(copier, d.panelEnabled);
        setShown(done, d.doneShown);
        p.classList.toggle('kw-disabled', !d.panelEnabled);
      },
    };
  },

  // ---- About box ----

  about(win) {
    const p = panel(win.client, 8, 0, 281, 193, { bevel: 'etched', c: 'Panel1' });
    picture(p, 8, 8, 41, 33, 'program', { c: 'ProgramIcon', name: 'Image du programme', fit: true });
    label(p, 96, 8, 'Version 1.0  février 2000', { w: 115, h: 13, c: 'Version' });
    const ok = button(win.client, 111, 196, 75, 25, 'OK', { isDefault: true, c: 'OKButton' });
    ok.addEventListener('click', () => App.act(Act.PressDone, W.APropos));
    return { defaultButton: () => ok, render() {} };
  },

  // ---- Switch dialog ----

  switchDialog(win) {
    const c = win.client;
    const p = panel(c, 0, 0, 497, 305, { c: 'Panel' });
    label(p, 24, 16, 'Trame reçue', { c: 'Label4' });
    const frameHint = 'Double click -> copie de l\'adresse & du port   dans la table ';
    const trame = frameGrid(p, 98, 8, { c: 'trame', select: 'cell', focusable: true, name: 'Trame reçue',
      description: frameHint, hint: frameHint });
    label(p, 64, 42, 'Table  adresse <->  port', { bold: true, c: 'Label1' });
    const table = new Grid(p, 16, 64, 233, 241, { widths: [98, 50, 50], rows: 10, fixedRows: 1, rowHeight: 20,
      select: 'row', c: 'table_ports', name: 'Table  adresse <->  port',
      description: 'Lignes 1 à 8 : adresses apprises avec leur TTL et leur port ; dernière ligne : l\'entrée préparée' });
    table.setEnabled(false);
    // The student never types in the table; the entry row stays highlighted.
    table.setSelection(0, 9);
    const portHint = 'Double click sur le port  -> copie de l\'adresse et du port dans la table';
    const p1 = panel(p, 266, 40, 217, 113, { bevel: 'raised', c: 'Panel1', hint: portHint });
    label(p1, 8, 6, '1 ) à l\'aide de champs de la trame ci-dessus', { c: 'Label3' });
    label(p1, 56, 24, 'et d\'un port  ci-dessous', { c: 'Label6' });
    label(p1, 48, 48, 'mettre à jour la table', { c: 'Label5' });
    const ports = [8, 64, 120, 168].map((x, i) => choice(p1, 'radio', x, 72, 33, 17, String(i + 1),
      { c: 'port' + (i + 1), group: newId('ports'), name: 'Port ' + (i + 1), description: portHint }));
    ports.forEach((port) => port.input.name = 'kw-ports');
    label(p1, 64, 92, 'Numéro du Port', { c: 'Label2' });
    const destVia = groupBox(c, 266, 160, 217, 73, '2 )   Destinataire via port', { c: 'dest_via' });
    const via = [8, 64, 120, 168].map((x, i) => choice(destVia, 'radio', x, 24, 33, 17, String(i + 1),
      { c: 'b_d' + (i + 1), group: 'kw-via', name: 'Destinataire via port ' + (i + 1) }));
    via.push(choice(destVia, 'radio', 96, 48, 57, 17, 'inconnu', { c: 'b_dinconnu', group: 'kw-via',
      name: 'Destinataire inconnu' }));
    const emit = groupBox(c, 266, 240, 217, 65, '3 )  Emettre  ?', { c: 'GroupBox2' });
    const host = el('div', { class: 'kw-picture-host kw-hand', c: 'image_switch' });
    place(host, 36, 29, 141, 20);
    emit.append(host);
    new Canvas(host, 0, 0, 141, 20, 'switch_small');
    new PictureKeys(host, { elements: [{ rect: [0, 0, 141, 20], name: 'Switch : émettre',
      description: 'Cliquer sur le switch pour émettre la trame' }], order: [0], margin: 0, enterActs: true,
    bounds: [141, 20], name: 'Switch : émettre', onActivate: () => App.act(Act.ClickSwitchPicture) });
    // A click: pressed and released over the picture, so that the dialog it opens does not
    // start in the middle of a press.
    let pressed = false;
    host.addEventListener('mousedown', (event) => event.preventDefault());
    host.addEventListener('pointerdown', (event) => pressed = event.button === 0);
    host.addEventListener('pointerup', (event) => {
      const box = host.getBoundingClientRect();
      const inside = event.clientX >= box.left && event.clientX < box.right && event.clientY >= box.top && event.clientY < box.bottom;
      if (pressed && event.button === 0 && inside)
        App.act(Act.ClickSwitchPicture);
      pressed = false;
    });

    trame.node.addEventListener('mousedown', (event) => event.preventDefault());
    trame.node.addEventListener('pointerdown', (event) => {
      const at = trame.cellAt(event);
      if (at)
        App.act(Act.SelectSwitchColumn, at[0]);
    });
    trame.node.addEventListener('dblclick', (event) => {
      const at = trame.cellAt(event);
      if (!at)
        return;
      App.act(Act.SelectSwitchColumn, at[0]);
      App.act(Act.CopyToEntryRow);
    });
    let v = null;
    trame.node.addEventListener('keydown', (event) => {
      const column = v ? v.switch.selectedColumn : 0;
      const moves = { ArrowLeft: column - 1, ArrowRight: column + 1, Home: 0, End: 4 };
      if (event.key in moves) {
        event.preventDefault();
        App.act(Act.SelectSwitchColumn, Math.min(4, Math.max(0, moves[event.key])));
      } else if (event.key === 'Enter' && !event.altKey) {
        event.preventDefault();
        event.stopPropagation();
        App.act(Act.CopyToEntryRow);
      }
    });
    ports.forEach((port, i) => {
      port.input.addEventListener('change', () => port.input.checked && App.act(Act.ChooseUpdatePort, i + 1));
      port.addEventListener('dblclick', () => {
        App.act(Act.ChooseUpdatePort, i + 1);
        App.act(Act.CopyToEntryRow);
      });
      port.input.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && !event.altKey) {
          event.preventDefault();
          event.stopPropagation();
          App.act(Act.ChooseUpdatePort, i + 1);
          App.act(Act.CopyToEntryRow);
        }
      });
    });
    via.forEach((button, i) => button.input.addEventListener('change', () =>
      button.input.checked && App.act(Act.ChooseForwarding, i + 1)));
    return {
      render(view) {
        v = view;
        const s = view.switch;
        showFrame(trame, s.frame);
        trame.setSelection(s.selectedColumn, 0);
        s.table.forEach((row, r) => row.forEach((text, column) => table.setCell(column, r, text)));
        ports.forEach((port, i) => port.input.checked = s.updatePort === i + 1);
        via.forEach((button, i) => button.input.checked = s.choice === i + 1);
        trame.setEnabled(s.panelEnabled);
        ports.forEach((port) => enable(port, s.panelEnabled));
        p.classList.toggle('kw-disabled', !s.panelEnabled);
        via.forEach((button) => enable(button, s.destViaEnabled));
        destVia.classList.toggle('kw-disabled', !s.destViaEnabled);
      },
    };
  },

  // ---- Switch LEDs ----

  switchLeds(win, view, geometry) {
    const p = panel(win.client, 0, 0, 428, 107, { c: 'Panel1' });
    const leds = new LedPicture(p, [8, 8, 415, 60], 'switch_leds', geometry.switchLeds,
      { hub: false, window: W.SwitchGros, name: 'Leds du switch' });
    const instruction = label(p, 40, 80, 'Cliquer  sur  les  leds  actives', { bold: true, c: 'Label1' });
    const done = button(p, 256, 72, 121, 33, 'Terminé', { tick: true, isDefault: true, c: 'BitBtn1',
      description: 'Vérifie les leds allumées' });
    done.addEventListener('click', () => App.act(Act.PressDone, W.SwitchGros));
    return {
      leds,
      defaultButton: () => done,
      render(view) {
        const s = view.switchLeds;
        leds.setEnabled(s.panelEnabled);
        enable(done, s.panelEnabled);
        setShown(instruction, s.labelShown);
        setShown(done, s.doneShown);
      },
    };
  },

  // ---- What the game's effects draw ----

  drawLine(cable, line, rgb) {
    const pixels = this.geometry.cables[cable] && this.geometry.cables[cable][line];
    if (pixels)
      Desk.dialogs[W.Principale].diagram.drawPixels(pixels, rgb);
  },

  paintLed(pictureIndex, led, rgb) {
    const dialog = Desk.dialogs[[W.Hub1, W.Hub2, W.SwitchGros][pictureIndex]];
    if (dialog && led >= 1 && led <= 8)
      dialog.leds.paint(led, rgb);
  },
};
