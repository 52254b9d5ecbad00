// PNG files read with Node's zlib alone, as far as the tests need: 8-bit greyscale, RGB, grey
// with alpha and RGBA, not interlaced (what the assets and the browser's screenshots are).
import { inflateSync } from 'node:zlib';

// { width, height, rgba: Uint8Array of width × height × 4 }
export function decodePng(bytes) {
  const signature = [137, 80, 78, 71, 13, 10, 26, 10];
  if (!signature.every((b, i) => bytes[i] === b))
    throw new Error('not a PNG file');
  let at = 8;
  let header = null;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const chunk = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR')
      header = { width: chunk.readUInt32BE(0), height: chunk.readUInt32BE(4), depth: chunk[8], colour: chunk[9], interlace: chunk[12] };
    else if (type === 'IDAT')
      data.push(chunk);
    else if (type === 'IEND')
      break;
    at += 12 + length;
  }
  const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[header && header.colour];
  if (!header || header.depth !== 8 || !channels || header.interlace !== 0)
    throw new Error('PNG kind not read here: ' + JSON.stringify(header));
  const { width, height } = header;
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1)
        value += a;
      else if (filter === 2)
        value += b;
      else if (filter === 3)
        value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a);
        const pb = Math.abs(p - b);
        const pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + x] = value & 255;
    }
  }
  const rgba = new Uint8Array(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    const p = rows.subarray(i * channels, (i + 1) * channels);
    const grey = channels <= 2;
    rgba[i * 4] = p[0];
    rgba[i * 4 + 1] = grey ? p[0] : p[1];
    rgba[i * 4 + 2] = grey ? p[0] : p[2];
    rgba[i * 4 + 3] = channels === 2 ? p[1] : channels === 4 ? p[3] : 255;
  }
  return { width, height, rgba };
}
