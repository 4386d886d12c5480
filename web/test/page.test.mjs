// The page in headless Chromium, opened from disk as a user opens it: the
// example compiles, a typo brings its diagnostic to its line, hover and
// completion answer, the downloaded files equal the native compile's, a share
// link restores both texts, and no request leaves the page. Run by
// `make test-web` with SC_WEB (the built site), SC_PROGRAM (the native
// program) and SC_CHROMIUM set.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { createHash } from "node:crypto";
import { existsSync, mkdtempSync, readFileSync, readdirSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const { SC_WEB, SC_PROGRAM, SC_CHROMIUM = "/usr/bin/chromium" } = process.env;
const kWait = 30000; // every wait of the page ends after this

const browser = await puppeteer.launch({
  executablePath: SC_CHROMIUM,
  args: ["--no-sandbox", "--disable-gpu"],
  headless: true,
  timeout: kWait,
  protocolTimeout: kWait,
});
after(() => browser.close());

// A page of the site with what it said and asked for kept, for the failure
// messages and the check that nothing leaves it.
async function openPage(fragment = "") {
  const page = await browser.newPage();
  page.setDefaultTimeout(kWait);
  const said = [];
  const requests = [];
  page.on("console", (m) => said.push(`${m.type()}: ${m.text()}`));
  page.on("pageerror", (e) => said.push(`error: ${e.message}`));
  page.on("request", (r) => requests.push(r.url()));
  await page.setViewport({ width: 1500, height: 900 });
  await page.goto(pathToFileURL(join(SC_WEB, "index.html")).href + fragment);
  return { page, said, requests };
}

async function waitFor(opened, what, predicate, ...args) {
  try {
    await opened.page.waitForFunction(predicate, { timeout: kWait }, ...args);
  } catch {
    assert.fail(`the page never showed ${what}; its console:\n${opened.said.join("\n")}`);
  }
}

const compiledClean = (o) => waitFor(o, "a clean compile", () => document.body.dataset.compiled === "clean");

const sha256 = (bytes) => createHash("sha256").update(bytes).digest("hex");

test("the page checks, draws and compiles as the program does", async () => {
  const opened = await openPage();
  const { page } = opened;
  await compiledClean(opened);

  // A typo in the line file's second row: its error comes to that line.
  await page.evaluate(() => {
    const { view } = window.scenarioPage.line;
    const row = view.state.doc.line(2);
    view.dispatch({ changes: { from: row.from, to: row.from + "lunghezza".length, insert: "lunghezzza" } });
  });
  await waitFor(opened, "the typo's diagnostic on line 2", () => {
    const lines = [...document.querySelectorAll("#line-editor .cm-line")];
    return lines.findIndex((l) => l.querySelector(".cm-lintRange")) === 1;
  });
  await page.evaluate(() => {
    const { view } = window.scenarioPage.line;
    const row = view.state.doc.line(2);
    view.dispatch({ changes: { from: row.from, to: row.from + "lunghezzza".length, insert: "lunghezza" } });
  });
  await waitFor(opened, "the diagnostic gone", () => !document.querySelector("#line-editor .cm-lintRange"));

  // Hover over a keyword of the train file names its row.
  const keyword = await page.evaluateHandle(() => document.querySelectorAll("#train-editor .cm-line")[1]);
  const box = await keyword.boundingBox();
  await page.mouse.move(box.x + 20, box.y + box.height / 2);
  await waitFor(opened, "a hover", () => !!document.querySelector(".cm-tooltip-hover"));

  await page.mouse.move(0, 0);

  // Completion answers at the start of a new row of the train file.
  await page.evaluate(() => {
    const { view } = window.scenarioPage.train;
    const end = view.state.doc.line(2).to;
    view.focus();
    view.dispatch({ changes: { from: end, insert: "\nv" }, selection: { anchor: end + 2 }, userEvent: "input.type" });
  });
  await waitFor(opened, "completion", () => !!document.querySelector(".cm-tooltip-autocomplete li"));
  await page.keyboard.press("Escape");
  await page.evaluate(() => {
    const { view } = window.scenarioPage.train;
    const end = view.state.doc.line(2).to;
    view.dispatch({ changes: { from: end, to: end + 2 } });
  });

  // Every station of the objects listing is on the picture.
  await compiledClean(opened);
  const { svg, objects } = await page.evaluate(() => ({
    svg: document.querySelector("#picture").innerHTML,
    objects: document.querySelector("#objects").textContent,
  }));
  const stations = [...objects.matchAll(/station "([^"]+)"/g)].map((m) => m[1]);
  assert.ok(stations.length > 1, objects);
  for (const name of stations) assert.ok(svg.includes(name), `${name} is not on the picture`);

  // The downloads equal the native compile of the same texts.
  const downloads = mkdtempSync(join(tmpdir(), "sc-web-downloads-"));
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  const names = await page.$$eval("#downloads button[data-file]", (b) => b.map((x) => x.dataset.file));
  assert.equal(names.length, 3);
  for (const name of names) await page.click(`#downloads button[data-file="${name}"]`);
  const deadline = Date.now() + kWait;
  while (!names.every((n) => existsSync(join(downloads, n))) && Date.now() < deadline) {
    await new Promise((r) => setTimeout(r, 100));
  }
  assert.deepEqual(readdirSync(downloads).sort(), [...names].sort());

  const pair = await page.evaluate(() => window.scenarioPage.pairOnPage());
  const dir = mkdtempSync(join(tmpdir(), "sc-web-native-"));
  writeFileSync(join(dir, pair.line_file), pair.line_text);
  writeFileSync(join(dir, pair.train_file), pair.train_text);
  const native = spawnSync(SC_PROGRAM, ["compile", pair.line_file, pair.train_file, "-o", "out"], {
    cwd: dir,
    encoding: "utf8",
    timeout: kWait,
  });
  assert.equal(native.status, 0, native.stderr);
  for (const name of names) {
    assert.equal(sha256(readFileSync(join(downloads, name))), sha256(readFileSync(join(dir, "out", name))), name);
  }

  // A share link opened in a new page restores both texts.
  await page.evaluate(() => {
    const { view } = window.scenarioPage.train;
    view.dispatch({ changes: { from: 0, insert: "; shared\n" } });
  });
  await page.click("#share");
  await waitFor(opened, "the share link", () => !document.querySelector("#share-link").hidden);
  const link = await page.$eval("#share-link", (e) => e.value);
  const shared = await openPage(link.slice(link.indexOf("#")));
  await waitFor(shared, "the shared texts", (train) => window.scenarioPage?.train.text() === train,
    (await page.evaluate(() => window.scenarioPage.pairOnPage())).train_text);
  assert.deepEqual(
    await shared.page.evaluate(() => window.scenarioPage.pairOnPage()),
    await page.evaluate(() => window.scenarioPage.pairOnPage()),
  );

  // Nothing was asked of anything but the page's own files.
  for (const o of [opened, shared]) {
    const away = o.requests.filter((url) => !/^(file|blob|data):/.test(url));
    assert.deepEqual(away, []);
  }
});
