// The studio's page: the slides as the live view draws them, the add-in's tool bar, menu and
// context menu drawn from its command-bar model, and every dialog drawn from its form model
// (studio-forms.js). The server runs each click through the add-in and answers with the state the
// page draws; the page decides nothing the add-in's rules decide.
import {FormView, messageBox, picker, signature} from './studio-forms.js';
import {drawMenus, menuCommands, openMenu} from './studio-menus.js';

const kSvg = 'http://www.w3.org/2000/svg';
// Shape types (the host's codes) whose context menu is the pictures' or the objects' one.
const kPictureTypes = [11, 13];
const kObjectTypes = [3, 7, 10];
const $ = (id) => document.getElementById(id);

// The token comes from the address once and is then kept for this tab only, out of the address.
const query = new URLSearchParams(location.search);
const token = query.get('token') || sessionStorage.getItem('vintrel-token') || '';
sessionStorage.setItem('vintrel-token', token);
if (query.has('token')) history.replaceState(null, '', '/');

let author = sessionStorage.getItem('vintrel-author');
let state = null;
let shownSlide = 0;
let drawnRevision = -1;
let slideOutline = [];
let slideVersion = '';
let formViews = [];
let queue = Promise.resolve();

async function api(method, path, body) {
  const headers = {'X-Vintrel-Token': token};
  if (author) headers['X-Vintrel-Author'] = author;
  if (body !== undefined) headers['Content-Type'] = 'application/json';
  const response = await fetch(path, {method, headers, keepalive: path === '/api/release',
                                      body: body === undefined ? undefined : JSON.stringify(body)});
  const data = await response.json().catch(() => ({}));
  if (!response.ok) {
    const error = new Error(data.error || `the studio answered ${response.status}`);
    error.status = response.status;
    throw error;
  }
  return data;
}

// Changes go one after the other, each drawing the state it returns.
function change(path, body) {
  const started = performance.now();
  queue = queue.then(async () => {
    try {
      draw(await api('POST', path, body));
      showProblem('');
    } catch (error) {
      showProblem(error.message);
    }
    // What the test and anyone profiling the page read: each dialog action's round trip.
    if (path === '/api/form' || path === '/api/answer' || path === '/api/picker') {
      performance.measure('dialog action', {start: started});
    }
  });
  return queue;
}

menuCommands({click: (id) => change('/api/click', {id}),
              choose: (id, index) => change('/api/choose', {id, index})});

function showProblem(text) {
  $('problem').textContent = text;
}

function draw(next) {
  state = next;
  document.documentElement.dataset.revision = String(state.revision);
  $('file-name').textContent = state.name;
  $('unsaved').hidden = !state.unsaved;
  for (const id of ['distribution', 'save', 'show']) $(id).disabled = state.readOnly;
  drawMenus(state.menus, state.readOnly);
  drawModal(state.modal);
  // Behind a dialog the slides wait: they are drawn again once it closes.
  const modal = modalOpen(state.modal);
  drawThumbs(state.slideCount, modal);
  const slide = state.selection.slide;
  if (slide !== shownSlide || (state.revision !== drawnRevision && !modal)) loadSlide(slide);
  else markShapes();
}

// ---- Slides

function slideSvg(drawing, label) {
  const svg = document.createElementNS(kSvg, 'svg');
  svg.setAttribute('viewBox', `0 0 ${drawing.width} ${drawing.height}`);
  // A thumbnail's drawing is its button's picture: the button says which slide it is.
  if (label) {
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', label);
  } else {
    svg.setAttribute('aria-hidden', 'true');
  }
  // The drawing is the server's own SVG with every text escaped; read as XML it can hold
  // elements and text only, never markup made from a name or a value.
  const parsed = new DOMParser().parseFromString(
      `<svg xmlns="${kSvg}">${drawing.backdrop}${drawing.shapes.join('')}</svg>`, 'image/svg+xml');
  if (parsed.querySelector('parsererror')) {
    showProblem(`${label || 'A slide'} could not be drawn.`);
    return svg;
  }
  svg.append(...[...parsed.documentElement.childNodes].map((node) => document.importNode(node, true)));
  return svg;
}

async function loadSlide(number) {
  const revision = state.revision;
  let drawing;
  try {
    drawing = await api('GET', slidePath(number, number === shownSlide ? slideVersion : ''));
  } catch (error) {
    return showProblem(error.message);
  }
  if (state.selection.slide !== number) return;  // another slide was chosen meanwhile
  drawnRevision = revision;
  document.documentElement.dataset.drawnRevision = String(revision);
  if (drawing.same && shownSlide === number) return markShapes();
  shownSlide = number;
  slideVersion = drawing.version;
  slideOutline = drawing.outline.shapes;
  const svg = slideSvg(drawing, `Slide ${number} of ${state.slideCount}`);
  const overlay = document.createElementNS(kSvg, 'g');
  overlay.setAttribute('class', 'overlay');
  svg.append(overlay);
  svg.addEventListener('click', (event) => pick(event, event.shiftKey));
  svg.addEventListener('contextmenu', contextMenu);
  $('slide-area').replaceChildren(svg);
  document.documentElement.dataset.slide = String(number);
  if (typeof fitTexts === 'function') document.fonts.ready.then(() => fitTexts(svg));
  markShapes();
  drawLinks();
}

// The shape (its position from 1) a click in the slide landed on; 0 for the slide itself.
function shapeAt(event) {
  for (let node = event.target; node && node.tagName !== 'svg'; node = node.parentNode) {
    const found = /^s(\d+)-(\d+)$/.exec(node.id || '');
    if (found && Number(found[1]) === shownSlide && node.parentNode.tagName === 'svg') {
      return Number(found[2]);
    }
  }
  // On an empty part of a frame (a chart with no data yet) the topmost frame holding the point
  // counts, as in the editing window.
  const point = new DOMPoint(event.clientX, event.clientY)
                    .matrixTransform(event.currentTarget.getScreenCTM().inverse());
  const inside = (s) => point.x >= s.left && point.x <= s.left + s.width && point.y >= s.top &&
                        point.y <= s.top + s.height;
  return slideOutline.findLastIndex(inside) + 1;
}

function pick(event, adding) {
  if (!state || state.readOnly) return;
  const shape = shapeAt(event);
  let shapes = shape ? [shape] : [];
  if (adding && shape) {
    const chosen = state.selection.shapes;
    shapes = chosen.includes(shape) ? chosen.filter((s) => s !== shape) : [...chosen, shape];
  }
  change('/api/select', {slide: shownSlide, shapes});
}

async function contextMenu(event) {
  event.preventDefault();
  if (!state || state.readOnly) return;
  const started = performance.now();
  const shape = shapeAt(event);
  if (!shape) return;
  // A right-click outside the selection selects the shape first, as the click would.
  if (!state.selection.shapes.includes(shape)) await change('/api/select', {slide: shownSlide, shapes: [shape]});
  const type = slideOutline[shape - 1]?.type;
  const menu = kPictureTypes.includes(type) ? 1 : kObjectTypes.includes(type) ? 2 : 0;
  const entry = state.menus?.contextMenus?.[menu]?.entry;
  if (!entry) return;
  openMenu({items: [entry]}, null, {x: event.clientX, y: event.clientY});
  performance.measure('context menu', {start: started});
}

function markShapes() {
  const overlay = document.querySelector('#slide-area .overlay');
  if (!overlay) return;
  const chosen = new Set(state.selection.shapes);
  const marks = [];
  slideOutline.forEach((shape, index) => {
    // A shape that draws nothing (a picture still to link) shows its frame, to be found and clicked.
    const empty = !document.getElementById(`s${shownSlide}-${index + 1}`)?.firstChild;
    for (const [kind, on] of [['empty', empty], ['linked', shape.linkKind !== 'none'],
                              ['selected', chosen.has(index + 1)]]) {
      if (!on) continue;
      const rect = document.createElementNS(kSvg, 'rect');
      for (const [key, value] of Object.entries({x: shape.left, y: shape.top, width: shape.width,
                                                 height: shape.height})) {
        rect.setAttribute(key, String(value));
      }
      rect.setAttribute('class', kind);
      rect.dataset.shape = shape.name;
      marks.push(rect);
    }
  });
  overlay.replaceChildren(...marks);
  const names = state.selection.shapes.map((n) => slideOutline[n - 1]?.name ?? `shape ${n}`);
  $('selection').textContent = names.length ?
      `Slide ${state.selection.slide}: ${names.join(', ')} (kind: ${state.selection.kindWord})` :
      `Slide ${state.selection.slide}, no shape selected`;
}

// The links of the slide's shapes, as `vintrel inspect` describes them.
function drawLinks() {
  const items = slideOutline.filter((shape) => shape.linkKind !== 'none').map((shape) => {
    const link = shape.vintrel;
    const item = document.createElement('li');
    const name = document.createElement('strong');
    name.textContent = shape.name;
    const parts = [shape.linkKind];
    if (link.connection) parts.push(`connection ${link.connection}`);
    if (link.column) parts.push(`column ${link.column}`);
    if (link.row) parts.push(`row ${link.row}`);
    if (link.dateFormat) parts.push(`format ${link.dateFormat}`);
    if (link.folder) parts.push(`folder ${link.folder}`);
    const text = document.createElement('span');
    text.textContent = `: ${parts.join(', ')}${shape.text ? ` \u2014 "${shape.text}"` : ''}`;
    item.append(name, text);
    return item;
  });
  $('links').replaceChildren(...items);
}

// ---- Thumbnails, drawn as they scroll into view

// A big deck has a thousand thumbnails: only those in view (and a little beyond) are drawn, and
// after a change only those whose slide changed, as the server's slide versions tell.
const thumbVersion = new Map();  // slide number -> version of the drawing it shows
const thumbChecked = new Map();  // slide number -> revision it was last checked at
const thumbsInView = new Set();
let currentThumb = null;
const thumbWatcher = new IntersectionObserver((entries) => {
  for (const entry of entries) {
    if (!entry.isIntersecting) {
      thumbsInView.delete(entry.target);
      continue;
    }
    thumbsInView.add(entry.target);
    if (state && !modalOpen(state.modal)) drawThumb(entry.target);
  }
}, {root: $('thumbs'), rootMargin: '200px'});

function modalOpen(modal) {
  return modal.forms.length > 0 || modal.messages.length > 0 || !!modal.picker;
}

function slidePath(number, version) {
  return `/api/slide/${number}${version ? `?has=${encodeURIComponent(version)}` : ''}`;
}

function drawThumbs(count, modal) {
  const holder = $('thumbs');
  while (holder.children.length > count) {
    thumbsInView.delete(holder.lastChild);
    thumbVersion.delete(Number(holder.lastChild.dataset.slide));
    holder.lastChild.remove();
  }
  const added = [];
  for (let n = holder.children.length + 1; n <= count; ++n) {
    const thumb = document.createElement('button');
    thumb.type = 'button';
    thumb.className = 'thumb';
    thumb.dataset.slide = String(n);
    thumb.append(thumbNumber(n));
    thumb.addEventListener('click', () => state.readOnly ? null : change('/api/select', {slide: n, shapes: []}));
    added.push(thumb);
  }
  holder.append(...added);
  for (const thumb of added) thumbWatcher.observe(thumb);
  const current = holder.children[state.selection.slide - 1] || null;
  if (current !== currentThumb) {
    currentThumb?.classList.remove('current');
    current?.classList.add('current');
    currentThumb = current;
  }
  if (!modal) for (const thumb of thumbsInView) drawThumb(thumb);
}

// A thumbnail's name is what it shows, its number; "Slide" is said, not shown.
function thumbNumber(n) {
  const number = document.createElement('span');
  number.className = 'number';
  const said = document.createElement('span');
  said.className = 'said';
  said.textContent = 'Slide ';
  number.append(said, String(n));
  return number;
}

async function drawThumb(thumb) {
  const revision = state.revision;
  const number = Number(thumb.dataset.slide);
  if (thumbChecked.get(number) === revision) return;
  thumbChecked.set(number, revision);
  try {
    const drawing = await api('GET', slidePath(number, thumbVersion.get(number)));
    if (drawing.same) return;
    thumb.replaceChildren(slideSvg(drawing, ''), thumbNumber(number));
    thumbVersion.set(number, drawing.version);
  } catch {
    thumbChecked.delete(number);
  }
}

// ---- Dialogs

let focusBefore = null;

// Tab and Shift-Tab go round the controls of the dialog on top, never out of it.
$('modal-layer').addEventListener('keydown', (event) => {
  const top = $('modal-layer').lastElementChild;
  if (event.key !== 'Tab' || !top) return;
  const stops = [...top.querySelectorAll('input, select, textarea, button, [tabindex="0"]')]
      .filter((element) => !element.disabled && element.offsetParent !== null && element.tabIndex >= 0);
  const [first, last] = [stops[0], stops[stops.length - 1]];
  if (event.shiftKey ? document.activeElement === first : document.activeElement === last) {
    event.preventDefault();
    (event.shiftKey ? last : first)?.focus();
  }
});

function drawModal(modal) {
  const layer = $('modal-layer');
  const views = [];
  modal.forms.forEach((form, depth) => {
    const old = formViews[depth];
    const refused = depth === modal.forms.length - 1 ? modal.refused : '';
    if (old && old.signature === signature(form)) {
      old.update(form, refused);
      views.push(old);
    } else {
      old?.close();
      const view = new FormView(form, (action) => change('/api/form', action));
      view.update(form, refused);
      views.push(view);
    }
  });
  for (const old of formViews.slice(modal.forms.length)) old.close();
  formViews = views;
  const boxes = views.map((view) => view.root);
  for (const message of modal.messages) {
    boxes.push(messageBox(message, (answer) => change('/api/answer', {answer})));
  }
  if (modal.picker) {
    boxes.push(picker(modal.picker,
                      (folder) => api('GET', `/api/files?folder=${encodeURIComponent(folder)}`),
                      (answer) => change('/api/picker', {answer})));
  }
  // Only the window on top takes input, as with modal windows on a desktop.
  boxes.forEach((box, index) => (box.inert = index !== boxes.length - 1 || state.readOnly));
  const same = boxes.length === layer.children.length &&
               boxes.every((box, index) => layer.children[index] === box);
  if (!same) layer.replaceChildren(...boxes);
  const top = boxes[boxes.length - 1];
  // The page behind a dialog takes no input and is hidden from screen readers; the focus goes
  // back where it was once the last dialog closes.
  if (top && !$('work').inert) focusBefore = document.activeElement;
  for (const id of ['bar', 'work']) $(id).inert = !!top;
  if (!top && focusBefore) {
    // The bars are drawn anew with each state: the same control, then.
    const id = focusBefore.dataset?.id;
    (focusBefore.isConnected ? focusBefore :
        document.querySelector(`#bar [data-id="${CSS.escape(id || '')}"]`))?.focus();
    focusBefore = null;
  }
  if (top && !top.contains(document.activeElement)) {
    const focus = modal.forms.length && top === views[views.length - 1]?.root ?
        top.querySelector(`[data-control="${CSS.escape(modal.forms[modal.forms.length - 1].focus)}"]`) : null;
    (focus || top.querySelector('button.default, input, select, button'))?.focus();
  }
}

// ---- Save, Show, authorship

$('distribution').addEventListener('click', () => change('/api/distribution', {}));

$('save').addEventListener('click', () => {
  queue = queue.then(async () => {
    try {
      let result = await api('POST', '/api/save', {});
      if (!result.saved && result.changedOnDisk && confirm(result.message)) {
        result = await api('POST', '/api/save', {overwrite: true});
      }
      draw(await api('GET', '/api/state'));
      showProblem(result.saved ? '' : 'Not saved: the file on disk was left as it is.');
    } catch (error) {
      showProblem(error.message);
    }
  });
});

$('show').addEventListener('click', () => {
  // Opened at the click, so the browser lets it open; it gets its address once the show runs.
  const tab = window.open('about:blank', '_blank');
  queue = queue.then(async () => {
    try {
      const {url} = await api('POST', '/api/show', {});
      if (tab) tab.location = url;
      showProblem(state.unsaved ? 'The show runs the saved file: unsaved changes are not in it.' : '');
    } catch (error) {
      tab?.close();
      showProblem(error.message);
    }
  });
});

window.addEventListener('beforeunload', (event) => {
  if (state && state.unsaved && !state.readOnly) {
    event.preventDefault();
    event.returnValue = '';
  }
});

window.addEventListener('pagehide', () => {
  if (author) api('POST', '/api/release', {}).catch(() => {});
});

async function claim() {
  const answer = await api('POST', '/api/claim', {});
  author = answer.author || null;
  // A reload of this tab goes on authoring.
  if (author) sessionStorage.setItem('vintrel-author', author);
  else sessionStorage.removeItem('vintrel-author');
  $('read-only').hidden = !answer.readOnly;
  $('read-only').textContent = answer.readOnly ? answer.why : '';
  document.documentElement.dataset.mode = author ? 'author' : 'read-only';
}

async function keepUp() {
  try {
    if (author) {
      await api('POST', '/api/ping', {});
    } else {
      await claim();
      const next = await api('GET', '/api/state');
      if (next.revision !== state?.revision || !author) draw(next);
    }
  } catch (error) {
    if (error.status === 409) await claim();
  }
}

async function start() {
  try {
    await claim();
    draw(await api('GET', '/api/state'));
    setInterval(keepUp, 3000);
  } catch (error) {
    showProblem(error.status === 403 ?
        'This page needs the address the studio printed, with its token.' : error.message);
  }
}

start();
