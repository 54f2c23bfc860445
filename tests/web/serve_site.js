// A static server over a site folder on a loopback port of its own, for the
// browser build's tests and bench. extra maps a file name to a file elsewhere
// (a c.ogg made by the test) that is served as if it lay in the folder.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.ogg': 'audio/ogg' };

// Resolves to the listening server; its base address is baseUrl(server).
function serveSite(site, extra = {}) {
  const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://x').pathname) || 'index.html';
    const file = extra[name] || path.join(site, name);
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function baseUrl(server) { return `http://127.0.0.1:${server.address().port}`; }

module.exports = { serveSite, baseUrl };
