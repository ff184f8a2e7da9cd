#!/usr/bin/env bash
# check-package.sh [--hardened] BUILD_DIR|DEB VERSION with-cli|without-cli
# Checks the .deb given, or builds one with CPack from BUILD_DIR into a
# temporary folder: that it holds the programs, stripped, the desktop entry,
# icons, man pages, README and docs, changelog and copyright file, that its
# dependencies were found from the shared libraries, and that the programs
# unpacked from it (dpkg-deb -x, nothing installed on this machine) answer
# --version. With --hardened (scripts/package builds with dpkg-buildflags)
# also that every program carries Debian's hardening: PIE, relro, bindnow,
# the stack protector and fortified functions.
set -euo pipefail
hardened=false
if [ "${1:-}" = --hardened ]; then
  hardened=true
  shift
fi
from="$1"
version="$2"
cli="$3"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if [ -f "$from" ]; then
  mkdir -p "$tmp/out"
  cp "$from" "$tmp/out/"
elif ! cpack --config "$from/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
debs=("$tmp"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one .deb, found: ${debs[*]}" >&2; exit 1; }
deb="${debs[0]}"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# The file list.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/files"
programs=(corvane corvane-sim corvane-gateway)
[ "$cli" = with-cli ] && programs+=(corvane-cli)
expected=(
  /usr/share/applications/corvane.desktop
  /usr/share/icons/hicolor/48x48/apps/corvane.png
  /usr/share/icons/hicolor/256x256/apps/corvane.png
  /usr/share/doc/corvane/copyright
  /usr/share/doc/corvane/changelog.gz
  /usr/share/doc/corvane/README.md
  /usr/share/doc/corvane/docs/simulator.md
  /usr/share/doc/corvane/docs/figures.md
  /usr/share/doc/corvane/docs/gateway.md
  /lib/systemd/system/corvane-gateway.service
  /usr/share/doc/corvane/examples/gateway.conf
)
for p in "${programs[@]}"; do expected+=("/usr/bin/$p" "/usr/share/man/man1/$p.1.gz"); done
for f in "${expected[@]}"; do
  grep -qxF "$f" "$tmp/files" || fail "the package lacks $f"
done

# Control fields: the version, and dependencies found by dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), expected $version"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib (shared-library dependencies not computed?)"
done
# The dialog font: its size and its CJK texts depend on it.
grep -q "\bfonts-wqy-zenhei\b" <<<"$depends" || fail "Depends lacks fonts-wqy-zenhei (the dialog font)"

dpkg-deb -x "$deb" "$tmp/root"
root="$tmp/root"

# Desktop entry points at the installed program and icon.
desktop="$root/usr/share/applications/corvane.desktop"
if [ -f "$desktop" ]; then
  for line in "Type=Application" "Exec=corvane" "Icon=corvane"; do
    grep -qxF "$line" "$desktop" || fail "corvane.desktop lacks '$line'"
  done
  grep -Eq '^Categories=(.*;)?(Utility|AudioVideo);' "$desktop" || fail "corvane.desktop is in neither Utility nor AudioVideo"
fi

# The copyright file is in the machine-readable format and names the project.
copyright="$root/usr/share/doc/corvane/copyright"
if [ -f "$copyright" ]; then
  head -n1 "$copyright" | grep -qE '^Format: .*/copyright-format/1\.0/?$' || fail "copyright lacks the format 1.0 header"
  grep -qxF "Upstream-Name: Corvane" "$copyright" || fail "copyright does not name Corvane"
  grep -qE '^License: ' "$copyright" || fail "copyright has no License field"
fi

# The gateway's unit: installed, not enabled or started by the package (no
# maintainer script touches it), not started before it is configured, and
# running with the serial devices' group and its own directories.
unit="$root/lib/systemd/system/corvane-gateway.service"
if [ -f "$unit" ]; then
  for line in "ExecStart=/usr/bin/corvane-gateway --config /etc/corvane/gateway.conf --state /var/lib/corvane-gateway/state.json" \
    "ConditionPathExists=/etc/corvane/gateway.conf" "SupplementaryGroups=dialout" \
    "StateDirectory=corvane-gateway" "ConfigurationDirectory=corvane" "WantedBy=multi-user.target"; do
    grep -qxF "$line" "$unit" || fail "corvane-gateway.service lacks '$line'"
  done
  grep -qE '^(DynamicUser=yes|User=.+)$' "$unit" || fail "corvane-gateway.service runs as root"
fi
dpkg-deb -e "$deb" "$tmp/control"
for script in preinst postinst prerm postrm; do
  if [ -e "$tmp/control/$script" ] && grep -q 'corvane-gateway' "$tmp/control/$script"; then
    fail "$script touches corvane-gateway: the package must not enable or start it"
  fi
done
if grep -qxF '/etc/corvane/gateway.conf' "$tmp/files"; then
  fail "the package ships /etc/corvane/gateway.conf; only the example belongs in it"
fi
# The example settings are accepted by the program they are for (with a link named).
example="$root/usr/share/doc/corvane/examples/gateway.conf"
if [ -f "$example" ] && [ -x "$root/usr/bin/corvane-gateway" ]; then
  { cat "$example"; echo "port = /dev/null-corvane-example"; echo "http = 127.0.0.1:notaport"; } >"$tmp/bad.conf"
  if out="$(timeout 30 "$root/usr/bin/corvane-gateway" --config "$tmp/bad.conf" 2>&1)"; then
    fail "a bad setting was accepted"
  fi
  grep -q "http 127.0.0.1:notaport" <<<"$out" || fail "the example's lines were not read as settings: $out"
fi

# Icons are PNGs of their directory's size (width and height from IHDR).
for size in 48 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png"
  [ -f "$png" ] || continue
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x${h}, expected ${size}x${size}"
done

# Man pages: gzip that holds a page header naming the program.
for p in "${programs[@]}"; do
  page="$root/usr/share/man/man1/$p.1.gz"
  [ -f "$page" ] || continue
  zcat "$page" | grep -q '^\.TH ' || fail "$p.1.gz has no .TH header"
  zcat "$page" | grep -q "$version" || fail "$p.1.gz does not carry version $version"
done

# README's links to docs/ resolve inside the package.
readme="$root/usr/share/doc/corvane/README.md"
if [ -f "$readme" ]; then
  for link in $(grep -oE '\]\(docs/[^)]+\)' "$readme" | sed 's/^](//; s/)$//' | sort -u); do
    [ -f "$root/usr/share/doc/corvane/$link" ] || fail "README.md links to $link, which the package lacks"
  done
fi

# Programs: stripped (no symbol table, no debug information) and, when built
# as scripts/package builds them, hardened.
for p in "${programs[@]}"; do
  exe="$root/usr/bin/$p"
  [ -f "$exe" ] || continue
  sections="$(readelf -SW "$exe")"
  grep -qE '\.symtab|\.debug_' <<<"$sections" && fail "$p is not stripped"
  $hardened || continue
  readelf -hW "$exe" | grep -qE 'Type:[[:space:]]+DYN' || fail "$p is not a position-independent executable"
  readelf -lW "$exe" | grep -q GNU_RELRO || fail "$p has no relro segment"
  readelf -dW "$exe" | grep -qE '\((FLAGS|FLAGS_1)\).*\bNOW\b' || fail "$p is not linked with bindnow"
  symbols="$(readelf --dyn-syms -W "$exe")"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$p has no stack protector"
  grep -qE '__[a-z0-9_]+_chk(@|\b)' <<<"$symbols" || fail "$p calls no fortified function (_FORTIFY_SOURCE missing?)"
done

# The unpacked programs start and report the package's version.
for p in "${programs[@]}"; do
  exe="$root/usr/bin/$p"
  [ -x "$exe" ] || { fail "$p is not executable"; continue; }
  if out="$(timeout 30 "$exe" --version 2>&1)"; then
    grep -qF "$version" <<<"$out" || fail "$p --version printed '$out', not version $version"
  else
    fail "$p --version failed: $out"
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "package checks passed"
