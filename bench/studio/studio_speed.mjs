// The studio's speed on a big deck in Debian's chromium: `vintrel studio` start to the current
// slide drawn, to the first screen of thumbnails drawn, a right-click on a shape to its context
// menu, and a dialog action's round trip (the page's own measures). Prints median and worst.
//   node studio_speed.mjs VINTREL DECK.pptx      (run.sh writes the deck and sets it up)
import path from 'node:path';

import {launchBrowser, startStudio} from '../../tests/browser/live_view_support.mjs';

const kRuns = 5;
const kClicks = 10;
const [vintrel, deck] = process.argv.slice(2).map((given) => path.resolve(given));
const work = path.dirname(path.resolve(deck));
const form = 'section[data-form="frmTextFieldPropertyPage"]';
const rowBox = `${form} input[data-control="txtRowIndex"]`;

// From the program's start: the current slide drawn, then every thumbnail in view drawn.
async function opening(browser) {
  const started = performance.now();
  const studio = await startStudio(work, vintrel, path.basename(deck));
  const page = await browser.newPage();
  await page.setViewport({width: 1400, height: 900});
  try {
    await page.goto(studio.url);
    await page.waitForSelector('#slide-area svg [id^="s1-"]', {timeout: 20000});
    const slide = performance.now() - started;
    await page.waitForFunction(() => {
      const area = document.getElementById('thumbs').getBoundingClientRect();
      const inView = [...document.querySelectorAll('.thumb')].filter((thumb) => {
        const box = thumb.getBoundingClientRect();
        return box.bottom > area.top && box.top < area.bottom;
      });
      return inView.length > 0 && inView.every((thumb) => thumb.querySelector('svg'));
    }, {timeout: 20000, polling: 10});
    return {studio, page, slide, thumbs: performance.now() - started};
  } catch (error) {
    studio.process.kill('SIGTERM');
    throw error;
  }
}

async function contextMenus(page) {
  const times = [];
  for (let i = 0; i < kClicks; ++i) {
    // Each right-click lands on another box, which it selects first.
    await page.click(`#slide-area [data-name="Box ${i % 2 ? 1 : 0}"]`, {button: 'right'});
    await page.waitForSelector('#context-menu:not([hidden]) button');
    times.push(await page.evaluate(() => performance.getEntriesByName('context menu').at(-1).duration));
    await page.keyboard.press('Escape');
  }
  return times;
}

async function dialogActions(page) {
  await page.click('#slide-area [data-name="Box 0"]', {button: 'right'});
  await page.waitForSelector('#context-menu:not([hidden]) button.popup');
  await page.click('#context-menu button.popup');
  await page.click('xpath/.//*[@id="context-menu"]//button[normalize-space()="Text shape properties"]');
  await page.waitForSelector(rowBox);
  const times = [];
  for (let i = 0; i < kClicks; ++i) {
    const before = await page.evaluate(() => performance.getEntriesByName('dialog action').length);
    await page.click(rowBox, {clickCount: 3});
    await page.keyboard.press('Backspace');
    await page.type(rowBox, String(i + 2));
    await page.$eval(rowBox, (input) => input.blur());
    await page.waitForFunction((n) => performance.getEntriesByName('dialog action').length > n,
                               {timeout: 5000, polling: 5}, before);
    times.push(await page.evaluate(() => performance.getEntriesByName('dialog action').at(-1).duration));
  }
  return times;
}

function figures(name, times, target) {
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)];
  const worst = sorted[sorted.length - 1];
  console.log(`${name.padEnd(34)} median ${median.toFixed(0).padStart(5)} ms, worst ` +
              `${worst.toFixed(0).padStart(5)} ms over ${times.length} (target: ${target})`);
}

const browser = await launchBrowser();
if (!browser) process.exit(77);
const open = {slide: [], thumbs: []};
let menus = [];
let actions = [];
try {
  for (let run = 0; run < kRuns; ++run) {
    const {studio, page, slide, thumbs} = await opening(browser);
    open.slide.push(slide);
    open.thumbs.push(thumbs);
    try {
      if (run === 0) {
        menus = await contextMenus(page);
        actions = await dialogActions(page);
      }
    } finally {
      await page.close();
      studio.process.kill('SIGTERM');
    }
  }
} finally {
  await browser.close();
}
console.log(`vintrel studio on ${path.basename(deck)}:`);
figures('start to first slide drawn', open.slide, 'under 2000 ms');
figures('start to thumbnails in view drawn', open.thumbs, '-');
figures('right-click to context menu', menus, 'under 100 ms');
figures('dialog action round trip', actions, 'median under 50 ms');
