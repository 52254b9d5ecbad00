// Where a series comes from: an example inside the page, a folder on a web server, or files
// from the student's disk. Their bytes are written, as they are, into a folder of the
// in-memory file system, and the core reads them there as it reads a folder on the desktop.
'use strict';

const Series = {
  root: '/serie',
  count: 0,
  // The core reads at most this many bytes of a file; one more tells it that the file is longer.
  readLimit: 8 * 1024 * 1024 + 1,
  configName: 'kw_switch.ini',
  exercisesName: 'switchexos.kw',
  // The names a teacher's web server may hold the two files under; on disk, the core finds
  // them whatever their letter case.
  configNames: ['kw_switch.INI', 'kw_switch.ini', 'KW_SWITCH.INI', 'KW_switch.ini', 'Kw_switch.ini', 'kw_switch.Ini'],
  exercisesNames: ['switchexos.kw', 'SWITCHEXOS.KW', 'Switchexos.kw', 'SwitchExos.kw', 'switchexos.KW'],

  // A folder of its own for each series read; it exists even when no file is found, so that
  // the core tells of the missing configuration, not of a missing folder.
  newFolder() {
    this.count += 1;
    const folder = this.root + '/' + String(this.count).padStart(6, '0');
    Core.putFile(folder + '/', new Uint8Array(0));
    return folder;
  },

  decode64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i)
      bytes[i] = binary.charCodeAt(i);
    return bytes;
  },

  example(name) {
    const files = KwBundle.examples[name];
    const folder = this.newFolder();
    for (const [file, data] of Object.entries(files))
      Core.putFile(folder + '/' + file, this.decode64(data));
    return { folder, shown: 'exemples/' + name };
  },

  // The folder of the exercise file that the configuration of `folder` names, relative to
  // `folder` when it lies among the series' folders; null otherwise (an absolute folder of a
  // desktop, which no web server holds).
  questionsFolder(folder) {
    const path = Core.questionsFolder(folder);
    if (!path || !(path + '/').startsWith(this.root + '/'))
      return null;
    const from = folder.split('/').filter(Boolean);
    const to = path.split('/').filter(Boolean);
    let common = 0;
    while (common < from.length && common < to.length && from[common] === to[common])
      ++common;
    const up = from.slice(common).map(() => '..');
    return { path, relative: [...up, ...to.slice(common)].join('/') };
  },

  async readResponse(response) {
    // Only as much as the core reads.
    const reader = response.body.getReader();
    const chunks = [];
    let size = 0;
    while (size < this.readLimit) {
      const { done, value } = await reader.read();
      if (done)
        break;
      chunks.push(value);
      size += value.length;
    }
    reader.cancel().catch(() => {});
    const bytes = new Uint8Array(Math.min(size, this.readLimit));
    let at = 0;
    for (const chunk of chunks) {
      const part = chunk.subarray(0, bytes.length - at);
      bytes.set(part, at);
      at += part.length;
      if (at >= bytes.length)
        break;
    }
    return bytes;
  },

  // The first of `names` that the folder `base` (a URL ending in "/") holds: [name, bytes].
  async fetchFirst(base, names) {
    for (const name of names) {
      let response;
      try {
        response = await fetch(new URL(encodeURIComponent(name), base), { credentials: 'omit', cache: 'no-cache' });
      } catch (e) {
        return null; // no network, or refused by the server's rules: nothing more to try there
      }
      if (response.ok && response.body)
        return [name, await this.readResponse(response)];
    }
    return null;
  },

  // A series on a web server: `?serie=URL` names its folder (or its kw_switch.INI).
  async fromUrl(address) {
    const folder = this.newFolder();
    let base = null;
    try {
      base = new URL(address, location.href);
    } catch (e) {
      return { folder, shown: address };
    }
    base.hash = '';
    let names = this.configNames;
    const last = base.pathname.split('/').pop();
    if (last.toLowerCase() === this.configName) {
      names = [decodeURIComponent(last), ...names];
      base = new URL('.', base);
    } else if (!base.pathname.endsWith('/')) {
      base.pathname += '/';
    }
    const shown = base.href.replace(/\/$/, '');
    if (base.protocol !== 'https:' && base.protocol !== 'http:')
      return { folder, shown };
    const config = await this.fetchFirst(base, names);
    if (!config)
      return { folder, shown };
    Core.putFile(folder + '/' + config[0], config[1]);
    const questions = this.questionsFolder(folder);
    if (questions) {
      const exercisesBase = new URL(questions.relative ? questions.relative.split('/').map(encodeURIComponent).join('/') + '/' : './', base);
      const exercises = await this.fetchFirst(exercisesBase, this.exercisesNames);
      if (exercises)
        Core.putFile(questions.path + '/' + exercises[0], exercises[1]);
    }
    return { folder, shown };
  },

  async bytesOf(file) {
    return new Uint8Array(await file.slice(0, this.readLimit).arrayBuffer());
  },

  // Files from the student's disk: [{path, file}], `path` relative to the folder chosen or
  // dropped ("serie1/kw_switch.INI"), or the bare name of a file chosen alone.
  async fromFiles(entries) {
    const base = this.newFolder();
    const lower = (path) => path.split('/').pop().toLowerCase();
    const configs = entries.filter((e) => lower(e.path) === this.configName);
    const exercises = entries.filter((e) => lower(e.path) === this.exercisesName);
    const depth = (path) => path.split('/').length;
    configs.sort((a, b) => depth(a.path) - depth(b.path) || (a.path < b.path ? -1 : 1));
    const top = entries.length ? entries[0].path.split('/')[0] : '';
    let seriesPath = '';
    if (configs.length)
      seriesPath = configs[0].path.split('/').slice(0, -1).join('/');
    else if (entries.some((e) => e.path.includes('/')))
      seriesPath = top;
    const folder = seriesPath ? base + '/' + seriesPath : base;
    // Files chosen alone come without their folder's name.
    const shown = seriesPath || 'fichiers choisis';
    const names = seriesPath || entries.map((e) => e.path).join(', ');
    Core.putFile(folder + '/', new Uint8Array(0));
    for (const e of configs)
      Core.putFile(base + '/' + e.path, await this.bytesOf(e.file));
    const flat = !entries.some((e) => e.path.includes('/'));
    // Two files chosen alone: the exercise file goes where the configuration looks for it.
    const questions = flat && configs.length ? Core.questionsFolder(folder) : '';
    for (const e of exercises) {
      const target = flat ? (questions || folder) + '/' + e.path : base + '/' + e.path;
      Core.putFile(target, await this.bytesOf(e.file));
    }
    return { folder, shown, names };
  },

  // What a drop holds, folders walked through.
  async fromDrop(dataTransfer) {
    const items = [...dataTransfer.items].filter((item) => item.kind === 'file');
    const roots = items.map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry()).filter(Boolean);
    if (roots.length === 0)
      return this.fromFiles([...dataTransfer.files].map((file) => ({ path: file.name, file })));
    const entries = [];
    const walk = async (entry, path, depth) => {
      if (entry.isFile) {
        const name = entry.name.toLowerCase();
        if (name === this.configName || name === this.exercisesName) {
          const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
          entries.push({ path: path + entry.name, file });
        }
        return;
      }
      if (!entry.isDirectory || depth > 8)
        return;
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
        if (batch.length === 0)
          break;
        for (const child of batch)
          await walk(child, path + entry.name + '/', depth + 1);
      }
    };
    for (const root of roots)
      await walk(root, '', 0);
    if (entries.length === 0 && roots.length === 1 && roots[0].isDirectory) {
      const folder = this.newFolder() + '/' + roots[0].name;
      Core.putFile(folder + '/', new Uint8Array(0));
      return { folder, shown: roots[0].name };
    }
    return this.fromFiles(entries);
  },
};
