// One run of the program: the acts go to the game, what comes back is done in its order
// (boxes waited for, windows opened and closed, lines and LEDs painted), then the view is shown.
'use strict';

const App = {
  playing: false,
  busy: false,
  boxUp: false,
  view: null,
  geometry: null,
  log: [],
  running: Promise.resolve(),
  host: null,
  onEnd: null,

  // The student's act, passed on; nothing while the last act's effects are still being done
  // (a box waits for its OK), as the desktop takes nothing then.
  act(act, a = 0, b = 0, c = 0, d = 0) {
    if (!this.playing || this.busy)
      return this.running;
    const effects = Core.act(act, a, b, c, d);
    this.running = this.run(effects);
    return this.running;
  },

  render(final) {
    const view = this.view;
    if (!view)
      return;
    Desk.dialogs.forEach((dialog) => dialog && dialog.render(view, final));
  },

  async run(effects) {
    this.busy = true;
    let answer = null;
    let activation = -1;
    let quit = false;
    try {
      this.log.push(...effects);
      this.view = Core.view();
      Desk.updateInert(this.view.modal, false);
      this.render(false);
      let done = this.log.length - effects.length;
      for (const effect of effects) {
        const win = Desk.windows[effect.w];
        switch (effect.k) {
        case 'box': {
          this.boxUp = true;
          Desk.updateInert(this.view.modal, true);
          const errors = Desk.dialogs[W.Avance] && Desk.dialogs[W.Avance].errors;
          if (errors)
            errors.textContent = effect.errorsCaption;
          const shown = await Boxes.show(effect);
          this.boxUp = Boxes.open.length > 0;
          if (effect.awaits)
            answer = shown.answer;
          Desk.updateInert(this.view.modal, this.boxUp);
          const back = shown.returnFocus;
          if (back && back.isConnected && !back.closest('[inert]') && !back.closest('[hidden]'))
            back.focus({ preventScroll: true });
          break;
        }
        case 'open':
          if (!Pictures.complete)
            await Pictures.all;
          Dialogs.ensure(effect.w, this.view, this.log.slice(0, done));
          Desk.open(win, effect.modal);
          break;
        case 'close':
          Desk.close(win);
          break;
        case 'move':
          win.moveTo(effect.left, effect.top);
          break;
        case 'line':
          Dialogs.drawLine(effect.cable, effect.line, effect.c);
          break;
        case 'led':
          Dialogs.paintLed(effect.pic, effect.led, effect.c);
          break;
        case 'front':
          Desk.bringToFront(win);
          activation = effect.w;
          break;
        case 'quit':
          quit = true;
          break;
        }
        done += 1;
      }
      if (this.playing) {
        this.render(true);
        // What the game shows, whatever the effects said.
        Desk.windows.forEach((win, i) => {
          if (this.view.showing[i] === Showing.Hidden && win.shown)
            Desk.close(win);
        });
        Desk.updateInert(this.view.modal, false);
        const active = Desk.windows[Desk.active];
        if (!active || !active.el.contains(document.activeElement)) {
          const top = Desk.topmost();
          if (top)
            Desk.activateQuietly(top);
        }
      }
    } finally {
      this.busy = false;
    }
    if (quit) {
      this.end();
      return;
    }
    if (answer !== null)
      return this.act(Act.Answer, answer ? 1 : 0);
    if (activation >= 0)
      return this.act(Act.Activate, activation);
  },

  // The program on the series of the in-memory `folder`, whose texts name `shown`.
  async start(folder, shown, seed) {
    this.end(true);
    Core.setAlias(folder, shown);
    Core.newGame(seed);
    this.geometry = this.geometry || Core.geometry();
    const effects = Core.start(folder);
    this.view = Core.view();
    this.log = [];
    Desk.build(this.host, this.view, this.geometry);
    this.playing = true;
    this.running = this.run(effects);
    await this.running;
    if (!this.playing)
      return;
    if (!this.view.started) {
      // A refused start ends the program, after its boxes.
      this.end();
      return;
    }
    // The main window comes up; the two reference windows start minimised.
    const main = Desk.windows[W.Principale];
    Desk.showQuietly(main, false);
    Desk.showQuietly(Desk.windows[W.Avance], true);
    Desk.showQuietly(Desk.windows[W.AdressesMAC], true);
    // Shown first, focused last: the focus lays the page out, once, as it will be painted.
    this.render(true);
    Desk.activateQuietly(main);
  },

  end(quietly) {
    const wasPlaying = this.playing;
    this.playing = false;
    Boxes.closeAll();
    Desk.destroy();
    this.view = null;
    if (wasPlaying && !quietly && this.onEnd)
      this.onEnd();
  },
};
