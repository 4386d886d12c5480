// The page's worker: the program's compile and language server, as
// WebAssembly. The page sends {kind: "lsp", body} for the language server and
// {kind: "call", id, method, args} for the rest; the server's checks wait for
// its debounce time on a timer here.
import createScCore from "sc-core";
import { wrapCore } from "./core.js";

const ready = createScCore().then((module) => {
  const core = wrapCore(module);
  // The first compile is the slow one (the engine compiles the module's code
  // then): it is done before the user's.
  const example = core.example();
  core.compile(example.line_file, example.line_text, example.train_file, example.train_text);
  return { core, server: core.languageServer() };
});

let timer = null;

function post(messages) {
  for (const message of messages) self.postMessage({ kind: "lsp", body: JSON.stringify(message) });
}

function scheduleCheck(server) {
  clearTimeout(timer);
  const ms = server.nextCheckMs();
  if (ms < 0) return;
  timer = setTimeout(() => {
    post(server.checkDue());
    scheduleCheck(server);
  }, ms);
}

function answer(core, { method, args }) {
  const result = core[method](...args);
  const transfer = result && result.files ? result.files.map((f) => f.bytes.buffer) : [];
  if (result && result.bytes) transfer.push(result.bytes.buffer);
  return { result, transfer };
}

self.onmessage = async ({ data }) => {
  const { core, server } = await ready;
  if (data.kind === "lsp") {
    post(server.receive(data.body));
    scheduleCheck(server);
    return;
  }
  try {
    const { result, transfer } = answer(core, data);
    self.postMessage({ kind: "answer", id: data.id, result }, transfer);
  } catch (error) {
    self.postMessage({ kind: "answer", id: data.id, error: String(error) });
  }
};
