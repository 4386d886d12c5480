" Line files end in "_linea.txt", train files in "-.txt". Both end in ".txt",
" which Vim takes for plain text first, hence "set" rather than "setfiletype".
autocmd BufNewFile,BufRead *_linea.txt,*-.txt set filetype=scenario
