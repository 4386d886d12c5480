#!/usr/bin/env bash
# The program under test for the command-line tests when they check the
# Windows build: scenario-compiler.exe (SC_TEST_PROGRAM_FILE) under Wine, with
# the arguments given. exec keeps the process id, so a signal the tests send
# reaches Wine, which hands SIGINT to the program as the console's Ctrl-C.
exec wine "$SC_TEST_PROGRAM_FILE" "$@"
