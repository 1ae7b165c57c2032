'use strict';
// The workbench page: every request carries the token of the URL it was opened with.
const token = new URLSearchParams(location.search).get('token') || '';
const $ = (id) => document.getElementById(id);
const state = { info: {}, tables: [], table: null, where: '', order: '', desc: false, offset: 0, limit: 50, total: 0 };

async function call(method, path, body) {
  const response = await fetch(path, {
    method,
    headers: Object.assign({ 'X-Vexa-Token': token }, body ? { 'Content-Type': 'application/json' } : {}),
    body: body ? JSON.stringify(body) : undefined,
  });
  const answer = await response.json();
  if (!response.ok) throw new Error(answer.error || response.statusText);
  return answer;
}
const get = (path, params) => call('GET', path + (params ? '?' + new URLSearchParams(params) : ''));
const post = (path, body) => call('POST', path, body || {});

function show(text, info) {
  const message = $('message');
  message.textContent = text;
  message.className = info ? 'info' : '';
  message.hidden = !text;
}

function cell(row, text, className) {
  const td = row.insertCell();
  td.textContent = text;
  if (className) td.className = className;
  return td;
}

function fillGrid(grid, headers, rows) {
  const head = grid.tHead, body = grid.tBodies[0];
  head.innerHTML = '';
  body.innerHTML = '';
  const tr = head.insertRow();
  headers.forEach((h) => { const th = document.createElement('th'); th.textContent = h; tr.appendChild(th); });
  rows.forEach((r) => { const row = body.insertRow(); r.forEach((c) => cell(row, c)); });
}

async function refreshInfo() {
  state.info = await get('/api/info');
  $('file').textContent = state.info.file + ' (' + state.info.version + ')';
  $('readonly').hidden = !state.info.readOnly;
  $('unsaved').hidden = !state.info.unsaved;
  $('compare-second').hidden = !state.info.second;
  $('save').disabled = $('undo').disabled = $('add-row').disabled = state.info.readOnly;
}

async function refreshTables() {
  state.tables = await get('/api/tables');
  const body = $('tables').tBodies[0];
  body.innerHTML = '';
  state.tables.forEach((t) => {
    const row = body.insertRow();
    row.dataset.table = t.name;
    row.className = (t.unsaved ? 'unsaved ' : '') + (t.name === state.table ? 'picked' : '');
    cell(row, t.name);
    cell(row, t.rows);
    row.onclick = () => openTable(t.name);
  });
}

async function refresh() {
  await Promise.all([refreshInfo(), refreshTables()]);
  if (state.table) await loadPage();
}

function openTable(name, where = '') {
  Object.assign(state, { table: name, where, order: '', desc: false, offset: 0 });
  $('where').value = where;
  showView('table');
  refreshTables();
  loadPage().catch((e) => show(e.message));
}

async function loadPage() {
  const page = await get('/api/page', { table: state.table, where: state.where, order: state.order,
                                        desc: state.desc ? 1 : 0, offset: state.offset, limit: state.limit });
  state.total = page.total;
  state.page = page;
  $('table-name').textContent = page.table;
  const head = $('grid').tHead, body = $('grid').tBodies[0];
  head.innerHTML = '';
  body.innerHTML = '';
  const tr = head.insertRow();
  ['', 'State'].concat(page.columns).forEach((name, i) => {
    const th = document.createElement('th');
    th.textContent = name;
    if (i >= 2) {
      th.dataset.column = name;
      th.appendChild(document.createElement('br'));
      const type = document.createElement('small');
      type.textContent = page.types[i - 2] + (state.order === name ? (state.desc ? ' ▼' : ' ▲') : '');
      th.appendChild(type);
      th.onclick = () => sortBy(name);
    }
    tr.appendChild(th);
  });
  page.rows.forEach((r) => {
    const row = body.insertRow();
    row.className = r.state;
    row.dataset.id = r.id;
    const actions = row.insertCell();
    if (r.state !== 'Deleted' && !state.info.readOnly) {
      const remove = document.createElement('button');
      remove.textContent = '✕';
      remove.title = 'Delete this row';
      remove.className = 'delete';
      remove.onclick = () => change('/api/delete', { table: state.table, id: r.id });
      actions.appendChild(remove);
    }
    cell(row, r.state, 'state');
    r.cells.forEach((text, column) => {
      const td = cell(row, text);
      td.dataset.column = column;
      td.ondblclick = () => editCell(td, r, column);
    });
  });
  const last = Math.min(state.offset + page.rows.length, state.total);
  $('page-info').textContent = (state.total ? state.offset + 1 : 0) + '–' + last + ' of ' + state.total;
  $('prev').disabled = state.offset === 0;
  $('next').disabled = last >= state.total;
}

function sortBy(column) {
  state.desc = state.order === column ? !state.desc : false;
  state.order = column;
  state.offset = 0;
  loadPage().catch((e) => show(e.message));
}

// The file's lines hold Windows-1252 text without line breaks and "|" separates cells:
// refused here already, and again by the server.
function unstorable(text) {
  if (/[\r\n]/.test(text)) return 'a line break cannot be stored in a cell';
  if (text.includes('|')) return '"|" separates cells and cannot be stored in one';
  const extra = '€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ';
  for (const c of text)
    if (c.codePointAt(0) > 0xff && !extra.includes(c)) return 'the character ' + c + ' is not in Windows-1252, the file\'s character set';
  return '';
}

function editCell(td, row, column) {
  if (state.info.readOnly || row.state === 'Deleted' || td.querySelector('input')) return;
  const input = document.createElement('input');
  input.value = td.textContent;
  input.size = Math.max(8, input.value.length + 2);
  td.textContent = '';
  td.appendChild(input);
  input.focus();
  input.onkeydown = async (event) => {
    if (event.key === 'Escape') return loadPage();
    if (event.key !== 'Enter') return;
    const why = unstorable(input.value);
    if (why) { input.className = 'refused'; input.title = why; return show(why); }
    await change('/api/edit', { table: state.table, id: row.id, column, value: input.value });
  };
}

async function change(path, body) {
  try {
    const answer = await post(path, body);
    show('');
    await refresh();
    return answer;
  } catch (e) {
    show(e.message);
  }
}

function showView(name) {
  ['table', 'query', 'compare', 'sets', 'logs'].forEach((view) => {
    $('view-' + view).hidden = view !== name;
    $('tab-' + view).classList.toggle('active', view === name);
  });
}

const history = [];
async function runStatement() {
  const statement = $('statement').value.trim();
  if (!statement) return;
  if (history[0] !== statement) {
    history.unshift(statement);
    const item = document.createElement('li');
    item.textContent = statement;
    item.onclick = () => { $('statement').value = statement; };
    $('history').prepend(item);
  }
  try {
    const answer = await post('/api/query', { statement });
    $('query-error').hidden = !answer.error;
    $('query-error').textContent = answer.error || '';
    $('query-status').textContent = answer.error ? '' : answer.rows.length + ' row(s), ' + answer.status;
    fillGrid($('results'), answer.columns || [], answer.rows || []);
    await refresh();
  } catch (e) {
    $('query-error').hidden = false;
    $('query-error').textContent = e.message;
  }
}

async function compare(against) {
  try {
    const answer = await get('/api/compare', { against });
    $('compare-title').textContent = answer.from + ' → ' + answer.to + ': ' +
        (answer.changes.length ? answer.changes.length + ' change(s)' : 'no difference');
    const box = $('changes');
    box.innerHTML = '';
    const byTable = {};
    answer.changes.forEach((c) => (byTable[c.table] = byTable[c.table] || []).push(c));
    Object.keys(byTable).forEach((table) => {
      const title = document.createElement('h3');
      title.textContent = table;
      box.appendChild(title);
      const grid = document.createElement('table');
      grid.className = 'grid changes';
      grid.dataset.table = table;
      const head = grid.createTHead().insertRow();
      ['Change', 'Row', 'Column', 'Before', 'After'].forEach((h) => { const th = document.createElement('th'); th.textContent = h; head.appendChild(th); });
      const body = grid.createTBody();
      byTable[table].forEach((c) => {
        if (c.change === 'changed') {
          Object.entries(c.cells).forEach(([column, values]) => {
            const row = body.insertRow();
            row.className = 'changed';
            [c.change, c.key, column].forEach((t) => cell(row, t));
            cell(row, values.from, 'changed');
            cell(row, values.to, 'changed');
          });
        } else {
          const row = body.insertRow();
          row.className = c.change.replace(' ', '-');
          const text = c.row ? Object.values(c.row).join('|') : '';
          const before = c.change === 'removed' ? text : (c.from || '');
          const after = c.change === 'added' ? text : (c.to || '');
          [c.change, '', '', before, after].forEach((t) => cell(row, t));
        }
      });
      box.appendChild(grid);
    });
  } catch (e) {
    show(e.message);
  }
}

// The sets are the rows of ParameterDefaultsState; a set's defaults are the rows of
// ParameterDefaults that name it.
async function showSets() {
  const answer = await post('/api/query', { statement: 'select * from ParameterDefaultsState' });
  if (answer.error) return show(answer.error);
  fillGrid($('sets'), answer.columns, answer.rows);
  Array.from($('sets').tBodies[0].rows).forEach((row, i) => {
    // One page load, already filtered: two loads in flight could end in either order.
    row.onclick = () => openTable('ParameterDefaults', "ParameterDefaults = '" + answer.rows[i][0].replace(/'/g, "''") + "'");
  });
}

// IRIG time "DDD:HH:MM:SS.mmm" in seconds; NaN for anything else.
function irigSeconds(text) {
  const m = /^\s*(\d{1,3}):(\d{1,2}):(\d{1,2}):(\d{1,2}(?:\.\d*)?)\s*$/.exec(text || '');
  return m ? ((+m[1] * 24 + +m[2]) * 60 + +m[3]) * 60 + +m[4] : NaN;
}
function irigText(seconds) {
  const day = Math.floor(seconds / 86400), rest = seconds - day * 86400;
  const two = (n) => String(Math.floor(n)).padStart(2, '0');
  return String(day).padStart(3, '0') + ':' + two(rest / 3600) + ':' + two((rest % 3600) / 60) + ':' + two(rest % 60);
}

// One lane per log with a Time (a mark) or StartTime and StopTime (a span).
async function showLogs() {
  const lanes = [];
  for (const t of state.tables.filter((t) => /Log$/.test(t.name) && t.rows > 0)) {
    const at = t.columns.indexOf('Time'), start = t.columns.indexOf('StartTime'), stop = t.columns.indexOf('StopTime');
    if (at < 0 && start < 0) continue;
    const answer = await post('/api/query', { statement: 'select * from ' + t.name });
    const marks = (answer.rows || []).map((cells) => ({
      from: irigSeconds(cells[at >= 0 ? at : start]), to: stop >= 0 ? irigSeconds(cells[stop]) : NaN,
      title: t.columns.map((c, i) => c + ' = ' + cells[i]).join('\n') })).filter((m) => !isNaN(m.from));
    if (marks.length) lanes.push({ name: t.name, marks });
  }
  const box = $('timeline');
  box.innerHTML = '';
  if (!lanes.length) return (box.textContent = 'No log holds a row with an IRIG time.');
  const times = lanes.flatMap((l) => l.marks.flatMap((m) => [m.from, isNaN(m.to) ? m.from : m.to]));
  const low = Math.min(...times), high = Math.max(...times), span = Math.max(high - low, 1);
  const width = 640, left = 180, laneHeight = 28;
  const svgNs = 'http://www.w3.org/2000/svg';
  const svg = document.createElementNS(svgNs, 'svg');
  svg.setAttribute('width', left + width + 40);
  svg.setAttribute('height', (lanes.length + 1) * laneHeight + 20);
  const add = (name, attributes, text) => {
    const node = document.createElementNS(svgNs, name);
    Object.entries(attributes).forEach(([k, v]) => node.setAttribute(k, v));
    if (text !== undefined) node.textContent = text;
    return svg.appendChild(node);
  };
  const x = (seconds) => left + ((seconds - low) / span) * width;
  lanes.forEach((lane, i) => {
    const y = i * laneHeight + 20;
    add('text', { x: 0, y: y + 5 }, lane.name);
    add('line', { x1: left, x2: left + width, y1: y, y2: y, stroke: '#ccc' });
    lane.marks.forEach((m) => {
      const mark = isNaN(m.to)
        ? add('circle', { cx: x(m.from), cy: y, r: 5, fill: '#c40', class: 'mark' })
        : add('rect', { x: x(m.from), y: y - 5, width: Math.max(2, x(m.to) - x(m.from)), height: 10, fill: '#48c', class: 'mark' });
      mark.appendChild(document.createElementNS(svgNs, 'title')).textContent = m.title;
    });
  });
  const axis = lanes.length * laneHeight + 20;
  [0, 0.25, 0.5, 0.75, 1].forEach((f) => add('text', { x: left + f * width - 40, y: axis }, irigText(low + f * span)));
  box.appendChild(svg);
}

$('tab-table').onclick = () => showView('table');
$('tab-query').onclick = () => showView('query');
$('tab-compare').onclick = () => { showView('compare'); compare('saved'); };
$('tab-sets').onclick = () => { showView('sets'); showSets().catch((e) => show(e.message)); };
$('tab-logs').onclick = () => { showView('logs'); showLogs().catch((e) => show(e.message)); };
$('compare-saved').onclick = () => compare('saved');
$('compare-second').onclick = () => compare('second');
$('filter').onsubmit = (event) => {
  event.preventDefault();
  state.where = $('where').value.trim();
  state.offset = 0;
  loadPage().then(() => show('')).catch((e) => show(e.message));
};
$('prev').onclick = () => { state.offset = Math.max(0, state.offset - state.limit); loadPage(); };
$('next').onclick = () => { state.offset += state.limit; loadPage(); };
$('add-row').onclick = async () => {
  if (!state.table) return;
  const answer = await change('/api/add', { table: state.table, cells: [] });
  if (answer) show('added row ' + answer.id + ' at the end of the table', true);
};
$('undo').onclick = () => change('/api/undo');
$('save').onclick = async () => { if (await change('/api/save')) show('saved ' + state.info.file, true); };
$('run').onclick = runStatement;
$('statement').onkeydown = (event) => { if (event.key === 'Enter' && (event.ctrlKey || event.metaKey)) runStatement(); };
refresh().catch((e) => show(e.message));
