'use strict';
// The .vsix files `cmake --build . --target vsix` packs: what each holds, and
// that the Linux one's program runs. Environment: SC_PACKAGES_DIR, SC_VERSION,
// SC_WINDOWS_EXE (the Windows .vsix is looked for when that file exists).
const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const version = process.env.SC_VERSION;
const vsixOf = (target) => path.join(process.env.SC_PACKAGES_DIR, `scenario-compiler-${version}-${target}.vsix`);

// [name, bytes] of every member, read with Python's zipfile.
function members(vsix) {
  const script =
    'import base64, json, sys, zipfile\n' +
    'z = zipfile.ZipFile(sys.argv[1])\n' +
    'print(json.dumps({i.filename: [base64.b64encode(z.read(i)).decode(), i.external_attr >> 16] for i in z.infolist()}))';
  const run = childProcess.spawnSync('python3', ['-c', script, vsix], { timeout: 60000, encoding: 'utf8', maxBuffer: 256 << 20 });
  assert.strictEqual(run.status, 0, run.stderr);
  return new Map(Object.entries(JSON.parse(run.stdout)).map(([name, [data, mode]]) => [name, { data: Buffer.from(data, 'base64'), mode }]));
}

function checkVsix(target, program) {
  const files = members(vsixOf(target));
  const want = [
    'extension/package.json',
    'extension/language-configuration.json',
    'extension/dist/extension.js',
    'extension/syntaxes/scenario-line.tmLanguage.json',
    'extension/syntaxes/scenario-train.tmLanguage.json',
    `extension/bin/${program}`,
  ];
  for (const name of want) assert.ok(files.has(name), `${target}: the .vsix lacks ${name}`);
  assert.ok(![...files.keys()].some((n) => n.includes('node_modules/')), `${target}: the .vsix holds node_modules`);
  assert.ok(![...files.keys()].some((n) => n.startsWith('extension/bin/') && n !== `extension/bin/${program}`));

  const manifest = JSON.parse(files.get('extension/package.json').data);
  assert.strictEqual(manifest.version, version);
  assert.strictEqual(manifest.main, './dist/extension.js');
  for (const grammar of manifest.contributes.grammars) {
    assert.ok(files.has(path.posix.join('extension', grammar.path)), `no ${grammar.path}`);
  }
  assert.match(files.get('extension.vsixmanifest').data.toString(), new RegExp(`TargetPlatform="${target}"`));
  // The bundle needs nothing but VS Code and node's own modules.
  const bundle = files.get('extension/dist/extension.js').data.toString();
  assert.doesNotMatch(bundle, /require\("vscode-languageclient/);
  assert.match(bundle, /require\("vscode"\)/);
  const entry = loadBundle(bundle);
  assert.strictEqual(typeof entry.activate, 'function');
  assert.strictEqual(typeof entry.deactivate, 'function');
  return files;
}

// Loads the bundled code with a stand-in for the module 'vscode', which only
// VS Code provides: any other module missing from the bundle fails the load.
function loadBundle(code) {
  const Module = require('module');
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'sc-bundle-')), 'extension.js');
  fs.writeFileSync(file, code);
  const standIn = new Proxy(function () {}, {
    get: (target, key) => (key === 'prototype' ? {} : standIn),
    construct: () => standIn,
    apply: () => standIn,
  });
  const resolve = Module._resolveFilename;
  Module._resolveFilename = function (request, ...rest) {
    return request === 'vscode' ? 'vscode' : resolve.call(this, request, ...rest);
  };
  require.cache.vscode = { id: 'vscode', filename: 'vscode', loaded: true, exports: standIn };
  try {
    return require(file);
  } finally {
    Module._resolveFilename = resolve;
    delete require.cache.vscode;
  }
}

test('the Linux .vsix holds the manifest, grammars, client and the Linux program, which runs', () => {
  const files = checkVsix('linux-x64', 'scenario-compiler');
  const program = files.get('extension/bin/scenario-compiler');
  assert.ok(program.mode & 0o100, 'the program is not executable');
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'sc-vsix-')), 'scenario-compiler');
  fs.writeFileSync(file, program.data, { mode: 0o755 });
  const run = childProcess.spawnSync(file, ['--version'], { timeout: 30000, encoding: 'utf8' });
  assert.strictEqual(run.stdout.trim(), `scenario-compiler ${version}`, run.stderr);
});

test('the Windows .vsix holds the Windows program, where it has been built', (t) => {
  if (!fs.existsSync(process.env.SC_WINDOWS_EXE || '')) {
    t.skip(`no Windows build at ${process.env.SC_WINDOWS_EXE}`);
    return;
  }
  const files = checkVsix('win32-x64', 'scenario-compiler.exe');
  assert.ok(files.get('extension/bin/scenario-compiler.exe').data.subarray(0, 2).equals(Buffer.from('MZ')));
});
