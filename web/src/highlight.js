// Colours for the two files, from the row-kind table's words (which the
// module gives): a keyword field names a kind when it holds all the kind's
// words, as the compilers match them; section lines, notes, numbers and quoted
// texts by their shape.
import { StreamLanguage } from "@codemirror/language";

function namesKind(field, kind) {
  const words = [kind.word, kind.also].filter((w) => w);
  const text = kind.any_case ? field.toLowerCase() : field;
  return words.every((w) => text.includes(kind.any_case ? w.toLowerCase() : w));
}

export function scenarioLanguage(kinds) {
  return StreamLanguage.define({
    name: "scenario",
    startState: () => ({ field: 0 }),
    token(stream, state) {
      if (stream.sol()) state.field = 0;
      if (stream.eatSpace()) return null;
      if (stream.eat(",")) {
        state.field++;
        return null;
      }
      if (stream.eat('"')) {
        if (stream.skipTo('"')) stream.next();
        else stream.skipToEnd();
        return "string";
      }
      if (state.field === 0 && stream.match(/^\[[^\]]*\]/)) return "heading";
      if (state.field === 0 && stream.peek() === "-") {
        stream.match(/^[^,"]*/);
        return "comment";
      }
      if (stream.match(/^[+-]?[0-9]+(?=[ \t,]|$)/)) return "number";
      const field = stream.match(/^[^,"]+/);
      if (!field) {
        stream.next();
        return null;
      }
      const text = field[0].trim();
      const keyword = state.field === 0 && !text.includes("-") && kinds.some((k) => namesKind(text, k));
      return keyword ? "keyword" : null;
    },
  });
}
