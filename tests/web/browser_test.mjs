// The web build in Debian's Chromium (software WebGL2 through SwiftShader), driven through the
// DevTools protocol: the page loads from a local server, shows the title as the Linux game
// draws it, starts level 1 on Space, steers the creature with a held key and logs no errors;
// served without its data, or in a browser without WebGL2, it says so in one sentence.
// Usage: node tests/web/browser_test.mjs BUILD_FOLDER REFERENCE_TITLE.png
import { chromium } from "playwright-core";
import { readFileSync } from "node:fs";
import { serve } from "../../web/serve.mjs";
import { comparePictures, decodePng } from "./pictures.mjs";

const [folder, referencePath] = process.argv.slice(2);
if (!folder || !referencePath) {
  console.error("usage: browser_test.mjs BUILD_FOLDER REFERENCE_TITLE.png");
  process.exit(2);
}

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures += 1;
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
  args: ["--no-sandbox", "--enable-unsafe-swiftshader", "--use-angle=swiftshader", "--ignore-gpu-blocklist",
    "--autoplay-policy=no-user-gesture-required"],
});

async function openPage(server) {
  // The bar under the canvas is 2.2em of 14px: the canvas then gets exactly 640 x 480.
  const page = await browser.newPage({ viewport: { width: 640, height: 511 } });
  const errors = [];
  // WebGL reports a GL error as a warning: that is a fault too.
  page.on("console", (m) => {
    if (m.type() === "error" || (m.type() === "warning" && /WebGL|GL_INVALID|GL error/.test(m.text()))) {
      errors.push(m.text());
    }
  });
  page.on("pageerror", (e) => errors.push(String(e)));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  return { page, errors };
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

try {
  const server = await serve(folder);
  const { page, errors } = await openPage(server);
  // The game prints its controls line once it has started.
  await page.waitForFunction(() => typeof Module !== "undefined" && Module._TarnwickScreen !== undefined &&
    !/Loading/.test(document.getElementById("message").textContent), null, { timeout: 60000 });
  check(await page.title() === "Tarnwick", "the page is titled Tarnwick");
  const line = await page.textContent("#controls");
  check(/keyboard steers/.test(line), `the controls line comes from the game: "${line}"`);
  // Where the reference had the mouse: the pointer's lens is part of the picture.
  await page.mouse.move(400, 300);
  await sleep(1500);

  const canvas = page.locator("#canvas");
  const box = await canvas.boundingBox();
  check(box.width === 640 && box.height === 480, `the canvas is 640 x 480 (${box.width} x ${box.height})`);
  const clip = { x: Math.round(box.x), y: Math.round(box.y), width: 640, height: 480 };
  const shot = async () => decodePng(await page.screenshot({ clip }));
  const title = await shot();
  const reference = decodePng(readFileSync(referencePath));
  const titleDiff = comparePictures(title, reference);
  check(titleDiff.spread > 20, `the title is not blank (spread of grey levels ${titleDiff.spread.toFixed(1)})`);
  check(titleDiff.meanError < 6 && titleDiff.farPixels < 0.02,
    `the title matches the Linux game's (mean error ${titleDiff.meanError.toFixed(2)}/255, ` +
    `${(100 * titleDiff.farPixels).toFixed(2)} % of pixels off by more than 48)`);

  await page.keyboard.press("Space");
  await sleep(1500);
  const screen = await page.evaluate(() => Module._TarnwickScreen());
  check(screen === 2, `Space starts level 1 (screen ${screen}, 2 is playing)`);
  const level = await shot();
  const levelDiff = comparePictures(level, title);
  check(levelDiff.farPixels > 0.2, `the picture changes (${(100 * levelDiff.farPixels).toFixed(1)} % of pixels)`);

  // Against the drift of a creature left alone over the same time.
  const bodyX = () => page.evaluate(() => Module._TarnwickBodyX());
  const x0 = await bodyX();
  await sleep(1500);
  const x1 = await bodyX();
  await page.keyboard.down("KeyH");
  await page.keyboard.down("ArrowRight");
  await sleep(1500);
  await page.keyboard.up("KeyH");
  await page.keyboard.up("ArrowRight");
  const x2 = await bodyX();
  check(Math.abs(x2 - x1) > 0.5 && Math.abs(x2 - x1) > 3 * Math.abs(x1 - x0),
    `holding the steering keys moves the creature (x ${x0.toFixed(2)} -> ${x1.toFixed(2)} alone, ` +
    `-> ${x2.toFixed(2)} steered)`);

  await page.keyboard.press("Escape");
  await sleep(500);
  check(await page.evaluate(() => Module._TarnwickScreen()) === 0, "Esc returns to the title");
  check(errors.length === 0, `the console has no errors${errors.length ? ": " + errors.join(" | ") : ""}`);
  await page.close();
  server.close();

  const bare = await serve(folder, { without: ["tarnwick.data"] });
  const missing = await openPage(bare);
  await missing.page.waitForFunction(() => /Tarnwick could not load/.test(document.getElementById("message").textContent),
    null, { timeout: 30000 }).catch(() => {});
  const sentence = await missing.page.textContent("#message");
  const hidden = await missing.page.evaluate(() => getComputedStyle(document.getElementById("canvas")).display);
  check(/^Tarnwick could not load its data \(tarnwick\.data\); [^.]*\.$/.test(sentence) && hidden === "none",
    `without its data the page says so: "${sentence}"`);
  bare.close();

  // A browser without WebGL2.
  const plain = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-webgl", "--disable-webgl2"] });
  const again = await serve(folder);
  const noGl = await plain.newPage();
  await noGl.goto(`http://127.0.0.1:${again.address().port}/`);
  await noGl.waitForFunction(() => /WebGL2/.test(document.getElementById("message").textContent), null,
    { timeout: 20000 }).catch(() => {});
  const said = await noGl.textContent("#message");
  check(said === "Tarnwick cannot run here: this browser has no WebGL2.", `without WebGL2 the page says so: "${said}"`);
  await plain.close();
  again.close();
} catch (e) {
  check(false, `the checks ran to the end (${e.message})`);
} finally {
  await browser.close();
}
console.log(failures === 0 ? "browser checks passed" : `${failures} browser checks failed`);
process.exit(failures === 0 ? 0 : 1);
