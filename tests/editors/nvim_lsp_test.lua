-- Drives `scenario-compiler lsp` from Neovim's own client, set up by the
-- init.lua that docs/editors.md shows (editors/nvim/init.lua, loaded with
-- -u): opens a pair of files, waits for the diagnostics check gives, and
-- tries what the setup offers: one server for the folder, K for hover,
-- completion through the omnifunc, gd, the notes in open_float and a code
-- action. Run, with scenario-compiler on the PATH:
--   SC_NVIM_INIT=editors/nvim/init.lua SC_EDITORS_DOC=docs/editors.md \
--   nvim --headless --cmd "set rtp+=editors/vim" -u editors/nvim/init.lua \
--     -c "luafile tests/editors/nvim_lsp_test.lua"

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

local function read(path)
  local file = assert(io.open(path, "rb"), "cannot read " .. path)
  local text = file:read("*a")
  file:close()
  return text
end

-- The setup the docs show is the file this Neovim was started with.
local function documented_setup()
  local doc = read(assert(os.getenv("SC_EDITORS_DOC"), "set SC_EDITORS_DOC"))
  local start = doc:find("\n## Neovim\n", 1, true)
  assert(start, "docs/editors.md has no Neovim section")
  return doc:sub(start):match("\n```lua\n(.-)```\n")
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

-- The text of the floating windows open now.
local function floats()
  local text = {}
  for _, win in ipairs(vim.api.nvim_list_wins()) do
    if vim.api.nvim_win_get_config(win).relative ~= "" then
      local lines = vim.api.nvim_buf_get_lines(vim.api.nvim_win_get_buf(win), 0, -1, false)
      table.insert(text, table.concat(lines, "\n"))
    end
  end
  return table.concat(text, "\n")
end

local function close_floats()
  for _, win in ipairs(vim.api.nvim_list_wins()) do
    if vim.api.nvim_win_get_config(win).relative ~= "" then vim.api.nvim_win_close(win, true) end
  end
end

local function run()
  check(documented_setup() == read(assert(os.getenv("SC_NVIM_INIT"), "set SC_NVIM_INIT")),
        "docs/editors.md shows the init.lua this test loads")

  vim.cmd("edit " .. vim.fn.fnameescape(train_file))
  local train_buf = vim.api.nvim_get_current_buf()
  vim.cmd("edit " .. vim.fn.fnameescape(line_file))
  local line_buf = vim.api.nvim_get_current_buf()
  vim.cmd("edit") -- FileType again, as after reloading a file
  local attached = vim.wait(10000, function()
    return vim.tbl_count(vim.lsp.buf_get_clients(line_buf)) == 1 and
           vim.tbl_count(vim.lsp.buf_get_clients(train_buf)) == 1
  end, 20)
  if not check(attached, "both files are attached to a server") then return end
  check(#vim.lsp.get_active_clients() == 1, "one server for the folder")
  local client = vim.lsp.get_active_clients()[1]

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

  -- K on a keyword shows the row kind.
  vim.api.nvim_set_current_buf(line_buf)
  vim.api.nvim_win_set_cursor(0, { 4, 2 })
  vim.cmd("normal K")
  check(vim.wait(10000, function() return floats():find("**gradient** row", 1, true) end, 20),
        "K shows the hover of the keyword")
  close_floats()

  -- Completion through the omnifunc.
  check(vim.bo[line_buf].omnifunc == "v:lua.vim.lsp.omnifunc", "completion has its omnifunc")
  local answer = client.request_sync("textDocument/completion", {
    textDocument = { uri = vim.uri_from_bufnr(line_buf) },
    position = { line = 4, character = 0 },
  }, 10000, line_buf)
  local labels = {}
  for _, item in ipairs(answer and answer.result or {}) do labels[item.label] = item end
  check(labels["montagna"] and labels["pendenza row"] and labels["[montagne]"],
        "completion offers keywords, row snippets and sections")

  -- The notes of a diagnostic in its float: the row that holds the cell.
  vim.api.nvim_set_current_buf(train_buf)
  vim.api.nvim_win_set_cursor(0, { 5, 10 })
  vim.diagnostic.open_float()
  check(floats():find("T_linea.txt:6: ", 1, true), "open_float shows the note at the board's row")
  close_floats()

  -- gd from the taken cell to the row that holds it.
  vim.cmd("normal gd")
  check(vim.wait(10000, function()
    return vim.api.nvim_get_current_buf() == line_buf and vim.api.nvim_win_get_cursor(0)[1] == 6
  end, 20), "gd leads to the text board's row")

  -- Round the position to the grid with the code action, and see the warning go.
  answer = client.request_sync("textDocument/codeAction", {
    textDocument = { uri = vim.uri_from_bufnr(line_buf) },
    range = { start = { line = 3, character = 0 }, ["end"] = { line = 3, character = 17 } },
    context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(line_buf, 3) },
  }, 10000, line_buf)
  local actions = answer and answer.result
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
