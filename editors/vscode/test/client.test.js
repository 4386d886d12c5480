'use strict';
// The extension's start-up without VS Code: which program it starts, what it
// says when there is none, and which files it compiles together.
const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chooseProgram } = require('../src/program');
const { pairOf } = require('../src/pair');
const { activateWith, compiledFiles } = require('../src/client');

function scratch() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'sc-vscode-'));
}

function programIn(dir, name = 'scenario-compiler', mode = 0o755) {
  fs.mkdirSync(dir, { recursive: true });
  const file = path.join(dir, name);
  fs.writeFileSync(file, '#!/bin/sh\n');
  fs.chmodSync(file, mode);
  return file;
}

test('the program: the setting, else the one inside the extension, else PATH', () => {
  const root = scratch();
  const extensionDir = path.join(root, 'extension');
  const onPath = programIn(path.join(root, 'usr-bin'));
  const named = programIn(path.join(root, 'mine'));
  const where = { extensionDir, env: { PATH: path.join(root, 'usr-bin') }, platform: 'linux', arch: 'x64' };

  assert.deepStrictEqual(chooseProgram(where), { program: onPath, from: 'path' });
  // A program unpacked without its execute bit gets it back.
  const bundled = programIn(path.join(extensionDir, 'bin'), 'scenario-compiler', 0o644);
  assert.deepStrictEqual(chooseProgram(where), { program: bundled, from: 'extension' });
  assert.ok(fs.statSync(bundled).mode & 0o100);
  assert.deepStrictEqual(chooseProgram({ ...where, setting: named }), { program: named, from: 'setting' });
});

test('Windows: the .exe inside the extension or on a PATH of ";"', () => {
  const root = scratch();
  const where = { extensionDir: path.join(root, 'extension'), platform: 'win32', arch: 'x64' };
  const onPath = programIn(path.join(root, 'tools'), 'scenario-compiler.exe');
  const env = { Path: `${path.join(root, 'nowhere')};${path.join(root, 'tools')}` };
  assert.deepStrictEqual(chooseProgram({ ...where, env }), { program: onPath, from: 'path' });
  const bundled = programIn(path.join(root, 'extension', 'bin'), 'scenario-compiler.exe');
  assert.strictEqual(chooseProgram({ ...where, env: {} }).program, bundled);
});

test('no program, or a setting that names none: a sentence that says what to do', () => {
  const root = scratch();
  const where = { extensionDir: path.join(root, 'extension'), env: { PATH: root }, platform: 'darwin', arch: 'arm64' };
  const none = chooseProgram(where);
  assert.match(none.error, /No scenario-compiler program was found: this extension holds none for darwin-arm64/);
  assert.match(none.error, /scenarioCompiler\.path/);
  // A wrong setting is not passed over for another program.
  programIn(path.join(root, 'extension', 'bin'));
  const wrong = chooseProgram({ ...where, setting: path.join(root, 'missing') });
  assert.match(wrong.error, /scenarioCompiler\.path names ".*missing", which is not a file/);
});

// VS Code's API, as much of it as activation uses, recording what it is asked.
function fakeVscode(settings) {
  const said = { errors: [], infos: [], commands: [], run: {}, clients: [], documents: [], pages: [], listeners: [] };
  const vscode = {
    ViewColumn: { Beside: -2 },
    window: {
      activeTextEditor: undefined,
      createOutputChannel: () => ({ appendLine: () => {}, show: () => {}, dispose: () => {} }),
      showErrorMessage: (message) => said.errors.push(message),
      showInformationMessage: (message) => said.infos.push(message),
      showTextDocument: async () => {},
      createWebviewPanel: () => {
        const panel = { webview: { html: '' } };
        said.pages.push(panel);
        return panel;
      },
    },
    commands: {
      registerCommand: (name, command) => {
        said.commands.push(name);
        said.run[name] = command;
        return { dispose: () => {} };
      },
    },
    workspace: {
      getConfiguration: () => ({ get: (key, fallback) => (key in settings ? settings[key] : fallback) }),
      workspaceFolders: [],
      onDidChangeConfiguration: (listener) => said.listeners.push(listener) && { dispose: () => {} },
      openTextDocument: async ({ content }) => said.documents.push(content) && {},
    },
  };
  class LanguageClient {
    constructor(id, name, server, options) {
      this.record = { server, options, stopped: false };
      said.clients.push(this.record);
    }
    start() {}
    async stop() {
      this.record.stopped = true;
    }
  }
  return { vscode, LanguageClient, said };
}

test('activation starts "PROGRAM lsp" for both languages, and registers the three commands', () => {
  const root = scratch();
  programIn(path.join(root, 'bin'), process.platform === 'win32' ? 'scenario-compiler.exe' : 'scenario-compiler');
  const { vscode, LanguageClient, said } = fakeVscode({ pairs: [{ line: 'a.txt', train: 'b.txt' }] });
  const { client } = activateWith(vscode, LanguageClient, { extensionPath: root, subscriptions: [] });
  assert.ok(client);
  assert.deepStrictEqual(said.errors, []);
  assert.strictEqual(said.clients.length, 1);
  const { server, options } = said.clients[0];
  assert.deepStrictEqual(server.args, ['lsp']);
  assert.ok(server.command.startsWith(path.join(root, 'bin')));
  assert.deepStrictEqual(options.documentSelector.map((s) => s.language), ['scenario-line', 'scenario-train']);
  assert.strictEqual(options.synchronize.configurationSection, 'scenarioCompiler');
  assert.deepStrictEqual(options.initializationOptions.pairs, [{ line: 'a.txt', train: 'b.txt' }]);
  assert.deepStrictEqual(said.commands.sort(), ['scenarioCompiler.compile', 'scenarioCompiler.inspect', 'scenarioCompiler.plot']);
});

test('activation with no program shows the reason and starts no client, until the setting names one', async () => {
  const root = scratch();
  const settings = { path: path.join(root, 'nothing-here') };
  const { vscode, LanguageClient, said } = fakeVscode(settings);
  const server = activateWith(vscode, LanguageClient, { extensionPath: root, subscriptions: [] });
  assert.strictEqual(server.client, undefined);
  assert.strictEqual(said.clients.length, 0);
  assert.strictEqual(said.errors.length, 1);
  assert.match(said.errors[0], /nothing-here/);
  assert.strictEqual(said.commands.length, 3);

  const change = (key) => Promise.all(said.listeners.map((l) => l({ affectsConfiguration: (k) => k === key })));
  settings.path = programIn(path.join(root, 'mine'));
  await change('scenarioCompiler.pairs');
  assert.strictEqual(said.clients.length, 0);
  await change('scenarioCompiler.path');
  assert.strictEqual(said.clients.length, 1);
  assert.strictEqual(said.clients[0].server.command, settings.path);
  assert.strictEqual(server.client !== undefined, true);
  // Another program: the running server is stopped first.
  settings.path = programIn(path.join(root, 'other'));
  await change('scenarioCompiler.path');
  assert.deepStrictEqual(said.clients.map((c) => [c.server.command, c.stopped]), [
    [path.join(root, 'mine', 'scenario-compiler'), true],
    [settings.path, false],
  ]);
});

test('pairs: as the language server makes them, and from the settings', () => {
  const dir = path.join(path.sep, 'routes');
  const names = ['Mia_Linea_linea.txt', 'Mia_Linea_R102-.txt', 'Mia_Linea_R101-.txt', 'Sola_linea.txt', 'percorso.txt', 'R9.txt'];
  const cases = [
    ['Mia_Linea_linea.txt', { line: 'Mia_Linea_linea.txt', train: 'Mia_Linea_R101-.txt' }],
    ['Mia_Linea_R102-.txt', { line: 'Mia_Linea_linea.txt', train: 'Mia_Linea_R102-.txt' }],
    ['percorso.txt', { line: 'percorso.txt', train: 'R9.txt' }],
  ];
  const settings = { root: dir, pairs: [{ line: 'percorso.txt', train: 'R9.txt' }] };
  for (const [name, want] of cases) {
    assert.deepStrictEqual(pairOf(path.join(dir, name), names, settings), {
      line: path.join(dir, want.line),
      train: path.join(dir, want.train),
    });
  }
  assert.match(pairOf(path.join(dir, 'Sola_linea.txt'), names).error, /No train file Sola_…-\.txt/);
  assert.match(pairOf(path.join(dir, 'Altra_R1-.txt'), names).error, /No line file/);
  assert.match(pairOf(path.join(dir, 'R9.txt'), names).error, /neither a line file/);
  // L and T are never empty.
  assert.match(pairOf(path.join(dir, 'Mia_Linea_-.txt'), names).error, /No line file/);
  assert.match(pairOf(path.join(dir, '_linea.txt'), ['_linea.txt', '_R1-.txt']).error, /neither a line file/);
});

test("the binary files inspect reads, from compile's report", () => {
  const report = JSON.stringify({ files: ['/o/L_linea.dat', '/o/L_T.sim', '/o/L_T.dat'] });
  assert.deepStrictEqual(compiledFiles(report), { cells: '/o/L_T.dat', table: '/o/L_T.sim', profile: '/o/L_linea.dat' });
  assert.deepStrictEqual(compiledFiles('not a report'), { cells: undefined, table: undefined, profile: undefined });
});

test("the settings of docs/editors.md's VS Code example are the extension's", () => {
  const page = fs.readFileSync(path.join(__dirname, '..', '..', '..', 'docs', 'editors.md'), 'utf8');
  const section = page.slice(page.indexOf('## VS Code'));
  const example = section.match(/```json\n([\s\S]*?)```/)[1];
  const declared = require('../package.json').contributes.configuration.properties;
  const keys = Object.keys(JSON.parse(example));
  assert.ok(keys.length > 0);
  for (const key of keys) assert.ok(key in declared, `${key} is not a setting of the extension`);
});

test('the commands run the program on the open pair: compile, the picture, the listing', async (t) => {
  if (!process.env.SC_PROGRAM) return t.skip('SC_PROGRAM is not set: run through ctest');
  const dir = scratch();
  const example = childProcess.spawnSync(process.env.SC_PROGRAM, ['example', dir], { timeout: 30000 });
  assert.strictEqual(example.status, 0);
  const out = path.join(dir, 'out');
  const { vscode, LanguageClient, said } = fakeVscode({ path: process.env.SC_PROGRAM, outputDir: out });
  activateWith(vscode, LanguageClient, { extensionPath: dir, subscriptions: [] });
  const trainFile = fs.readdirSync(dir).find((n) => n.endsWith('-.txt'));
  vscode.window.activeTextEditor = {
    document: { languageId: 'scenario-train', uri: { fsPath: path.join(dir, trainFile) }, save: async () => true },
  };

  await said.run['scenarioCompiler.compile']();
  assert.deepStrictEqual(said.errors, []);
  assert.ok(fs.readdirSync(out).some((n) => n.endsWith('.sim')), 'compile wrote no table');
  await said.run['scenarioCompiler.plot']();
  assert.match(said.pages[0].webview.html, /<svg/);
  await said.run['scenarioCompiler.inspect']();
  assert.deepStrictEqual(said.errors, []);
  assert.strictEqual(said.documents.length, 1);
  assert.match(said.documents[0], /station/i);

  // A file that belongs to no pair gets a message, and nothing runs.
  fs.writeFileSync(path.join(dir, 'Other_linea.txt'), '[generale]\n');
  vscode.window.activeTextEditor.document.uri.fsPath = path.join(dir, 'Other_linea.txt');
  vscode.window.activeTextEditor.document.languageId = 'scenario-line';
  await said.run['scenarioCompiler.compile']();
  assert.match(said.errors[0], /No train file Other_/);
});
