// PNG decoding (8-bit grey, RGB or RGBA, not interlaced: what Chromium and stb write) and the
// picture comparison the browser checks and the benchmark use. Node's zlib only.
import { inflateSync } from "node:zlib";

export function decodePng(bytes) {
  const u8 = new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length);
  const view = new DataView(u8.buffer, u8.byteOffset, u8.length);
  let width = 0, height = 0, channels = 0;
  const parts = [];
  for (let at = 8; at < u8.length;) {
    const length = view.getUint32(at);
    const type = String.fromCharCode(...u8.subarray(at + 4, at + 8));
    const body = u8.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = view.getUint32(at + 8);
      height = view.getUint32(at + 12);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      channels = { 0: 1, 2: 3, 6: 4 }[colour];
      if (depth !== 8 || !channels || interlace !== 0) throw new Error("unsupported PNG");
    } else if (type === "IDAT") {
      parts.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(parts));
  const stride = width * channels;
  const rows = new Uint8Array(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = rows.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : new Uint8Array(stride);
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? out[i - channels] : 0;
      const b = up[i];
      const c = i >= channels ? up[i - channels] : 0;
      let p = line[i];
      if (filter === 1) p += a;
      else if (filter === 2) p += b;
      else if (filter === 3) p += (a + b) >> 1;
      else if (filter === 4) {
        const q = a + b - c, pa = Math.abs(q - a), pb = Math.abs(q - b), pc = Math.abs(q - c);
        p += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[i] = p & 255;
    }
  }
  // Always RGB from here on.
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0; i < width * height; ++i) {
    for (let k = 0; k < 3; ++k) rgb[i * 3 + k] = rows[i * channels + (channels === 1 ? 0 : k)];
  }
  return { width, height, rgb };
}

// meanError: the mean absolute difference of a channel (0..255); farPixels: the share of
// pixels with a channel off by more than 48; spread: the standard deviation of `a`'s grey levels.
export function comparePictures(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  const n = a.width * a.height;
  let sum = 0, far = 0, grey = 0, grey2 = 0;
  for (let i = 0; i < n; ++i) {
    let worst = 0;
    for (let k = 0; k < 3; ++k) {
      const d = Math.abs(a.rgb[i * 3 + k] - b.rgb[i * 3 + k]);
      sum += d;
      worst = Math.max(worst, d);
    }
    if (worst > 48) far += 1;
    const g = (a.rgb[i * 3] + a.rgb[i * 3 + 1] + a.rgb[i * 3 + 2]) / 3;
    grey += g;
    grey2 += g * g;
  }
  const mean = grey / n;
  return { meanError: sum / (3 * n), farPixels: far / n, spread: Math.sqrt(Math.max(grey2 / n - mean * mean, 0)) };
}
