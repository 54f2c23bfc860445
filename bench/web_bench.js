// The browser build's frame time in headless Chromium (SwiftShader's WebGL 2
// on this kind of machine): each frame named is drawn 30 times at the size
// given by the page's bench mode, which prints the median. Real time, not
// virtual: no --virtual-time-budget.
//
//   node bench/web_bench.js [SITE] [SIZE] [FRAME...]
//   defaults: build/web/site 1280x720 1 5000
'use strict';
const path = require('path');
const { launchChromium } = require(path.join(__dirname, '../tests/web/chromium'));
const { serveSite, baseUrl } = require(path.join(__dirname, '../tests/web/serve_site'));

const [site = path.join(__dirname, '../build/web/site'), size = '1280x720', ...named] =
    process.argv.slice(2);
const frames = named.length ? named : ['1', '5000'];
serveSite(site).then(async (server) => {
  const browser = await launchChromium(process.env.CHROMIUM || '/usr/bin/chromium');
  try {
    const page = await browser.newPage();
    const renderer = await page.evaluate(`(() => {
      const gl = document.createElement('canvas').getContext('webgl2');
      const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
      return gl ? gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER) : 'no WebGL 2';
    })()`);
    console.log(`renderer: ${renderer}`);
    for (const n of frames) {
      const line = new Promise((resolve) => {
        page.onConsole((type, text) => {
          if (text.startsWith('qorv-bench:')) resolve(text);
        });
      });
      await page.goto(`${baseUrl(server)}/index.html?bench=${n}&size=${size}`);
      console.log(await line);
    }
  } finally {
    await browser.close();
    server.close();
  }
});
