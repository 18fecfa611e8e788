// The add-in's tool bar, main menu and context menus, drawn from its command-bar model with the
// enabled and pressed states the add-in gives. Menus are worked with the keyboard as desktop
// menus are: arrows move between entries (one entry at a time takes Tab), Right and Left open and
// close a popup, Escape closes and gives focus back to what opened the menu.

const $ = (id) => document.getElementById(id);
let commands = {click: () => {}, choose: () => {}};
let readOnly = false;
let opener = null;  // what gets the focus back when the menu closes

// `click(id)` runs a control, `choose(id, index)` picks a combo's entry.
export function menuCommands(given) {
  commands = given;
}

function caption(control) {
  return control.caption.replaceAll('&', '');
}

function controlButton(control, onClick) {
  const button = document.createElement('button');
  button.type = 'button';
  button.textContent = caption(control);
  button.title = control.tooltip || '';
  button.dataset.id = control.id;
  button.disabled = !control.enabled || readOnly;
  if (control.pressed) {
    button.classList.add('pressed', 'checked');
    button.setAttribute('aria-pressed', 'true');
  }
  button.addEventListener('click', onClick);
  return button;
}

export function drawMenus(menus, isReadOnly) {
  readOnly = isReadOnly;
  // The bars are drawn anew with each state; the focus stays on the same control.
  const focused = document.activeElement?.closest('#bar') && document.activeElement.dataset.id;
  drawToolBar(menus?.toolBar?.controls || []);
  drawMenuBar(menus?.menu);
  if (focused) document.querySelector(`#bar [data-id="${CSS.escape(focused)}"]`)?.focus();
}

function drawToolBar(controls) {
  const items = controls.filter((control) => control.visible).map((control) => {
    let element;
    if (control.type === 'combo') {
      element = document.createElement('select');
      element.dataset.id = control.id;
      element.setAttribute('aria-label', caption(control) || 'Display');
      element.disabled = !control.enabled || readOnly;
      element.replaceChildren(...control.items.map((item) => new Option(item, item)));
      element.selectedIndex = control.listIndex - 1;
      element.addEventListener('change', () => commands.choose(control.id, element.selectedIndex + 1));
    } else if (control.type === 'popup') {
      element = controlButton(control, (event) => openMenu(control, event.currentTarget));
      element.setAttribute('aria-haspopup', 'menu');
    } else {
      element = controlButton(control, () => click(control.id));
    }
    if (control.beginGroup) element.classList.add('group');
    return element;
  });
  $('tool-bar').replaceChildren(...items);
}

function drawMenuBar(menu) {
  if (!menu) return $('menu-bar').replaceChildren();
  const button = controlButton(menu, (event) => openMenu(menu, event.currentTarget));
  button.id = 'main-menu';
  button.setAttribute('role', 'menuitem');
  button.setAttribute('aria-haspopup', 'menu');
  button.setAttribute('aria-expanded', 'false');
  button.removeAttribute('aria-pressed');
  $('menu-bar').replaceChildren(button);
}

function click(id) {
  closeMenus(true);
  return commands.click(id);
}

// A popup's items as a menu list; popups inside open beside it.
function menuList(popup, label) {
  const list = document.createElement('ul');
  list.className = 'menu';
  list.setAttribute('role', 'menu');
  list.setAttribute('aria-label', label);
  for (const item of popup.items.filter((entry) => entry.visible)) {
    const entry = document.createElement('li');
    entry.setAttribute('role', 'none');
    if (item.beginGroup) entry.classList.add('group');
    const button = controlButton(item, () => (item.type === 'popup' ? null : click(item.id)));
    button.tabIndex = -1;
    button.setAttribute('aria-disabled', String(button.disabled));
    button.removeAttribute('aria-pressed');
    button.setAttribute('role', item.pressed ? 'menuitemcheckbox' : 'menuitem');
    if (item.pressed) button.setAttribute('aria-checked', 'true');
    entry.append(button);
    if (item.type === 'popup') {
      button.classList.add('popup');
      button.setAttribute('aria-haspopup', 'menu');
      const open = () => {
        for (const other of list.querySelectorAll(':scope > li > ul')) other.remove();
        if (item.enabled) entry.append(menuList(item, caption(item)));
      };
      button.addEventListener('mouseenter', open);
      button.addEventListener('click', () => {
        open();
        entry.querySelector('ul button:enabled')?.focus();
      });
    }
    list.append(entry);
  }
  return list;
}

// Opens a popup below `anchor`, or at the point `at` (a context menu).
export function openMenu(popup, anchor, at) {
  closeMenus(false);
  opener = anchor || document.activeElement;
  anchor?.setAttribute('aria-expanded', 'true');
  const holder = $('context-menu');
  const list = menuList(popup, popup.caption ? caption(popup) : 'Context menu');
  const box = anchor ? anchor.getBoundingClientRect() : null;
  list.style.left = `${at ? at.x : box.left}px`;
  list.style.top = `${at ? at.y : box.bottom}px`;
  holder.replaceChildren(list);
  holder.hidden = false;
  list.querySelector('button:enabled')?.focus();
}

// `restore` gives the focus back to what opened the menu.
export function closeMenus(restore) {
  const holder = $('context-menu');
  if (holder.hidden) return;
  holder.hidden = true;
  holder.replaceChildren();
  if (opener?.hasAttribute('aria-expanded')) opener.setAttribute('aria-expanded', 'false');
  if (restore && opener?.isConnected) opener.focus();
}

// Arrow keys move among the enabled entries of the list that holds the focus.
function menuKey(event) {
  const current = event.target.closest('[role^="menuitem"]');
  const list = current?.closest('ul');
  if (!list) return;
  const entries = [...list.querySelectorAll(':scope > li > button:enabled')];
  const at = entries.indexOf(current);
  const moves = {ArrowDown: at + 1, ArrowUp: at - 1 + entries.length, Home: 0, End: entries.length - 1};
  if (event.key in moves) {
    entries[moves[event.key] % entries.length]?.focus();
  } else if (event.key === 'ArrowRight' && current.classList.contains('popup')) {
    current.click();
  } else if (event.key === 'ArrowLeft' && list.parentElement.closest('ul')) {
    list.previousElementSibling.focus();
    list.remove();
  } else if (event.key === 'Escape' || event.key === 'Tab') {
    closeMenus(true);
  } else {
    return;
  }
  event.preventDefault();
  event.stopPropagation();
}

$('context-menu').addEventListener('keydown', menuKey);
document.addEventListener('click', (event) => {
  if (!event.target.closest('#context-menu, #menu-bar, #tool-bar')) closeMenus(false);
});
document.addEventListener('keydown', (event) => {
  if (event.key === 'Escape') closeMenus(true);
});
