" nvim --headless -u NONE -S vim_syntax_test.vim, with SC_EDITORS_DIR set:
" the generated syntax file colours a line file as the reader reads it.
" Exits 0 when every case holds, 1 after listing those that do not.
execute 'set runtimepath+=' . $SC_EDITORS_DIR . '/vim'
filetype on
syntax on
let s:file = tempname() . '_linea.txt'
call writefile([
      \ 'pendenza, 0, 5',
      \ '[generale]',
      \ 'Lunghezza Percorso, 12000',
      \ 'Progressiva chilometrica uno, 0, 0, 0',
      \ 'ripetizione segnali 4 codici, 0, 0',
      \ '[pendenze]',
      \ '-- a note',
      \ 'PENDENZA forte, 0, -5',
      \ 'pendenza-max, 3, 0',
      \ 'curvad4, 100, 50 -- a note after the values',
      \ 'indicatore cartello, 5900, "Galleria, Valmora"',
      \ ], s:file)
execute 'edit ' . s:file
" [line, column, syntax group ('' for none)]
let s:cases = [
      \ [1, 1, 'scenarioIgnored'], [1, 11, 'scenarioIgnored'],
      \ [2, 2, 'scenarioSection'], [3, 1, 'scenarioKeyword'], [3, 12, 'scenarioKeyword'],
      \ [3, 21, 'scenarioNumber'], [4, 1, ''], [5, 1, 'scenarioKeyword'], [5, 24, 'scenarioKeyword'],
      \ [7, 4, 'scenarioNote'], [8, 1, 'scenarioKeyword'], [8, 20, 'scenarioNumber'],
      \ [9, 1, ''], [10, 1, 'scenarioKeyword'], [10, 19, 'scenarioNote'],
      \ [11, 1, 'scenarioKeyword'], [11, 30, 'scenarioText'],
      \ ]
let s:failures = []
for [s:line, s:column, s:want] in s:cases
  let s:got = synIDattr(synID(s:line, s:column, 1), 'name')
  if s:got !=# s:want
    call add(s:failures, printf('line %d column %d ("%s"): %s, not %s', s:line, s:column,
          \ getline(s:line), s:got ==# '' ? 'nothing' : s:got, s:want ==# '' ? 'nothing' : s:want))
  endif
endfor
call delete(s:file)
let g:report = join(s:failures + [printf('%d passed, %d failed', len(s:cases) - len(s:failures),
      \ len(s:failures))], "\n")
lua io.stdout:write(vim.g.report .. "\n")
if empty(s:failures)
  qall!
endif
cquit 1
