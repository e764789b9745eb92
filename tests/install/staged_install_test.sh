#!/usr/bin/env bash
# Installs the build into a staging folder and uses what was installed the way a
# user does: the companion on the installed sample, then the program as its menu
# entry starts it, twice, in a fresh home folder. The program has no switch to
# quit, so each start is ended with a signal once it has done its part.
# Usage: staged_install_test.sh BUILD_DIR VERSION MODULE_DIR
set -euo pipefail
build=$1
version=$2
modules=$3

id=io.github.feecompare.FeeCompare
stage=$(mktemp -d)
gui=
finish() {
  [[ -z $gui ]] || kill "$gui" 2>/dev/null || true
  rm -rf "$stage"
}
trap finish EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
sample=$usr/share/fee-compare/compare.dat

# Exactly these files, nothing else.
expected=$(sort <<END
bin/fee-compare
bin/fee-compare-cli
$modules/libfee_chart.so
share/fee-compare/compare.dat
share/fee-compare/daily-plans.json
share/fee-compare/ryoban_h.hlp
share/applications/$id.desktop
share/metainfo/$id.metainfo.xml
share/icons/hicolor/scalable/apps/$id.svg
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/256x256/apps/$id.png
share/man/man1/fee-compare.1.gz
share/man/man1/fee-compare-cli.1.gz
share/doc/fee-compare/copyright
share/doc/fee-compare/changelog.gz
END
)
installed=$(cd "$usr" && find . ! -type d | sed 's|^\./||' | sort)
[[ $installed == "$expected" ]] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

out=$("$usr/bin/fee-compare-cli" --version)
[[ $out == "fee-compare-cli $version" ]] || fail "--version printed \"$out\""
out=$("$usr/bin/fee-compare-cli" check --data "$sample") || fail "check on the installed sample: $out"

# The command of the installed menu entry, run from the installed bin folder.
exec_line=$(sed -n 's/^Exec=//p' "$usr/share/applications/$id.desktop")
[[ $exec_line == "fee-compare --user-data" ]] || fail "menu entry runs \"$exec_line\""
home=$stage/home
data=$home/.local/share/fee-compare/compare.dat
mkdir -p "$home"

# run_gui SECONDS CHECK...: starts the menu entry's command and ends it with
# SIGTERM once CHECK succeeds, or after SECONDS.
run_gui() {
  local seconds=$1
  shift
  (cd "$home" && exec env -u XDG_DATA_HOME HOME="$home" PATH="$usr/bin:$PATH" QT_QPA_PLATFORM=offscreen \
    $exec_line) &
  gui=$!
  for ((i = 0; i < seconds * 20; i++)); do
    "$@" && break
    sleep 0.05
  done
  kill -0 "$gui" 2>/dev/null || fail "the program ended by itself"
  # SIGTERM closes it as its close box does: the file is written, status 0.
  kill "$gui"
  wait "$gui" || fail "the program ended with status $? on SIGTERM"
  gui=
}

# First start: the folder is made and the sample copied.
run_gui 10 test -e "$data"
[[ -f $data ]] || fail "the first start made no $data"
cmp -s "$data" "$sample" || fail "$data is not the installed sample"

# Second start: the user's own file stays as it is (broker 0's fee 2000 -> 1234).
changed=$stage/changed.dat
sed '3s/^2000\r$/1234\r/' "$data" >"$changed"
cmp -s "$changed" "$sample" && fail "the test could not change the file"
"$usr/bin/fee-compare-cli" check --data "$changed" >/dev/null || fail "the changed file is not valid"
cp "$changed" "$data"
# The access time moves when the program has read the file (where the file
# system keeps access times; elsewhere the start just gets two seconds).
read_before=$(stat -c %x "$data")
was_read() { [[ $(stat -c %x "$data") != "$read_before" ]]; }
run_gui 2 was_read
cmp -s "$data" "$changed" || fail "the second start replaced the user's file"
echo "staged install: ${installed//$'\n'/, }"
