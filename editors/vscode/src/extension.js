'use strict';
// VS Code's entry point: the work is in client.js.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { activateWith } = require('./client');

let server;

function activate(context) {
  server = activateWith(vscode, LanguageClient, context);
}

function deactivate() {
  return server ? server.stop() : undefined;
}

module.exports = { activate, deactivate };
