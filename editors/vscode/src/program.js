'use strict';
// Which scenario-compiler program the extension starts: the one the setting
// scenarioCompiler.path names, else the one inside the extension (bin/), else
// the first on PATH. Nothing found is an error with a sentence that says what
// to do, never a silent failure.
const fs = require('fs');
const path = require('path');

function programName(platform) {
  return platform === 'win32' ? 'scenario-compiler.exe' : 'scenario-compiler';
}

function isFile(file) {
  try {
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

function onPath(name, env, platform) {
  const list = env.PATH || env.Path || '';
  for (const dir of list.split(platform === 'win32' ? ';' : ':')) {
    if (dir === '') continue;
    const file = path.join(dir, name);
    if (isFile(file)) return file;
  }
  return null;
}

// A program unpacked from a .vsix may have lost its execute bit.
function makeExecutable(file, platform) {
  if (platform === 'win32') return;
  try {
    fs.accessSync(file, fs.constants.X_OK);
  } catch {
    fs.chmodSync(file, 0o755);
  }
}

/**
 * @param {{setting?: string, extensionDir: string, env: object, platform: string, arch: string}} where
 * @returns {{program: string, from: 'setting'|'extension'|'path'} | {error: string}}
 */
function chooseProgram({ setting, extensionDir, env, platform, arch }) {
  const name = programName(platform);
  if (setting && setting.trim() !== '') {
    if (isFile(setting)) return { program: setting, from: 'setting' };
    return {
      error:
        `The setting scenarioCompiler.path names "${setting}", which is not a file. ` +
        'Set it to the scenario-compiler program, or leave it empty to use the one ' +
        'inside the extension or on PATH.',
    };
  }
  const bundled = path.join(extensionDir, 'bin', name);
  if (isFile(bundled)) {
    makeExecutable(bundled, platform);
    return { program: bundled, from: 'extension' };
  }
  const found = onPath(name, env, platform);
  if (found) return { program: found, from: 'path' };
  return {
    error:
      `No scenario-compiler program was found: this extension holds none for ${platform}-${arch}, ` +
      `and no ${name} is on PATH. Install scenario-compiler, or set scenarioCompiler.path to the program.`,
  };
}

module.exports = { chooseProgram, programName };
