// The live view: draws the slide on screen from the server's state and replaces single shapes
// as their values change. Everything comes from this server; nothing is polled.
'use strict';

const SVG = 'http://www.w3.org/2000/svg';
const stage = document.getElementById('stage');
const statusLine = document.getElementById('status');
// The control token travels in the address's fragment, which the browser never sends.
const controlToken = new URLSearchParams(location.hash.slice(1)).get('control');
let shownSlide = 0;

function showMessage(text) {
  const message = document.createElement('p');
  message.className = 'message';
  message.textContent = text;
  stage.replaceChildren(message);
}

function showState(state) {
  shownSlide = state.slide;
  document.documentElement.dataset.slide = String(state.slide);
  if (state.empty) {
    showMessage('There is no slide to show: every slide of the presentation is hidden.');
  } else if (state.ended || state.past_end) {
    // Past the last slide the show is over, whether or not its end has come yet.
    showMessage('End of slide show');
  } else if (!state.slide) {
    showMessage('Waiting for the slide show to begin…');
  } else {
    const svg = document.createElementNS(SVG, 'svg');
    svg.setAttribute('viewBox', `0 0 ${state.width} ${state.height}`);
    svg.setAttribute('preserveAspectRatio', 'xMidYMid meet');
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', `Slide ${state.slide} of ${state.count}`);
    svg.innerHTML = state.backdrop + state.shapes.join('');
    stage.replaceChildren(svg);
    document.fonts.ready.then(() => fitTexts(svg));
  }
  showStatus(state.status || []);
}

function replaceShape(change) {
  if (change.slide !== shownSlide) return;
  const old = document.getElementById(change.id);
  const holder = document.createElementNS(SVG, 'svg');
  holder.innerHTML = change.svg;
  const fresh = holder.firstElementChild;
  if (old && fresh) {
    old.replaceWith(fresh);
    fitTexts(fresh);
  }
}

// Texts that shrink to fit their box (auto-fit): where this browser's fonts make a text taller
// than the author's fonts did, it is scaled down until it fits, as the presentation program does.
function fitTexts(root) {
  for (const fit of root.querySelectorAll('div.fit')) {
    const box = fit.parentElement;
    const style = getComputedStyle(box);
    const inner = box.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    // Both heights as drawn on screen: the slide's own scale applies to both alike.
    const room = box.getBoundingClientRect().height * inner / Math.max(box.clientHeight, 1);
    let scale = 1;
    fit.style.zoom = '';
    while (fit.getBoundingClientRect().height > room + 0.5 && scale > 0.3) {
      scale = Math.round((scale - 0.025) * 1000) / 1000;
      fit.style.zoom = String(scale);
    }
  }
}

function showStatus(problems) {
  const lines = problems.map((problem) => {
    const line = document.createElement('p');
    const name = problem.description || `connection ${problem.connection}`;
    if (problem.state === 'stale') {
      line.className = 'stale';
      line.textContent = `${name}: values from ${problem.age} s ago`;
    } else {
      line.textContent = `${name}: ${problem.message || 'no data'}`;
    }
    return line;
  });
  statusLine.replaceChildren(...lines);
}

function connect() {
  const events = new EventSource('/events');
  events.addEventListener('state', (event) => showState(JSON.parse(event.data)));
  events.addEventListener('shape', (event) => replaceShape(JSON.parse(event.data)));
  // EventSource reconnects by itself; the server then sends the whole state again.
  events.addEventListener('error', () => {
    if (events.readyState === EventSource.CLOSED) setTimeout(connect, 2000);
  });
}

function move(direction) {
  fetch(`/control/${direction}`, {method: 'POST', headers: {'X-Vintrel-Control': controlToken}});
}

if (controlToken) {
  document.body.classList.add('control');
  document.addEventListener('keydown', (event) => {
    const forward = ['ArrowRight', 'ArrowDown', 'PageDown', ' ', 'Enter', 'n'];
    const back = ['ArrowLeft', 'ArrowUp', 'PageUp', 'Backspace', 'p'];
    if (forward.includes(event.key)) move('next');
    else if (back.includes(event.key)) move('previous');
    else return;
    event.preventDefault();
  });
  document.addEventListener('click', () => move('next'));
}

// The studio's page borrows fitTexts and has no stage of its own to connect.
if (stage) connect();
