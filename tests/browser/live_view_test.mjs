// The live view end to end in a real browser: `vintrel show --serve` on a deck linked to a TAB
// file, Debian's chromium driven through the DevTools protocol. Checks the slide's texts, a data
// change reaching the page, the show advancing and going back under the presenter's control, a
// viewer coming back, and compares a screenshot with LibreOffice's rendering of the same slide
// holding the same values.
//   node live_view_test.mjs VINTREL MAKE_EXAMPLE_DECK
// Exits 0 when everything passed, 1 on a failure, 77 when chromium cannot start (a skip).
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {check, finish, launchBrowser, makeLinkedDeck, NORTH, pixelDifference, SOUTH, startShow,
        waitForText, writeSales} from './live_view_support.mjs';

// Above this share of differing squares the page does not look like the slide (see README).
const kScreenshotThreshold = Number(process.env.VINTREL_SCREENSHOT_THRESHOLD || 0.025);
const [vintrel, generator] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vintrel-browser-'));

makeLinkedDeck(work, vintrel, generator);
const browser = await launchBrowser();
if (!browser) {
  console.log('SKIP: chromium cannot start here; the browser tests did not run');
  process.exit(77);
}
const addresses = await startShow(work, vintrel, ['--advance', 'every:12']);
const show = addresses.show;

try {
  const page = await browser.newPage();
  await page.setViewport({width: 1280, height: 720});
  await page.goto(addresses.viewer);
  check(await waitForText(page, NORTH, '1200', 5000), 'the page shows the linked value 1200');
  check(await waitForText(page, '[data-name="Title"]', 'Sales board', 1000), 'the title is text in the page');
  const southText = await page.$eval(SOUTH, (e) => e.textContent.trim());
  check(southText === '950', `the second linked value is text in the page ("${southText}")`);
  const northText = await page.$eval(NORTH, (e) => e.textContent.trim());

  // The screenshot against LibreOffice's rendering of the same slide with the same values.
  const screenshot = await page.screenshot({type: 'png', path: path.join(work, 'page.png')});
  const reference = renderReference({'North sales': northText, 'South sales': southText});
  if (reference) {
    // On a blank page: the live view's own page lets in no image it did not serve.
    const blank = await browser.newPage();
    const difference = await pixelDifference(blank, screenshot, reference);
    await blank.close();
    console.log(`screenshot against LibreOffice: ${(difference.differing * 100).toFixed(2)} % of ` +
                `16-pixel squares differ, mean difference ${(difference.mean * 100).toFixed(2)} %`);
    check(difference.differing <= kScreenshotThreshold,
          `the page looks like LibreOffice's rendering (threshold ${kScreenshotThreshold * 100} %)`);
  } else {
    console.log('skipped: LibreOffice (soffice) is not installed, no screenshot comparison');
  }

  const written = Date.now();
  writeSales(work, 4321, 950);
  const changed = await waitForText(page, NORTH, '4321', 3000);
  check(changed, `a new value in the TAB file reaches the page (${Date.now() - written} ms)`);

  check(await waitForText(page, 'html[data-slide="2"] [data-name="Title"]', 'Totals by region', 15000),
        'the show advances to the next slide by itself');
  const presenter = await browser.newPage();
  await presenter.goto(addresses.presenter);
  await presenter.waitForSelector('[data-name="Title"]');
  // Back from wherever the show is now (on a slow machine it may have moved on once more).
  const before = Number(await page.evaluate(() => document.documentElement.dataset.slide));
  await presenter.keyboard.press('ArrowLeft');
  const back = `html[data-slide="${before - 1}"] [data-name="Title"]`;
  check(before > 1 && await waitForText(page, back, '', 5000),
        `the presenter goes back from slide ${before} and every viewer follows`);
  const viewerMove = await page.evaluate(async () => {
    const response = await fetch('/control/next', {method: 'POST'});
    return response.status;
  });
  check(viewerMove === 403, `a viewer without the token may not move the show (${viewerMove})`);

  await page.close();
  const again = await browser.newPage();
  await again.goto(addresses.viewer);
  const current = await presenter.evaluate(() => document.documentElement.dataset.slide);
  const shown = await waitForText(again, `html[data-slide="${current}"] [data-name="Title"]`, '',
                                  3000);
  const texts = (p) => p.evaluate(() => document.getElementById('stage').textContent);
  check(shown && await texts(again) === await texts(presenter),
        `a viewer that comes back sees the current slide (${current}) with its values at once`);
} finally {
  await browser.close();
  show.kill('SIGTERM');
}

// A copy of the deck as saved, with the values typed in as plain text, rendered by LibreOffice.
function renderReference(values) {
  const soffice = ['/usr/bin/soffice', '/usr/local/bin/soffice'].find((p) => fs.existsSync(p));
  if (!soffice) return null;
  const folder = path.join(work, 'reference');
  fs.mkdirSync(path.join(folder, 'ppt', 'slides'), {recursive: true});
  let slide = execFileSync('unzip', ['-p', 'base.pptx', 'ppt/slides/slide1.xml'],
                           {cwd: work, encoding: 'utf8'});
  for (const [name, value] of Object.entries(values)) {
    const at = slide.indexOf(`name="${name}"`);
    const text = slide.indexOf('<a:t>', at);
    const end = slide.indexOf('</a:t>', text);
    slide = slide.slice(0, text + 5) + value + slide.slice(end);
  }
  fs.writeFileSync(path.join(folder, 'ppt', 'slides', 'slide1.xml'), slide);
  fs.copyFileSync(path.join(work, 'base.pptx'), path.join(folder, 'reference.pptx'));
  execFileSync('zip', ['-q', 'reference.pptx', 'ppt/slides/slide1.xml'], {cwd: folder});
  // A profile of its own, so a LibreOffice running elsewhere on the machine does not interfere.
  execFileSync(soffice, [`-env:UserInstallation=file://${folder}/profile`, '--headless',
                         '--convert-to', 'png', '--outdir', folder, 'reference.pptx'],
               {cwd: folder, stdio: 'ignore', timeout: 120000});
  return fs.readFileSync(path.join(folder, 'reference.png'));
}

finish(work);
