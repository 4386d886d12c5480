'use strict';
// The line file and train file that make a pair, found the way the language
// server finds them: "L_linea.txt" goes with the first "L_T-.txt" by name in
// the same folder, and a train file with the longest L whose line file is
// there. A pair named in the settings comes first.
const path = require('path');

const LINE_SUFFIX = '_linea.txt';
const TRAIN_SUFFIX = '-.txt';

function fromSettings(file, pairs, root) {
  for (const pair of pairs || []) {
    if (!pair || !pair.line || !pair.train || !root) continue;
    const line = path.resolve(root, pair.line);
    const train = path.resolve(root, pair.train);
    if (file === line || file === train) return { line, train };
  }
  return null;
}

/**
 * @param {string} file the open file, an absolute path
 * @param {string[]} siblings the names of the files in its folder
 * @param {{pairs?: {line: string, train: string}[], root?: string}} settings
 * @returns {{line: string, train: string} | {error: string}}
 */
function pairOf(file, siblings, settings = {}) {
  const named = fromSettings(file, settings.pairs, settings.root);
  if (named) return named;
  const dir = path.dirname(file);
  const name = path.basename(file);
  // L and T are never empty.
  const isTrainOf = (prefix, s) =>
    s.startsWith(prefix) && s.endsWith(TRAIN_SUFFIX) && s.length > prefix.length + TRAIN_SUFFIX.length;
  if (name.endsWith(LINE_SUFFIX) && name.length > LINE_SUFFIX.length) {
    const prefix = name.slice(0, -LINE_SUFFIX.length) + '_';
    const trains = siblings.filter((s) => isTrainOf(prefix, s)).sort();
    if (trains.length === 0) {
      return { error: `No train file ${prefix}…${TRAIN_SUFFIX} stands beside ${name}.` };
    }
    return { line: file, train: path.join(dir, trains[0]) };
  }
  if (name.endsWith(TRAIN_SUFFIX)) {
    for (let cut = name.lastIndexOf('_'); cut > 0; cut = name.lastIndexOf('_', cut - 1)) {
      const line = name.slice(0, cut) + LINE_SUFFIX;
      if (isTrainOf(name.slice(0, cut + 1), name) && siblings.includes(line)) {
        return { line: path.join(dir, line), train: file };
      }
    }
    return { error: `No line file L${LINE_SUFFIX} stands beside ${name} (L_T${TRAIN_SUFFIX}).` };
  }
  return {
    error:
      `${name} is neither a line file (…${LINE_SUFFIX}) nor a train file (…${TRAIN_SUFFIX}); ` +
      'name the pair in the setting scenarioCompiler.pairs.',
  };
}

module.exports = { pairOf };
