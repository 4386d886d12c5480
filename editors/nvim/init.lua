-- scenario-compiler's language server in Neovim (0.7 and later): one server
-- for each folder, shared by the line and train files in it.
local servers = {} -- client id by folder

-- A diagnostic with its notes (the row that holds a cell, ...) under it.
local function with_notes(diagnostic)
  local message = diagnostic.message
  local lsp = diagnostic.user_data and diagnostic.user_data.lsp or {}
  for _, note in ipairs(lsp.relatedInformation or {}) do
    local file = vim.fn.fnamemodify(vim.uri_to_fname(note.location.uri), ":t")
    local line = note.location.range.start.line + 1
    message = message .. "\n  " .. file .. ":" .. line .. ": " .. note.message
  end
  return message
end
vim.diagnostic.config({ float = { format = with_notes } })

vim.api.nvim_create_autocmd("FileType", {
  pattern = "scenario",
  callback = function(args)
    local folder = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(args.buf), ":p:h")
    local id = servers[folder]
    if not (id and vim.lsp.get_client_by_id(id)) then
      id = vim.lsp.start_client({
        name = "scenario-compiler",
        cmd = { "scenario-compiler", "lsp" },
        root_dir = folder,
      })
      if not id then return end
      servers[folder] = id
    end
    vim.lsp.buf_attach_client(args.buf, id)
    vim.bo[args.buf].omnifunc = "v:lua.vim.lsp.omnifunc" -- completion: Ctrl-X Ctrl-O
    local function map(keys, action)
      vim.keymap.set("n", keys, action, { buffer = args.buf })
    end
    map("K", vim.lsp.buf.hover)
    map("gd", vim.lsp.buf.definition)
    map("<leader>a", vim.lsp.buf.code_action)
    map("<leader>e", vim.diagnostic.open_float)
  end,
})
