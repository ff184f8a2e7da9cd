#!/usr/bin/env bash
# Usage: check-readme-figures.sh SOURCE_DIR
#
# scripts/readme-figures against a figures file and READMEs of its own: the
# table filled from the code blocks only, a count without its unit, a
# missing figure shown as not measured, everything outside the markers kept,
# a second run changing nothing, and a README without its markers refused
# and left as it was. Then the project's own README, which must carry the
# markers for scripts/bench.
set -euo pipefail
src="$1"
tool="$src/scripts/readme-figures"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
fails=0
check() {  # check WHAT COMMAND...
  local what="$1"
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fails=$((fails + 1)); fi
}

cat >"$dir/figures.md" <<'END'
# Figures

- cli route pty median: 99.9 ms

## bench_cli_route

```
cli route pty median: 11.9 ms
cli route udp median: 6.5 ms
```

## bench_gateway_load

```
gateway load commands answered: 10000 of 10000 count
gateway load commands failed: 0 count
gateway load clients sent every change: 20 of 20 count
gateway load rss before: 11.0 MiB
gateway load rss after: 11.5 MiB
```
END
cat >"$dir/README.md" <<'END'
# Title

Text before.
<!-- figures:begin -->
| stale | table | 1 ms |
<!-- figures:end -->
Text after.
END
cp "$dir/README.md" "$dir/before.md"

check "it runs" "$tool" "$dir/figures.md" "$dir/README.md" "today"
check "figures from the code blocks" grep -qF '| 11.9 ms | none set |' "$dir/README.md"
check "nothing from outside them" bash -c "! grep -qF '99.9' '$dir/README.md'"
check "a count without its unit" grep -qF '10000 of 10000 answered, 0 failed, 20 of 20 clients sent every change; RSS 11.0 MiB before' "$dir/README.md"
check "a missing figure" grep -qE '^\| MQTT: command published to its frame on the pty \| not measured \|' "$dir/README.md"
check "the stamp" grep -qF 'Measured today, by' "$dir/README.md"
check "the stale table gone" bash -c "! grep -qF 'stale' '$dir/README.md'"
check "text outside the markers kept" \
  bash -c "diff <(sed '/figures:begin/,/figures:end/d' '$dir/before.md') <(sed '/figures:begin/,/figures:end/d' '$dir/README.md')"
cp "$dir/README.md" "$dir/once.md"
"$tool" "$dir/figures.md" "$dir/README.md" "today"
check "a second run changes nothing" cmp -s "$dir/once.md" "$dir/README.md"

grep -vF '<!-- figures:end -->' "$dir/before.md" >"$dir/unmarked.md"
cp "$dir/unmarked.md" "$dir/unmarked-before.md"
check "a README without the end marker refused" bash -c "! '$tool' '$dir/figures.md' '$dir/unmarked.md' today 2>/dev/null"
check "and left as it was" cmp -s "$dir/unmarked.md" "$dir/unmarked-before.md"

cp "$src/README.md" "$dir/project.md"
check "the project's README takes the table" "$tool" "$dir/figures.md" "$dir/project.md" "today"

[ "$fails" -eq 0 ]
