// The live view: draws the slide on screen from the show's state and replaces single shapes
// as their values change; nothing is polled. Served by `vintrel show --serve`, everything comes
// from that server's event stream. Written by `vintrel show --export-page`, config.js names a
// broker (window.vintrelLiveView) and the page subscribes to the show there over MQTT on
// WebSockets, with the client in mqtt.min.js beside it.
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

// The show through an MQTT broker (vintrel show --publish): TOPIC/state (retained) is the whole
// state, TOPIC/events each change with a sequence number rising by one, TOPIC/asset/NAME
// (retained) each picture the drawings name "/asset/NAME". The page takes the state, then
// applies each event that replaces one shape; for anything else, a gap in the sequence or a new
// connection (the broker may have restarted, values moved on meanwhile) it takes the state
// again by subscribing to it again, which makes the broker send it once more. It only reads.
function followBroker({broker, topic}) {
  const stateTopic = `${topic}/state`;
  const eventTopic = `${topic}/events`;
  const assetTopic = `${topic}/asset/`;
  const decoder = new TextDecoder();
  const client = mqtt.connect(broker, {reconnectPeriod: 2000, resubscribe: false, clean: true});
  let sequence = null;  // the event the page shows the show at; null while it awaits the state
  let waiting = [];     // events that came while awaiting the state
  // Pictures by name: a blob: address, or null while the broker is asked for it.
  const pictures = new Map();

  function takeState() {
    sequence = null;
    waiting = [];
    client.subscribe(stateTopic, {qos: 1});
  }

  // The drawing with its pictures' addresses made local; a picture not here yet is asked for
  // and put in when it comes.
  function localPictures(svg) {
    return svg.replace(/href="\/asset\/([0-9a-f]{16}\.[a-z]{3,4})"/g, (whole, name) => {
      if (pictures.get(name)) return `href="${pictures.get(name)}"`;
      if (!pictures.has(name)) {
        pictures.set(name, null);
        client.subscribe(assetTopic + name, {qos: 1});
      }
      return `data-asset="${name}"`;
    });
  }

  function pictureArrived(name, bytes) {
    if (!pictures.has(name) || pictures.get(name) || !bytes.length) return;
    client.unsubscribe(assetTopic + name);
    const types = {png: 'image/png', jpg: 'image/jpeg', gif: 'image/gif', svg: 'image/svg+xml',
                   webp: 'image/webp', bmp: 'image/bmp'};
    const url = URL.createObjectURL(new Blob([bytes], {type: types[name.split('.')[1]]}));
    pictures.set(name, url);
    for (const image of stage.querySelectorAll(`[data-asset="${name}"]`)) {
      image.removeAttribute('data-asset');
      image.setAttribute('href', url);
    }
  }

  // Pictures the new state does not show are let go.
  function forgetPicturesBut(drawing) {
    for (const [name, url] of pictures) {
      if (drawing.includes(`/asset/${name}`)) continue;
      if (url) URL.revokeObjectURL(url);
      else client.unsubscribe(assetTopic + name);
      pictures.delete(name);
    }
  }

  function stateArrived(state) {
    if (sequence !== null && state.sequence <= sequence) return;  // one sent before the last
    client.unsubscribe(stateTopic);
    const drawing = state.backdrop + state.shapes.join('');
    forgetPicturesBut(drawing);
    state.backdrop = localPictures(state.backdrop);
    state.shapes = state.shapes.map(localPictures);
    showState(state);
    lostLine = null;
    if (state.slide && !performance.getEntriesByName('vintrel-slide-drawn').length) {
      performance.mark('vintrel-slide-drawn');
    }
    sequence = state.sequence;
    const later = waiting;
    waiting = [];
    for (const event of later) eventArrived(event);
  }

  function eventArrived(event) {
    if (sequence === null) {
      waiting.push(event);
    } else if (event.sequence === sequence + 1 && event.svg) {
      sequence = event.sequence;
      replaceShape({...event, svg: localPictures(event.svg)});
    } else if (event.sequence === sequence + 1 && event.shape && event.slide !== shownSlide) {
      sequence = event.sequence;  // a shape of another slide: nothing on screen changes
    } else if (event.sequence > sequence || event.event === 'show-begin') {
      // A gap, a change the event does not draw, or a show started anew.
      takeState();
    }
  }

  let lostLine = null;
  client.on('connect', () => {
    performance.mark('vintrel-broker-connected');
    // A broker started afresh holds nothing until the show publishes again.
    if (lostLine) lostLine.textContent = 'Waiting for the slide show…';
    client.subscribe(eventTopic, {qos: 1});
    takeState();
    for (const [name, url] of pictures) {
      if (!url) client.subscribe(assetTopic + name, {qos: 1});
    }
  });
  client.on('message', (name, payload) => {
    if (name.startsWith(assetTopic)) {
      pictureArrived(name.slice(assetTopic.length), payload);
      return;
    }
    let message;
    try {
      message = JSON.parse(decoder.decode(payload));
    } catch {
      return;
    }
    if (name === stateTopic) stateArrived(message);
    else if (name === eventTopic) eventArrived(message);
  });
  client.on('offline', () => {
    lostLine = document.createElement('p');
    lostLine.textContent = 'The broker is out of reach: reconnecting…';
    statusLine.replaceChildren(lostLine);
  });
}

function move(direction) {
  fetch(`/control/${direction}`, {method: 'POST', headers: {'X-Vintrel-Control': controlToken}});
}

const settings = window.vintrelLiveView;
const brokered = settings?.transport === 'mqtt';

if (controlToken && !brokered) {
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
if (stage && brokered) followBroker(settings);
else if (stage) connect();
