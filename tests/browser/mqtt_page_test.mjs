// The page `vintrel show --export-page` writes, end to end: a Mosquitto of the test's own
// (tests/mqtt/mosquitto.conf, MQTT and MQTT on WebSockets on free loopback ports), `vintrel show
// --publish` on a deck linked to a TAB file, the exported folder served by a plain static file
// server, and Debian's chromium reading it. Checks the linked values, a data change, a broker
// outage during which the data changes (the page must show the current value afterwards, not
// the one from before), a show started anew with a picture, and that a browser cannot publish.
// Prints the time from page load to the drawn slide.
//   node mqtt_page_test.mjs VINTREL MAKE_EXAMPLE_DECK
// Exits 0 when everything passed, 1 on a failure, 77 when chromium or mosquitto is missing.
import {execFileSync, spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {check, environment, finish, launchBrowser, makeLinkedDeck, NORTH, waitForText,
        writeSales} from './live_view_support.mjs';

const kBroker = '/usr/sbin/mosquitto';
const kTopic = 't/board';
const [vintrel, generator] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const sleep = (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds));

if (!fs.existsSync(kBroker)) {
  console.log('SKIP: mosquitto is not installed (scripts/setup.sh --test installs it)');
  process.exit(77);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vintrel-mqtt-page-'));
// The broker drops root for a user of its own, which must read its files.
fs.chmodSync(work, 0o755);
makeLinkedDeck(work, vintrel, generator);
// The third slide's picture is linked to data/pictures/north.png beside the deck.
fs.mkdirSync(path.join(work, 'data'));
fs.cpSync(path.join(work, 'pictures'), path.join(work, 'data', 'pictures'), {recursive: true});
const browser = await launchBrowser();
if (!browser) {
  console.log('SKIP: chromium cannot start here; the browser tests did not run');
  process.exit(77);
}

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
  });
}

function reachable(port) {
  return new Promise((resolve) => {
    const socket = net.connect(port, '127.0.0.1', () => {
      socket.destroy();
      resolve(true);
    });
    socket.on('error', () => resolve(false));
  });
}

// The tests' broker configuration with this test's ports and folder.
async function writeBrokerConfig() {
  const port = await freePort();
  let websockets = await freePort();
  while (websockets === port) websockets = await freePort();
  const source = path.join(here, '..', 'mqtt');
  for (const name of ['passwords', 'acl', 'acl-websockets']) {
    fs.copyFileSync(path.join(source, name), path.join(work, name));
  }
  const config = fs.readFileSync(path.join(source, 'mosquitto.conf'), 'utf8')
      .replaceAll('@PORT@', port).replaceAll('@WSPORT@', websockets).replaceAll('@DIR@', work);
  fs.writeFileSync(path.join(work, 'mosquitto.conf'), config);
  return {port, websockets};
}

async function startBroker(ports) {
  const broker = spawn(kBroker, ['-c', path.join(work, 'mosquitto.conf')],
                       {stdio: ['ignore', 'ignore', 'pipe']});
  let log = '';
  broker.stderr.on('data', (chunk) => log += chunk);
  for (let i = 0; i < 100; ++i) {
    if (await reachable(ports.port) && await reachable(ports.websockets)) return broker;
    if (broker.exitCode !== null) break;
    await sleep(50);
  }
  throw new Error(`mosquitto did not start:\n${log}`);
}

function stopBroker(broker) {
  return new Promise((resolve) => {
    if (broker.exitCode !== null) return resolve();
    broker.on('exit', resolve);
    broker.kill('SIGTERM');
  });
}

// `vintrel show live.pptx --publish ... --json`, once its first slide is published.
function startShow(ports, options) {
  const show = spawn(vintrel, ['show', 'live.pptx', '--json', '--publish',
                               `mqtt://127.0.0.1:${ports.port}/${kTopic}`, ...options],
                     {cwd: work, env: environment(work), stdio: ['ignore', 'pipe', 'pipe']});
  show.output = '';
  show.errors = '';
  show.stderr.on('data', (chunk) => show.errors += chunk);
  return new Promise((resolve, reject) => {
    show.stdout.on('data', (chunk) => {
      show.output += chunk;
      if (/"event":"slide","slide":[1-9]/.test(show.output)) resolve(show);
    });
    show.on('exit', (code) => reject(new Error(`vintrel show ended (${code}):\n${show.errors}`)));
  });
}

// A static file server for `folder`, as any web server would serve it; notes each path asked.
function serveFolder(folder) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                 '.md': 'text/markdown'};
  const asked = [];
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    asked.push(name);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {'Content-Type': `${types[path.extname(file)]}; charset=utf-8`});
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    resolve({server, asked, url: `http://127.0.0.1:${server.address().port}/`});
  }));
}

const ports = await writeBrokerConfig();
const brokerUrl = `ws://127.0.0.1:${ports.websockets}/`;
let broker = await startBroker(ports);
let show = await startShow(ports, []);
const folder = path.join(work, 'page');
const exported = execFileSync(vintrel, ['show', '--export-page', folder, '--broker', brokerUrl,
                                        '--topic', kTopic], {encoding: 'utf8'});
check(exported.startsWith(`Wrote the live view's page to ${folder}`),
      `the page is exported (${fs.readdirSync(folder).join(' ')})`);
const site = await serveFolder(folder);

try {
  const page = await browser.newPage();
  const pageErrors = [];
  page.on('console', (message) => {
    // Browsers ask for /favicon.ico of their own accord; the page has none.
    if (message.type() === 'error' && !message.location().url?.endsWith('/favicon.ico')) {
      pageErrors.push(message.text());
    }
  });
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.setViewport({width: 1280, height: 720});
  await page.goto(site.url);
  check(await waitForText(page, NORTH, '1200', 10000), 'the page shows the linked value 1200');
  const times = await page.evaluate(() => {
    const at = (name) => performance.getEntriesByName(name)[0]?.startTime;
    return {connected: at('vintrel-broker-connected'), drawn: at('vintrel-slide-drawn')};
  });
  // One line for the benchmarks to read.
  console.log(`mqtt page: slide drawn ${Math.round(times.drawn)} ms after page load ` +
              `(broker connected after ${Math.round(times.connected)} ms)`);

  let written = Date.now();
  writeSales(work, 4321, 950);
  check(await waitForText(page, NORTH, '4321', 5000),
        `a new value in the TAB file reaches the page (${Date.now() - written} ms)`);
  check(pageErrors.length === 0, `the page logs no error (${pageErrors.join('; ')})`);

  // The broker away for ten seconds, the data changing meanwhile.
  await stopBroker(broker);
  const stopped = Date.now();
  await sleep(1000);
  writeSales(work, 5555, 950);
  check(await waitForText(page, '#status', 'out of reach', 5000),
        'the page says the broker is out of reach');
  await sleep(Math.max(0, 10000 - (Date.now() - stopped)));
  const during = await page.$eval(NORTH, (e) => e.textContent.trim());
  broker = await startBroker(ports);
  written = Date.now();
  const current = await waitForText(page, NORTH, '5555', 30000);
  check(current, `after the outage the page shows the current value 5555, not ${during} ` +
                 `(${Date.now() - written} ms after the broker came back)`);
  check(show.exitCode === null && show.output.includes('"event":"broker-restored"'),
        'the show went on and published again');
  check(await page.$eval('#status', (e) => e.textContent === ''), 'the status line is clear again');

  // A browser may only read: the broker refuses what it publishes, even retained state.
  const forged = JSON.stringify({sequence: 1e9, slide: 1, count: 1, width: 10, height: 10,
                                 backdrop: '', shapes: ['<g data-name="North sales">forged</g>'],
                                 status: []});
  const answer = await page.evaluate((url, topic, payload) => new Promise((resolve) => {
    const client = mqtt.connect(url, {protocolVersion: 5, reconnectPeriod: 0});
    setTimeout(() => resolve('no answer'), 5000);
    client.on('error', (error) => resolve(`error: ${error.message}`));
    client.on('connect', () => client.publish(`${topic}/state`, payload, {qos: 1, retain: true},
                                              (error) => {
                                                client.end(true);
                                                resolve(error ? `refused (${error.code})` : 'taken');
                                              }));
  }), brokerUrl, kTopic, forged);
  check(answer === 'refused (135)', `the broker refuses a browser's message (${answer})`);
  const again = await browser.newPage();
  await again.goto(site.url);
  check(await waitForText(again, NORTH, '5555', 10000),
        'a browser opened afterwards gets the show, not the refused message');
  await again.close();

  // A show started anew on its third slide, where a linked picture comes through the broker.
  show.kill('SIGTERM');
  await new Promise((resolve) => show.on('exit', resolve));
  show = await startShow(ports, ['--from', '3']);
  const picture = 'html[data-slide="3"] [data-name="Region picture"] image[href^="blob:"]';
  let drawn = false;
  try {
    await page.waitForSelector(picture, {timeout: 10000});
    drawn = await page.$eval(picture, async (image) => {
      const copy = new Image();
      copy.src = image.getAttribute('href');
      await copy.decode();
      return copy.naturalWidth > 0;
    });
  } catch (error) {
    console.log(error.message);
  }
  check(drawn, 'the page follows a show started anew and draws its picture from the broker');
  check(!site.asked.some((asked) => asked.startsWith('/asset/')),
        `the web server is asked only for the page's files (${[...new Set(site.asked)].join(' ')})`);
} finally {
  await browser.close();
  show.kill('SIGTERM');
  await stopBroker(broker);
  site.server.close();
}

finish(work);
