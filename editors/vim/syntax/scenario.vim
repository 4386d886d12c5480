" Vim syntax file for the line and train text files of scenario-compiler:
" keywords, section lines, numbers, quoted texts and "-" notes.
if exists("b:current_syntax")
  finish
endif

syntax case ignore

" A line that begins with "-" is a note: the reader drops the field unread.
syntax match scenarioNote "^\s*-[^,"]*$"
" A note after the last value of a row: "pendenza, 1000, 0 -- level again".
syntax match scenarioNote "\s--\+[^,"]*$"
syntax match scenarioSection "\[[^]]*\]"
syntax region scenarioText start=+"+ end=+"+ oneline
syntax match scenarioNumber "\%(^\|[ \t,]\)\zs[-+]\=\d\+\ze\%($\|[ \t,]\)"

" The row words of both files; a keyword field holds its word anywhere.
syntax match scenarioKeyword "\%(^\|,\)\s*\zs[^,"]*\%(lunghezza\|percorso\|progressiva\|sfondo\|ripetizione\)[^,"]*"
syntax match scenarioKeyword "\%(^\|,\)\s*\zs[^,"]*\%(pendenza\|curva\|montagna\|indicatori_v\|indicat[^,"]*cartello\)[^,"]*"
syntax match scenarioKeyword "\%(^\|,\)\s*\zs[^,"]*\%(frenata\|vetture\|velocit\|aderenza\|orologio\|sabbia\|segnale\|rallentamento\|abbattimento\|stazione\)[^,"]*"

highlight default link scenarioNote Comment
highlight default link scenarioSection PreProc
highlight default link scenarioText String
highlight default link scenarioNumber Number
highlight default link scenarioKeyword Keyword

let b:current_syntax = "scenario"
