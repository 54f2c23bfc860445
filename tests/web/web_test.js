// The browser build in headless Chromium (SwiftShader's WebGL 2), driven over
// the DevTools protocol (chromium.js) and served from its site folder on a
// loopback port of this process's own.
//
//   web_test.js frames SITE CHROMIUM QORV_CAPTURE FFMPEG
//     frames 300, 1000 and 5000 at 320x180 read back in the page, against
//     qorv-capture's software device: per 8-bit colour channel, mean absolute
//     difference at most 1 and 99th percentile at most 8
//   web_test.js show SITE CHROMIUM
//     a normal start with the click: frames advance, Escape ends the loop
//     and shows the end screen, and nothing of ours goes wrong on the way;
//     the show started at frame 7990 ends by itself after frame 8000, which
//     is the last one counted; the context has no alpha; a frame number
//     with trailing characters is refused; a browser without WebGL 2 gets a
//     sentence saying so
//   web_test.js music SITE CHROMIUM
//     a missing and a broken c.ogg each leave the frames advancing, and a
//     good one (a tone made with sox) plays without a word of error, and
//     never runs dry while frames come slowly
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { launchChromium } = require('./chromium');
const { serveSite, baseUrl } = require('./serve_site');

const [mode, site, chromiumPath, capture, ffmpeg] = process.argv.slice(2);

function fail(message) {
  console.error(`FAIL: ${message}`);
  process.exit(1);
}

// Browsers allow sound only after a user gesture: so does this one.
function launch(extraArgs = []) {
  return launchChromium(chromiumPath, ['--autoplay-policy=user-gesture-required', ...extraArgs]);
}

// Uncaught exceptions and error lines of our own. Chromium's own lines (a
// 404 of a missing c.ogg, a refused full screen) are not ours.
function watchErrors(page) {
  page.onConsole((type, text) => {
    if (/^Failed to load resource/.test(text) || /fullscreen/i.test(text)) return;
    if (type === 'error' || /^qorv: .*(not|fail|must)/.test(text)) page.errors.push(text);
  });
  return page.errors;
}

function readRaw(file) { return new Uint8Array(fs.readFileSync(file)); }

// Per 8-bit colour channel (alpha left out): mean absolute difference and
// the 99th percentile.
function compare(a, b) {
  const diffs = [];
  for (let i = 0; i < a.length; i += 4)
    for (let c = 0; c < 3; ++c) diffs.push(Math.abs(a[i + c] - b[i + c]));
  const mean = diffs.reduce((s, d) => s + d, 0) / diffs.length;
  diffs.sort((x, y) => x - y);
  return { mean, p99: diffs[Math.floor(0.99 * (diffs.length - 1))] };
}

async function framesTest(base) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qorv-web-'));
  const browser = await launch();
  let failed = false;
  try {
    for (const n of [300, 1000, 5000]) {
      const page = await browser.newPage();
      const errors = watchErrors(page);
      await page.goto(`${base}/index.html?frame=${n}&size=320x180`);
      await page.waitFor('window.Module && Module.qorvPixels', 120000, `frame ${n}`);
      const rgba = await page.evaluate('Array.from(Module.qorvPixels.rgba)');
      if (errors.length) fail(`frame ${n}: ${errors.join('; ')}`);
      await page.close();

      execFileSync(capture, ['--frames', String(n), '--size', '320x180', '--device', 'software',
                             '--out', work, '--quiet']);
      const png = path.join(work, `frame-${String(n).padStart(4, '0')}.png`);
      const raw = path.join(work, `frame-${n}.rgba`);
      execFileSync(ffmpeg, ['-v', 'error', '-y', '-i', png, '-f', 'rawvideo', '-pix_fmt', 'rgba', raw]);
      const native = readRaw(raw);
      if (native.length !== rgba.length) fail(`frame ${n}: ${rgba.length} bytes, native ${native.length}`);
      const { mean, p99 } = compare(Uint8Array.from(rgba), native);
      console.log(`frame ${n}: mean ${mean.toFixed(3)}, 99th percentile ${p99}`);
      if (mean > 1 || p99 > 8) {
        fs.writeFileSync(path.join(process.cwd(), `web-frame-${n}.rgba`), Uint8Array.from(rgba));
        console.error(`frame ${n} differs from the native renderer; raw 320x180 RGBA kept as web-frame-${n}.rgba`);
        failed = true;
      }
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  if (failed) fail('frames differ');
}

// Opens the page, runs the expression beforeClick (if any) in it, clicks the
// start screen, and checks that frames advance.
async function startShow(browser, base, query = '', beforeClick = '') {
  const page = await browser.newPage({ width: 320, height: 180 });
  const errors = watchErrors(page);
  await page.goto(`${base}/index.html${query}`);
  await page.waitFor("document.getElementById('screen').textContent.startsWith('Click')", 60000,
                     'the start screen');
  if (beforeClick) await page.evaluate(beforeClick);
  await page.click('#screen');
  await page.waitFor('window.Module && Module.qorvFrame >= 3', 60000, 'the first frames');
  const first = await page.evaluate('Module.qorvFrame');
  await page.waitFor(`Module.qorvFrame >= ${first + 3}`, 60000, 'frames advancing');
  return { page, errors };
}

async function showTest(base) {
  const browser = await launch();
  try {
    const { page, errors } = await startShow(browser, base);
    // No alpha in the drawing buffer: the curtains write alpha 0, which would
    // let the page show through them.
    const attributes = await page.evaluate(
        "JSON.stringify(document.getElementById('canvas').getContext('webgl2').getContextAttributes())");
    if (JSON.parse(attributes).alpha !== false) fail(`the context has alpha: ${attributes}`);
    // In full screen the browser takes Escape to leave it, which the show
    // takes as Escape; without full screen the page gets the key itself.
    const fullscreen = await page.evaluate('document.fullscreenElement !== null');
    await page.press('Escape', 'Escape', 27);
    await page.waitFor('Module.qorvEnded === 0', 30000, 'the end after Escape');
    const stopped = await page.evaluate('Module.qorvFrame');
    await new Promise((resolve) => setTimeout(resolve, 500));
    if ((await page.evaluate('Module.qorvFrame')) !== stopped) fail('frames went on after Escape');
    const screen = await page.evaluate(
        "!document.getElementById('screen').hidden && document.getElementById('screen').textContent");
    if (!screen || !/end/i.test(screen)) fail(`no end screen after Escape: ${screen}`);
    if (errors.length) fail(errors.join('; '));
    console.log(`started with a click${fullscreen ? ' in full screen' : ''}, ${stopped} frames,` +
                ' ended by Escape');

    const end = await startShow(browser, base, '?from=7990');
    await end.page.waitFor('Module.qorvEnded !== undefined', 60000, 'the end after frame 8000');
    const last = await end.page.evaluate('[Module.qorvEnded, Module.qorvFrame]');
    if (last[0] !== 0 || last[1] !== 8000) fail(`the end gave code ${last[0]} after frame ${last[1]}`);
    const endScreen = await end.page.evaluate("!document.getElementById('screen').hidden");
    if (!endScreen) fail('no end screen after frame 8000');
    if (end.errors.length) fail(end.errors.join('; '));
    console.log('started at frame 7990, ended after frame 8000 with the end screen');
  } finally {
    await browser.close();
  }
  // A frame number with anything after it is refused before anything is
  // drawn or started.
  const refusals = await launch();
  try {
    for (const query of ['?frame=300x&size=320x180', '?from=12abc', '?bench=0', '?frame=8001']) {
      const page = await refusals.newPage();
      await page.goto(`${base}/index.html${query}`);
      await page.waitFor("/1\\.\\.8000/.test(document.getElementById('screen').textContent)", 60000,
                         `the refusal of ${query}`);
      const state = await page.evaluate('JSON.stringify([Module.qorvPixels, Module.qorvFrame])');
      if (state !== '[null,null]') fail(`${query} drew or started: ${state}`);
      await page.close();
    }
    console.log('frame numbers with trailing characters or out of range are refused');
  } finally {
    await refusals.close();
  }

  const without = await launch(['--disable-webgl2']);
  try {
    const page = await without.newPage();
    await page.goto(`${base}/index.html`);
    await page.waitFor("/WebGL 2/.test(document.getElementById('screen').textContent)", 60000,
                       'the sentence about WebGL 2');
    console.log(`without WebGL 2: "${await page.evaluate("document.getElementById('screen').textContent")}"`);
  } finally {
    await without.close();
  }
}

// Frames that come 150 ms apart (each animation frame first holds the page's
// thread): the queue still covers the gaps, so the source never plays all it
// has, while it goes on taking slices in real time.
async function slowFramesTest(browser, good) {
  const server = await serveSite(site, { 'c.ogg': good });
  const slow = `(() => { const raf = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => raf((time) => {
      const until = performance.now() + 150; while (performance.now() < until) {} callback(time); });
  })()`;
  const { page, errors } = await startShow(browser, baseUrl(server), '', slow);
  const before = await page.evaluate('[Module.qorvMusicSlices, Module.qorvFrame]');
  await new Promise((resolve) => setTimeout(resolve, 4000));
  const [slices, frames, ranDry] =
      await page.evaluate('[Module.qorvMusicSlices, Module.qorvFrame, Module.qorvMusicRanDry]');
  if (errors.length) fail(`slow frames: ${errors.join('; ')}`);
  const seconds = ((slices - before[0]) * 4096) / 44100;
  console.log(`slow frames: ${frames - before[1]} frames and ${seconds.toFixed(2)} s of music` +
              ` queued in 4 s, the source ran dry ${ranDry} times`);
  if (ranDry !== 0) fail(`the music source ran dry ${ranDry} times while frames were slow`);
  // Less than a second and a half of music taken in four seconds would mean
  // the source was not really playing, and the check above proved nothing.
  if (frames - before[1] > 27 || seconds < 1.5) fail('the frames were not slow, or the music did not play');
  await page.close();
  server.close();
}

async function musicTest() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qorv-web-'));
  const broken = path.join(work, 'c.ogg');
  fs.writeFileSync(broken, Buffer.concat([Buffer.from('OggS'), Buffer.alloc(5000, 7)]));
  const good = path.join(work, 'good.ogg');
  execFileSync('sox', ['-n', '-r', '44100', '-c', '2', good, 'synth', '20', 'sine', '440']);
  const browser = await launch();
  try {
    for (const [what, extra] of [['missing', {}], ['broken', { 'c.ogg': broken }],
                                 ['good', { 'c.ogg': good }]]) {
      const server = await serveSite(site, extra);
      const base = baseUrl(server);
      const { page, errors } = await startShow(browser, base);
      if (errors.length) fail(`${what} c.ogg: ${errors.join('; ')}`);
      const music = await page.evaluate('Module.qorvMusic');
      if (music !== (what === 'good' ? 1 : 0)) fail(`${what} c.ogg: music playing is ${music}`);
      console.log(`${what} c.ogg: frames advance (${await page.evaluate('Module.qorvFrame')})`);
      await page.close();
      server.close();
      if (what === 'good') await slowFramesTest(browser, good);
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

(async () => {
  if (mode === 'music') return musicTest();
  const server = await serveSite(site);
  const base = baseUrl(server);
  try {
    if (mode === 'frames') await framesTest(base);
    else if (mode === 'show') await showTest(base);
    else fail(`unknown mode ${mode}`);
  } finally {
    server.close();
  }
})().catch((error) => fail(error.stack || String(error)));
