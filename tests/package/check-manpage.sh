#!/usr/bin/env bash
# check-manpage.sh CORVANE_CLI MAN_PAGE
# The man page of corvane-cli against the program itself:
# - the options and commands the usage (--help) lists are the ones the man
#   page documents (an entry of their own, .TP), both ways;
# - every option and command named in either is one the program takes (its
#   parser does not call it unknown), so neither lists one that is gone;
# - the exit statuses of the usage are the man page's, and the page names the
#   CORVANE_COMn environment variable and has JSON and EXAMPLES sections;
# - groff formats the page without a warning.
set -euo pipefail
cli="$1"
page="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

usage="$("$cli" --help)"
# The page with groff's escaped hyphens plain, and the tag line of each .TP entry.
sed 's/\\-/-/g' "$page" >"$tmp/page"
awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' "$tmp/page" >"$tmp/tags"

options() { grep -oE -- '(^|[^a-zA-Z0-9-])--[a-z0-9][a-z0-9-]*' | sed 's/^[^-]*//' | sort -u; }
options <<<"$usage" >"$tmp/usage-options"
options <"$tmp/tags" >"$tmp/man-options"
options <"$tmp/page" >"$tmp/page-options"
# The short -h is the one short option; the usage names --help only.
[ -s "$tmp/usage-options" ] || fail "found no options in the usage"

while read -r o; do fail "the usage lists $o but the man page has no entry for it"; done \
  < <(comm -23 "$tmp/usage-options" "$tmp/man-options")
while read -r o; do fail "the man page documents $o but the usage does not list it"; done \
  < <(comm -13 "$tmp/usage-options" "$tmp/man-options")

# An option the parser does not know makes it say "Unknown option"; a known one
# ends in another usage error (a missing value, no command) or in --help/--version.
said() { "$cli" "$@" 2>&1 </dev/null || true; }
takes_option() { ! grep -q 'Unknown option' <<<"$(said "$1")"; }
takes_option --no-such-option && fail "the probe cannot tell an unknown option (no 'Unknown option' message)"
while read -r o; do
  takes_option "$o" || fail "corvane-cli does not take $o, named in its usage or man page"
done < <(sort -u "$tmp/usage-options" "$tmp/page-options")

# Commands: the first word of each entry of the usage's command list and of the
# man page's COMMANDS section.
sed -n '/^Commands:/,/^$/p' <<<"$usage" | grep -oE '^  [a-z]+' | tr -d ' ' | sort -u >"$tmp/usage-commands"
sed -n '/^\.SH COMMANDS/,/^\.SH /p' "$tmp/page" |
  awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' | sed -E 's/^\.[A-Z]+ +"?//' | grep -oE '^[a-z]+' | sort -u >"$tmp/man-commands"
[ -s "$tmp/usage-commands" ] || fail "found no commands in the usage"
while read -r c; do fail "the usage lists the command $c but the man page has no entry for it"; done \
  < <(comm -23 "$tmp/usage-commands" "$tmp/man-commands")
while read -r c; do fail "the man page documents the command $c but the usage does not list it"; done \
  < <(comm -13 "$tmp/usage-commands" "$tmp/man-commands")
takes_command() { ! grep -q 'unknown command' <<<"$(said "$1")"; }
takes_command no-such-command && fail "the probe cannot tell an unknown command (no 'unknown command' message)"
while read -r c; do
  takes_command "$c" || fail "corvane-cli does not take the command $c"
done < <(sort -u "$tmp/usage-commands" "$tmp/man-commands")

# Exit statuses: the numbers of the usage's "Exit status:" line and the tags of
# the man page's EXIT STATUS section.
# The usage's "Exit status:" paragraph may run over several lines.
awk '/^Exit status:/ { on = 1 } on && /^$/ { on = 0 } on' <<<"$usage" | grep -oE '\b[0-9]+\b' | sort -u >"$tmp/usage-status"
sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' "$tmp/page" |
  awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' | grep -oE '[0-9]+' | sort -u >"$tmp/man-status"
[ -s "$tmp/usage-status" ] || fail "found no exit statuses in the usage"
cmp -s "$tmp/usage-status" "$tmp/man-status" ||
  fail "exit statuses: the usage has $(echo $(cat "$tmp/usage-status")), the man page $(echo $(cat "$tmp/man-status"))"

for section in ENVIRONMENT "JSON OUTPUT" "EXIT STATUS" EXAMPLES; do
  grep -qxF ".SH $section" "$tmp/page" || fail "the man page has no $section section"
done
grep -q 'CORVANE_COM' "$tmp/page" || fail "the man page does not name CORVANE_COMn"

warnings="$(groff -man -ww -z "$page" 2>&1)" || fail "groff could not format the man page"
[ -z "$warnings" ] || fail "groff warns about the man page: $warnings"

[ "$failures" -eq 0 ] || exit 1
echo "man page checks passed: $(wc -l <"$tmp/man-options") options, $(wc -l <"$tmp/man-commands") commands"
