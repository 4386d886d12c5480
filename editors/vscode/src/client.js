'use strict';
// The extension's work, with VS Code's API and the language client passed in,
// so that node can run it without VS Code: starting the language server and
// the three commands, which run the program on the pair of the open file.
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chooseProgram } = require('./program');
const { pairOf } = require('./pair');

const LANGUAGES = ['scenario-line', 'scenario-train'];
// A run of the program that takes longer than this is stopped.
const RUN_TIMEOUT_MS = 120000;

function settingsOf(vscode) {
  const config = vscode.workspace.getConfiguration('scenarioCompiler');
  const folder = (vscode.workspace.workspaceFolders || [])[0];
  return {
    path: config.get('path', ''),
    outputDir: config.get('outputDir', ''),
    pairs: config.get('pairs', []),
    root: folder ? folder.uri.fsPath : undefined,
  };
}

function programFor(vscode, extensionDir) {
  return chooseProgram({
    setting: settingsOf(vscode).path,
    extensionDir,
    env: process.env,
    platform: process.platform,
    arch: process.arch,
  });
}

// Runs the program to its end (or its time limit): {code, stdout, stderr}.
function run(program, args) {
  return new Promise((resolve) => {
    childProcess.execFile(
      program,
      args,
      { timeout: RUN_TIMEOUT_MS, maxBuffer: 64 * 1024 * 1024, windowsHide: true },
      (error, stdout, stderr) => {
        const code = error ? (typeof error.code === 'number' ? error.code : -1) : 0;
        const why = error && typeof error.code !== 'number' ? `${error.message}\n` : '';
        resolve({ code, stdout, stderr: why + stderr });
      }
    );
  });
}

// The binary files a compile wrote, from its --json report.
function compiledFiles(report) {
  let files = [];
  try {
    files = JSON.parse(report).files || [];
  } catch {
    // No report: no files.
  }
  return {
    cells: files.find((f) => f.endsWith('.dat') && !f.endsWith('_linea.dat')),
    table: files.find((f) => f.endsWith('.sim')),
    profile: files.find((f) => f.endsWith('_linea.dat')),
  };
}

function svgPage(svg) {
  return `<!DOCTYPE html><html><head><meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; img-src data:;"></head><body style="background:#fff">${svg}</body></html>`;
}

function makeCommands(vscode, extensionDir, output) {
  const fail = (message) => {
    vscode.window.showErrorMessage(message);
    return undefined;
  };
  // The program and the pair of the open file, or undefined after a message.
  const prepare = async () => {
    const editor = vscode.window.activeTextEditor;
    if (!editor || !LANGUAGES.includes(editor.document.languageId)) {
      return fail('Open a line file (…_linea.txt) or a train file (…-.txt) first.');
    }
    await editor.document.save();
    const chosen = programFor(vscode, extensionDir);
    if (chosen.error) return fail(chosen.error);
    const file = editor.document.uri.fsPath;
    const pair = pairOf(file, fs.readdirSync(path.dirname(file)), settingsOf(vscode));
    if (pair.error) return fail(pair.error);
    return { program: chosen.program, ...pair };
  };
  const report = (what, result) => {
    output.appendLine(`${what}: exit status ${result.code}`);
    if (result.stdout) output.appendLine(result.stdout);
    if (result.stderr) output.appendLine(result.stderr);
    if (result.code !== 0) {
      output.show(true);
      vscode.window.showErrorMessage(`${what} failed (exit status ${result.code}): see the output.`);
    }
    return result.code === 0;
  };

  return {
    'scenarioCompiler.compile': async () => {
      const job = await prepare();
      if (!job) return;
      const dir = settingsOf(vscode).outputDir || path.dirname(job.line);
      const result = await run(job.program, ['compile', job.line, job.train, '-o', dir]);
      if (report('Compile', result)) {
        vscode.window.showInformationMessage(`Compiled ${path.basename(job.line)} and ${path.basename(job.train)} into ${dir}.`);
      }
    },
    'scenarioCompiler.plot': async () => {
      const job = await prepare();
      if (!job) return;
      const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-plot-'));
      try {
        const svg = path.join(dir, 'route.svg');
        const result = await run(job.program, ['plot', job.line, job.train, '-o', svg]);
        if (!report('Plot', result)) return;
        const panel = vscode.window.createWebviewPanel('scenarioCompiler.plot', `Route: ${path.basename(job.line)}`, vscode.ViewColumn.Beside, {});
        panel.webview.html = svgPage(fs.readFileSync(svg, 'utf8'));
      } finally {
        fs.rmSync(dir, { recursive: true, force: true });
      }
    },
    'scenarioCompiler.inspect': async () => {
      const job = await prepare();
      if (!job) return;
      const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-inspect-'));
      let listing;
      try {
        const compiled = await run(job.program, ['compile', job.line, job.train, '-o', dir, '--json']);
        if (!report('Compile', compiled)) return;
        const files = compiledFiles(compiled.stdout);
        if (!files.cells || !files.table) return fail('The compile wrote no cell file or table to inspect.');
        const args = ['inspect', files.cells, files.table].concat(files.profile ? [files.profile] : []);
        listing = await run(job.program, args);
      } finally {
        fs.rmSync(dir, { recursive: true, force: true });
      }
      if (!report('Inspect', listing)) return;
      const document = await vscode.workspace.openTextDocument({ content: listing.stdout, language: 'plaintext' });
      await vscode.window.showTextDocument(document, vscode.ViewColumn.Beside);
    },
  };
}

// Starts "PROGRAM lsp" through the language client, or says why it cannot:
// the client, or undefined.
function startClient(vscode, LanguageClient, extensionDir, output) {
  const chosen = programFor(vscode, extensionDir);
  if (chosen.error) {
    output.appendLine(chosen.error);
    vscode.window.showErrorMessage(chosen.error);
    return undefined;
  }
  output.appendLine(`Starting ${chosen.program} lsp (from the ${chosen.from}).`);
  const client = new LanguageClient(
    'scenarioCompiler',
    'Scenario Compiler',
    { command: chosen.program, args: ['lsp'] },
    {
      documentSelector: LANGUAGES.map((language) => ({ scheme: 'file', language })),
      synchronize: { configurationSection: 'scenarioCompiler' },
      initializationOptions: { pairs: settingsOf(vscode).pairs },
      outputChannel: output,
    }
  );
  client.start();
  return client;
}

/**
 * Registers the commands and starts the language server, again whenever the
 * setting scenarioCompiler.path changes. Returns {client, stop}: client is
 * undefined while no program is found.
 */
function activateWith(vscode, LanguageClient, context) {
  const output = vscode.window.createOutputChannel('Scenario Compiler');
  context.subscriptions.push(output);
  for (const [name, command] of Object.entries(makeCommands(vscode, context.extensionPath, output))) {
    context.subscriptions.push(vscode.commands.registerCommand(name, command));
  }
  const server = {
    client: startClient(vscode, LanguageClient, context.extensionPath, output),
    stop: async () => {
      const running = server.client;
      server.client = undefined;
      if (running) await running.stop();
    },
  };
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (change) => {
      if (!change.affectsConfiguration('scenarioCompiler.path')) return;
      await server.stop();
      server.client = startClient(vscode, LanguageClient, context.extensionPath, output);
    })
  );
  return server;
}

module.exports = { activateWith, compiledFiles };
