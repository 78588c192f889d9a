// Development tool, not part of the build: computes the embeddings the reference package
// (npm @vladmandic/face-api 1.7.15 on @tensorflow/tfjs's plain JavaScript CPU backend)
// gives for the test crops, and writes them as embed/tests/recognition_reference_data.h.
// CI does not run it; the header it wrote is committed.
//
//   mkdir -p /work/node-ref && cd /work/node-ref
//   npm install @vladmandic/face-api@1.7.15 @tensorflow/tfjs@4.22.0
//   node /path/to/embed/reference/recognition_reference.js \
//       build/bin/models ../shared/faces/yale > embed/tests/recognition_reference_data.h
//
// Run it from the folder holding node_modules. The crops: synthetic patterns defined here
// and in the test alike, and 150 x 150 windows of photographs (the photographs themselves
// stay outside the project; the header keeps the window and the SHA-256 of its bytes).
'use strict';

const Module = require('module');
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

// The package's node build re-exports the WebAssembly backend, which is not used here.
const load = Module._load;
Module._load = function (request, ...rest) {
  if (request === '@tensorflow/tfjs-backend-wasm') return {};
  return load.call(this, request, ...rest);
};
// The packages come from the node_modules of the folder it is run in.
const requireHere = Module.createRequire(path.join(process.cwd(), 'index.js'));
const faceapi = requireHere('@vladmandic/face-api/dist/face-api.node-wasm.js');
const tf = requireHere('@tensorflow/tfjs');

const SIDE = 150;

// Synthetic crops: [name, channels, bytes].
function gradient() {
  const px = new Uint8Array(SIDE * SIDE * 3);
  for (let y = 0; y < SIDE; ++y) {
    for (let x = 0; x < SIDE; ++x) {
      const i = (y * SIDE + x) * 3;
      px[i] = Math.floor((x * 255) / 149);
      px[i + 1] = Math.floor((y * 255) / 149);
      px[i + 2] = Math.floor(((x + y) * 255) / 298);
    }
  }
  return px;
}

function noise() {
  const px = new Uint8Array(SIDE * SIDE * 3);
  let s = 2463534242;
  for (let i = 0; i < px.length; ++i) {
    s = (s ^ (s << 13)) >>> 0;
    s = (s ^ (s >>> 17)) >>> 0;
    s = (s ^ (s << 5)) >>> 0;
    px[i] = s & 255;
  }
  return px;
}

function flat() {
  return new Uint8Array(SIDE * SIDE).fill(128);
}

// An uncompressed 8-bit grey TIFF of one strip, little-endian: width, height, pixels.
function readTiff(file) {
  const b = fs.readFileSync(file);
  if (b.toString('latin1', 0, 2) !== 'II') throw new Error(`${file}: not little-endian TIFF`);
  const ifd = b.readUInt32LE(4);
  const n = b.readUInt16LE(ifd);
  const tags = {};
  for (let i = 0; i < n; ++i) {
    const e = ifd + 2 + i * 12;
    const type = b.readUInt16LE(e + 2);
    tags[b.readUInt16LE(e)] = type === 3 ? b.readUInt16LE(e + 8) : b.readUInt32LE(e + 8);
  }
  if (tags[259] !== 1 || tags[258] !== 8) throw new Error(`${file}: not uncompressed 8-bit`);
  const width = tags[256], height = tags[257], offset = tags[273];
  return { width, height, pixels: b.subarray(offset, offset + width * height) };
}

function photoCrop(dir, name, left, top) {
  const img = readTiff(path.join(dir, name));
  const px = new Uint8Array(SIDE * SIDE);
  for (let y = 0; y < SIDE; ++y) {
    for (let x = 0; x < SIDE; ++x) px[y * SIDE + x] = img.pixels[(top + y) * img.width + left + x];
  }
  return px;
}

// Weight map of the manifest's groups, decoded by tfjs itself.
function weightMap(modelDir) {
  const manifestPath = path.join(modelDir, 'face_recognition_model-weights_manifest.json');
  const manifest = JSON.parse(fs.readFileSync(manifestPath, 'utf8'));
  const map = {};
  for (const group of manifest) {
    const bytes = Buffer.concat(group.paths.map((p) => fs.readFileSync(path.join(modelDir, p))));
    const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length);
    Object.assign(map, tf.io.decodeWeights(buffer, group.weights));
  }
  return map;
}

async function descriptor(net, channels, px) {
  const rgb = new Int32Array(SIDE * SIDE * 3);
  for (let i = 0; i < SIDE * SIDE; ++i) {
    for (let c = 0; c < 3; ++c) rgb[i * 3 + c] = channels === 1 ? px[i] : px[i * 3 + c];
  }
  const input = tf.tensor3d(rgb, [SIDE, SIDE, 3], 'int32');
  const d = await net.computeFaceDescriptor(input);
  input.dispose();
  return Array.from(d);
}

function cFloat(v) {
  // Nine significant digits give back the float exactly.
  let s = Math.fround(v).toPrecision(9);
  if (!s.includes('e') && !s.includes('.')) s += '.0';
  return `${s}f`;
}

async function main() {
  const [modelDir, facesDir] = process.argv.slice(2);
  if (!modelDir || !facesDir) {
    console.error('usage: node recognition_reference.js MODEL_DIR YALE_DIR');
    process.exit(2);
  }
  await tf.setBackend('cpu');
  await tf.ready();
  const net = new faceapi.FaceRecognitionNet();
  net.loadFromWeightMap(weightMap(modelDir));

  const cases = [
    { name: 'gradient', channels: 3, px: gradient() },
    { name: 'noise', channels: 3, px: noise() },
    { name: 'flat', channels: 1, px: flat() },
  ];
  // Windows around the eyes of frontal photographs, the eyes about a third down.
  const photos = [
    ['00000102.TIF', 102, 64], ['00000106.TIF', 105, 60], ['00000206.TIF', 120, 75],
    ['00000706.TIF', 87, 81], ['00001004.TIF', 110, 67],
  ];
  for (const [file, left, top] of photos) {
    cases.push({ name: file, file, left, top, channels: 1, px: photoCrop(facesDir, file, left, top) });
  }

  const out = [];
  out.push('// Generated by embed/reference/recognition_reference.js: the embeddings of the reference');
  out.push(`// package (tfjs ${tf.version_core}, CPU backend) for the test crops. Do not edit.`);
  out.push('#ifndef OVEM_TESTS_RECOGNITION_REFERENCE_DATA_H');
  out.push('#define OVEM_TESTS_RECOGNITION_REFERENCE_DATA_H');
  out.push('');
  out.push('namespace ovem_test {');
  out.push('');
  out.push('struct ReferenceCrop {');
  out.push('    const char* name;  // a synthetic pattern, or the photograph the window is cut from');
  out.push('    bool photograph;');
  out.push('    int left, top;       // the window in the photograph');
  out.push('    int channels;');
  out.push('    const char* sha256;  // of the crop bytes');
  out.push('    float embedding[128];');
  out.push('};');
  out.push('');
  out.push('const ReferenceCrop kReferenceCrops[] = {');
  for (const c of cases) {
    const e = await descriptor(net, c.channels, c.px);
    const sha = crypto.createHash('sha256').update(c.px).digest('hex');
    out.push(`    {"${c.name}", ${c.file ? 'true' : 'false'}, ${c.left || 0}, ${c.top || 0}, ${c.channels},`);
    out.push(`     "${sha}",`);
    out.push('     {');
    for (let i = 0; i < 128; i += 4) {
      out.push(`         ${e.slice(i, i + 4).map(cFloat).join(', ')},`);
    }
    out.push('     }},');
  }
  out.push('};');
  out.push('');
  out.push('}  // namespace ovem_test');
  out.push('');
  out.push('#endif  // OVEM_TESTS_RECOGNITION_REFERENCE_DATA_H');
  process.stdout.write(out.join('\n') + '\n');
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
