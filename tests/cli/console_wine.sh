#!/bin/bash
# SPDX-License-Identifier: MIT
# lq3860ctl.exe writing to a console: Wine gives a program started on a
# terminal a console of its own, which passes what the program writes on to
# the terminal. A message that holds a file name outside ASCII must reach the
# terminal as the same characters (text handed to the console as bytes is
# read in its OEM code page and shows as other characters).
#
#   console_wine.sh lq3860ctl.exe wine-run.sh [its arguments]
set -u

TOOL=${1:?lq3860ctl.exe}
RUNNER=("${@:2}")
NAME='Konfigürátion-конфиг.txt'
if ! command -v script >/dev/null; then
    echo "needs script (util-linux) for a terminal; skipped"
    exit 77
fi
# Wine reads the command line in the terminal's character set.
printf -v command '%q ' "${RUNNER[@]}" "$TOOL" --simulate write "$NAME"
output=$(LC_ALL=C.UTF-8 script -qec "$command" /dev/null)
if grep -qF "$NAME" <<<"$output"; then
    echo "passed: the file name reached the terminal as written"
    exit 0
fi
echo "failed: the terminal showed:"
sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' <<<"$output"
exit 1
