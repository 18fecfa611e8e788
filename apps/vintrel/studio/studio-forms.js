// Draws any of the add-in's form models in HTML and forwards what the person does as the actions
// `vintrel form --events` takes. Nothing here knows a particular dialog: the form's own code on
// the server checks every action, and the page redraws from the state the server returns. Every
// caption, name and value is text in the page (textContent, value), never markup.

// A form drawn once and updated in place from later states, so focus and typing survive a redraw.
export class FormView {
  // `send(action)` forwards one action and resolves once the server has answered.
  constructor(form, send) {
    this.name = form.name;
    this.send = send;
    this.elements = new Map();  // control name -> its element (or the group holding it)
    this.timers = [];
    const {box, title, body} = dialogBox('form', 'dialog', form.caption);
    this.root = box;
    this.root.dataset.form = form.name;
    this.title = title;
    this.refused = document.createElement('p');
    this.refused.className = 'refused';
    this.refused.setAttribute('role', 'alert');
    this.buttons = document.createElement('div');
    this.buttons.className = 'buttons';
    this.build(form, body);
    body.append(this.refused, this.buttons);
    this.root.addEventListener('keydown', (event) => this.key(event));
    this.signature = signature(form);
    this.update(form, '');
  }

  build(form, body) {
    const holders = new Map([['', body]]);
    for (const control of form.controls) {
      const element = this.make(control, form);
      if (!element) continue;
      this.elements.set(control.name, element);
      if (control.kind === 'frame' || control.kind === 'tabstrip') holders.set(control.name, element.holder);
      // Buttons of the form itself line up at its foot, as dialogs place OK and Cancel.
      const foot = control.kind === 'button' && !control.container;
      (foot ? this.buttons : holders.get(control.container || '') || body).append(element);
    }
    // A label names the control that follows it in the same container, and stands beside it.
    const controls = form.controls;
    const labelled = new Set(['checkbox', 'option', 'button', 'progressbar']);
    for (let i = 0; i + 1 < controls.length; ++i) {
      const label = controls[i];
      const next = controls[i + 1];
      if (label.kind !== 'label' || (next.container || '') !== (label.container || '')) continue;
      const element = this.elements.get(next.name);
      if (!element?.input?.id) continue;
      this.elements.get(label.name).htmlFor = element.input.id;
      labelled.add(next.name);
      if (element.classList.contains('row')) element.prepend(this.elements.get(label.name));
    }
    // A box with no label of its own is named after its tip or its control ("txtRowIndex" is
    // "Row index"), so a screen reader says more than "edit text".
    for (const control of controls) {
      const input = this.elements.get(control.name)?.input;
      if (!input || labelled.has(control.name) || labelled.has(control.kind)) continue;
      const words = control.name.replace(/^[a-z]+(?=[A-Z])/, '').replace(/([a-z])([A-Z0-9])/g, '$1 $2');
      input.setAttribute('aria-label', control.toolTip || words.charAt(0) + words.slice(1).toLowerCase());
    }
    // An up-down control steps the box it belongs to, beside it.
    for (const control of controls.filter((c) => c.kind === 'updown' && c.buddy)) {
      this.elements.get(control.buddy)?.append(this.elements.get(control.name));
    }
  }

  // One control's element; `element.input` is what takes the person's input.
  make(control, form) {
    const id = `c-${form.name}-${control.name}`;
    const act = (action) => this.send({control: control.name, ...action});
    let element;
    let input;
    switch (control.kind) {
      case 'label':
        element = document.createElement('label');
        break;
      case 'textbox':
        input = document.createElement(control.multiLine ? 'textarea' : 'input');
        // A password box's text comes masked: only what the person types goes back.
        if (control.password) input.type = 'password';
        input.addEventListener('change', () => {
          if (!control.password || input.value !== input.dataset.shown) act({set: input.value});
        });
        element = row(input);
        break;
      case 'checkbox':
      case 'option': {
        input = document.createElement('input');
        input.type = control.kind === 'checkbox' ? 'checkbox' : 'radio';
        input.name = `${form.name}-${control.container || ''}`;
        input.addEventListener('click', (event) => {
          event.preventDefault();  // the form's state decides what is ticked
          act(control.kind === 'checkbox' ? {set: input.checked ? '1' : '0'} : {click: true});
        });
        const text = document.createElement('label');
        text.htmlFor = id;
        element = row(input, text);
        element.text = text;
        break;
      }
      case 'listbox':
      case 'combobox':
        ({element, input} = this.makeList(control, act, id));
        break;
      case 'button':
        element = input = document.createElement('button');
        input.type = 'button';
        input.addEventListener('click', () => act({click: true}));
        if (control.name === form.default) input.classList.add('default');
        break;
      case 'frame':
      case 'tabstrip':
        element = this.makeGroup(control, act);
        break;
      case 'updown':
        element = row(...['up', 'down'].map((direction) => {
          const button = document.createElement('button');
          button.type = 'button';
          button.textContent = direction === 'up' ? '\u25B2' : '\u25BC';
          button.setAttribute('aria-label', `${control.name} ${direction}`);
          button.addEventListener('click', () => act({spin: direction}));
          return button;
        }));
        break;
      case 'progressbar':
        element = input = document.createElement('progress');
        break;
      case 'timer':
        element = document.createElement('span');
        element.hidden = true;
        break;
      default:
        return null;
    }
    if (input) {
      input.id = id;
      input.name ||= control.name;
      input.dataset.control = control.name;
      element.input = input;
    }
    element.dataset.control = control.name;
    element.dataset.kind = control.kind;
    return element;
  }

  makeList(control, act, id) {
    let input;
    let element;
    if (control.kind === 'combobox' && control.editable) {
      input = document.createElement('input');
      input.setAttribute('list', `${id}-entries`);
      const entries = document.createElement('datalist');
      entries.id = `${id}-entries`;
      element = row(input, entries);
      element.entries = entries;
    } else {
      input = document.createElement('select');
      if (control.kind === 'listbox') input.size = 6;
      element = row(input);
    }
    input.addEventListener('change', () => act({set: input.value}));
    if (control.kind === 'listbox') input.addEventListener('dblclick', () => act({dblclick: true}));
    return {element, input};
  }

  makeGroup(control, act) {
    const element = document.createElement('fieldset');
    const legend = document.createElement('legend');
    element.append(legend);
    element.legend = legend;
    if (control.kind === 'tabstrip') {
      element.tabs = document.createElement('div');
      element.tabs.setAttribute('role', 'tablist');
      element.tabs.act = act;
      element.append(element.tabs);
    }
    element.holder = element;
    return element;
  }

  // Redraws from a later state of the same form; `refused` is what the form refused last.
  update(form, refused) {
    this.title.textContent = form.caption;
    this.refused.textContent = refused || '';
    for (const control of form.controls) {
      const element = this.elements.get(control.name);
      if (!element) continue;
      element.hidden = !control.visible || control.kind === 'timer';
      element.title = control.toolTip || '';
      const input = element.input;
      if (input) input.disabled = !control.enabled;
      if (element.tagName === 'FIELDSET') element.disabled = !control.enabled;
      this.fill(control, element, input);
    }
    this.restartTimers(form);
  }

  fill(control, element, input) {
    const caption = control.caption || '';
    switch (control.kind) {
      case 'label':
        element.textContent = caption;
        break;
      case 'button':
        input.textContent = caption.replaceAll('&', '');
        break;
      case 'checkbox':
      case 'option':
        element.text.textContent = caption.replaceAll('&', '');
        input.checked = control.value !== 0;
        break;
      case 'textbox':
        if (document.activeElement !== input || input.value === '') {
          input.value = control.text;
          input.dataset.shown = control.text;
        }
        input.readOnly = !!control.locked;
        break;
      case 'listbox':
      case 'combobox':
        fillList(control, element, input);
        break;
      case 'frame':
        element.legend.textContent = caption.replaceAll('&', '');
        break;
      case 'tabstrip':
        fillTabs(control, element);
        break;
      case 'progressbar':
        input.max = Math.max(control.max - control.min, 1);
        input.value = control.value - control.min;
        break;
    }
  }

  restartTimers(form) {
    for (const timer of this.timers) clearInterval(timer);
    this.timers = form.controls
        .filter((control) => control.kind === 'timer' && control.enabled && control.interval > 0)
        .map((control) => setInterval(() => this.send({control: control.name, tick: true}),
                                      control.interval));
  }

  key(event) {
    if (event.key === 'Escape') {
      event.preventDefault();
      this.send({key: 'escape'});
    } else if (event.key === 'Enter' && event.target.tagName !== 'TEXTAREA' &&
               event.target.tagName !== 'BUTTON') {
      event.preventDefault();
      // What was typed counts before the default button is pressed.
      const target = event.target;
      if (target.dataset.control && 'value' in target && target.tagName === 'INPUT' &&
          (target.type === 'text' || target.type === 'password')) {
        target.dispatchEvent(new Event('change'));
      }
      this.send({key: 'enter'});
    }
  }

  close() {
    for (const timer of this.timers) clearInterval(timer);
  }
}

let dialogCount = 0;

// A modal window: its title bar and the body its content goes in.
function dialogBox(kind, role, caption) {
  const box = document.createElement('section');
  box.className = `dialog ${kind}`;
  box.setAttribute('role', role);
  box.setAttribute('aria-modal', 'true');
  const title = document.createElement('h1');
  title.id = `dialog-title-${++dialogCount}`;
  box.setAttribute('aria-labelledby', title.id);
  title.textContent = caption;
  const body = document.createElement('div');
  body.className = 'body';
  box.append(title, body);
  return {box, title, body};
}

// Whether a later state is still the same form (the same controls): then it is updated in place.
export function signature(form) {
  return `${form.name}\n${form.controls.map((c) => `${c.name}:${c.kind}`).join('\n')}`;
}

function row(...children) {
  const element = document.createElement('div');
  element.className = 'row';
  element.append(...children);
  return element;
}

function fillList(control, element, input) {
  const items = control.items || [];
  const holder = element.entries || input;
  const shown = [...holder.children].map((option) => option.value);
  if (shown.length !== items.length || shown.some((value, i) => value !== items[i])) {
    holder.replaceChildren(...items.map((item) => {
      const option = document.createElement('option');
      option.value = item;
      option.textContent = item;
      return option;
    }));
  }
  if (element.entries) {
    if (document.activeElement !== input) input.value = control.text;
  } else if (input.tagName === 'SELECT') {
    input.selectedIndex = control.listIndex;
  }
}

// One tab takes Tab, the chosen one; Left and Right choose its neighbours, as tab strips do.
function fillTabs(control, element) {
  const items = control.items || [];
  const hadFocus = element.tabs.contains(document.activeElement);
  const tabs = items.map((item, index) => {
    const tab = document.createElement('button');
    tab.type = 'button';
    tab.setAttribute('role', 'tab');
    const chosen = index === control.listIndex;
    tab.setAttribute('aria-selected', String(chosen));
    tab.tabIndex = chosen ? 0 : -1;
    tab.textContent = item;
    tab.addEventListener('click', () => element.tabs.act({set: item}));
    tab.addEventListener('keydown', (event) => {
      const step = {ArrowRight: 1, ArrowLeft: items.length - 1}[event.key];
      if (!step) return;
      event.preventDefault();
      element.tabs.act({set: items[(index + step) % items.length]});
    });
    return tab;
  });
  element.tabs.replaceChildren(...tabs);
  if (hadFocus) tabs[control.listIndex]?.focus();
}

const kIcons = {critical: '\u26D4', question: '?', exclamation: '\u26A0', information: '\u2139'};

// A message box: the form's title, its icon and its buttons; `answer(number)` gives the answer.
export function messageBox(message, answer) {
  const {box, body} = dialogBox('message', 'alertdialog', message.title || 'Vintrel');
  const line = document.createElement('div');
  line.className = 'row';
  const icon = document.createElement('span');
  icon.className = 'icon';
  icon.dataset.icon = message.icon;
  icon.textContent = kIcons[message.icon] || '';
  const text = document.createElement('p');
  text.className = 'text';
  text.textContent = message.text;
  line.append(icon, text);
  const buttons = document.createElement('div');
  buttons.className = 'buttons';
  for (const [index, choice] of message.buttons.entries()) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = choice.caption;
    button.addEventListener('click', () => answer(choice.answer));
    if (index === message.defaultButton) button.classList.add('default');
    buttons.append(button);
  }
  body.append(line, buttons);
  box.addEventListener('keydown', (event) => {
    if (event.key !== 'Escape') return;
    const last = message.buttons[message.buttons.length - 1];
    if (message.buttons.length > 1) answer(last.answer);
  });
  return box;
}

// A picker: a computer's name typed in, or a file or folder chosen below the folders the server
// lets the studio browse (`list(folder)` asks it). `answer(text)` gives the choice ('' cancels).
export function picker(request, list, answer) {
  const {box, body} = dialogBox('picker', 'dialog', request.title || `Choose a ${request.kind}`);
  box.dataset.picker = request.kind;
  const buttons = document.createElement('div');
  buttons.className = 'buttons';
  const button = (caption, action) => {
    const element = document.createElement('button');
    element.type = 'button';
    element.textContent = caption;
    element.addEventListener('click', action);
    buttons.append(element);
    return element;
  };
  if (request.kind === 'computer') {
    const name = document.createElement('input');
    name.setAttribute('aria-label', 'Computer name');
    body.append(name);
    button('OK', () => answer(name.value)).classList.add('default');
  } else {
    const roots = document.createElement('p');
    const where = document.createElement('p');
    const entries = document.createElement('ul');
    body.append(roots, where, entries);
    let folder = '';
    const open = async (path) => {
      let listing;
      try {
        listing = await list(path);
      } catch (error) {
        where.textContent = error.message;  // outside the folders the studio may browse
        return;
      }
      folder = listing.folder;
      where.textContent = folder;
      roots.replaceChildren(...listing.roots.map((root) => {
        const jump = document.createElement('button');
        jump.type = 'button';
        jump.textContent = root;
        jump.addEventListener('click', () => open(root));
        return jump;
      }));
      const up = listing.roots.includes(folder) ? [] : [{name: '..', folder: true}];
      entries.replaceChildren(...[...up, ...listing.entries].map((entry) => {
        const item = document.createElement('li');
        const choose = document.createElement('button');
        choose.type = 'button';
        choose.textContent = entry.folder ? `${entry.name}/` : entry.name;
        choose.dataset.entry = entry.name;
        const path = `${folder}/${entry.name}`;
        choose.addEventListener('click', () => (entry.folder ? open(path) : answer(path)));
        item.append(choose);
        return item;
      }));
    };
    open('');
    if (request.kind === 'folder') button('Choose this folder', () => answer(folder));
  }
  button('Cancel', () => answer(''));
  body.append(buttons);
  return box;
}
