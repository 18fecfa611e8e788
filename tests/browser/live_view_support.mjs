// What the browser tests and the latency benchmark share: a deck linked to a TAB file as an
// author links it, the show serving it, starting Debian's chromium, waiting for a text in the
// page, and comparing two images inside the browser.
import {execFileSync, spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import puppeteer from 'puppeteer-core';

const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';

export const NORTH = '[data-name="North sales"]';
export const SOUTH = '[data-name="South sales"]';

// The environment of every program run: settings and logs in `work`, files watched.
export function environment(work) {
  return {...process.env, VINTREL_SETTINGS: path.join(work, 'settings.ini'), VINTREL_HOME: work};
}

export function writeSales(work, north, south) {
  // The text source splits lines at CR LF, as files written on Windows end them.
  fs.writeFileSync(path.join(work, 'data.tsv'),
                   `Region\tSales\r\nNorth\t${north}\r\nSouth\t${south}\r\n`);
}

// base.pptx (the example's slides, nothing linked) and live.pptx, whose "North sales" and
// "South sales" show rows 1 and 2 of data.tsv, in `work`.
export function makeLinkedDeck(work, vintrel, generator) {
  const run = (program, args) =>
      execFileSync(program, args, {cwd: work, encoding: 'utf8', env: environment(work)});
  run(generator, ['base.pptx', 'pictures']);
  fs.copyFileSync(path.join(work, 'base.pptx'), path.join(work, 'live.pptx'));
  fs.writeFileSync(path.join(work, 'settings.ini'), '[Info]\nWatchFiles=1\n');
  writeSales(work, 1200, 950);
  const sales = run(vintrel, ['connections', 'add', 'live.pptx', '--text', 'data.tsv',
                              '--first-row-names', '--name', 'Sales']).trim();
  for (const [shape, row] of [['North sales', '1'], ['South sales', '2']]) {
    run(vintrel, ['link', 'live.pptx', '--slide', '1', '--shape', shape, '--text', sales,
                  'Sales', row]);
  }
}

// `vintrel show live.pptx --serve --control` with more options; resolves to the process and the
// addresses it printed.
export function startShow(work, vintrel, options) {
  const show = spawn(vintrel, ['show', 'live.pptx', '--serve', '--port', '0', '--control',
                               ...options],
                     {cwd: work, env: environment(work), stdio: ['ignore', 'pipe', 'inherit']});
  let output = '';
  return new Promise((resolve, reject) => {
    show.stdout.on('data', (chunk) => {
      output += chunk;
      const viewer = output.match(/Live show: (\S+)/);
      const presenter = output.match(/Presenter \(may move the show\): (\S+)/);
      if (viewer && presenter) resolve({show, viewer: viewer[1], presenter: presenter[1]});
    });
    show.on('exit', (code) => reject(new Error(`vintrel show ended (${code}):\n${output}`)));
  });
}

// `vintrel studio FILE --port 0` in `work`; resolves to the process, the address it printed
// and that address's origin.
export function startStudio(work, vintrel, file) {
  const child = spawn(vintrel, ['studio', file, '--port', '0'],
                      {cwd: work, env: environment(work), stdio: ['ignore', 'pipe', 'inherit']});
  let output = '';
  return new Promise((resolve, reject) => {
    child.stdout.on('data', (chunk) => {
      output += chunk;
      const found = output.match(/Studio: (\S+)/);
      if (found) resolve({process: child, url: found[1], base: new URL(found[1]).origin});
    });
    child.on('exit', (code) => reject(new Error(`vintrel studio ended (${code}):\n${output}`)));
  });
}

// The browser, or null when it cannot start here (not installed, no sandbox support ...).
export async function launchBrowser() {
  try {
    return await puppeteer.launch({
      executablePath: kChromium,
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--no-first-run',
             '--font-render-hinting=none'],
    });
  } catch (error) {
    console.log(`chromium (${kChromium}) did not start: ${error.message.split('\n')[0]}`);
    return null;
  }
}

// Waits until the element matching `selector` holds `text`; false after `milliseconds`. Polls
// on a timer: a page in a background tab gets no animation frames.
export async function waitForText(page, selector, text, milliseconds) {
  try {
    await page.waitForFunction(
        (s, t) => document.querySelector(s)?.textContent.includes(t),
        {timeout: milliseconds, polling: 50}, selector, text);
    return true;
  } catch {
    return false;
  }
}

// Both PNG images scaled down to 80 x 45 (each pixel the average of a 16-pixel square of a
// 1280 x 720 slide) and compared in the page: the share of squares whose colour differs by more
// than 10 of 255 in some channel, and the mean difference (0..1). Averaging over squares lets
// glyph edges that two renderers place a pixel apart count little, while a missing band, a
// wrong background or a shape out of place changes whole squares.
export async function pixelDifference(page, first, second) {
  const url = (png) => `data:image/png;base64,${Buffer.from(png).toString('base64')}`;
  return page.evaluate(async (a, b) => {
    const load = (source) => new Promise((resolve, reject) => {
      const image = new Image();
      image.onload = () => resolve(image);
      image.onerror = reject;
      image.src = source;
    });
    const pixels = async (source) => {
      const canvas = new OffscreenCanvas(80, 45);
      const context = canvas.getContext('2d');
      context.imageSmoothingQuality = 'high';
      context.drawImage(await load(source), 0, 0, 80, 45);
      return context.getImageData(0, 0, 80, 45).data;
    };
    const [p, q] = [await pixels(a), await pixels(b)];
    let differing = 0;
    let total = 0;
    for (let i = 0; i < p.length; i += 4) {
      let worst = 0;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(p[i + c] - q[i + c]);
        total += d;
        worst = Math.max(worst, d);
      }
      if (worst > 10) ++differing;
    }
    const count = p.length / 4;
    return {differing: differing / count, mean: total / (count * 3 * 255)};
  }, url(first), url(second));
}

// The checks of one test program, each printed as it is made; finish() removes the work folder
// when all passed (keeps it to look at otherwise) and exits 0 or 1.
export const failures = [];
export function check(condition, what) {
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
  if (!condition) failures.push(what);
}
export function finish(work) {
  if (failures.length) {
    console.log(`${failures.length} check(s) failed; the files are in ${work}`);
  } else {
    fs.rmSync(work, {recursive: true, force: true, maxRetries: 5});
    console.log('all checks passed');
  }
  process.exit(failures.length ? 1 : 0);
}
