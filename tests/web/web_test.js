// The browser build in headless Chromium (SwiftShader's WebGL 2), served from
// its site folder on a loopback port of this process's own.
//
//   web_test.js frames SITE CHROMIUM QORV_CAPTURE FFMPEG
//     frames 300, 1000 and 5000 at 320x180 read back in the page, against
//     qorv-capture's software device: per 8-bit colour channel, mean absolute
//     difference at most 1 and 99th percentile at most 8
//   web_test.js show SITE CHROMIUM
//     a normal start with the click: frames advance, Escape ends the loop
//     and shows the end screen, and nothing of ours goes wrong on the way;
//     the show started at frame 7990 ends by itself after frame 8000, which
//     is the last one counted; a browser without WebGL 2 gets a sentence
//     saying so
//   web_test.js music SITE CHROMIUM
//     a missing and a broken c.ogg each leave the frames advancing, and a
//     good one (a tone made with sox) plays without a word of error
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require('playwright-core');
const { serveSite, baseUrl } = require('./serve_site');

const [mode, site, chromiumPath, capture, ffmpeg] = process.argv.slice(2);

function fail(message) {
  console.error(`FAIL: ${message}`);
  process.exit(1);
}

async function launch(extraArgs = []) {
  return chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--disable-background-networking', '--disable-component-update', '--no-first-run',
           '--autoplay-policy=user-gesture-required', ...extraArgs],
  });
}

// Uncaught exceptions and error lines of our own. Chromium's own lines (a
// 404 of a missing c.ogg, a refused full screen) are not ours.
function watchErrors(page) {
  const errors = [];
  page.on('pageerror', (error) => errors.push(`uncaught: ${error.message}`));
  page.on('console', (message) => {
    const text = message.text();
    if (/^Failed to load resource/.test(text) || /fullscreen/i.test(text)) return;
    if (message.type() === 'error' || /^qorv: .*(not|fail|must)/.test(text)) errors.push(text);
  });
  return errors;
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
      await page.waitForFunction(() => window.Module && Module.qorvPixels, null, { timeout: 120000 });
      const rgba = await page.evaluate(() => Array.from(Module.qorvPixels.rgba));
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

// Opens the page, clicks the start screen, and checks that frames advance.
async function startShow(browser, base, query = '') {
  const page = await browser.newPage({ viewport: { width: 320, height: 180 } });
  const errors = watchErrors(page);
  await page.goto(`${base}/index.html${query}`);
  await page.waitForFunction(() => document.getElementById('screen').textContent.startsWith('Click'),
                             null, { timeout: 60000 });
  await page.click('#screen');
  await page.waitForFunction(() => Module.qorvFrame >= 3, null, { timeout: 60000 });
  const first = await page.evaluate(() => Module.qorvFrame);
  await page.waitForFunction((f) => Module.qorvFrame >= f + 3, first, { timeout: 60000 });
  return { page, errors };
}

async function showTest(base) {
  const browser = await launch();
  try {
    const { page, errors } = await startShow(browser, base);
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => Module.qorvEnded === 0, null, { timeout: 10000 });
    const stopped = await page.evaluate(() => Module.qorvFrame);
    await page.waitForTimeout(500);
    if ((await page.evaluate(() => Module.qorvFrame)) !== stopped) fail('frames went on after Escape');
    const screen = await page.evaluate(() => !document.getElementById('screen').hidden &&
                                              document.getElementById('screen').textContent);
    if (!screen || !/end/i.test(screen)) fail(`no end screen after Escape: ${screen}`);
    if (errors.length) fail(errors.join('; '));
    console.log(`started with a click, ${stopped} frames, ended by Escape`);

    const end = await startShow(browser, base, '?from=7990');
    await end.page.waitForFunction(() => Module.qorvEnded !== undefined, null, { timeout: 60000 });
    const last = await end.page.evaluate(() => [Module.qorvEnded, Module.qorvFrame]);
    if (last[0] !== 0 || last[1] !== 8000) fail(`the end gave code ${last[0]} after frame ${last[1]}`);
    const endScreen = await end.page.evaluate(() => !document.getElementById('screen').hidden);
    if (!endScreen) fail('no end screen after frame 8000');
    if (end.errors.length) fail(end.errors.join('; '));
    console.log('started at frame 7990, ended after frame 8000 with the end screen');
  } finally {
    await browser.close();
  }
  const without = await launch(['--disable-webgl2']);
  try {
    const page = await without.newPage();
    await page.goto(`${base}/index.html`);
    await page.waitForFunction(() => /WebGL 2/.test(document.getElementById('screen').textContent),
                               null, { timeout: 60000 });
    console.log(`without WebGL 2: "${await page.textContent('#screen')}"`);
  } finally {
    await without.close();
  }
}

async function musicTest() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'qorv-web-'));
  const broken = path.join(work, 'c.ogg');
  fs.writeFileSync(broken, Buffer.concat([Buffer.from('OggS'), Buffer.alloc(5000, 7)]));
  const good = path.join(work, 'good.ogg');
  execFileSync('sox', ['-n', '-r', '44100', '-c', '2', good, 'synth', '3', 'sine', '440']);
  const browser = await launch();
  try {
    for (const [what, extra] of [['missing', {}], ['broken', { 'c.ogg': broken }],
                                 ['good', { 'c.ogg': good }]]) {
      const server = await serveSite(site, extra);
      const base = baseUrl(server);
      const { page, errors } = await startShow(browser, base);
      if (errors.length) fail(`${what} c.ogg: ${errors.join('; ')}`);
      const music = await page.evaluate(() => Module.qorvMusic);
      if (music !== (what === 'good' ? 1 : 0)) fail(`${what} c.ogg: music playing is ${music}`);
      console.log(`${what} c.ogg: frames advance (${await page.evaluate(() => Module.qorvFrame)})`);
      await page.close();
      server.close();
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
