#!/usr/bin/env bash
# Runs the front-end fixture on a pseudo-terminal under Wine, where its standard
# streams are a console whose output code page is not UTF-8, and checks that
# non-ASCII text reaches the terminal as the characters it stands for (written
# as UTF-8 bytes to such a console, it would come out as other characters).
#
# usage: console_output_test.sh FIXTURE_EXE EMULATOR [EMULATOR_ARGS...]
set -u
fixture=$1
shift
export LC_ALL=C.UTF-8  # the terminal's character set
transcript=$(mktemp)
trap 'rm -f "$transcript"' EXIT

failures=0
# check STATUS EXPECTED_TEXT SELECTOR
check() {
  local expected_status=$1 expected_text=$2 selector=$3
  local command
  command="$(printf '%q ' "${emulator[@]}" "$fixture" "$selector")"
  script -qec "$command" "$transcript" </dev/null >/dev/null 2>&1
  local status=$?
  if [[ $status -ne $expected_status ]]; then
    echo "FAIL: selector '$selector': status $status, expected $expected_status"
    failures=$((failures + 1))
  fi
  if ! grep -qF -- "$expected_text" "$transcript"; then
    echo "FAIL: selector '$selector': the terminal did not show: $expected_text"
    cat -v "$transcript"
    failures=$((failures + 1))
  fi
}
emulator=("$@")

# A report on stdout, and a probe message on stderr.
check 0 '"mftFriendlyName": "Encodeur vidéo ™"' 'report é'
check 1 "scripted probe: selector 'Codificador H.264 — ñandú'" 'Codificador H.264 — ñandú'

if [[ $failures -ne 0 ]]; then
  echo "0 passed, $failures failed"
  exit 1
fi
echo "2 passed, 0 failed"
