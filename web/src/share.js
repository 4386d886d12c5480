// Both texts in the page address's fragment, deflated: the fragment never
// leaves the browser.
async function pipe(bytes, stream) {
  return new Uint8Array(await new Response(new Blob([bytes]).stream().pipeThrough(stream)).arrayBuffer());
}

const fromBase64Url = (text) =>
  Uint8Array.from(atob(text.replace(/-/g, "+").replace(/_/g, "/")), (c) => c.charCodeAt(0));

export async function shareFragment(pair) {
  const json = new TextEncoder().encode(JSON.stringify(pair));
  const packed = await pipe(json, new CompressionStream("deflate-raw"));
  let text = "";
  for (let i = 0; i < packed.length; i += 0x8000) text += String.fromCharCode(...packed.subarray(i, i + 0x8000));
  return "#pair=" + btoa(text).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

// The pair a fragment made by shareFragment holds, or null.
export async function pairOfFragment(fragment) {
  if (!fragment.startsWith("#pair=")) return null;
  try {
    const json = await pipe(fromBase64Url(fragment.slice(6)), new DecompressionStream("deflate-raw"));
    const pair = JSON.parse(new TextDecoder().decode(json));
    const fields = ["line_file", "line_text", "train_file", "train_text"];
    return fields.every((f) => typeof pair[f] === "string") ? pair : null;
  } catch {
    return null;
  }
}
