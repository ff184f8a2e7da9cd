#!/bin/sh
# Runs the given test program as an unprivileged user. Root ignores a tty's
# exclusive flag and its permissions, so port handling that only fails for
# normal users is invisible to a suite run as root (as CI is).
# Exit 77: skipped, with the reason on stderr.
prog="$1"; shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$prog" "$@"
fi
if ! command -v setpriv >/dev/null 2>&1; then
  echo "skipped: setpriv not available" >&2; exit 77
fi
as_nobody="setpriv --reuid=65534 --regid=65534 --clear-groups"
if ! $as_nobody test -x "$prog"; then
  echo "skipped: $prog is not reachable for user nobody" >&2; exit 77
fi
export HOME=/tmp XDG_RUNTIME_DIR=/tmp
cd /tmp && exec $as_nobody "$prog" "$@"
