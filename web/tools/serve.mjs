// A small static server on 127.0.0.1 for the web page (and for the tests' series folders):
// files only, read-only, no directory listings.
//
//   node serve.mjs FOLDER [PORT]       serves FOLDER and prints its address
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png', '.woff2': 'font/woff2',
  '.txt': 'text/plain; charset=utf-8', '.json': 'application/json',
};

// Serves each of `mounts` ({ '/': folder, '/series/': other }) on 127.0.0.1:`port` (0: any
// free port). `headers(path)` may add headers to an answer. Resolves with the server and its
// address.
export function serve(mounts, { port = 0, headers = () => ({}) } = {}) {
  const roots = Object.entries(mounts).map(([prefix, folder]) => [prefix, resolve(folder)])
    .sort((a, b) => b[0].length - a[0].length);
  const server = createServer((request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch (e) {
      response.writeHead(400).end();
      return;
    }
    const mount = roots.find(([prefix]) => path.startsWith(prefix));
    if (!mount || (request.method !== 'GET' && request.method !== 'HEAD')) {
      response.writeHead(404).end();
      return;
    }
    const [prefix, root] = mount;
    let file = normalize(join(root, path.slice(prefix.length)));
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      if (statSync(file).isDirectory())
        file = join(file, 'index.html');
      const stat = statSync(file);
      if (!stat.isFile())
        throw new Error('not a file');
      response.writeHead(200, Object.assign({
        'Content-Type': types[extname(file).toLowerCase()] || 'application/octet-stream',
        'Content-Length': stat.size, 'Cache-Control': 'no-cache', 'X-Content-Type-Options': 'nosniff',
      }, headers(path)));
      if (request.method === 'HEAD')
        response.end();
      else
        createReadStream(file).pipe(response);
    } catch (e) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('404');
    }
  });
  return new Promise((resolvePromise, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      const address = server.address();
      resolvePromise({ server, url: 'http://127.0.0.1:' + address.port + '/' });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  // The port asked for, or any free one when it is taken.
  const site = await serve({ '/': folder }, { port: port ? Number(port) : 8620 })
    .catch(() => serve({ '/': folder }, { port: 0 }));
  const { url } = site;
  console.log('kw_switch : ' + url + '  (Ctrl+C pour arrêter)');
}
