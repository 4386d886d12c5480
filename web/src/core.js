// The WebAssembly module's entry points as JavaScript functions: texts cross
// as bytes in the module's memory. Used by the page's worker and by the tests
// under node.
const encoder = new TextEncoder();
const decoder = new TextDecoder();

export function wrapCore(core) {
  const toText = (bytes) => {
    if (typeof bytes === "string") bytes = encoder.encode(bytes);
    const text = core._sc_text_new(bytes.length);
    core.HEAPU8.set(bytes, core._sc_text_data(text));
    return text;
  };
  const bytesOf = (text) => {
    const data = core._sc_text_data(text);
    return core.HEAPU8.slice(data, data + core._sc_text_size(text));
  };
  const take = (text) => {
    const bytes = bytesOf(text);
    core._sc_text_free(text);
    return bytes;
  };
  // Calls `f` with the arguments as texts of the module, freed after.
  const withTexts = (args, f) => {
    const texts = args.map(toText);
    try {
      return f(...texts);
    } finally {
      texts.forEach((t) => core._sc_text_free(t));
    }
  };

  return {
    // {status, findings, files: [{name, bytes}], summary, svg, objects}
    compile(lineFile, lineText, trainFile, trainText) {
      const compiled = withTexts([lineFile, lineText, trainFile, trainText], (...t) =>
        core._sc_compile(...t),
      );
      try {
        const report = JSON.parse(decoder.decode(bytesOf(core._sc_compiled_report(compiled))));
        report.files = report.files.map((name, i) => ({
          name,
          bytes: bytesOf(core._sc_compiled_file(compiled, i)),
        }));
        return report;
      } finally {
        core._sc_compiled_free(compiled);
      }
    },
    // A file's bytes as the editor's text.
    textForEditor(bytes) {
      return decoder.decode(take(withTexts([bytes], (t) => core._sc_text_for_editor(t))));
    },
    // The editor's text as Windows-1252 bytes: {bytes} or {failed: "LINE:COLUMN"}.
    textForDisk(text) {
      const failed = core._sc_text_new(0);
      const bytes = take(withTexts([text], (t) => core._sc_text_for_disk(t, failed)));
      const where = decoder.decode(take(failed));
      return where ? { failed: where } : { bytes };
    },
    // [{file: "line" | "train", word, also, any_case}]: the row-kind table's words.
    rowWords() {
      return JSON.parse(decoder.decode(take(core._sc_row_words())));
    },
    example() {
      return JSON.parse(decoder.decode(take(core._sc_example())));
    },
    // The language server: send(body) answers with the messages it sent.
    languageServer() {
      const lsp = core._sc_lsp_new();
      const messages = (text) => JSON.parse(decoder.decode(take(text)));
      return {
        receive: (body) => messages(withTexts([body], (t) => core._sc_lsp_receive(lsp, t))),
        nextCheckMs: () => core._sc_lsp_next_check_ms(lsp),
        checkDue: () => messages(core._sc_lsp_check_due(lsp)),
      };
    },
  };
}
