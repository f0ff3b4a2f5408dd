// Prints the site's files.json: the program's files and the data, each with
// its size, so that the page knows the total before loading.
// Usage: node web/manifest.mjs SITE_DIR > SITE_DIR/files.json
import { readdirSync, statSync, existsSync } from 'node:fs';
import { join } from 'node:path';

const site = process.argv[2];
const entry = (path) => ({ path, size: statSync(join(site, path)).size });
const program = ['zant.js', 'zant.wasm'].filter((name) => existsSync(join(site, name))).map(entry);
const data = readdirSync(join(site, 'data'))
  .filter((name) => !name.startsWith('.'))
  .sort()
  .map((name) => entry(`data/${name}`));
process.stdout.write(`${JSON.stringify({ program, data }, null, 1)}\n`);
