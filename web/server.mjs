// A static file server on the loopback address only, for trying the site
// and for the browser tests. Usage: node web/server.mjs SITE_DIR [PORT]
// (PORT 0 or none picks a free one); prints the address it serves.
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
  '.jpg': 'image/jpeg',
  '.mp3': 'audio/mpeg',
  '.ttf': 'font/ttf',
  '.png': 'image/png',
};

// Resolves with { server, port, url } once listening on 127.0.0.1.
export function serveSite(root, port = 0) {
  const base = resolve(root);
  const server = createServer((request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(base, path));
    if (file !== base && !file.startsWith(base + sep)) {
      response.writeHead(403).end();
      return;
    }
    let stat;
    try {
      stat = statSync(file);
    } catch {
      stat = null;
    }
    if (!stat || !stat.isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
      'Content-Length': stat.size,
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') response.end();
    else createReadStream(file).pipe(response);
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => {
      const actual = server.address().port;
      done({ server, port: actual, url: `http://127.0.0.1:${actual}/` });
    });
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [root, port] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node web/server.mjs SITE_DIR [PORT]');
    process.exit(2);
  }
  const { url } = await serveSite(root, Number(port || 0));
  console.log(`serving ${root} on ${url}`);
}
