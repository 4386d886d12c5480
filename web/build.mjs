// Builds the page into OUT_DIR: node build.mjs SC_CORE_JS OUT_DIR. The worker
// (with the WebAssembly module inside) is bundled first and carried as text by
// the page's bundle.
import * as esbuild from "esbuild";
import { copyFileSync, mkdirSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const [coreJs, outDir] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const common = { bundle: true, minify: true, format: "iife", target: "es2020", logLevel: "warning" };

const worker = await esbuild.build({
  ...common,
  entryPoints: [join(here, "src/worker.js")],
  write: false,
  alias: { "sc-core": coreJs },
  // The module's node-only branches name node's modules, never loaded here.
  external: ["fs", "path", "crypto", "worker_threads"],
});
const workerText = worker.outputFiles[0].text;

mkdirSync(outDir, { recursive: true });
await esbuild.build({
  ...common,
  entryPoints: [join(here, "src/main.js")],
  outfile: join(outDir, "app.js"),
  plugins: [
    {
      name: "worker-source",
      setup(build) {
        build.onResolve({ filter: /^worker-source$/ }, () => ({ path: "worker", namespace: "worker" }));
        build.onLoad({ filter: /.*/, namespace: "worker" }, () => ({ contents: workerText, loader: "text" }));
      },
    },
  ],
});
for (const file of ["index.html", "page.css"]) copyFileSync(join(here, file), join(outDir, file));
