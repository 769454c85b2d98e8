// Serves the web build's folder on 127.0.0.1 and prints its address.
// Usage: node web/serve.mjs [FOLDER] [--port N] [--without FILE]...
// --without leaves a file out (answered 404), as a server missing it would.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".mjs": "text/javascript",
  ".wasm": "application/wasm", ".data": "application/octet-stream", ".png": "image/png",
};

export function serve(folder, { port = 0, without = [] } = {}) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const name = path === "/" ? "index.html" : normalize(path).replace(/^[/\\]+/, "");
    if (name.startsWith("..") || without.includes(name)) {
      response.writeHead(404).end("not found");
      return;
    }
    try {
      const body = await readFile(join(root, name));
      response.writeHead(200, { "Content-Type": types[extname(name)] ?? "application/octet-stream",
        "Cache-Control": "no-store" });
      response.end(body);
    } catch {
      response.writeHead(404).end("not found");
    }
  });
  return new Promise((done) => server.listen(port, "127.0.0.1", () => done(server)));
}

if (import.meta.url === pathToFileURL(resolve(process.argv[1])).href) {
  const args = process.argv.slice(2);
  let folder = "build/web";
  let port = 8034;
  const without = [];
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === "--port") port = Number(args[++i]);
    else if (args[i] === "--without") without.push(args[++i]);
    else folder = args[i];
  }
  const server = await serve(folder, { port, without });
  console.log(`Tarnwick: http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
}
