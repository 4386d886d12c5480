-- Drives `scenario-compiler lsp` from Neovim's own client: opens a pair of
-- files, waits for the diagnostics check gives, asks for hover, completion,
-- symbols and definition, applies a code action and checks each result.
-- Run: SC_EXECUTABLE=... nvim --headless -u NONE -c "luafile nvim_lsp_test.lua"

local executable = assert(os.getenv("SC_EXECUTABLE"), "set SC_EXECUTABLE")
local failures = {}

local function check(ok, what)
  if not ok then table.insert(failures, what) end
  return ok
end

local function finish()
  if #failures == 0 then
    io.stdout:write("neovim lsp test: passed\n")
    vim.cmd("qall!")
  end
  for _, failure in ipairs(failures) do io.stderr:write("FAILED: " .. failure .. "\n") end
  vim.cmd("cquit 1")
end

local dir = vim.fn.tempname()
vim.fn.mkdir(dir, "p")
local line_file = dir .. "/T_linea.txt"
local train_file = dir .. "/T_R1-.txt"
vim.fn.writefile({
  "[generale]",
  "lunghezza percorso, 12000",
  "[pendenze]",
  "pendenza, 1234, 5",
  "pendenzza, 2000, 0",
  "indicatore cartello, 2000, VIA ROMA, 3",
  "[fine]",
}, line_file)
vim.fn.writefile({
  "[generale]",
  "velocita, 0, 80",
  "aderenza, 0, 50",
  "[segnali]",
  "segnale, 2000, 1, 4, 1, 1, 0, 2, 2,1,1, 0",
  "[fine]",
}, train_file)

local function codes(bufnr)
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(bufnr)) do found[d.code] = d end
  return found
end

local function run()
  local client_id = vim.lsp.start_client({
    name = "scenario-compiler",
    cmd = { executable, "lsp" },
    root_dir = dir,
    init_options = { debounceMs = 20 },
  })
  assert(client_id, "the server did not start")
  vim.cmd("edit " .. vim.fn.fnameescape(train_file))
  local train_buf = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(train_buf, client_id)
  vim.cmd("edit " .. vim.fn.fnameescape(line_file))
  local line_buf = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(line_buf, client_id)
  local client = vim.lsp.get_client_by_id(client_id)

  -- Diagnostics of both files, as `check` gives them.
  local arrived = vim.wait(20000, function()
    return codes(line_buf)["text-cut-at-comma"] ~= nil and codes(train_buf)["signal-cell-taken"] ~= nil
  end, 20)
  if not check(arrived, "the diagnostics of both files arrive") then return end
  local off_grid = codes(line_buf)["off-grid"]
  check(off_grid and off_grid.lnum == 3 and off_grid.col == 10 and off_grid.end_col == 14,
        "off-grid stands at the position field")
  check(codes(line_buf)["unknown-keyword"] ~= nil, "unknown-keyword is reported")
  local taken = codes(train_buf)["signal-cell-taken"]
  check(taken.severity == vim.diagnostic.severity.ERROR, "a taken cell is an error")

  local function at(bufnr, line, character)
    return { textDocument = { uri = vim.uri_from_bufnr(bufnr) },
             position = { line = line, character = character } }
  end
  local function ask(method, params, bufnr)
    local answer = client.request_sync(method, params, 10000, bufnr)
    check(answer and not answer.err, method .. " is answered")
    return answer and answer.result
  end

  -- Hover on a keyword and on a value.
  local keyword = ask("textDocument/hover", at(line_buf, 3, 2), line_buf)
  check(keyword and keyword.contents.value:find("**gradient** row", 1, true),
        "hover on a keyword names the row kind")
  local value = ask("textDocument/hover", at(line_buf, 3, 12), line_buf)
  check(value and value.contents.value:find("lands in cell 25", 1, true),
        "hover on a position says the cell it lands in")

  -- Completion at the start of a row.
  local items = ask("textDocument/completion", at(line_buf, 4, 0), line_buf)
  local labels = {}
  for _, item in ipairs(items or {}) do labels[item.label] = item end
  check(labels["montagna"] and labels["pendenza row"] and labels["[montagne]"],
        "completion offers keywords, row snippets and sections")
  check(labels["pendenza row"] and labels["pendenza row"].insertTextFormat == 2,
        "a row comes as a snippet")

  -- The outline of the train file.
  local symbols = ask("textDocument/documentSymbol",
                      { textDocument = { uri = vim.uri_from_bufnr(train_buf) } }, train_buf)
  local signals = symbols and symbols[2] and symbols[2].children or {}
  check(symbols and symbols[2].name == "[segnali]" and signals[1] and
        signals[1].name == "signal at 2000 m", "symbols list sections and the signal")

  -- From the taken cell to the row that holds it.
  local locations = ask("textDocument/definition", at(train_buf, 4, 10), train_buf)
  check(locations and locations[1] and locations[1].uri == vim.uri_from_bufnr(line_buf) and
        locations[1].range.start.line == 5, "definition leads to the text board's row")
  vim.api.nvim_set_current_buf(train_buf)
  vim.lsp.util.jump_to_location(locations[1], client.offset_encoding)
  check(vim.api.nvim_get_current_buf() == line_buf and vim.api.nvim_win_get_cursor(0)[1] == 6,
        "jumping there shows the row")

  -- Round the position to the grid with the code action, and see the warning go.
  local actions = ask("textDocument/codeAction", {
    textDocument = { uri = vim.uri_from_bufnr(line_buf) },
    range = { start = { line = 3, character = 0 }, ["end"] = { line = 3, character = 17 } },
    context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(line_buf, 3) },
  }, line_buf)
  if not check(actions and actions[1] and actions[1].edit, "a code action is offered") then
    return
  end
  vim.lsp.util.apply_workspace_edit(actions[1].edit, client.offset_encoding)
  check(vim.api.nvim_buf_get_lines(line_buf, 3, 4, false)[1] == "pendenza, 1250, 5",
        "the code action rounds the position")
  check(vim.wait(20000, function() return codes(line_buf)["off-grid"] == nil end, 20),
        "the warning goes once the position is on the grid")
  check(codes(line_buf)["unknown-keyword"] ~= nil, "the other warnings stay")

  client.stop()
  check(vim.wait(5000, function() return client.is_stopped() end, 20), "the server stops")
end

local ok, failure = pcall(run)
check(ok, tostring(failure))
finish()
