// The page's start: its first screen (the two examples, the teacher's own series and its
// check), the series named in the address, and a read-only hook for the tests.
'use strict';

const Home = {
  node: null,
  chosen: null, // {folder, shown} of the series opened from the disk
  params: new URLSearchParams(location.search),

  seed() {
    // For the tests: a fixed seed of the random generator instead of the clock's.
    const text = this.params.get('graine');
    return text !== null && /^\d{1,10}$/.test(text) ? Number(text) : undefined;
  },

  build() {
    const status = el('p', { class: 'kw-home-status', c: 'serie', role: 'status' });
    const report = el('pre', { class: 'kw-report', c: 'rapport', tabindex: '0', 'aria-label': 'Vérification de la série' });
    report.hidden = true;
    const folderInput = el('input', { type: 'file', webkitdirectory: true, hidden: true, c: 'dossier-input' });
    const filesInput = el('input', { type: 'file', multiple: true, hidden: true, c: 'fichiers-input' });
    const play = el('button', { type: 'button', class: 'kw-home-button', c: 'jouer', text: 'Jouer cette série', disabled: true });
    const check = el('button', { type: 'button', class: 'kw-home-button', c: 'verifier', text: 'Vérifier', disabled: true });
    const example = (name, caption, text) => {
      const b = el('button', { type: 'button', class: 'kw-home-button', c: name, text: caption });
      b.addEventListener('click', () => this.play(Series.example(name)));
      return el('li', {}, [b, el('span', { text })]);
    };
    const drop = el('div', { class: 'kw-drop', c: 'depot', tabindex: '-1' }, [
      el('span', { text: 'ou déposer ici le dossier de la série, ou ses deux fichiers' })]);
    const pickFolder = el('button', { type: 'button', class: 'kw-home-button', c: 'ouvrir-dossier', text: 'Choisir un dossier…' });
    const pickFiles = el('button', { type: 'button', class: 'kw-home-button', c: 'ouvrir-fichiers', text: 'Choisir les deux fichiers…' });
    this.node = el('main', { class: 'kw-home', id: 'kw-accueil' }, [
      el('h1', { text: 'kw_switch' }),
      el('p', { text: 'Programme d\'exercices sur la commutation Ethernet : l\'étudiant joue à la main le rôle de chaque élément d\'un petit réseau (stations, hubs, switch) pour une trame.' }),
      el('h2', { text: 'Les séries d\'exemple' }),
      el('ul', { class: 'kw-examples' }, [
        example('serie_imposee', 'Série imposée', 'huit exercices imposés, puis le temps passé'),
        example('serie_aleatoire', 'Série aléatoire', 'des exercices tirés au hasard, sans fin'),
      ]),
      el('h2', { text: 'Ouvrir une série…' }),
      el('p', { text: 'Le dossier d\'une série contient kw_switch.INI et le fichier d\'exercices switchexos.kw. La page les lit sans rien envoyer ni enregistrer.' }),
      el('div', { class: 'kw-pick' }, [pickFolder, pickFiles, folderInput, filesInput]),
      drop,
      status,
      el('div', { class: 'kw-pick' }, [play, check]),
      report,
    ]);
    pickFolder.addEventListener('click', () => folderInput.click());
    pickFiles.addEventListener('click', () => filesInput.click());
    const opened = async (promise) => {
      try {
        this.chosen = await promise;
      } catch (e) {
        this.chosen = null;
      }
      report.hidden = true;
      report.textContent = '';
      status.textContent = this.chosen ? 'Série : ' + (this.chosen.names || this.chosen.shown) : '';
      play.disabled = !this.chosen;
      check.disabled = !this.chosen;
      if (this.chosen)
        play.focus();
    };
    folderInput.addEventListener('change', () => {
      const files = [...folderInput.files].map((file) => ({ path: file.webkitRelativePath || file.name, file }));
      folderInput.value = '';
      if (files.length)
        opened(Series.fromFiles(files));
    });
    filesInput.addEventListener('change', () => {
      const files = [...filesInput.files].map((file) => ({ path: file.name, file }));
      filesInput.value = '';
      if (files.length)
        opened(Series.fromFiles(files));
    });
    drop.addEventListener('dragover', (event) => {
      event.preventDefault();
      drop.classList.add('kw-over');
    });
    drop.addEventListener('dragleave', () => drop.classList.remove('kw-over'));
    drop.addEventListener('drop', (event) => {
      event.preventDefault();
      drop.classList.remove('kw-over');
      opened(Series.fromDrop(event.dataTransfer));
    });
    // A file dropped beside the zone is not opened by the browser in place of the page.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => event.preventDefault());
    play.addEventListener('click', () => this.chosen && this.play(this.chosen));
    check.addEventListener('click', () => {
      if (!this.chosen)
        return;
      Core.setAlias(this.chosen.folder, this.chosen.shown);
      const result = Core.check(this.chosen.folder);
      report.textContent = result.text;
      report.dataset.status = String(result.status);
      report.hidden = false;
      report.focus();
    });
    document.body.append(this.node);
  },

  show() {
    this.node.hidden = false;
    document.title = 'kw_switch';
  },

  async play(series) {
    this.node.hidden = true;
    document.title = 'kw_switch';
    await App.start(series.folder, series.shown, this.seed());
  },
};

// The page asks for nothing more once its series is read.
function closeNetwork() {
  const policy = el('meta', { 'http-equiv': 'Content-Security-Policy', content: 'connect-src \'none\'' });
  document.head.append(policy);
}

let readyResolve;
const ready = new Promise((resolve) => readyResolve = resolve);

// Read-only, for the tests: what the game shows and what it did. Stores nothing.
window.kwTest = Object.freeze({
  ready: () => ready,
  flowState: () => (App.view ? App.view.flowState : null),
  view: () => (App.playing ? Core.view() : null),
  effects: () => JSON.parse(JSON.stringify(App.log)),
  playing: () => App.playing,
  busy: () => App.busy || Boxes.open.length > 0,
  // Resolves once the last act's effects are done, or a box waits for its answer.
  idle: () => new Promise((resolve) => {
    const look = () => (!App.busy || Boxes.open.length ? resolve() : setTimeout(look, 2));
    look();
  }),
  scale: () => Pictures.scale,
  // The bytes of the module's memory (it grows only for a file of several megabytes).
  memory: () => (Core.module ? Core.module.HEAPU8.length : 0),
  // A dialog's controls, made now as its first opening makes them, so that a test can read a
  // window the student has not opened yet; the game is not touched.
  controls: async (name) => {
    if (!App.playing || !Object.prototype.hasOwnProperty.call(W, name))
      return;
    if (!Pictures.complete)
      await Pictures.all;
    Dialogs.ensure(W[name], App.view, App.log);
  },
});

async function boot() {
  Keys.install();
  const fontsReady = Promise.all(['10px "KW Sans"', 'bold 10px "KW Sans"'].map((font) => document.fonts.load(font)));
  const [wasm] = await Promise.all([KwBundle.wasm(), Pictures.load(['diagram']), fontsReady]);
  await Core.load(wasm);
  App.host = document.body;
  Home.build();
  App.onEnd = () => Home.show();
  const params = Home.params;
  let series = null;
  if (params.has('serie')) {
    series = await Series.fromUrl(params.get('serie'));
  } else if (params.has('exemple')) {
    const name = params.get('exemple');
    if (Object.prototype.hasOwnProperty.call(KwBundle.examples, name))
      series = Series.example(name);
  }
  closeNetwork();
  if (series) {
    Home.node.hidden = true;
    // Ready once the main window is up, or a box of the start waits for its OK.
    const boxShown = new Promise((resolve) => Boxes.onShow = resolve);
    await Promise.race([Home.play(series), boxShown]);
    Boxes.onShow = null;
    readyResolve();
  } else {
    Home.show();
    readyResolve();
  }
}

boot().catch((error) => {
  const message = error && error.message ? error.message : String(error);
  console.error('kw_switch: ' + message);
  // Never a blank page: what stopped the start, in a few words.
  document.body.append(el('p', { class: 'kw-home', role: 'alert',
    text: 'kw_switch ne peut pas démarrer dans ce navigateur (' + message + '). Un navigateur récent (Chrome, Edge, Firefox, Safari) convient.' }));
});
