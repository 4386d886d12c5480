'use strict';
// The generated grammars, run through VS Code's tokenizer on the built-in
// example, the tutorial's pair and a file of the reader's corner cases.
// Environment: SC_PROGRAM (scenario-compiler), SC_WRITE_EDITOR_FILES, SC_EDITORS_DIR,
// SC_DOCS_DIR.
const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { loadGrammar, scopesOf } = require('./grammar');

const env = (name) => {
  const value = process.env[name];
  assert.ok(value, `${name} is not set: run these tests through ctest`);
  return value;
};
const syntaxes = () => path.join(env('SC_EDITORS_DIR'), 'vscode', 'syntaxes');

const KEYWORD = /^keyword\.other\.[a-z0-9-]+\.scenario$/;
const NUMBER = /^constant\.numeric\.scenario$/;
const SECTION = /^entity\.name\.section\.scenario$/;
const NOTE = /^comment\.line\.note\.scenario$/;
const TEXT = /^string\.(?:unquoted|quoted\.double)\.scenario$/;

// What each field of a plain file should get, found by splitting the line
// at commas: the first field is a keyword, numbers are numbers, any other
// field is a text; a line that begins with "-" is a note, with "[" a section.
function expectedRanges(line) {
  const first = line.search(/\S/);
  if (first < 0) return [];
  const end = line.indexOf(',') < 0 ? line.length : line.indexOf(',');
  if (line[first] === '-') return [{ start: first, end: line.slice(0, end).trimEnd().length, want: NOTE }];
  if (line[first] === '[') return [{ start: first, end: line.indexOf(']') + 1, want: SECTION }];
  const ranges = [];
  let offset = 0;
  line.split(',').forEach((field, i) => {
    const words = [...field.matchAll(/\S+/g)];
    if (words.length > 0) {
      const start = offset + words[0].index;
      const last = words[words.length - 1];
      const fieldEnd = offset + last.index + last[0].length;
      if (i === 0) ranges.push({ start, end: fieldEnd, want: KEYWORD });
      else if (words.every((w) => /^[+-]?\d+$/.test(w[0]))) {
        for (const w of words) ranges.push({ start: offset + w.index, end: offset + w.index + w[0].length, want: NUMBER });
      } else ranges.push({ start, end: fieldEnd, want: TEXT });
    }
    offset += field.length + 1;
  });
  return ranges;
}

// Every character of a range carries the wanted scope.
function misses(grammar, text, rangesOf) {
  const found = [];
  scopesOf(grammar, text).forEach(({ line, perChar }, n) => {
    for (const { start, end, want } of rangesOf(line)) {
      for (let i = start; i < end; i++) {
        if (!(perChar[i] || []).some((s) => want.test(s))) {
          found.push(`line ${n + 1} "${line}": "${line.slice(start, end)}" is not ${want} (column ${i + 1} has ${perChar[i]})`);
          break;
        }
      }
    }
  });
  return found;
}

function fencedBlock(markdown, info) {
  const start = markdown.indexOf('```' + info + '\n');
  assert.ok(start >= 0, `no block ${info}`);
  const body = start + info.length + 4;
  return markdown.slice(body, markdown.indexOf('```', body));
}

async function assertAllScoped(kind, text) {
  const grammar = await loadGrammar(syntaxes(), kind);
  assert.deepStrictEqual(misses(grammar, text, expectedRanges), []);
}

test('the built-in example: every keyword, section and number gets its scope', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sc-grammar-'));
  const run = childProcess.spawnSync(env('SC_PROGRAM'), ['example', dir], { timeout: 30000, encoding: 'utf8' });
  assert.strictEqual(run.status, 0, run.stderr);
  const names = fs.readdirSync(dir);
  const lineFile = names.find((n) => n.endsWith('_linea.txt'));
  const trainFile = names.find((n) => n.endsWith('-.txt'));
  await assertAllScoped('line', fs.readFileSync(path.join(dir, lineFile), 'latin1'));
  await assertAllScoped('train', fs.readFileSync(path.join(dir, trainFile), 'latin1'));
});

test("the tutorial's pair: keywords, sections, numbers and texts", async () => {
  const tutorial = fs.readFileSync(path.join(env('SC_DOCS_DIR'), 'tutorial.md'), 'utf8');
  await assertAllScoped('line', fencedBlock(tutorial, 'line-file ok tutorial'));
  await assertAllScoped('train', fencedBlock(tutorial, 'train-file ok tutorial'));
});

// [line, field, wanted scope or null for "no keyword"]: the reader's rules
// an editor must follow.
const CORNER_CASES = [
  ['Lunghezza Percorso, 12000', 'Lunghezza Percorso', KEYWORD],
  ['Progressiva chilometrica uno, 0, 0, 0', 'Progressiva chilometrica uno', null],
  ['progressiva chilometrica uno, 0, 0, 0', 'progressiva chilometrica uno', /^keyword\.other\.kilometre-reference\./],
  ['ripetizione segnali 4 codici, 0, 0', 'ripetizione segnali 4 codici', /^keyword\.other\.signal-repetition\./],
  ['-- a note in the header', '-- a note in the header', NOTE],
  ['[Pendenze]', '[Pendenze]', SECTION],
  ['PENDENZA forte, 0, 5', 'PENDENZA forte', /^keyword\.other\.gradient\./],
  ['-pendenza, 1200, -5', '-pendenza', NOTE],
  ['-pendenza, 1200, -5', '-5', NUMBER],
  ['pendenza, 1000, 0 -- level again', '-- level again', NOTE],
  ['sfondo uno, 0', 'sfondo uno', null],
  ['pendenza-max, 3, 0', 'pendenza-max', null],
  ['curvas6, 100, 50', 'curvas6', /^keyword\.other\.curve\./],
  ['indicatore cartello, 5900, "Galleria, Valmora"', '"Galleria, Valmora"', /^string\.quoted\.double\./],
  ['indicatore cartello, 5900, Galleria Valmora', 'Galleria Valmora', /^string\.unquoted\./],
];

test("the reader's corner cases: case rules, the header, hyphens, notes and texts", async () => {
  const grammar = await loadGrammar(syntaxes(), 'line');
  // The header rows stand between "[generale]" and "[Pendenze]".
  const text = ['[generale]', ...CORNER_CASES.map(([line]) => line), '[fine]'].join('\n');
  const failures = [];
  scopesOf(grammar, text).forEach(({ line, perChar }, n) => {
    if (n === 0 || n > CORNER_CASES.length) return;
    const [, field, want] = CORNER_CASES[n - 1];
    const start = line.indexOf(field);
    const scopes = perChar.slice(start, start + field.length);
    const ok = want
      ? scopes.every((s) => (s || []).some((x) => want.test(x)))
      : scopes.every((s) => !(s || []).some((x) => KEYWORD.test(x)));
    if (!ok) failures.push(`"${line}": "${field}" should ${want ? `be ${want}` : 'be no keyword'}, has ${scopes[0]}`);
  });
  assert.deepStrictEqual(failures, []);
});

test('a kind added to the table is coloured with no other change', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sc-grammar-extra-'));
  const spec = 'train,rows,frana,,any,landslide';
  const run = childProcess.spawnSync(env('SC_WRITE_EDITOR_FILES'), [dir, '--extra-kind', spec], { timeout: 30000, encoding: 'utf8' });
  assert.strictEqual(run.status, 0, run.stderr);
  const text = '[generale]\nFrana grande, 100\n';
  const scopeOfField = async (syntaxDir) => {
    const grammar = await loadGrammar(syntaxDir, 'train');
    return scopesOf(grammar, text)[1].perChar[0];
  };
  assert.ok((await scopeOfField(path.join(dir, 'vscode', 'syntaxes'))).includes('keyword.other.landslide.scenario'));
  assert.ok(!(await scopeOfField(syntaxes())).some((s) => KEYWORD.test(s)));
});

test('what stands before "[generale]" is ignored, in both files', async () => {
  for (const kind of ['line', 'train']) {
    const grammar = await loadGrammar(syntaxes(), kind);
    const lines = scopesOf(grammar, 'pendenza, 0, 5\nstazione, 0\n[Generale]\npendenza, 0, 5\nstazione, 0\n');
    for (const n of [0, 1]) {
      assert.ok(lines[n].perChar.every((s) => s.includes('comment.block.ignored.scenario')), `${kind}: ${lines[n].line}`);
    }
    assert.ok(lines[2].perChar.every((s) => s.some((x) => SECTION.test(x))), `${kind}: [Generale]`);
    assert.ok(!lines[3].perChar.some((s) => s.includes('comment.block.ignored.scenario')), `${kind}: after it`);
  }
});
