// Puts the web page together: the static site (index.html and its files, for any web server)
// and one self-contained kw_switch.html (everything inlined, for a double-click).
//
//   node assemble.mjs SOURCE_DIR MODULE_DIR FONT_DIR OUT_DIR [ESBUILD]
//
// SOURCE_DIR is the repository, MODULE_DIR holds kw_core.js and kw_core.wasm, FONT_DIR the two
// WOFF2 faces; ESBUILD, Debian's esbuild, minifies the scripts and the style sheet. Nothing else
// but Node's own modules.
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

const [sourceDir, moduleDir, fontDir, outDir, esbuild] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: assemble.mjs SOURCE_DIR MODULE_DIR FONT_DIR OUT_DIR');
  process.exit(2);
}

const web = join(sourceDir, 'web');
const minify = (code, loader) => (esbuild
  ? execFileSync(esbuild, ['--minify', '--target=es2020', '--loader=' + loader, '--log-level=warning'],
    { input: code, maxBuffer: 64 << 20 }).toString()
  : code);
const read = (path) => readFileSync(path);
const text = (path) => readFileSync(path, 'utf8');

// The page's scripts, in this order, in one strict scope.
const sources = ['core.js', 'controls.js', 'desktop.js', 'dialogs.js', 'app.js', 'series.js', 'main.js'];
const body = sources.map((name) => '// ---- ' + name + ' ----\n' +
  text(join(web, 'src', name)).replace(/^'use strict';\n/m, '')).join('\n');

const pictures = ['diagram', 'hub_leds', 'switch_leds', 'switch_small', 'station', 'server', 'program', 'tick',
  'tick_disabled'];
const examples = {};
for (const name of ['serie_imposee', 'serie_aleatoire']) {
  examples[name] = {};
  for (const file of ['kw_switch.INI', 'switchexos.kw'])
    examples[name][file] = read(join(sourceDir, 'examples', name, file)).toString('base64');
}
const fonts = { Regular: join(fontDir, 'KWSans-Regular.woff2'), Bold: join(fontDir, 'KWSans-Bold.woff2') };

const csp = (parts) => Object.entries(parts).map(([k, v]) => (k + ' ' + v).trim()).join('; ');
const page = ({ style, scripts = '', head = '', icon, policy, preloads = '' }) => `<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta http-equiv="Content-Security-Policy" content="${policy}">
<meta name="referrer" content="no-referrer">
<title>kw_switch</title>
<link rel="icon" href="${icon}">
${style}
${head}${preloads}</head>
<body>
<noscript><p>kw_switch a besoin de JavaScript.</p></noscript>
${scripts}
</body>
</html>
`;

rmSync(outDir, { recursive: true, force: true });
mkdirSync(join(outDir, 'assets'), { recursive: true });
mkdirSync(join(outDir, 'fonts'), { recursive: true });

// ---- The static site ----

const glue = minify(text(join(moduleDir, 'kw_core.js')), 'js');
const wasm = read(join(moduleDir, 'kw_core.wasm'));
const staticBundle = `const KwBundle = {
  wasm: () => fetch('kw_core.wasm').then((r) => { if (!r.ok) throw new Error('kw_core.wasm: ' + r.status); return r.arrayBuffer(); }),
  examples: ${JSON.stringify(examples)},
};
`;
const pictureSources = (urlOf) => 'Pictures.sources = ' + JSON.stringify(Object.fromEntries(
  pictures.map((name) => [name, { 1: urlOf(name + '.png'), 2: urlOf(name + '@2x.png') }]))) + ';\n';
// The pictures' addresses are set once Pictures (controls.js) exists.
const script = (bundle, urlOf) => minify('(() => {\n\'use strict\';\n' + bundle +
  body.replace('// ---- desktop.js ----', pictureSources(urlOf) + '// ---- desktop.js ----') + '\n})();\n', 'js');

writeFileSync(join(outDir, 'kw_switch.js'), script(staticBundle, (file) => 'assets/' + file));
writeFileSync(join(outDir, 'kw_core.js'), glue);
writeFileSync(join(outDir, 'kw_core.wasm'), wasm);
writeFileSync(join(outDir, 'kw_switch.css'), minify(text(join(web, 'src', 'style.css')), 'css'));
for (const name of [...pictures, 'kw_switch'])
  for (const file of [name + '.png', name + '@2x.png'])
    copyFileSync(join(sourceDir, 'assets', file), join(outDir, 'assets', file));
for (const [style, path] of Object.entries(fonts))
  copyFileSync(path, join(outDir, 'fonts', 'KWSans-' + style + '.woff2'));
copyFileSync(join(web, 'fonts', 'OFL.txt'), join(outDir, 'fonts', 'OFL.txt'));
copyFileSync(join(web, 'LISEZMOI.txt'), join(outDir, 'LISEZMOI.txt'));

// What the start waits for besides the scripts, asked for at once rather than once they have run:
// the module, the two faces and the diagram at the screen's density. After the scripts, which
// come first: six requests at a time go to one server.
const preloads = [
  '<link rel="preload" href="kw_core.wasm" as="fetch" type="application/wasm" crossorigin>',
  ...Object.keys(fonts).map((style) =>
    '<link rel="preload" href="fonts/KWSans-' + style + '.woff2" as="font" type="font/woff2" crossorigin>'),
  '<link rel="preload" href="assets/diagram.png" as="image" media="(max-resolution: 1.49dppx)">',
  '<link rel="preload" href="assets/diagram@2x.png" as="image" media="(min-resolution: 1.5dppx)">',
].join('\n') + '\n';
writeFileSync(join(outDir, 'index.html'), page({
  preloads,
  style: '<link rel="stylesheet" href="kw_switch.css">',
  // In the head, deferred: fetched at once, side by side, and run in this order once the page is read.
  head: '<script src="kw_core.js" defer></script>\n<script src="kw_switch.js" defer></script>\n',
  icon: 'assets/kw_switch.png',
  policy: csp({
    'default-src': '\'none\'', 'script-src': '\'self\' \'wasm-unsafe-eval\'', 'style-src': '\'self\'',
    'img-src': '\'self\'', 'font-src': '\'self\'', 'connect-src': '\'self\' https: http:',
    'base-uri': '\'none\'', 'form-action': '\'none\'',
  }),
}));

// ---- The single file ----

const dataUrl = (type, bytes) => 'data:' + type + ';base64,' + Buffer.from(bytes).toString('base64');
const singleBundle = `const KwBundle = {
  // The module, gzipped then in base64, unpacked by the browser itself.
  wasm: () => {
    const binary = atob('${gzipSync(wasm, { level: 9 }).toString('base64')}');
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i)
      bytes[i] = binary.charCodeAt(i);
    return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  },
  examples: ${JSON.stringify(examples)},
};
`;
const singleScript = script(singleBundle, (file) => dataUrl('image/png', read(join(sourceDir, 'assets', file))));
let css = text(join(web, 'src', 'style.css'));
for (const [style, path] of Object.entries(fonts))
  css = css.replace('url(fonts/KWSans-' + style + '.woff2)', 'url(' + dataUrl('font/woff2', read(path)) + ')');
css = minify(css, 'css');
const hash = (content) => '\'sha256-' + createHash('sha256').update(content).digest('base64') + '\'';
// A script element's text must not close the element early.
const safe = (code) => code.replace(/<\/script/gi, '<\\/script');
const inlineGlue = safe(glue);
const inlineScript = safe(singleScript);
const single = page({
  style: '<style>' + css + '</style>',
  scripts: '<script>' + inlineGlue + '</script>\n<script>' + inlineScript + '</script>',
  icon: dataUrl('image/png', read(join(sourceDir, 'assets', 'kw_switch.png'))),
  policy: csp({
    'default-src': '\'none\'', 'script-src': hash(inlineGlue) + ' ' + hash(inlineScript) + ' \'wasm-unsafe-eval\'',
    'style-src': hash(css), 'img-src': 'data:', 'font-src': 'data:', 'connect-src': 'https: http:',
    'base-uri': '\'none\'', 'form-action': '\'none\'',
  }),
});
// The font's licence travels with it, as the licence asks, at the end of the file.
const licences = '<!--\nkw_switch : GPL-3.0-or-later.\n\n' + text(join(web, 'fonts', 'OFL.txt')).replace(/--/g, '- -') + '-->\n';
writeFileSync(join(outDir, 'kw_switch.html'), single + licences);

const size = (bytes) => bytes.length + ' octets (' + gzipSync(bytes, { level: 9 }).length + ' en gzip)';
console.log('build-web : kw_switch.html ' + size(Buffer.from(single + licences)));
