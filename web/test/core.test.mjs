// The WebAssembly core against the native program: the same files byte for
// byte, the same errors at the same places. Run by `make test-web` under
// node, with SC_CORE_JS (the module), SC_PROGRAM (the native program) and
// SC_GENERATE_ROUTE (the route generator) set.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { wrapCore } from "../src/core.js";

const here = dirname(fileURLToPath(import.meta.url));
const golden = join(here, "..", "..", "tests", "golden");
const { SC_CORE_JS, SC_PROGRAM, SC_GENERATE_ROUTE } = process.env;
const core = wrapCore(await createRequire(import.meta.url)(SC_CORE_JS)());
const kLimitMs = 120000;

// The native compile of a pair in `dir`: its report and the files it wrote.
function compileNatively(dir, lineFile, trainFile) {
  const out = join(dir, "native");
  const run = spawnSync(SC_PROGRAM, ["compile", lineFile, trainFile, "-w", "--json", "-o", out], {
    cwd: dir,
    encoding: "utf8",
    timeout: kLimitMs,
  });
  assert.equal(run.error, undefined, `the native compile did not finish: ${run.stderr}`);
  const report = JSON.parse(run.stdout);
  const files = Object.fromEntries(
    report.files.map((path) => [path.split("/").pop(), readFileSync(path)]),
  );
  return { report, files };
}

// [file, line, column, number] of each error, and the fatal error's number.
const nativeErrors = (report) => ({
  errors: report.diagnostics
    .filter((d) => d.severity === "error")
    .map((d) => [d.file, d.line, d.column, d.number]),
  fatal: report.fatal_error,
});
function pageErrors(findings) {
  const errors = [];
  let fatal = 0;
  for (const line of findings.split("\n")) {
    const error = /^(.*):(\d+):(\d+): error (\d+):/.exec(line);
    if (error) errors.push([error[1], +error[2], +error[3], +error[4]]);
    const stop = /^ Errore n\. (\d+)$/.exec(line);
    if (stop) fatal = +stop[1];
  }
  return { errors, fatal };
}

function compareWithNative(dir, lineFile, trainFile) {
  const native = compileNatively(dir, lineFile, trainFile);
  const page = core.compile(
    lineFile,
    readFileSync(join(dir, lineFile)),
    trainFile,
    readFileSync(join(dir, trainFile)),
  );
  assert.deepEqual(pageErrors(page.findings), nativeErrors(native.report));
  assert.deepEqual(
    page.files.map((f) => f.name),
    Object.keys(native.files),
  );
  for (const file of page.files) {
    assert.ok(Buffer.from(file.bytes).equals(native.files[file.name]), `${file.name} differs`);
  }
  return page;
}

test("the built-in example compiles to the golden files", () => {
  const example = core.example();
  const page = core.compile(
    example.line_file,
    example.line_text,
    example.train_file,
    example.train_text,
  );
  assert.equal(page.status, "clean", page.findings);
  assert.deepEqual(
    page.files.map((f) => f.name).sort(),
    readdirSync(golden).filter((f) => /\.(dat|sim)$/.test(f)).sort(),
  );
  for (const file of page.files) {
    assert.ok(Buffer.from(file.bytes).equals(readFileSync(join(golden, file.name))), file.name);
  }
  assert.match(page.svg, /^<\?xml|^<svg/);
  assert.match(page.objects, /station "VARDEO"/);
});

test("generated routes and broken rows give what the native program gives", () => {
  const dir = mkdtempSync(join(tmpdir(), "sc-web-"));
  // A route of each size, then rows broken the ways users break them.
  const breakages = [
    (text) => text,
    (text) => text.replace(/\nprogressiva chilometrica tre,/, "\nprogressiva chilometrica tre;"),
    (text) => text.replace(/\nlunghezza percorso, (\d+)/, "\nlunghezza percorso, $1x"),
    (text) => text.replace(/\n\[fine\][^]*$/, "\n"),
    (text) => text.replace(/\n(pendenza, \d+), /, "\n$1 "),
  ];
  for (const [args, length] of [[[], 0], [[], 50000], [["--dense"], 20000], [["--labelled"], 8000]]) {
    const lineFile = `G${length}_linea.txt`;
    const trainFile = `G${length}_T1-.txt`;
    execFileSync(SC_GENERATE_ROUTE, [...args, String(length), lineFile, trainFile], {
      cwd: dir,
      timeout: kLimitMs,
    });
    const text = readFileSync(join(dir, lineFile), "latin1");
    for (const [i, breakRows] of breakages.entries()) {
      const broken = `G${length}b${i}_linea.txt`;
      writeFileSync(join(dir, broken), breakRows(text), "latin1");
      const renamed = `G${length}b${i}_T1-.txt`;
      writeFileSync(join(dir, renamed), readFileSync(join(dir, trainFile)));
      const page = compareWithNative(dir, broken, renamed);
      if (i === 0) assert.equal(page.status, "clean", page.findings);
    }
  }
});

test("a file's text goes to the editor and back to the same bytes", () => {
  const bytes = Uint8Array.from([0x63, 0x69, 0x74, 0xe0, 0x20, 0x80, 0x0d, 0x0a]);
  const text = core.textForEditor(bytes);
  assert.equal(text, "cit\u00e0 \u20ac\r\n");
  assert.deepEqual(core.textForDisk(text), { bytes });
  assert.deepEqual(core.textForDisk("a\n\u4e00"), { failed: "2:1" });
});
