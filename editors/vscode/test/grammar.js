'use strict';
// Loads the generated TextMate grammars with VS Code's own tokenizer and
// regular-expression engine, and says which scopes each character gets.
const fs = require('fs');
const path = require('path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

let onigLib;
function onig() {
  if (!onigLib) {
    const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
    onigLib = oniguruma
      .loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength))
      .then(() => ({
        createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
        createOnigString: (s) => new oniguruma.OnigString(s),
      }));
  }
  return onigLib;
}

const SCOPES = { line: 'source.scenario.line', train: 'source.scenario.train' };

async function loadGrammar(syntaxesDir, kind) {
  const registry = new vsctm.Registry({
    onigLib: onig(),
    loadGrammar: async (scopeName) => {
      const file = path.join(syntaxesDir, `${scopeName.replace('source.scenario.', 'scenario-')}.tmLanguage.json`);
      return vsctm.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
    },
  });
  return registry.loadGrammar(SCOPES[kind]);
}

// For each line of `text`, an array holding the scopes of each character.
function scopesOf(grammar, text) {
  let state = vsctm.INITIAL;
  return text.split(/\r?\n/).map((line) => {
    const result = grammar.tokenizeLine(line, state);
    state = result.ruleStack;
    const perChar = new Array(line.length);
    for (const token of result.tokens) {
      for (let i = token.startIndex; i < Math.min(token.endIndex, line.length); i++) perChar[i] = token.scopes;
    }
    return { line, perChar };
  });
}

module.exports = { loadGrammar, scopesOf };
