#!/usr/bin/env bash
# Runs a command inside a private network with simulated switchers, so that a
# broadcast search can be tested without reaching any real network.
#
#   switcher-net.sh SIMULATOR COUNT -- COMMAND [ARGS...]
#
# Builds, in network namespaces of its own (names carry this script's PID):
#   <id>-pc         the PC: bridge br0 10.200.0.1/24, route for
#                   255.255.255.255 via br0, no other route
#   <id>-sw1 ...    one namespace per simulator, eth0 10.200.0.11, .12, ...
#                   on the bridge; each runs SIMULATOR --udp --no-pty
#                   --name SW-<n> bound to 0.0.0.0:5000
# then runs COMMAND inside <id>-pc with
#   CORVANE_NETNS=<id>-pc  CORVANE_NETNS_PC_IP=10.200.0.1
#   CORVANE_NETNS_SWITCHERS="10.200.0.11=SW-1 10.200.0.12=SW-2 ..."
# and exits with its status. Everything is removed again on every way out
# (success, failure, signal). Exits 77 (the test is skipped) with the reason
# on stderr when namespaces cannot be made here: not root, no `ip`, or the
# kernel refuses.
set -uo pipefail

SKIP=77
usage() { echo "usage: $0 SIMULATOR COUNT -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 4 ] && [ "$3" = "--" ] || usage
sim="$1"
count="$2"
shift 3
case "$count" in '' | *[!0-9]*) usage ;; esac
[ "$count" -ge 1 ] && [ "$count" -le 50 ] || usage

skip() { echo "SKIP: $*" >&2; exit "$SKIP"; }
[ "$(id -u)" -eq 0 ] || skip "network namespaces need root (running as $(id -un))"
command -v ip >/dev/null || skip "the ip command (iproute2) is not installed"
[ -x "$sim" ] || { echo "$0: simulator $sim is not executable" >&2; exit 1; }

id="cvn$$"
pc="$id-pc"
namespaces=()
sim_pids=()
cmd_pid=""
tmp="$(mktemp -d)"

cleanup() {
  local pid ns
  if [ -n "$cmd_pid" ]; then
    kill -TERM "$cmd_pid" 2>/dev/null
    wait "$cmd_pid" 2>/dev/null
  fi
  for pid in "${sim_pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  for pid in "${sim_pids[@]}"; do wait "$pid" 2>/dev/null; done
  # Deleting a namespace takes its interfaces (bridge, veth ends) with it.
  for ns in "${namespaces[@]}"; do ip netns del "$ns" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

addns() {
  ip netns add "$1" 2>"$tmp/err" || return 1
  namespaces+=("$1")
  ip -n "$1" link set lo up
}

addns "$pc" || skip "cannot create a network namespace: $(cat "$tmp/err")"
ip -n "$pc" link add br0 type bridge 2>"$tmp/err" || skip "cannot create a bridge: $(cat "$tmp/err")"
ip -n "$pc" addr add 10.200.0.1/24 dev br0
ip -n "$pc" link set br0 up
ip -n "$pc" route add 255.255.255.255/32 dev br0

switchers=""
for n in $(seq 1 "$count"); do
  ns="$id-sw$n"
  addr="10.200.0.$((10 + n))"
  addns "$ns" || { echo "$0: cannot create namespace $ns: $(cat "$tmp/err")" >&2; exit 1; }
  # Both ends are made inside namespaces: nothing appears in the machine's own.
  ip -n "$pc" link add "sw$n" type veth peer name eth0 netns "$ns" || exit 1
  ip -n "$pc" link set "sw$n" master br0 up
  ip -n "$ns" addr add "$addr/24" dev eth0
  ip -n "$ns" link set eth0 up
  ip netns exec "$ns" "$sim" --udp --no-pty --name "SW-$n" >"$tmp/sim$n.out" &
  sim_pids+=($!)
  switchers="$switchers${switchers:+ }$addr=SW-$n"
done

# Each simulator prints "udp: ..." once its socket is bound.
for n in $(seq 1 "$count"); do
  for _ in $(seq 1 100); do
    grep -q '^udp: ' "$tmp/sim$n.out" 2>/dev/null && break
    sleep 0.05
  done
  grep -q '^udp: ' "$tmp/sim$n.out" || { echo "$0: simulator $n did not start" >&2; exit 1; }
done

# Wait until the bridge forwards (its ports leave the listening state).
for _ in $(seq 1 100); do
  ip -n "$pc" -br link show type veth | grep -q 'UP' && \
    ! bridge -n "$pc" link show 2>/dev/null | grep -qv 'state forwarding' && break
  sleep 0.05
done

export CORVANE_NETNS="$pc" CORVANE_NETNS_PC_IP=10.200.0.1 CORVANE_NETNS_SWITCHERS="$switchers"
# In the background, so that a signal to this script is handled at once
# (cleanup ends the command too).
ip netns exec "$pc" "$@" &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
exit "$status"
