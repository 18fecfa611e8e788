// Data change to new value drawn in the browser: `vintrel show --serve` with WatchFiles=1 on a
// deck linked to a TAB file; the TAB file is rewritten 20 times and a mutation observer in the
// page stamps the moment each new value is in the page. Prints every latency and the median.
//   node latency.mjs VINTREL MAKE_EXAMPLE_DECK      (run-latency.sh sets it up)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {launchBrowser, makeLinkedDeck, NORTH, startShow, waitForText, writeSales} from
    '../../tests/browser/live_view_support.mjs';

const kChanges = 20;
const [vintrel, generator] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vintrel-latency-'));
makeLinkedDeck(work, vintrel, generator);
const browser = await launchBrowser();
if (!browser) process.exit(77);
const {show, viewer} = await startShow(work, vintrel, ['--advance', 'manual']);
const latencies = [];
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1280, height: 720});
  await page.goto(viewer);
  await waitForText(page, NORTH, '1200', 5000);
  // Wall-clock stamps (the same clock the file write is stamped with) of every new text.
  await page.evaluate((selector) => {
    window.seen = [];
    new MutationObserver(() => {
      const text = document.querySelector(selector)?.textContent.trim();
      const time = performance.timeOrigin + performance.now();
      if (text && !window.seen.some((entry) => entry.text === text)) window.seen.push({text, time});
    }).observe(document.getElementById('stage'),
               {subtree: true, childList: true, characterData: true});
  }, NORTH);
  for (let i = 1; i <= kChanges; ++i) {
    const value = String(5000 + i);
    await new Promise((resolve) => setTimeout(resolve, 150 + Math.random() * 200));
    const written = Date.now();
    writeSales(work, value, 950);
    await waitForText(page, NORTH, value, 5000);
    const stamp = await page.evaluate((v) => window.seen.find((e) => e.text === v)?.time, value);
    latencies.push(stamp === undefined ? Infinity : stamp - written);
  }
} finally {
  await browser.close();
  show.kill('SIGTERM');
  fs.rmSync(work, {recursive: true, force: true});
}
const sorted = [...latencies].sort((a, b) => a - b);
const median = (sorted[9] + sorted[10]) / 2;
console.log(`data change to value drawn in the browser, ${kChanges} changes (WatchFiles=1):`);
console.log(`  each (ms): ${latencies.map((l) => l.toFixed(0)).join(' ')}`);
console.log(`  median ${median.toFixed(1)} ms, fastest ${sorted[0].toFixed(1)} ms, slowest ` +
            `${sorted[sorted.length - 1].toFixed(1)} ms (target: median under 250 ms)`);
process.exit(median < 250 ? 0 : 1);
