// Frame cost in the browser: the game's frames per second at 640 x 480 against a minimal WebGL2
// page drawing one full-screen textured quad, in the same Chromium (SwiftShader, frame rate
// unlimited), one after the other. A benchmark, not a test: it prints figures and checks nothing.
// Usage: node bench/web/frame_cost.mjs [BUILD_FOLDER] [SECONDS]
import { chromium } from "../../tests/web/node_modules/playwright-core/index.mjs";
import { serve } from "../../web/serve.mjs";

const folder = process.argv[2] ?? "build/web";
const seconds = Number(process.argv[3] ?? 10);

const quadPage = `<!doctype html><title>quad</title><body style="margin:0;background:#000">
<canvas id="c" width="640" height="480"></canvas><script>
const gl = document.getElementById("c").getContext("webgl2", { antialias: false, alpha: false });
const src = (type, text) => { const s = gl.createShader(type); gl.shaderSource(s, text); gl.compileShader(s); return s; };
const p = gl.createProgram();
gl.attachShader(p, src(gl.VERTEX_SHADER, "#version 300 es\\nin vec2 a; out vec2 uv; void main() { uv = a * 0.5 + 0.5; gl_Position = vec4(a, 0.0, 1.0); }"));
gl.attachShader(p, src(gl.FRAGMENT_SHADER, "#version 300 es\\nprecision highp float; uniform sampler2D t; in vec2 uv; out vec4 o; void main() { o = texture(t, uv); }"));
gl.linkProgram(p); gl.useProgram(p);
gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
gl.enableVertexAttribArray(0); gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
const pixels = new Uint8Array(256 * 256 * 4).map((_, i) => (i * 37) & 255);
gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA8, 256, 256, 0, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
window.frames = 0;
(function draw() { gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4); window.frames++; requestAnimationFrame(draw); })();
</script>`;

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
  args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--ignore-gpu-blocklist",
    "--disable-gpu-vsync", "--disable-frame-rate-limit"],
});
const server = await serve(folder);
const viewport = { width: 640, height: 511 };

async function rate(page) {
  const count = () => page.evaluate(() => window.frames);
  await new Promise((done) => setTimeout(done, 2000));  // warm-up
  const start = await count();
  const t0 = Date.now();
  await new Promise((done) => setTimeout(done, seconds * 1000));
  return (await count() - start) / ((Date.now() - t0) / 1000);
}

const game = await browser.newPage({ viewport });
await game.addInitScript(() => {
  window.frames = 0;
  const tick = () => { window.frames++; requestAnimationFrame(tick); };
  requestAnimationFrame(tick);
});
await game.goto(`http://127.0.0.1:${server.address().port}/`);
await game.waitForFunction(() => typeof Module !== "undefined" && Module._TarnwickScreen !== undefined &&
  !/Loading/.test(document.getElementById("message").textContent), null, { timeout: 60000 });
await game.keyboard.press("Space");  // level 1: the world, the creature and the effect
const gameFps = await rate(game);
await game.close();

const quad = await browser.newPage({ viewport });
await quad.setContent(quadPage);
const quadFps = await rate(quad);
await quad.close();

await browser.close();
server.close();
console.log(`game (level 1): ${gameFps.toFixed(1)} frames/s; one textured quad: ${quadFps.toFixed(1)} frames/s; ` +
  `a game frame costs ${(quadFps / gameFps).toFixed(2)} quad frames`);
