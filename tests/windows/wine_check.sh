#!/bin/sh
# Runs a Windows check under Wine with a console while its standard input is
# a file of over 64 KiB, as "qkeditor.exe < answers.txt" has it. Wine gives a
# program a console only when one of its standard streams is a terminal:
# script(1) lends one for standard output; the check's messages go to stderr.
# No check may leave one of the program's temporary files in its folder.
#   wine_check.sh LOADER PREFIX WORK_FOLDER CHECK_EXE
set -eu
rm -rf "$3" && mkdir -p "$3" && cd "$3"
seq -f 'line%05g answer, with some text after it' 0 2599 > answers.txt
# LC_ALL: the ANSI code page 1252, whatever the locale of the run.
export WINEPREFIX="$2" WINEDEBUG=-all LC_ALL=C.UTF-8
status=0
script -qec "\"$1\" \"$4\" < answers.txt 2> errors.txt" console.txt < /dev/null > /dev/null || status=$?
cat errors.txt >&2
if ls -A | grep -q '^\.qkeditor-'; then echo "FAILED: a temporary file was left behind" >&2; exit 1; fi
exit $status
