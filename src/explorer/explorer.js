// The explorer's behaviour: a search over every name and one sortable, filterable table per
// category. It reads the global that data/explorer-data.js assigns, so the page works opened
// from disk. What the page shows is kept in its address (#q=...&t=...), so that going back
// from a record's page returns to the same results and the same table.
(function () {
  'use strict';

  var RESULT_LIMIT = 50;  // search results shown
  var ROW_LIMIT = 1000;   // table rows shown before "Show all"

  var data = window.gvdeExplorerData;
  var byKey = {};
  var collator = new Intl.Collator('en', {numeric: true, sensitivity: 'base'});
  var $ = function (id) { return document.getElementById(id); };
  var search = $('search');
  var results = $('results');
  var found = [];     // the results shown: {table, row}
  var selected = 0;   // the result Enter opens
  var shown = null;   // the table on screen

  function escapeHtml(text) {
    return String(text).replace(/[&<>"]/g, function (c) {
      return {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'}[c];
    });
  }

  // Tables know their rows by number, which names appear more than once, and their names in
  // lower case for the search.
  function prepare(table) {
    var counts = {};
    byKey[table.key] = table;
    table.byNumber = {};
    table.lower = [];
    table.rows.forEach(function (row) {
      table.byNumber[row[0]] = row;
      table.lower.push(row[1].toLowerCase());
      counts[row[1]] = (counts[row[1]] || 0) + 1;
    });
    table.repeated = counts;
    table.sort = {column: 0, descending: false};
    table.filter = '';
    table.limit = ROW_LIMIT;
  }

  function pageOf(table, number) { return 'data/' + table.page + number + '.htm'; }

  // "Amulet (#12)" where another record of the table has the same name.
  function displayName(table, row) {
    if (row[1] === '') return '#' + row[0];
    return table.repeated[row[1]] > 1 ? row[1] + ' (#' + row[0] + ')' : row[1];
  }

  function cellText(table, column, value, row) {
    switch (column.kind) {
      case 'name': return displayName(table, row);
      case 'range':
        if (value[0] === value[1]) return value[0] === 0 ? '' : String(value[0]);
        return value[0] + '\u2013' + value[1];
      case 'record':
        if (value === null) return '';
        var other = byKey[column.table];
        var target = other && other.byNumber[value];
        return target ? displayName(other, target) : '#' + value;
      default: return String(value);
    }
  }

  function cellHtml(table, column, value, row) {
    var text = escapeHtml(cellText(table, column, value, row));
    if (column.kind === 'name') return '<td><a href="' + pageOf(table, row[0]) + '">' + text + '</a></td>';
    if (column.kind === 'record' && value !== null && byKey[column.table].byNumber[value]) {
      return '<td><a href="' + pageOf(byKey[column.table], value) + '">' + text + '</a></td>';
    }
    return '<td' + (column.kind === 'number' || column.kind === 'range' ? ' class="number"' : '') + '>' + text + '</td>';
  }

  // ---- The search ----

  function levelText(table, row) {
    var column = table.columns[table.levelColumn];
    return column.title.toLowerCase() + ' ' + cellText(table, column, row[table.levelColumn], row);
  }

  // The first RESULT_LIMIT names that start with the text, then those that hold it, each in
  // table order, and how many match in all.
  function findNames(text) {
    var starting = [];
    var holding = [];
    var count = 0;
    data.tables.forEach(function (table) {
      var lower = table.lower;
      for (var i = 0; i < lower.length; ++i) {
        var at = lower[i].indexOf(text);
        if (at < 0) continue;
        ++count;
        var list = at === 0 ? starting : holding;
        if (list.length < RESULT_LIMIT) list.push({table: table, row: table.rows[i]});
      }
    });
    return {hits: starting.concat(holding).slice(0, RESULT_LIMIT), count: count};
  }

  function showResults() {
    var text = search.value.trim().toLowerCase();
    var all = text === '' ? {hits: [], count: 0} : findNames(text);
    found = all.hits;
    selected = 0;
    $('result-count').textContent = text === '' ? '' :
        all.count === 0 ? 'No name holds \u201c' + search.value.trim() + '\u201d' :
        all.count + (all.count === 1 ? ' record' : ' records') +
        (all.count > found.length ? ', the first ' + found.length + ' shown' : '');
    results.innerHTML = found.map(function (hit, i) {
      return '<li role="option" id="result' + i + '" aria-selected="' + (i === 0) + '"><a href="' +
          pageOf(hit.table, hit.row[0]) + '">' + escapeHtml(displayName(hit.table, hit.row)) + '</a> <span class="kind">' +
          escapeHtml(hit.table.title + ', ' + levelText(hit.table, hit.row)) + '</span></li>';
    }).join('');
  }

  function select(index) {
    if (found.length === 0) return;
    selected = (index + found.length) % found.length;
    Array.prototype.forEach.call(results.children, function (li, i) {
      li.setAttribute('aria-selected', String(i === selected));
    });
    search.setAttribute('aria-activedescendant', 'result' + selected);
  }

  function onSearchKey(event) {
    if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      select(selected + (event.key === 'ArrowDown' ? 1 : -1));
      event.preventDefault();
    } else if (event.key === 'Enter' && found.length > 0) {
      window.location.assign(pageOf(found[selected].table, found[selected].row[0]));
      event.preventDefault();
    }
  }

  // ---- The tables ----

  function compareCells(kind, a, b) {
    if (kind === 'number') return a - b;
    if (kind === 'range') return a[0] - b[0] || a[1] - b[1];
    return collator.compare(a, b);
  }

  // The row order of the table's sort: equal cells keep the record order, in either direction.
  function sortedRows(table) {
    var index = table.sort.column;
    var column = table.columns[index];
    var byText = column.kind === 'name' || column.kind === 'record';
    var sign = table.sort.descending ? -1 : 1;
    var keyed = table.rows.map(function (row, i) {
      return {row: row, i: i, key: byText ? cellText(table, column, row[index], row) : row[index]};
    });
    keyed.sort(function (a, b) { return sign * compareCells(column.kind, a.key, b.key) || a.i - b.i; });
    return keyed.map(function (entry) { return entry.row; });
  }

  function rowText(table, row) {
    return table.columns.map(function (column, c) { return cellText(table, column, row[c], row); }).join('\n').toLowerCase();
  }

  function matchingRows(table) {
    var rows = table.sorted || (table.sorted = sortedRows(table));
    var filter = table.filter.trim().toLowerCase();
    if (filter === '') return rows;
    if (!table.texts) table.texts = new Map(table.rows.map(function (row) { return [row, rowText(table, row)]; }));
    return rows.filter(function (row) { return table.texts.get(row).indexOf(filter) >= 0; });
  }

  function renderHead(table) {
    return '<tr>' + table.columns.map(function (column, c) {
      var sort = table.sort.column !== c ? 'none' : table.sort.descending ? 'descending' : 'ascending';
      return '<th scope="col" aria-sort="' + sort + '"><button type="button" data-column="' + c + '">' +
          escapeHtml(column.title) + '</button></th>';
    }).join('') + '</tr>';
  }

  function renderTable(table) {
    var section = table.section;
    var rows = matchingRows(table);
    var visible = rows.slice(0, table.limit);
    section.querySelector('thead').innerHTML = renderHead(table);
    section.querySelector('tbody').innerHTML = visible.map(function (row) {
      return '<tr>' + table.columns.map(function (column, c) { return cellHtml(table, column, row[c], row); }).join('') + '</tr>';
    }).join('');
    section.querySelector('.count').textContent = visible.length < rows.length ?
        'The first ' + visible.length + ' of ' + rows.length + ' rows' : rows.length + (rows.length === 1 ? ' row' : ' rows');
    section.querySelector('.all').hidden = visible.length === rows.length;
  }

  function buildSection(table) {
    var section = document.createElement('section');
    var id = 'filter-' + table.key;
    section.id = 'table-' + table.key;
    section.hidden = true;
    section.innerHTML = '<h2>' + escapeHtml(table.title) + '</h2><label for="' + id + '">Filter ' +
        escapeHtml(table.title.toLowerCase()) + '</label><input id="' + id + '" class="filter" type="search" ' +
        'autocomplete="off" spellcheck="false" placeholder="Text in any column"><p class="count"></p>' +
        '<div class="scroll"><table><thead></thead><tbody></tbody></table></div>' +
        '<button type="button" class="all" hidden>Show all rows</button>';
    var filter = section.querySelector('.filter');
    filter.value = table.filter;
    filter.addEventListener('input', function () {
      table.filter = filter.value;
      renderTable(table);
      saveState();
    });
    section.querySelector('thead').addEventListener('click', function (event) {
      var button = event.target.closest('[data-column]');
      if (!button) return;
      var c = Number(button.getAttribute('data-column'));
      table.sort = {column: c, descending: table.sort.column === c && !table.sort.descending};
      table.sorted = null;
      renderTable(table);
      saveState();
    });
    section.querySelector('.all').addEventListener('click', function () {
      table.limit = Infinity;
      renderTable(table);
    });
    table.section = section;
    $('tables').appendChild(section);
  }

  function showTable(table) {
    if (shown) shown.section.hidden = true;
    if (!table.section) buildSection(table);
    shown = table;
    renderTable(table);
    table.section.hidden = false;
    Array.prototype.forEach.call($('tabs').children, function (button) {
      button.setAttribute('aria-pressed', String(button.getAttribute('data-table') === table.key));
    });
  }

  // ---- What the address keeps ----

  function saveState() {
    var state = new URLSearchParams();
    if (search.value !== '') state.set('q', search.value);
    state.set('t', shown.key);
    state.set('s', shown.sort.column + (shown.sort.descending ? 'd' : 'a'));
    if (shown.filter !== '') state.set('f', shown.filter);
    history.replaceState(null, '', '#' + state.toString());
  }

  function loadState() {
    var state = new URLSearchParams(window.location.hash.slice(1));
    var table = byKey[state.get('t')] || data.tables[0];
    var sort = /^(\d+)([ad])$/.exec(state.get('s') || '');
    if (sort && Number(sort[1]) < table.columns.length) {
      table.sort = {column: Number(sort[1]), descending: sort[2] === 'd'};
    }
    table.filter = state.get('f') || '';
    search.value = state.get('q') || '';
    return table;
  }

  function start() {
    if (!data) {
      $('result-count').textContent = 'data/explorer-data.js is missing: write the site again with --explorer.';
      return;
    }
    $('game-title').textContent = 'Correct for ' + data.title;
    data.tables.forEach(prepare);
    $('tabs').innerHTML = data.tables.map(function (table) {
      return '<button type="button" data-table="' + table.key + '">' + escapeHtml(table.title) + '</button>';
    }).join('');
    $('tabs').addEventListener('click', function (event) {
      var button = event.target.closest('[data-table]');
      if (!button) return;
      showTable(byKey[button.getAttribute('data-table')]);
      saveState();
    });
    search.addEventListener('input', function () {
      showResults();
      saveState();
    });
    search.addEventListener('keydown', onSearchKey);
    showTable(loadState());
    showResults();
  }

  start();
})();
