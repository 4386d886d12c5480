// The page: two editors on the program's language server, the compile with
// its files to download, the route picture and the objects listing. Every
// piece of work is the program's own, run in the worker; nothing leaves the
// page.
import { basicSetup, EditorView } from "codemirror";
import { Compartment } from "@codemirror/state";
import { LSPClient, languageServerExtensions } from "@codemirror/lsp-client";
import workerSource from "worker-source";
import { zipStored } from "./zip.js";
import { scenarioLanguage } from "./highlight.js";
import { shareFragment, pairOfFragment } from "./share.js";

const $ = (id) => document.getElementById(id);
const folder = "file:///route/";

// The worker, made from the bundle's own text: a page opened from disk may
// not load a worker from a file.
const worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: "text/javascript" })));
const lspHandlers = [];
const answers = new Map();
let nextCall = 0;
worker.onmessage = ({ data }) => {
  if (data.kind === "lsp") {
    for (const handler of lspHandlers) handler(data.body);
    return;
  }
  const { resolve, reject } = answers.get(data.id);
  answers.delete(data.id);
  data.error ? reject(new Error(data.error)) : resolve(data.result);
};
const call = (method, ...args) =>
  new Promise((resolve, reject) => {
    const id = nextCall++;
    answers.set(id, { resolve, reject });
    worker.postMessage({ kind: "call", id, method, args });
  });

// The hover notes are Markdown made into HTML; they may quote the texts, which
// a shared link brings from anyone: only plain formatting is kept.
const kept = new Set(["P", "PRE", "CODE", "EM", "STRONG", "UL", "OL", "LI", "A", "BR", "HR", "H1", "H2", "H3"]);
function plainHtml(html) {
  const template = document.createElement("template");
  template.innerHTML = html;
  for (const element of [...template.content.querySelectorAll("*")]) {
    if (!kept.has(element.tagName)) {
      element.replaceWith(document.createTextNode(element.textContent));
      continue;
    }
    for (const { name } of [...element.attributes]) {
      if (name !== "class") element.removeAttribute(name);
    }
  }
  return template.innerHTML;
}

const client = new LSPClient({
  rootUri: folder,
  timeout: 20000,
  sanitizeHTML: plainHtml,
  extensions: languageServerExtensions(),
}).connect({
  send: (body) => worker.postMessage({ kind: "lsp", body }),
  subscribe: (handler) => lspHandlers.push(handler),
  unsubscribe: (handler) => lspHandlers.splice(lspHandlers.indexOf(handler), 1),
});

// One side of the pair: its name field and its editor.
function side(kind) {
  const name = $(`${kind}-name`);
  const lsp = new Compartment();
  const language = new Compartment();
  const view = new EditorView({
    parent: $(`${kind}-editor`),
    extensions: [
      basicSetup,
      language.of([]),
      lsp.of(client.plugin(folder + encodeURIComponent(name.value), "scenario")),
      EditorView.updateListener.of((update) => update.docChanged && refreshSoon()),
    ],
  });
  const rename = () => {
    view.dispatch({
      effects: lsp.reconfigure(client.plugin(folder + encodeURIComponent(name.value), "scenario")),
    });
    refreshSoon();
  };
  name.addEventListener("change", rename);
  return {
    view,
    name,
    colour: (words) =>
      view.dispatch({
        effects: language.reconfigure(scenarioLanguage(words.filter((w) => w.file === kind))),
      }),
    text: () => view.state.doc.toString(),
    set(fileName, text) {
      if (fileName !== name.value) {
        name.value = fileName;
        rename();
      }
      view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text } });
    },
  };
}
const line = side("line");
const train = side("train");

const pairOnPage = () => ({
  line_file: line.name.value,
  line_text: line.text(),
  train_file: train.name.value,
  train_text: train.text(),
});

function download(name, blob) {
  const a = document.createElement("a");
  a.href = URL.createObjectURL(blob);
  a.download = name;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

const statusWords = {
  clean: "Compiled: the three files are ready.",
  error: "An error was recorded: no file is written (see the findings).",
  fatal: "The compile stopped at a fatal error.",
  unusable: "The pair cannot be compiled as it is named or written.",
};

function showDownloads(files) {
  const list = $("downloads");
  list.replaceChildren();
  for (const file of files) {
    const button = document.createElement("button");
    button.textContent = file.name;
    button.dataset.file = file.name;
    button.onclick = () => download(file.name, new Blob([file.bytes]));
    list.append(button);
  }
  if (files.length) {
    const all = document.createElement("button");
    all.textContent = "All as zip";
    all.className = "zip";
    const stem = files[files.length - 1].name.replace(/\.[^.]*$/, "");
    all.onclick = () => download(stem + ".zip", zipStored(files));
    list.append(all);
  }
}

let compiling = null;
async function compile() {
  const pair = pairOnPage();
  const started = performance.now();
  const report = await call("compile", pair.line_file, pair.line_text, pair.train_file, pair.train_text);
  const ms = Math.round(performance.now() - started);
  $("status").textContent = `${statusWords[report.status]} (${ms} ms)`;
  $("status").className = report.status;
  $("findings").textContent = report.findings;
  showDownloads(report.files);
  if (report.svg) {
    $("picture").innerHTML = report.svg;
    $("summary").textContent = report.summary;
    $("objects").textContent = report.objects;
  }
  $("result").classList.toggle("stale", !report.svg);
  document.body.dataset.compiled = report.status;
  return report;
}

let refreshTimer = null;
function refreshSoon() {
  clearTimeout(refreshTimer);
  refreshTimer = setTimeout(() => (compiling = compile()), 400);
}

async function readFile(file) {
  return call("textForEditor", new Uint8Array(await file.arrayBuffer()));
}

async function openFiles(files, into) {
  for (const file of files) {
    const target = into ?? (/_linea\.txt$/i.test(file.name) ? line : train);
    target.set(file.name, await readFile(file));
  }
}

async function save(target) {
  const saved = await call("textForDisk", target.text());
  if (saved.failed) {
    $("status").textContent = `${target.name.value}:${saved.failed}: this character has no Windows-1252 form`;
    $("status").className = "unusable";
    return;
  }
  download(target.name.value, new Blob([saved.bytes]));
}

function wire() {
  $("compile").onclick = () => (compiling = compile());
  $("example").onclick = async () => {
    const example = await call("example");
    line.set(example.line_file, example.line_text);
    train.set(example.train_file, example.train_text);
  };
  $("open").onchange = (e) => openFiles([...e.target.files]);
  $("save-line").onclick = () => save(line);
  $("save-train").onclick = () => save(train);
  $("share").onclick = async () => {
    const url = location.href.replace(/#.*$/, "") + (await shareFragment(pairOnPage()));
    history.replaceState(null, "", url);
    $("share-link").value = url;
    $("share-link").hidden = false;
    $("share-link").select();
  };
  for (const [target, pane] of [[line, "line-pane"], [train, "train-pane"]]) {
    $(pane).addEventListener("dragover", (e) => e.preventDefault());
    $(pane).addEventListener("drop", (e) => {
      e.preventDefault();
      openFiles([...e.dataTransfer.files], target);
    });
  }
}

async function start() {
  wire();
  call("rowWords").then((words) => [line, train].forEach((s) => s.colour(words)));
  const shared = await pairOfFragment(location.hash);
  const pair = shared ?? (await call("example"));
  line.set(pair.line_file, pair.line_text);
  train.set(pair.train_file, pair.train_text);
}

// For the page's tests.
window.scenarioPage = { line, train, compile: () => compiling ?? compile(), pairOnPage };
start();
