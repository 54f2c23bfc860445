// Debian's Chromium, headless, driven over the DevTools protocol on a pipe
// (--remote-debugging-pipe: JSON messages ended by a NUL byte, written to the
// browser's descriptor 3 and read from its 4). Only what the browser build's
// tests and bench need: pages, navigation, evaluation, a click, a key, and
// the page's console and uncaught exceptions. Nothing to install beyond the
// browser itself.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');

// Starts the browser; resolves to { newPage, close }.
async function launchChromium(executable, extraArgs = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qorv-chromium-'));
  const browser = spawn(executable, [
    '--headless=new', '--remote-debugging-pipe', '--no-sandbox', `--user-data-dir=${profile}`,
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run', '--no-default-browser-check',
    ...extraArgs, 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  const toBrowser = browser.stdio[3];
  const fromBrowser = browser.stdio[4];

  let lastId = 0;
  const pending = new Map();
  const listeners = new Set();
  let received = '';
  fromBrowser.on('data', (chunk) => {
    received += chunk.toString('utf8');
    for (let end = received.indexOf('\0'); end >= 0; end = received.indexOf('\0')) {
      const message = JSON.parse(received.slice(0, end));
      received = received.slice(end + 1);
      const waiting = pending.get(message.id);
      if (waiting) {
        pending.delete(message.id);
        if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
        else waiting.resolve(message.result);
      } else {
        for (const listener of listeners) listener(message);
      }
    }
  });
  const exited = new Promise((resolve) => browser.on('exit', resolve));

  function send(method, params = {}, sessionId = undefined) {
    const message = { id: ++lastId, method, params };
    if (sessionId) message.sessionId = sessionId;
    toBrowser.write(`${JSON.stringify(message)}\0`);
    return new Promise((resolve, reject) => pending.set(message.id, { resolve, reject, method }));
  }

  async function newPage({ width = 800, height = 600 } = {}) {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const call = (method, params) => send(method, params, sessionId);
    const consoleListeners = [];
    const errors = [];
    const onMessage = (message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.consoleAPICalled') {
        const text = message.params.args.map((a) => (a.value !== undefined ? String(a.value) : a.description || '')).join(' ');
        for (const listener of consoleListeners) listener(message.params.type, text);
      } else if (message.method === 'Runtime.exceptionThrown') {
        const details = message.params.exceptionDetails;
        errors.push(`uncaught: ${(details.exception && details.exception.description) || details.text}`);
      }
    };
    listeners.add(onMessage);
    await call('Runtime.enable');
    await call('Page.enable');
    await call('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    // Keys go to the focused page; a headless page is focused only on request.
    await call('Emulation.setFocusEmulationEnabled', { enabled: true });
    await call('Page.bringToFront');

    async function evaluate(expression) {
      const reply = await call('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
      if (reply.exceptionDetails) throw new Error(`evaluate ${expression}: ${reply.exceptionDetails.text}`);
      return reply.result.value;
    }
    return {
      errors,
      onConsole: (listener) => consoleListeners.push(listener),
      goto: (url) => call('Page.navigate', { url }),
      evaluate,
      async waitFor(expression, timeoutMs, what = expression) {
        const deadline = Date.now() + timeoutMs;
        for (;;) {
          // Right after a navigation the old document may still answer.
          if (await evaluate(expression).catch(() => false)) return;
          if (Date.now() > deadline) throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
          await new Promise((resolve) => setTimeout(resolve, 100));
        }
      },
      // A real mouse click in the middle of the element: a user gesture.
      async click(selector) {
        const at = await evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
                                   .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
        const event = { x: at[0], y: at[1], button: 'left', clickCount: 1 };
        await call('Input.dispatchMouseEvent', { type: 'mousePressed', ...event });
        await call('Input.dispatchMouseEvent', { type: 'mouseReleased', ...event });
      },
      async press(key, code, keyCode) {
        const event = { key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode };
        await call('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...event });
        await call('Input.dispatchKeyEvent', { type: 'keyUp', ...event });
      },
      async close() {
        listeners.delete(onMessage);
        await send('Target.closeTarget', { targetId });
      },
    };
  }

  async function close() {
    send('Browser.close').catch(() => {});
    const timer = setTimeout(() => browser.kill('SIGKILL'), 5000);
    await exited;
    clearTimeout(timer);
    fs.rmSync(profile, { recursive: true, force: true });
  }

  // The browser is ready once it answers.
  await send('Browser.getVersion');
  return { newPage, close };
}

module.exports = { launchChromium };
