// The live view against LibreOffice on real decks: renders the first visible slides of each deck
// both ways at 1280 px wide and prints, per slide and overall, the share of 16 x 16 squares whose
// mean colour differs and the share of LibreOffice's words that the page paints. Writes a
// side-by-side PNG per slide (LibreOffice left, the live view right) for a person to look at.
//   node compare.mjs [--slides N] [--out DIR] [--vintrel PATH] [--table FILE] [--missed]
//                    [DECK|FOLDER...]
// --missed prints under each slide the LibreOffice words the page does not paint.
import {execFileSync, spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {PNG} from 'pngjs';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const repository = path.resolve(here, '../..');
const kWidth = 1280;
const kSquare = 16;
const kColourTolerance = 10;
const kMostPieces = 12;  // pieces of one word broken across lines, at most

function parseArguments(argv) {
  const options = {
    slides: 3,
    out: path.join(here, 'out'),
    vintrel: path.join(repository, 'build/apps/vintrel/vintrel'),
    table: null,
    missed: false,
    decks: [],
  };
  for (let i = 0; i < argv.length; ++i) {
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${argv[i]} needs a value`);
      return argv[++i];
    };
    if (argv[i] === '--slides') options.slides = Number(value());
    else if (argv[i] === '--out') options.out = path.resolve(value());
    else if (argv[i] === '--vintrel') options.vintrel = path.resolve(value());
    else if (argv[i] === '--table') options.table = path.resolve(value());
    else if (argv[i] === '--missed') options.missed = true;
    else if (argv[i].startsWith('--')) throw new Error(`unknown option ${argv[i]}`);
    else options.decks.push(argv[i]);
  }
  if (!(options.slides >= 1)) throw new Error('--slides takes a number from 1');
  if (!options.decks.length) options.decks.push(path.join(repository, 'tests/fixtures/decks'));
  options.decks = options.decks.flatMap((entry) => {
    if (!fs.statSync(entry).isDirectory()) return [path.resolve(entry)];
    return fs.readdirSync(entry).filter((name) => /\.pptx$/i.test(name)).sort()
        .map((name) => path.resolve(entry, name));
  });
  return options;
}

function unzipText(deck, part) {
  try {
    return execFileSync('unzip', ['-p', deck, part], {encoding: 'utf8', maxBuffer: 64 << 20});
  } catch {
    return '';
  }
}

// The slides in presentation order with their hidden state, and the slide size in EMU.
function readOutline(deck) {
  const presentation = unzipText(deck, 'ppt/presentation.xml');
  const relations = unzipText(deck, 'ppt/_rels/presentation.xml.rels');
  const sizeTag = (presentation.match(/<p:sldSz\b[^>]*>/) || [''])[0];
  const cx = sizeTag.match(/\bcx="(\d+)"/);
  const cy = sizeTag.match(/\bcy="(\d+)"/);
  const targets = new Map();
  for (const tag of relations.match(/<Relationship\b[^>]*>/g) || []) {
    const id = tag.match(/\bId="([^"]+)"/);
    const target = tag.match(/\bTarget="([^"]+)"/);
    if (id && target) targets.set(id[1], target[1]);
  }
  const slides = [];
  for (const tag of presentation.match(/<p:sldId\b[^>]*>/g) || []) {
    const id = tag.match(/\br:id="([^"]+)"/);
    const target = id && targets.get(id[1]);
    if (!target) continue;
    const part = target.startsWith('/') ? target.slice(1) : path.posix.join('ppt', target);
    const head = (unzipText(deck, part).match(/<p:sld\b[^>]*>/) || [''])[0];
    slides.push({number: slides.length + 1, hidden: /\bshow="(0|false)"/.test(head)});
  }
  return {
    width: cx ? Number(cx[1]) : 12192000,
    height: cy ? Number(cy[1]) : 6858000,
    slides,
  };
}

// LibreOffice's PDF of the deck (hidden slides left out), or null when it cannot open it.
function renderPdf(deck, work) {
  const copy = path.join(work, 'deck.pptx');
  fs.copyFileSync(deck, copy);
  try {
    // A profile of its own, so a LibreOffice running elsewhere on the machine does not interfere.
    execFileSync('soffice', [`-env:UserInstallation=file://${path.join(path.dirname(work), 'profile')}`,
                             '--headless', '--convert-to', 'pdf', '--outdir', work, copy],
                 {stdio: 'ignore', timeout: 240000});
  } catch {
    return null;
  }
  const pdf = path.join(work, 'deck.pdf');
  return fs.existsSync(pdf) ? pdf : null;
}

function renderPage(pdf, page, work) {
  const prefix = path.join(work, `reference-${page}`);
  execFileSync('pdftoppm', ['-png', '-f', String(page), '-l', String(page), '-singlefile',
                            '-scale-to-x', String(kWidth), '-scale-to-y', '-1', pdf, prefix]);
  // In the order LibreOffice draws them: a box's lines stay together, and text that overlaps
  // other text is not interleaved with it as reading order would.
  const text = execFileSync('pdftotext', ['-raw', '-f', String(page), '-l', String(page), pdf,
                                          '-'], {encoding: 'utf8'});
  return {png: fs.readFileSync(`${prefix}.png`), words: wordsOf(text)};
}

// Words as both sides are compared: letters and digits, without the punctuation around them.
function wordsOf(text) {
  return text.split(/\s+/)
      .map((word) => word.replace(/^[^\p{L}\p{N}]+|[^\p{L}\p{N}]+$/gu, '').toLowerCase())
      .filter((word) => word.length);
}

function startShow(vintrel, deck, slide, work) {
  const environment = {...process.env, VINTREL_HOME: work,
                       VINTREL_SETTINGS: path.join(work, 'settings.ini')};
  const show = spawn(vintrel, ['show', deck, '--serve', '--port', '0', '--from', String(slide),
                               '--advance', 'manual'],
                     {cwd: work, env: environment, stdio: ['ignore', 'pipe', 'pipe']});
  let output = '';
  let errors = '';
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => {
      show.kill('SIGKILL');
      reject(new Error('the show did not start within 60 s'));
    }, 60000);
    show.stdout.on('data', (chunk) => {
      output += chunk;
      const viewer = output.match(/Live show: (\S+)/);
      if (viewer) {
        clearTimeout(timer);
        resolve({show, address: viewer[1]});
      }
    });
    show.stderr.on('data', (chunk) => { errors += chunk; });
    show.on('exit', (code) => {
      clearTimeout(timer);
      const reason = errors.trim().split('\n')[0] || `exit code ${code}`;
      reject(new Error(`refused: ${reason}`));
    });
  });
}

function stopShow(show) {
  if (show.exitCode !== null) return Promise.resolve();
  return new Promise((resolve) => {
    show.on('exit', resolve);
    show.kill('SIGTERM');
    setTimeout(() => show.kill('SIGKILL'), 3000);
  });
}

// The words of text nodes the page paints: inside the slide, visible, and in a box with a height
// that no clipping ancestor cuts away (a zero-height box clips its text to nothing). Runs side by
// side in a line of HTML text join as they are painted ("2" and a raised "nd" are one word); a
// line break, an element laid out as a block of its own (a bullet) or an SVG text element
// separates them.
function paintedWordsInPage() {
  const svg = document.querySelector('#stage > svg');
  const slide = svg.getBoundingClientRect();
  const overlaps = (a, b) => a.width > 0 && a.height > 0 && a.left < b.right && b.left < a.right &&
                              a.top < b.bottom && b.top < a.bottom;
  const clipped = (element, rect) => {
    for (let e = element; e && e !== svg; e = e.parentElement) {
      const style = getComputedStyle(e);
      if (style.display === 'none' || style.visibility === 'hidden' || style.opacity === '0') {
        return true;
      }
      const box = e.getBoundingClientRect();
      // A foreignObject without a width or height is not drawn at all.
      if (e.tagName.toLowerCase() === 'foreignobject' && !(box.width > 0 && box.height > 0)) {
        return true;
      }
      if (style.overflow !== 'visible' && !overlaps(rect, box)) return true;
    }
    return false;
  };
  const inline = (element) => element instanceof HTMLElement && element.tagName !== 'BR' &&
                              getComputedStyle(element).display === 'inline';
  const texts = [];
  let flow = null;  // the element whose inline content the last text joined
  const walker = document.createTreeWalker(svg, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.nodeType === Node.ELEMENT_NODE) {
      if (!inline(node)) flow = null;
      continue;
    }
    if (!node.textContent.trim()) continue;
    const range = document.createRange();
    range.selectNodeContents(node);
    const painted = [...range.getClientRects()].some(
        (rect) => overlaps(rect, slide) && !clipped(node.parentElement, rect));
    let block = node.parentElement;
    while (inline(block)) block = block.parentElement;
    if (!painted) {
      flow = null;
    } else if (flow === block && block instanceof HTMLElement) {
      texts[texts.length - 1] += node.textContent;
    } else {
      texts.push(node.textContent);
      flow = block;
    }
  }
  return texts.join(' ');
}

async function renderLive(browser, options, deck, slide, size, work) {
  const {show, address} = await startShow(options.vintrel, deck, slide, work);
  const page = await browser.newPage();
  try {
    await page.setViewport({width: kWidth, height: size.height});
    await page.goto(address);
    await page.waitForSelector(`html[data-slide="${slide}"] #stage > svg`, {timeout: 20000});
    await page.evaluate(async () => {
      await document.fonts.ready;
      const images = [...document.querySelectorAll('image')];
      await Promise.all(images.map((image) => image.decode?.().catch(() => {})));
    });
    await new Promise((resolve) => setTimeout(resolve, 250));
    const png = await page.screenshot({type: 'png'});
    const text = await page.evaluate(paintedWordsInPage);
    return {png, words: wordsOf(text)};
  } finally {
    await page.close();
    await stopShow(show);
  }
}

function squareDifference(first, second) {
  const a = PNG.sync.read(first);
  const b = PNG.sync.read(second);
  const columns = Math.floor(Math.min(a.width, b.width) / kSquare);
  const rows = Math.floor(Math.min(a.height, b.height) / kSquare);
  const mean = (image, x0, y0) => {
    const sum = [0, 0, 0];
    for (let y = y0; y < y0 + kSquare; ++y) {
      for (let x = x0; x < x0 + kSquare; ++x) {
        const i = (y * image.width + x) * 4;
        for (let c = 0; c < 3; ++c) sum[c] += image.data[i + c];
      }
    }
    return sum.map((s) => s / (kSquare * kSquare));
  };
  let differing = 0;
  for (let row = 0; row < rows; ++row) {
    for (let column = 0; column < columns; ++column) {
      const p = mean(a, column * kSquare, row * kSquare);
      const q = mean(b, column * kSquare, row * kSquare);
      if (p.some((value, c) => Math.abs(value - q[c]) > kColourTolerance)) ++differing;
    }
  }
  return {share: differing / Math.max(1, rows * columns), a, b};
}

function sideBySide(a, b, file) {
  const gap = 8;
  const out = new PNG({width: a.width + gap + b.width, height: Math.max(a.height, b.height)});
  out.data.fill(128);
  PNG.bitblt(a, out, 0, 0, a.width, a.height, 0, 0);
  PNG.bitblt(b, out, 0, 0, b.width, b.height, a.width + gap, 0);
  fs.writeFileSync(file, PNG.sync.write(out));
}

// LibreOffice's words the page paints, counted once each. A word LibreOffice breaks across lines
// (a box too narrow for it) reaches pdftotext as two or more words that follow one another; those
// pieces count as painted when, joined, they are a word the page paints and nothing else took.
// LibreOffice's words the page paints, each painted word taken once. A word LibreOffice breaks
// across lines (a box too narrow for it) reaches pdftotext as pieces in a row; they count as
// painted when, joined, they have the letters and digits of a painted word nothing else took.
function paintedShare(reference, painted) {
  const letters = (word) => word.replace(/[^\p{L}\p{N}]+/gu, '');
  const taken = painted.map(() => false);
  const index = (key) => {
    const map = new Map();
    painted.forEach((word, i) => map.set(key(word), [...(map.get(key(word)) || []), i]));
    return (word) => {
      const i = (map.get(word) || []).find((j) => !taken[j]);
      if (i !== undefined) taken[i] = true;
      return i !== undefined;
    };
  };
  const takeWord = index((word) => word);
  const takeLetters = index(letters);
  const found = reference.map(takeWord);
  let pieces = 0;
  for (let first = 0; first < reference.length; ++first) {
    let joined = letters(reference[first]);
    for (let last = first + 1; !found[first] && last < first + kMostPieces; ++last) {
      if (last >= reference.length || found[last]) break;
      joined += letters(reference[last]);
      if (!takeLetters(joined)) continue;
      found.fill(true, first, last + 1);
      pieces += last - first + 1;
    }
  }
  const missed = reference.filter((word, i) => !found[i]);
  return {painted: reference.length - missed.length, pieces, missed};
}

function percentile(sorted, share) {
  if (!sorted.length) return NaN;
  return sorted[Math.min(sorted.length - 1, Math.ceil(share * sorted.length) - 1)];
}

async function compareDeck(browser, options, deck, rows) {
  const name = path.basename(deck, path.extname(deck));
  const work = path.join(options.out, 'work', name);
  fs.rmSync(work, {recursive: true, force: true});
  fs.mkdirSync(work, {recursive: true});
  const outline = readOutline(deck);
  const pdf = renderPdf(deck, work);
  if (!pdf) {
    addRow(rows, {deck: name, slide: '-', note: 'LibreOffice cannot open it', lo: false});
    return;
  }
  const size = {height: Math.round(kWidth * outline.height / outline.width)};
  const visible = outline.slides.filter((slide) => !slide.hidden);
  for (const [index, slide] of visible.slice(0, options.slides).entries()) {
    const row = {deck: name, slide: slide.number, lo: true};
    try {
      const reference = renderPage(pdf, index + 1, work);
      const live = await renderLive(browser, options, deck, slide.number, size, work);
      const difference = squareDifference(reference.png, live.png);
      sideBySide(difference.a, difference.b, path.join(options.out, `${name}-${slide.number}.png`));
      const share = paintedShare(reference.words, live.words);
      Object.assign(row, {squares: difference.share, words: reference.words.length,
                          painted: share.painted, pieces: share.pieces,
                          missed: options.missed ? share.missed : []});
    } catch (error) {
      row.note = error.message.split('\n')[0];
      row.refused = row.note.startsWith('refused');
    }
    addRow(rows, row);
    if (row.refused) break;
  }
  if (!visible.length) addRow(rows, {deck: name, slide: '-', note: 'no visible slide', lo: true});
}

function formatRow(row) {
  const squares = row.squares === undefined ? '' : `${(row.squares * 100).toFixed(1)} %`;
  const words = row.words === undefined ? '' : `${row.painted}/${row.words}`;
  return `${row.deck.padEnd(56)} ${String(row.slide).padStart(3)} ${squares.padStart(8)} ` +
         `${words.padStart(9)}  ${row.note || ''}`.trimEnd();
}

function addRow(rows, row) {
  rows.push(row);
  console.log(formatRow(row));
  if (row.missed?.length) console.log(`    not painted: ${row.missed.join(' ')}`);
}

function summary(rows) {
  const measured = rows.filter((row) => row.squares !== undefined);
  const shares = measured.map((row) => row.squares).sort((a, b) => a - b);
  const words = measured.reduce((sum, row) => sum + row.words, 0);
  const painted = measured.reduce((sum, row) => sum + row.painted, 0);
  const pieces = measured.reduce((sum, row) => sum + row.pieces, 0);
  const decks = new Set(rows.map((row) => row.deck));
  const opened = new Set(rows.filter((row) => row.lo).map((row) => row.deck));
  const refused = new Set(rows.filter((row) => row.refused).map((row) => row.deck));
  const percent = (value) => `${(value * 100).toFixed(1)} %`;
  return [
    `decks: ${decks.size}, LibreOffice opens ${opened.size}, the live view refuses ` +
        `${refused.size} of those${refused.size ? ` (${[...refused].join(', ')})` : ''}`,
    `slides measured: ${measured.length}`,
    `squares differing: median ${percent(percentile(shares, 0.5))}, 75th percentile ` +
        `${percent(percentile(shares, 0.75))}, 90th percentile ${percent(percentile(shares, 0.9))}`,
    `slides under 5 %: ${shares.filter((share) => share < 0.05).length} of ${shares.length}`,
    `words painted: ${painted} of ${words} (${percent(painted / Math.max(1, words))}), ` +
        `${pieces} of them pieces of words LibreOffice breaks across lines`,
  ];
}

const kUsage = `usage: compare.sh [--slides N] [--out DIR] [--vintrel PATH] [--table FILE] [--missed]
                  [DECK|FOLDER...]
  --slides N      the first N visible slides of each deck (3)
  --out DIR       side-by-side pictures and work files (bench/screen/out)
  --vintrel PATH  the program to run (build/apps/vintrel/vintrel)
  --table FILE    also write the per-slide table and the summary to FILE
  --missed        list under each slide the LibreOffice words the page does not paint
Without decks it takes tests/fixtures/decks/.`;
if (process.argv.includes('--help')) {
  console.log(kUsage);
  process.exit(0);
}
let options;
try {
  options = parseArguments(process.argv.slice(2));
} catch (error) {
  console.error(`compare: ${error.message}\n${kUsage}`);
  process.exit(2);
}
fs.mkdirSync(options.out, {recursive: true});
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run',
         '--font-render-hinting=none'],
});
const header = `${'deck'.padEnd(56)} ${'sl.'.padStart(3)} ${'squares'.padStart(8)} ` +
               `${'words'.padStart(9)}  note`;
console.log(header);
const rows = [];
try {
  for (const deck of options.decks) {
    try {
      await compareDeck(browser, options, deck, rows);
    } catch (error) {
      addRow(rows, {deck: path.basename(deck), slide: '-', note: error.message.split('\n')[0]});
    }
  }
} finally {
  await browser.close();
}
const lines = summary(rows);
console.log(`\n${lines.join('\n')}\nside-by-side pictures (LibreOffice left): ${options.out}`);
if (options.table) {
  // Written whole or not at all: a run stopped half-way leaves the table as it was.
  const partial = `${options.table}.partial`;
  fs.writeFileSync(partial, [header, ...rows.map(formatRow), '', ...lines, ''].join('\n'));
  fs.renameSync(partial, options.table);
}
