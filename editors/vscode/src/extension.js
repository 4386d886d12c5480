'use strict';
// VS Code's entry point: the work is in client.js.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { activateWith } = require('./client');

let client;

function activate(context) {
  client = activateWith(vscode, LanguageClient, context);
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
