// The game compiled to WebAssembly, seen from the page: every act goes in as numbers, every
// answer comes back as JSON. Texts go in as UTF-8 bytes; files go in as their own bytes.
'use strict';

// The acts, numbered as the binding numbers them.
const Act = {
  ClickDiagram: 0, SelectFrameColumn: 1, SelectCacheRow: 2, CopyAddress: 3, SetCopy: 4,
  ClickLed: 5, PressDone: 6, SelectSwitchColumn: 7, ChooseUpdatePort: 8, CopyToEntryRow: 9,
  ChooseForwarding: 10, ClickSwitchPicture: 11, SetTick: 12, FinTraitement: 13, Nouveau: 14,
  About: 15, Quit: 16, Answer: 17, CloseWindow: 18, Activate: 19,
};

// The ten windows, in the game's order.
const WindowNames = ['Principale', 'Source', 'Avance', 'Hub1', 'AdressesMAC', 'Destination',
  'Hub2', 'APropos', 'Switch', 'SwitchGros'];
const W = Object.fromEntries(WindowNames.map((name, i) => [name, i]));

const Showing = { Hidden: 0, Modal: 1, Modeless: 2 };

const Core = {
  module: null,
  decoder: new TextDecoder('utf-8'),
  encoder: new TextEncoder(),

  async load(wasmBinary) {
    this.module = await KwCore({
      wasmBinary,
      print: () => {},
      printErr: (text) => console.error(text),
      onAbort: (what) => console.error('kw_switch: ' + what),
    });
  },

  answer(pointer) {
    const m = this.module;
    const length = m._kw_answer_length();
    return JSON.parse(this.decoder.decode(m.HEAPU8.subarray(pointer, pointer + length)));
  },

  // Runs `f` with `texts` copied into the module's memory as NUL-terminated UTF-8.
  withTexts(texts, f) {
    const m = this.module;
    const pointers = texts.map((text) => {
      const bytes = this.encoder.encode(text);
      const pointer = m._kw_alloc(bytes.length + 1);
      m.HEAPU8.set(bytes, pointer);
      m.HEAPU8[pointer + bytes.length] = 0;
      return pointer;
    });
    try {
      return f(...pointers);
    } finally {
      pointers.forEach((pointer) => m._kw_free(pointer));
    }
  },

  putFile(path, bytes) {
    const m = this.module;
    return this.withTexts([path], (name) => {
      const data = m._kw_alloc(bytes.length);
      m.HEAPU8.set(bytes, data);
      const status = m._kw_put_file(name, data, bytes.length);
      m._kw_free(data);
      return status === 0;
    });
  },

  setAlias(folder, shown) {
    this.withTexts([folder, shown], (a, b) => this.module._kw_set_alias(a, b));
  },

  newGame(seed) {
    const hasSeed = Number.isInteger(seed) && seed >= 0;
    this.module._kw_new_game(hasSeed ? 1 : 0, hasSeed ? seed >>> 0 : 0);
  },

  start(folder) {
    return this.withTexts([folder], (f) => this.answer(this.module._kw_start(f)));
  },

  act(act, a = 0, b = 0, c = 0, d = 0) {
    return this.answer(this.module._kw_act(act, a, b, c, d));
  },

  view() {
    return this.answer(this.module._kw_view());
  },

  geometry() {
    return this.answer(this.module._kw_geometry());
  },

  questionsFolder(folder) {
    return this.withTexts([folder], (f) => this.answer(this.module._kw_questions_folder(f)));
  },

  check(folder) {
    return this.withTexts([folder], (f) => this.answer(this.module._kw_check(f)));
  },
};
