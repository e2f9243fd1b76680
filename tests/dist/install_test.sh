#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop, `man` and a user of
# marlinote-cli find it: the files and nothing else, the desktop entry valid and pointing at
# the installed program and icon, both manual pages rendering without a warning, and every
# command and option of marlinote-cli's own help described in its manual page.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in desktop-file-validate man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done

env -u DESTDIR cmake --install "$build" --prefix "$prefix" >/dev/null

expected="./bin/marlinote
./bin/marlinote-cli
./share/applications/marlinote.desktop
./share/doc/marlinote/copyright
./share/icons/hicolor/scalable/apps/marlinote.svg
./share/man/man1/marlinote-cli.1.gz
./share/man/man1/marlinote.1.gz"
installed=$(cd "$prefix" && find . ! -type d | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files:"$'\n'"$installed"

# The installed program runs on its own, away from the build folder.
cli="$prefix/bin/marlinote-cli"
overview=$(cd / && "$cli" --help) || fail "marlinote-cli --help failed"

entry="$prefix/share/applications/marlinote.desktop"
# It passes errors that "will be fatal in the future" with status 0: any message fails.
messages=$(desktop-file-validate "$entry" 2>&1) && [ -z "$messages" ] || fail "desktop-file-validate: $messages"
key() { sed -n "s/^$1=//p" "$entry"; }
exec_program=$(key Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_program" ] || fail "Exec names $exec_program, which is not installed"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "Icon $(key Icon)"
for k in 'Name\[ja\]' 'GenericName\[ja\]' 'Comment\[ja\]' MimeType; do
  [ -n "$(key "$k")" ] || fail "the entry has no $k"
done
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' \
  "$prefix/share/icons/hicolor/scalable/apps/marlinote.svg" || fail "the icon is not well-formed"

# Renders a page as a user's terminal shows it; groff's warnings (bad requests, unknown
# escapes) count as failures.
render() {
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >"$2") || fail "man -l $1"
  [ -z "$warnings" ] || fail "man -l $1 warns: $warnings"
}
render "$prefix/share/man/man1/marlinote.1.gz" "$prefix/marlinote.txt"
render "$prefix/share/man/man1/marlinote-cli.1.gz" "$prefix/cli.txt"
grep -Eq '^ *marlinote +- +edit the tags' "$prefix/marlinote.txt" || fail "marlinote(1) NAME"
grep -Eq '^ *marlinote-cli +- +read and write' "$prefix/cli.txt" || fail "marlinote-cli(1) NAME"

commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p' <<<"$overview")
[ -n "$commands" ] || fail "no commands in marlinote-cli --help"
# Each command has its own section, with an item for each option its help names.
for command in $commands; do
  section=$(awk -v c="$command" '$0 ~ "^   " c "( |$)" {on = 1; next} /^ {0,3}[^ ]/ {on = 0} on' \
    "$prefix/cli.txt")
  [ -n "$section" ] || fail "marlinote-cli(1) has no section for $command"
  for option in $("$cli" help "$command" | grep -o -- '--[a-z][a-z0-9-]*' | grep -vx -- --help | sort -u); do
    grep -Eq -- "^ {7}$option( |$)" <<<"$section" ||
      fail "marlinote-cli(1) does not describe $command $option (dist/marlinote-cli.1)"
  done
done

[ "$failures" -eq 0 ]
