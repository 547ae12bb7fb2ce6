#!/bin/sh
# Runs one of the Windows checks under Wine with a console while its standard
# input is a file, as an operator's "qkeditor.exe < answers.txt" has it. Wine
# gives a program a console only when one of its standard streams is a
# terminal: script(1) lends one for standard output, where the console draws;
# standard error is kept apart for the check's own messages.
#
#   wine_check.sh LOADER PREFIX WORK_FOLDER console_lines|answers_file CHECK_EXE
#
# console_lines: the check types its own keys and says what failed.
# answers_file: an answers file of more than 64 KiB goes through the check,
# which pauses every few lines; every line must come back intact.
set -eu
loader=$1 prefix=$2 work=$3 check=$4 program=$5

if [ ! -f "$program" ]; then
    echo "$program is missing: build it with \"make windows\" (make test does)." >&2
    exit 2
fi
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# The ANSI code page 1252, whatever the locale of the run.
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C.UTF-8

run() {
    status=0
    script -qec "\"$loader\" \"$program\" $1 < \"$2\" 2> errors.txt" console.txt < /dev/null > /dev/null || status=$?
    cat errors.txt >&2
    return $status
}

case $check in
console_lines)
    run "" /dev/null
    ;;
answers_file)
    i=0
    while [ $i -lt 2600 ]; do
        printf 'line%05d answer, with some text after it: %d\n' $i $((i * 7919 % 100000))
        i=$((i + 1))
    done > answers.txt
    run read.txt answers.txt
    if ! cmp answers.txt read.txt; then
        echo "The lines read differ from the answers file (answers.txt, read.txt in $work):" >&2
        diff answers.txt read.txt | head -n 20 >&2
        exit 1
    fi
    echo "$(wc -l < answers.txt) lines, $(wc -c < answers.txt) bytes, read intact through the pauses."
    ;;
*)
    echo "wine_check.sh: unknown check $check" >&2
    exit 2
    ;;
esac
