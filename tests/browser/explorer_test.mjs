// The explorer page of `gvde-cli --explorer`, opened from disk in the system's Chromium: the
// search, opening a record and coming back, sorting and filtering, all checked against the
// data document of the same run, and no console error on the way.
//
//   GVDE_SITE=site GVDE_JSON=data.json node explorer_test.mjs
// Optional: GVDE_LARGE_SITE and GVDE_LARGE_JSON (a larger demo: sizes and keystroke time are
// printed), GVDE_SCREENSHOT (a picture of the page to write), GVDE_CHROMIUM (the browser).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const env = process.env;
const siteDir = env.GVDE_SITE;
const dataDocument = JSON.parse(fs.readFileSync(env.GVDE_JSON, 'utf8'));
const explorerUrl = (dir) => pathToFileURL(path.join(dir, 'explorer.htm')).href;

const TABLES = [
  ['items', 'Items', 'i', 'level', 'level'], ['uniques', 'Uniques', 'u', 'level', 'level'],
  ['monsters', 'Monsters', 'm', 'monsterLevel', 'level'], ['bosses', 'Bosses', 'b', 'dungeonLevel', 'dungeon level'],
  ['prefixes', 'Prefixes', 'p', 'level', 'level'], ['suffixes', 'Suffixes', 's', 'level', 'level'],
].map(([key, title, page, levelKey, levelName]) => ({key, title, page, levelKey, levelName}));

// How the page names a record: with its number where its table has another of the same name.
function displayName(records, record) {
  if (record.name === '') return `#${record.number}`;
  const same = records.filter((r) => r.name === record.name).length;
  return same > 1 ? `${record.name} (#${record.number})` : record.name;
}

// The search results the data document calls for: names that start with the text, then names
// that hold it, each in table order; each with the text its line shows.
function expectedHits(text) {
  const starting = [];
  const holding = [];
  for (const table of TABLES) {
    const records = dataDocument[table.key];
    for (const record of records) {
      const at = record.name.toLowerCase().indexOf(text.toLowerCase());
      const line = `${displayName(records, record)} ${table.title}, ${table.levelName} ${record[table.levelKey]}`;
      if (at === 0) starting.push({line, table, record});
      else if (at > 0) holding.push({line, table, record});
    }
  }
  return starting.concat(holding);
}
const expectedResults = (text) => expectedHits(text).map((hit) => hit.line);

let browser;
let page;
let profile;
const consoleErrors = [];

async function launch() {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gvde-chromium-'));
  return puppeteer.launch({
    executablePath: env.GVDE_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

async function openPage(url) {
  const p = await browser.newPage();
  p.on('console', (message) => {
    if (message.type() === 'error') consoleErrors.push(`${message.text()} (${p.url()})`);
  });
  p.on('pageerror', (error) => consoleErrors.push(`${error.message} (${p.url()})`));
  p.on('requestfailed', (request) => consoleErrors.push(`cannot load ${request.url()}`));
  await p.setViewport({width: 1100, height: 900});
  await p.goto(url, {waitUntil: 'load'});
  return p;
}

async function typeSearch(text) {
  await page.click('#search', {clickCount: 3});
  await page.keyboard.press('Backspace');
  await page.type('#search', text);
}

const resultTexts = () => page.$$eval('#results li', (items) => items.map((li) => li.textContent));

// The "#" column and another column of the table on screen, row by row.
async function columnPairs(title) {
  return page.evaluate((wanted) => {
    const section = [...document.querySelectorAll('#tables section')].find((s) => !s.hidden);
    const titles = [...section.querySelectorAll('thead th')].map((th) => th.textContent);
    const column = titles.indexOf(wanted);
    return [...section.querySelectorAll('tbody tr')].map((tr) => [Number(tr.cells[0].textContent), tr.cells[column].textContent]);
  }, title);
}

// The heading's aria-sort: "ascending", "descending" or "none".
async function sortOf(title) {
  const [button] = await page.$$(`xpath/.//section[not(@hidden)]//th/button[text()="${title}"]`);
  return button.evaluate((b) => b.parentElement.getAttribute('aria-sort'));
}

async function clickHeading(title) {
  const [button] = await page.$$(`xpath/.//section[not(@hidden)]//th/button[text()="${title}"]`);
  assert.ok(button, `no heading ${title}`);
  await button.click();
}

before(async () => {
  browser = await launch();
  page = await openPage(explorerUrl(siteDir));
});

after(async () => {
  await browser?.close();
  if (profile) fs.rmSync(profile, {recursive: true, force: true});
});

describe('explorer of the demo site', () => {
  test('page declares its charset, title and viewport', async () => {
    assert.equal(await page.evaluate(() => document.characterSet), 'UTF-8');
    assert.equal(await page.title(), 'Grimveil explorer');
    assert.match(await page.$eval('meta[name=viewport]', (m) => m.content), /width=device-width/);
    assert.equal(await page.$eval('#game-title', (p) => p.textContent), `Correct for ${dataDocument.title}`);
  });

  test('search lists the matching records of every category with category and level', async () => {
    for (const text of ['rin', 'RING', 'a', 'ébony', '<cursed', '&str']) {
      await typeSearch(text);
      const expected = expectedResults(text);
      assert.ok(expected.length > 0, text);
      assert.deepEqual(await resultTexts(), expected.slice(0, 50), text);
      assert.match(await page.$eval('#result-count', (p) => p.textContent), new RegExp(`^${expected.length} record`));
    }
    await typeSearch('no such name at all');
    assert.deepEqual(await resultTexts(), []);
  });

  test('Enter opens the first result in the same window and Back returns to it', async () => {
    await typeSearch('amu');
    const {table, record} = expectedHits('amu')[0];
    await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
    assert.ok(page.url().endsWith(`/data/${table.page}${record.number}.htm`), page.url());
    assert.ok((await page.$eval('h3', (h) => h.textContent)).startsWith(`${record.number}: ${record.name}`));
    await Promise.all([page.waitForNavigation(), page.goBack()]);
    assert.equal(await page.$eval('#search', (input) => input.value), 'amu');
    assert.deepEqual(await resultTexts(), expectedResults('amu'));
  });

  test('a click on a result opens its page', async () => {
    await typeSearch('gloom');
    const links = await page.$$('#results a');
    const target = await links[links.length - 1].evaluate((a) => a.getAttribute('href'));
    await Promise.all([page.waitForNavigation(), links[links.length - 1].click()]);
    assert.ok(page.url().endsWith(target), page.url());
    assert.ok(await page.$('h3'));
    await Promise.all([page.waitForNavigation(), page.goBack()]);
  });

  test('items sort by price both ways, as the data document orders them', async () => {
    await page.click('#tabs button[data-table="items"]');
    const byPrice = (sign) => [...dataDocument.items]
        .sort((a, b) => sign * (a.price - b.price) || a.number - b.number)
        .map((r) => [r.number, String(r.price)]);
    await clickHeading('Price');
    assert.equal(await sortOf('Price'), 'ascending');
    assert.deepEqual(await columnPairs('Price'), byPrice(1));
    await clickHeading('Price');
    assert.equal(await sortOf('Price'), 'descending');
    assert.deepEqual(await columnPairs('Price'), byPrice(-1));
    // The order is kept in the address, so Back from a record's page finds it again.
    assert.match(page.url(), /[#&]s=6d/);
  });

  test('monster levels sort as numbers', async () => {
    await page.click('#tabs button[data-table="monsters"]');
    await clickHeading('Level');
    const levels = (await columnPairs('Level')).map(([, level]) => Number(level));
    assert.deepEqual(levels, dataDocument.monsters.map((m) => m.monsterLevel).sort((a, b) => a - b));
  });

  test('the filter keeps the rows that hold its text in any column', async () => {
    await page.click('#tabs button[data-table="uniques"]');
    await page.type('#filter-uniques', 'Fang');
    const expected = dataDocument.uniques.filter((u) => u.name.includes('Fang') ||
        (u.baseItem !== null && dataDocument.items[u.baseItem].name.includes('Fang')) ||
        u.effects.some((e) => e.text && e.text.includes('Fang')));
    assert.ok(expected.length > 0);
    assert.deepEqual((await columnPairs('Name')).map(([n]) => n), expected.map((u) => u.number));
  });

  test('a base item links to its own page', async () => {
    await page.click('#filter-uniques', {clickCount: 3});
    await page.keyboard.press('Backspace');
    const links = await page.$$eval('#table-uniques tbody tr', (rows) =>
      rows.map((tr) => [Number(tr.cells[0].textContent), tr.cells[3].querySelector('a')?.getAttribute('href') ?? null]));
    assert.equal(links.length, dataDocument.uniques.length);
    for (const [number, href] of links) {
      const base = dataDocument.uniques[number].baseItem;
      assert.equal(href, base === null ? null : `data/i${base}.htm`, `unique ${number}`);
    }
  });

  test('no console errors', () => {
    assert.deepEqual(consoleErrors, []);
  });
});

describe('explorer of the large demo', {skip: !env.GVDE_LARGE_SITE}, () => {
  test('its data stays under three times the data document, and a keystroke is answered', async () => {
    const dataBytes = fs.statSync(path.join(env.GVDE_LARGE_SITE, 'data', 'explorer-data.js')).size;
    const documentBytes = fs.statSync(env.GVDE_LARGE_JSON).size;
    console.log(`explorer data ${dataBytes} bytes, data document ${documentBytes} bytes ` +
                `(${(dataBytes / documentBytes).toFixed(3)} of it)`);
    assert.ok(dataBytes < 3 * documentBytes);

    const large = await openPage(explorerUrl(env.GVDE_LARGE_SITE));
    const records = await large.evaluate(() => window.gvdeExplorerData.tables.reduce((n, t) => n + t.rows.length, 0));
    // From the keystroke's input event to the results being in the page, and to the next frame
    // drawn with them.
    const handled = [];
    const drawn = [];
    for (const text of ['e', 'ex', 'a', 'am', 'amu', 'amul', 'r', 'ri', 'rin', 'ring']) {
      const [inPage, onScreen] = await large.evaluate(async (value) => {
        const input = document.getElementById('search');
        const start = performance.now();
        input.value = value;
        input.dispatchEvent(new Event('input'));
        const done = performance.now();
        await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
        return [done - start, performance.now() - start];
      }, text);
      handled.push(inPage);
      drawn.push(onScreen);
    }
    const median = (times) => times.sort((a, b) => a - b)[times.length >> 1].toFixed(1);
    const slowest = (times) => Math.max(...times).toFixed(1);
    console.log(`keystroke over ${records} records, median (slowest): results in the page ` +
                `${median(handled)} ms (${slowest(handled)}), drawn ${median(drawn)} ms (${slowest(drawn)})`);
    assert.ok((await large.$$('#results li')).length > 0);
    await large.close();
    assert.deepEqual(consoleErrors, []);
  });
});

describe('screenshot', {skip: !env.GVDE_SCREENSHOT}, () => {
  test('search results and a sorted table', async () => {
    const shot = await openPage(explorerUrl(siteDir));
    await shot.setViewport({width: 1000, height: 760});
    await shot.type('#search', 'amu');
    for (let click = 0; click < 2; ++click) {
      const [price] = await shot.$$('xpath/.//section[not(@hidden)]//th/button[text()="Price"]');
      await price.click();
    }
    await shot.screenshot({path: env.GVDE_SCREENSHOT});
    await shot.close();
  });
});
