// The studio end to end in a real browser: `vintrel studio` on the example deck, Debian's
// chromium driven through the DevTools protocol. An author adds a text-file connection through
// the connection manager, links a shape through its context menu and a slide's scrolling through
// its property page, sets the distribution list, and saves; the saved tags must equal those
// `vintrel connections add`, `link`, `slide` and `distribution` write on a copy. Also: axe-core's
// accessibility rules on the page and two dialogs, the menu and a dialog by keyboard alone, a
// refused action, a disabled menu entry, the token, a second page, a file changed on disk, the
// show of the saved file, and a deck with hostile names.
//   node studio_test.mjs VINTREL MAKE_EXAMPLE_DECK
// Exits 0 when everything passed, 1 on a failure, 77 when chromium cannot start (a skip).
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';

import {check, environment, finish, launchBrowser, startStudio, waitForText, writeSales} from
    './live_view_support.mjs';

const [vintrel, generator] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vintrel-studio-'));
const run = (args) => execFileSync(vintrel, args, {cwd: work, encoding: 'utf8', env: environment(work)});
const NORTH = '#slide-area [data-name="North sales"]';
const SOUTH = '#slide-area [data-name="South sales"]';
const form = (name) => `section[data-form="${name}"]`;
const control = (formName, name) =>
  `${form(formName)} :is(input, select, textarea, button)[data-control="${name}"]`;
const kScroll = {step: '2', time: '1500'};
const kComputers = ['lobby-screen', 'canteen'];
const kSql = 'SELECT region, total FROM totals';
const checkedForms = new Set();  // the dialogs axe-core has seen
const kManagerButton = 'xpath/.//*[@id="tool-bar"]/button[normalize-space()="Slide show properties"]';
// The rest of the bundled example, step by step as a person works the dialogs: [form, control,
// value], a value true clicking the control, {file} picking a file in the picker it opens, {tab}
// choosing a tab, {index} a list's entry by position, text typing into a box or choosing a
// list's entry; each with the commands that do the same on the command line's copy.
const [M, D, S, X, O] = ['frmSlideShowPropertyPage', 'frmDatabaseConnection', 'frmConnectionString',
                         'frmExcelConnection', 'frmObjectFieldPropertyPage'];
const kAuthoring = [
  {what: 'a database connection through "Edit..." and a workbook connection',
   steps: [[M, 'TabStrip1', {tab: 'Databases'}], [M, 'cmdNew2', true], [D, 'txtConnectionName', 'Totals'],
           [D, 'cmdEditConnectionString', true], [S, 'cmdBrowse', {file: 'board.db'}], [S, 'cmdOK', true],
           [D, 'optSQLStatement', true], [D, 'txtSQLStatement', kSql], [D, 'cmdClose', true],
           [M, 'TabStrip1', {tab: 'Excel'}], [M, 'cmdNew3', true], [X, 'txtConnectionName', 'Targets'],
           [X, 'cmdBrowseFileSystem', {file: 'targets.xlsx'}], [X, 'cmbSheet', 'Targets'],
           [X, 'txtRange', 'A1:D5'], [X, 'chkFirstRowFieldNames', true], [X, 'cmdClose', true],
           [M, 'cmdClose', true]],
   cli: [['connections', 'add', 'cli.pptx', '--database', 'Provider=SQLite;Data Source=board.db', '--sql',
          kSql, '--name', 'Totals'],
         ['connections', 'add', 'cli.pptx', '--excel', 'targets.xlsx', '--sheet', 'Targets', '--range',
          'A1:D5', '--first-row-names', '--name', 'Targets']]},
  {what: 'a clock', slide: 1, shape: 'Clock', entry: 'Clock shape properties',
   steps: [['frmClockPropertyPage', 'lstDatetimeFormats', {index: 3}],
           ['frmClockPropertyPage', 'cmdClose', true]],
   cli: [['link', 'cli.pptx', '--slide', '1', '--shape', 'Clock', '--clock', 'Long Time']]},
  {what: 'a chart', slide: 2, shape: 'Totals chart', entry: 'Linked graph properties',
   steps: [['frmGraphPropertyPage', 'lstConnectionList', 'Totals'],
           ['frmGraphPropertyPage', 'cmdClose', true]],
   cli: [['link', 'cli.pptx', '--slide', '2', '--shape', 'Totals chart', '--chart', '02']]},
  {what: 'a linked picture', slide: 3, shape: 'Region picture', entry: 'Linked object properties',
   steps: [[O, 'cmbActiveConnection', 'Sales'], [O, 'cmbColumns', 'Region'], [O, 'txtRowIndex', '1'],
           [O, 'optFilename', true], [O, 'cmdBrowseFolder', {folder: 'pictures'}], [O, 'txtExtension', 'png'],
           [O, 'cmdClose', true]],
   cli: [['link', 'cli.pptx', '--slide', '3', '--shape', 'Region picture', '--object', '01', 'Region', '1',
          '--folder', 'pictures', '--extension', 'png']]},
];
// axe-core, evaluated through the DevTools protocol, which the page's security policy does not govern.
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

execFileSync(generator, ['base.pptx', 'pictures'], {cwd: work, env: environment(work)});
writeSales(work, 1200, 950);
for (const file of ['board.db', 'targets.xlsx', 'pictures']) {
  fs.cpSync(new URL(`../../examples/data/${file}`, import.meta.url), path.join(work, file),
            {recursive: true});
}
for (const copy of ['studio.pptx', 'cli.pptx', 'hostile.pptx']) {
  fs.copyFileSync(path.join(work, 'base.pptx'), path.join(work, copy));
}
// The same steps through the command line, the reference for what the studio saves.
const sales = run(['connections', 'add', 'cli.pptx', '--text', 'data.tsv', '--first-row-names',
                   '--name', 'Sales']).trim();
run(['link', 'cli.pptx', '--slide', '1', '--shape', 'North sales', '--text', sales, 'Sales', '1']);
run(['slide', 'cli.pptx', '--slide', '1', '--scroll', sales, '--step', kScroll.step, '--time',
     kScroll.time, '--enabled', 'on']);
makeHostileDeck();

const browser = await launchBrowser();
if (!browser) {
  console.log('SKIP: chromium cannot start here; the browser tests did not run');
  process.exit(77);
}
const studio = await startStudio(work, vintrel, 'studio.pptx');
const timings = {dialog: [], contextMenu: []};
try {
  await tokenChecks(studio.url);
  const page = await browser.newPage();
  await page.setViewport({width: 1400, height: 900});
  const alerts = [];
  page.on('dialog', (dialog) => {
    alerts.push(dialog.message());
    dialog.dismiss();
  });
  await page.goto(studio.url);
  await page.waitForSelector('#tool-bar button');
  check(!page.url().includes('token'), 'the token leaves the address bar once taken');
  await accessible(page, 'the studio page');
  await secondPageIsReadOnly(studio.url);
  await disabledEntryCannotBeClicked(page);
  await keyboardOnly(page);
  await addConnection(page);
  await linkNorthSales(page);
  await scrollSlideOne(page);
  await distributionList(page);
  for (const piece of kAuthoring) await author(page, piece);
  await save(page, alerts);
  compareWithCommandLine();
  await changedOnDiskIsNotOverwritten(page, alerts);
  await showOpensTheSavedFile(page);
  await hostileNamesAreText();
} finally {
  await browser.close();
  // The studio ends the show it started before it exits; only then is the work folder quiet.
  const ended = new Promise((resolve) => studio.process.once('exit', resolve));
  studio.process.kill('SIGTERM');
  await ended;
}
// axe-core's rules on the page as it stands; only what would stop someone using it counts.
async function accessible(page, what) {
  if (!(await page.evaluate(() => !!window.axe))) await page.evaluate(axeSource);
  const found = await page.evaluate(async () => (await axe.run(document)).violations
      .filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map((v) => `${v.id} (${v.impact}): ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join('; ')}`));
  check(found.length === 0,
        `accessibility of ${what}: ${found.length ? found.join(' | ') : 'no serious violation'}`);
}

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)] ?? NaN;
console.log(`dialog action round trip: median ${median(timings.dialog).toFixed(1)} ms over ` +
            `${timings.dialog.length} actions (target under 50 ms)`);
console.log(`click to context menu: median ${median(timings.contextMenu).toFixed(1)} ms over ` +
            `${timings.contextMenu.length} clicks (target under 100 ms)`);

// The example's slide 1 with "North sales" renamed to markup, linked to a connection whose name
// is markup too.
function makeHostileDeck() {
  const folder = path.join(work, 'hostile');
  fs.mkdirSync(path.join(folder, 'ppt', 'slides'), {recursive: true});
  const slide = execFileSync('unzip', ['-p', 'hostile.pptx', 'ppt/slides/slide1.xml'],
                             {cwd: work, encoding: 'utf8'})
      .replace('name="North sales"', 'name="&lt;img src=x onerror=alert(1)&gt;"');
  fs.writeFileSync(path.join(folder, 'ppt', 'slides', 'slide1.xml'), slide);
  execFileSync('zip', ['-q', path.join(work, 'hostile.pptx'), 'ppt/slides/slide1.xml'], {cwd: folder});
  const hostile = run(['connections', 'add', 'hostile.pptx', '--text', 'data.tsv',
                       '--first-row-names', '--name', '<b id=evil>Sales</b>']).trim();
  run(['link', 'hostile.pptx', '--slide', '1', '--shape', '<img src=x onerror=alert(1)>', '--text',
       hostile, 'Region', '1']);
}

async function tokenChecks(url) {
  const {origin} = new URL(url);
  const token = new URL(url).searchParams.get('token');
  const cases = [
    {what: 'reading the state without the token', method: 'GET', path: '/api/state', headers: {}, status: 403},
    {what: 'selecting without the token', method: 'POST', path: '/api/select', headers: {}, status: 403},
    {what: 'clicking with a wrong token', method: 'POST', path: '/api/click',
     headers: {'X-Vintrel-Token': 'f'.repeat(32)}, status: 403},
    {what: 'clicking with the token but not as the author', method: 'POST', path: '/api/click',
     headers: {'X-Vintrel-Token': token}, status: 409},
    {what: 'reading the state with the token', method: 'GET', path: '/api/state',
     headers: {'X-Vintrel-Token': token}, status: 200},
  ];
  for (const c of cases) {
    const response = await fetch(origin + c.path, {method: c.method, headers: c.headers,
                                                   body: c.method === 'POST' ? '{"id":"t/1"}' : undefined});
    check(response.status === c.status, `${c.what}: ${response.status} (expected ${c.status})`);
  }
}

async function secondPageIsReadOnly(url) {
  const second = await browser.newPage();
  await second.goto(url);
  await second.waitForSelector('#tool-bar button');
  const said = await waitForText(second, '#read-only', 'Another page is authoring', 5000);
  const disabled = await second.$$eval('#tool-bar button, #save', (all) => all.every((b) => b.disabled));
  check(said && disabled, 'a second page gets a read-only view and says why');
  await second.close();
}

async function openMainMenuEntry(page, caption) {
  await page.click('#main-menu');
  const [entry] = await page.$$(`xpath/.//*[@id="context-menu"]//button[normalize-space()="${caption}"]`);
  return entry;
}

async function disabledEntryCannotBeClicked(page) {
  const entry = await openMainMenuEntry(page, 'Text shape properties');
  const id = await entry.evaluate((button) => button.disabled && button.dataset.id);
  check(!!id, 'with nothing selected "Text shape properties" is drawn disabled');
  await entry.click().catch(() => {});
  await new Promise((resolve) => setTimeout(resolve, 300));
  check(await page.$('#modal-layer section') === null, 'clicking the disabled entry opens nothing');
  // Sent anyway, past the page: the server asks the enable rule again.
  const answer = await page.evaluate(async (control) => {
    const response = await fetch('/api/click', {method: 'POST', body: JSON.stringify({id: control}),
      headers: {'X-Vintrel-Token': sessionStorage.getItem('vintrel-token'),
                'X-Vintrel-Author': sessionStorage.getItem('vintrel-author'),
                'Content-Type': 'application/json'}});
    return {status: response.status, body: await response.json()};
  }, id);
  check(answer.status === 400 && /disabled/.test(answer.body.error),
        `the server refuses the disabled entry too (${answer.status}: ${answer.body.error})`);
  await page.keyboard.press('Escape');
}

// The main menu and a dialog with the keyboard alone: where the focus is after each key.
async function keyboardOnly(page) {
  const steps = [
    ['Enter', 'menu: Slide show properties$', 'Enter opens the menu on its first enabled entry'],
    ['ArrowDown', 'menu: Slide properties$', 'Down moves to the next enabled entry'],
    ['ArrowUp', 'menu: Slide show properties$', 'Up moves back'],
    ['ArrowUp', 'menu: About ', 'Up from the first entry goes round to the last'],
    ['Escape', 'page: Vintrel$', 'Escape closes the menu and gives the focus back to its button'],
    ['Enter', 'menu: Slide show properties$', 'the menu opens again'],
    ['Enter', 'dialog: ', 'choosing the entry opens its dialog with the focus inside'],
    ...Array(12).fill(['Tab', 'dialog: ', 'Tab and Shift-Tab stay inside the dialog']),
    ['Shift+Tab', 'dialog: ', 'Tab and Shift-Tab stay inside the dialog'],
    ['Escape', 'page: Vintrel$', 'Escape cancels the dialog and the focus goes back to the menu'],
  ];
  const wrong = new Map();  // what -> the first focus that was not as expected
  await page.focus('#main-menu');
  for (const [key, where, what] of steps) {
    const keys = key.split('+');
    for (const down of keys) await page.keyboard.down(down);
    for (const up of keys.reverse()) await page.keyboard.up(up);
    const focus = () => {
      const element = document.activeElement;
      const kind = element.closest('[role="menu"]') ? 'menu' : element.closest('.dialog') ? 'dialog' : 'page';
      return `${kind}: ${element.textContent.trim() || element.dataset.control || element.tagName}`;
    };
    await page.waitForFunction(`new RegExp(${JSON.stringify(where)}).test((${focus})())`,
                               {timeout: 2000}).catch(() => {});
    const now = await page.evaluate(focus);
    if (!new RegExp(where).test(now) && !wrong.has(what)) wrong.set(what, `${key}: ${now}`);
  }
  for (const what of new Set(steps.map((step) => step[2]))) {
    check(!wrong.has(what), `keyboard: ${what}${wrong.has(what) ? ` (${wrong.get(what)})` : ''}`);
  }
}

// Takes one dialog action as a person does and notes the round trip the page measured.
async function act(page, doing) {
  const before = await page.evaluate(() => performance.getEntriesByName('dialog action').length);
  await doing();
  await page.waitForFunction((n) => performance.getEntriesByName('dialog action').length > n,
                             {timeout: 5000, polling: 20}, before);
  timings.dialog.push(await page.evaluate(() => performance.getEntriesByName('dialog action').at(-1).duration));
}

// Waits until the slide on screen is drawn from the presentation as it is now.
async function slideDrawn(page) {
  await page.waitForFunction(() => document.documentElement.dataset.drawnRevision ===
                                    document.documentElement.dataset.revision, {timeout: 5000});
}

async function type(page, selector, text) {
  await page.click(selector, {clickCount: 3});
  await page.keyboard.press('Backspace');
  await page.type(selector, text);
  await act(page, () => page.$eval(selector, (input) => input.blur()));
}

async function addConnection(page) {
  const [manager, dialog] = [M, 'frmTextFileConnection'];
  await page.click(kManagerButton);
  // The file through the picker, which offers the presentation's folder.
  await workDialogs(page, [[manager, 'cmdNew1', true], [dialog, 'txtConnectionName', 'Sales'],
                           [dialog, 'cmdBrowseFileSystem', {file: 'data.tsv'}],
                           [dialog, 'chkFirstRowFieldNames', true], [dialog, 'cmdClose', true]]);
  const listed = await page.waitForFunction(
      (s) => [...(document.querySelector(s)?.options || [])].some((o) => o.text.includes('Sales')),
      {timeout: 5000}, control(manager, 'ConnectionList1')).then(() => true, () => false);
  check(listed, 'the connection manager lists the new text-file connection');
  await act(page, () => page.click(control(manager, 'cmdClose')));
  check(await page.$(form(manager)) === null, 'the connection manager closes with OK');
}

async function linkNorthSales(page) {
  const page_ = 'frmTextFieldPropertyPage';
  await slideDrawn(page);
  await clickShape(page, NORTH);
  check(await waitForText(page, '#selection', 'North sales', 3000), 'a click selects the shape');
  // Each right-click lands outside the selection, which it selects first, and ends on North.
  for (let i = 5; i >= 0; --i) {
    await clickShape(page, i % 2 ? SOUTH : NORTH, {button: 'right'});
    await page.waitForSelector('#context-menu:not([hidden]) button');
    timings.contextMenu.push(await page.evaluate(
        () => performance.getEntriesByName('context menu').at(-1).duration));
    if (i) await page.keyboard.press('Escape');
  }
  await page.click('#context-menu button.popup');
  await page.click('xpath/.//*[@id="context-menu"]//button[normalize-space()="Text shape properties"]');
  await page.waitForSelector(form(page_));
  await accessible(page, 'a text shape\'s property page');
  // A row that is no number disables OK; Enter, pressed anyway, is refused with the form's
  // message, and nothing is linked.
  await act(page, () => page.select(control(page_, 'cmbActiveConnection'), 'Sales'));
  await type(page, control(page_, 'cmbColumns'), 'Sales');
  await type(page, control(page_, 'txtRowIndex'), 'x');
  check(await page.$eval(control(page_, 'cmdClose'), (b) => b.disabled), 'a row "x" disables OK');
  await page.focus(control(page_, 'txtRowIndex'));
  await act(page, () => page.keyboard.press('Enter'));
  check(await waitForText(page, `${form(page_)} .refused`, 'disabled', 3000) &&
        await page.$(form(page_)) !== null && !(await page.$eval('#links', (e) => e.textContent)).includes('North sales'),
        'Enter on the refused page shows the form\'s message and links nothing');
  await type(page, control(page_, 'txtRowIndex'), '1');
  await act(page, () => page.click(control(page_, 'cmdClose')));
  check(await waitForText(page, NORTH, '1200', 5000), 'the linked value appears on the slide');
  check(await waitForText(page, '#links', 'North sales', 2000), 'the side panel lists the link');
}

async function scrollSlideOne(page) {
  const page_ = 'frmSlidePropertyPage';
  for (const slide of [2, 1]) {
    await page.click(`.thumb[data-slide="${slide}"]`);
    await page.waitForSelector(`html[data-slide="${slide}"] #slide-area svg`);
  }
  const entry = await openMainMenuEntry(page, 'Slide properties');
  await entry.click();
  await page.waitForSelector(form(page_));
  await act(page, () => page.click(`${form(page_)} [role="tab"]:nth-child(2)`));
  check(await page.$eval(control(page_, 'chkHideWhenNoData'), (box) => box.offsetParent === null),
        'the controls the form hides on the other tab are not drawn');
  await act(page, () => page.click(control(page_, 'chkScrollingEnabled')));
  const first = await page.$eval(`${control(page_, 'ConnectionList')} option`, (o) => o.value);
  await act(page, () => page.select(control(page_, 'ConnectionList'), first));
  await type(page, control(page_, 'txtScrollStep'), kScroll.step);
  await type(page, control(page_, 'txtScrollTime'), kScroll.time);
  await act(page, () => page.click(control(page_, 'cmdClose')));
  check(await page.$(form(page_)) === null, 'the slide property page closes with OK');
}

// The distribution list through its dialog; the command line gets the window the dialog showed.
async function distributionList(page) {
  const dialog = 'frmDistribution';
  await page.click('#distribution');
  await page.waitForSelector(form(dialog));
  for (const name of kComputers) {
    await act(page, () => page.click(control(dialog, 'cmdNew')));
    await page.type('section[data-picker="computer"] input', name);
    await act(page, () => page.click('section[data-picker="computer"] button.default'));
  }
  const listed = await page.$$eval(`${control(dialog, 'DistributionList')} option`,
                                   (all) => all.map((o) => o.value));
  check(JSON.stringify(listed) === JSON.stringify(kComputers),
        `the dialog lists the computers added (${listed})`);
  const [start, startTime, stop, stopTime] = await Promise.all(
      ['txtStartDate', 'txtStartTime', 'txtStopDate', 'txtStopTime'].map(
          (box) => page.$eval(control(dialog, box), (input) => input.value)));
  await act(page, () => page.click(control(dialog, 'cmdClose')));
  check(await page.$(form(dialog)) === null, 'the distribution list closes with OK');
  run(['distribution', 'cli.pptx', '--start', `${start} ${startTime}`, '--stop', `${stop} ${stopTime}`,
       ...kComputers.flatMap((name) => ['--computer', name])]);
}

// The slide is drawn again as the page's state arrives: a click whose shape was replaced
// meanwhile is made again on the new one.
async function clickShape(page, selector, options) {
  for (let attempt = 1; ; ++attempt) {
    try {
      return await page.click(selector, options);
    } catch (error) {
      if (attempt === 5 || !/detached|not clickable/.test(error.message)) throw error;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
}

// One piece of kAuthoring: its dialog opened from the tool bar, or from the main menu with the
// shape selected.
async function author(page, {what, slide, shape, entry, steps, cli}) {
  if (shape) {
    await page.click(`.thumb[data-slide="${slide}"]`);
    await page.waitForSelector(`html[data-slide="${slide}"] #slide-area [data-name="${shape}"]`);
    // A shape that draws nothing is found by its frame.
    await clickShape(page, `#slide-area :is(g[data-name="${shape}"]:not(:empty), ` +
                     `.overlay rect.empty[data-shape="${shape}"])`);
    await waitForText(page, '#selection', shape, 3000);
    await (await openMainMenuEntry(page, entry)).click();
  } else {
    await page.click(kManagerButton);
  }
  try {
    await workDialogs(page, steps);
    check(await page.$('#modal-layer section') === null, `authored in the studio: ${what}`);
  } catch (error) {
    check(false, `authored in the studio: ${what} (${error.message.split('\n')[0]}; ` +
                 `${await page.$eval('#panel', (e) => e.innerText.slice(0, 300)).catch(() => '')})`);
  }
  for (const args of cli) run(args);
}

// Takes kAuthoring's steps; each dialog met is checked for accessibility once.
async function workDialogs(page, steps) {
  for (const [name, box, value] of steps) {
    await page.waitForSelector(form(name), {timeout: 5000});
    if (!checkedForms.has(name)) await accessible(page, `the dialog ${name}`);
    checkedForms.add(name);
    const selector = control(name, box);
    if (value === true) {
      await act(page, () => page.click(selector));
    } else if (value.tab) {
      const tab = `xpath/.//section[@data-form="${name}"]//*[@role="tab"][.="${value.tab}"]`;
      await act(page, () => page.click(tab));
    } else if (value.file || value.folder) {
      await act(page, () => page.click(selector));
      const entry = `section[data-picker] button[data-entry="${value.file || value.folder}"]`;
      await page.waitForSelector(entry);
      if (value.file) {
        await act(page, () => page.click(entry));
      } else {
        await page.click(entry);
        await page.waitForSelector(`section[data-picker] button[data-entry=".."]`);
        await act(page, () => page.click('xpath/.//section[@data-picker]//button[.="Choose this folder"]'));
      }
    } else if (await page.$eval(selector, (element) => element.tagName === 'SELECT')) {
      const option = await page.$eval(selector, (list, v) =>
        [...list.options].find((o, i) => i === v.index || o.text.includes(v))?.value, value);
      await act(page, () => page.select(selector, option));
    } else {
      await type(page, selector, value);
    }
  }
}

async function save(page) {
  check(await page.$eval('#unsaved', (e) => !e.hidden), 'the page says there are unsaved changes');
  await page.click('#save');
  await page.waitForSelector('#unsaved[hidden]', {timeout: 5000});
  check(true, 'Save writes the file');
}

function tagsOf(file) {
  const outline = JSON.parse(run(['inspect', file, '--json']));
  const tags = (list) => Object.fromEntries(list.map((t) => [t.name, t.value]));
  return {presentation: tags(outline.tags),
          slides: outline.slides.map((slide) => ({slide: tags(slide.tags),
                                                  shapes: slide.shapes.map((s) => tags(s.tags))}))};
}

function compareWithCommandLine() {
  const studio = JSON.stringify(tagsOf('studio.pptx'));
  const cli = JSON.stringify(tagsOf('cli.pptx'));
  check(studio === cli,
        'the saved tags equal those of `vintrel connections add`, `link`, `slide` and `distribution`');
  const stored = run(['distribution', 'studio.pptx']);
  check(kComputers.every((name) => stored.includes(name)),
        `\`vintrel distribution\` reads the saved list (${stored.trim().split('\n').join('; ')})`);
  if (studio !== cli) console.log(`studio: ${studio}\ncommand line: ${cli}`);
}

async function changedOnDiskIsNotOverwritten(page, alerts) {
  const file = path.join(work, 'studio.pptx');
  const later = new Date(Date.now() + 60000);
  fs.utimesSync(file, later, later);
  const bytes = fs.readFileSync(file);
  alerts.length = 0;
  await page.click('#save');
  await waitForText(page, '#problem', 'Not saved', 5000);
  check(alerts.some((a) => a.includes('changed on disk')) && fs.readFileSync(file).equals(bytes),
        'a file changed on disk is not overwritten when the author says no');
}

async function showOpensTheSavedFile(page) {
  const opened = new Promise((resolve) => browser.once('targetcreated', resolve));
  await page.click('#show');
  const show = await (await opened).page();
  const shown = await waitForText(show, '[data-name="North sales"]', '1200', 15000);
  check(shown, 'Show opens the live show of the saved file in a new tab');
  await show.close();
}

async function hostileNamesAreText() {
  const hostile = await startStudio(work, vintrel, 'hostile.pptx');
  const page = await browser.newPage();
  let alerted = false;
  page.on('dialog', (dialog) => {
    alerted = true;
    dialog.dismiss();
  });
  try {
    await page.goto(hostile.url);
    const shape = '#slide-area [data-name="<img src=x onerror=alert(1)>"]';
    await page.waitForSelector(shape);
    await page.click(shape);
    const shown = await waitForText(page, '#selection', '<img src=x onerror=alert(1)>', 3000) &&
                  await waitForText(page, '#links', '<img src=x onerror=alert(1)>', 3000);
    const injected = await page.evaluate(
        () => !!document.querySelector('#panel img, #evil, img[src="x"]'));
    check(shown && !injected && !alerted, 'a hostile deck\'s names show as text, never as markup');
  } finally {
    hostile.process.kill('SIGTERM');
    await page.close();
  }
}

finish(work);
