#!/usr/bin/env bash
# Every quoted include names its folder, and no folder includes one above it.
# Allowed targets per folder (the folder itself is always allowed).
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/../.." && pwd)}"
command -v git >/dev/null || { echo "check-layers: git is needed to list the sources"; exit 77; }
declare -A allow=(
  [base]=""
  [link]="base"
  [platform]="base"
  [framework]="base"
  [resources]="base framework"
  [pages]="base link framework resources"
  [app]="base link platform framework resources pages"
  [cli]="base link platform"
  [gateway]="base link platform"
  [tools]=""
)
status=0
cd "$root"
while IFS= read -r file; do
  top="${file%%/*}"
  [ -n "${allow[$top]+x}" ] || continue
  while IFS= read -r inc; do
    dir="${inc%%/*}"
    if [ "$dir" = "$inc" ]; then
      case "$inc" in *.moc) continue ;; esac
      echo "$file: include without its folder: \"$inc\""; status=1; continue
    fi
    [ "$dir" = "$top" ] && continue
    [ "$dir" = version ] && continue
    case " ${allow[$top]} " in *" $dir "*) ;; *) echo "$file: $top/ must not include $inc"; status=1 ;; esac
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp')
exit "$status"
