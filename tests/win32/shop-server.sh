# Sourced by the Windows end-to-end scripts (and scripts/run.sh for the server): the shop server
# on the client's built-in loopback host, in a network of the run's own, and the check that a
# test program really tested something. The host is compiled into the client, so every run
# serves the same port; a private network namespace makes that port this run's alone, and no
# other run, leftover server or `scripts/run.sh` can answer the client in its place.

# own_network "$@": runs the calling script again in a network namespace of its own, with its
# loopback up. Where this machine allows no namespace, the run stays on the shared loopback and
# start_shop_server refuses a port that something else holds.
own_network() {
  if [ -n "${LIRRA_OWN_NETWORK:-}" ]; then
    ip link set lo up
    return
  fi
  local unshare=(unshare --net)
  # An ordinary user needs a user namespace to own the network one (and root in it to raise lo).
  [ "$(id -u)" = 0 ] || unshare+=(--map-root-user)
  if "${unshare[@]}" true 2>/dev/null; then
    LIRRA_OWN_NETWORK=1 exec "${unshare[@]}" -- "$0" "$@"
  fi
  echo "no private network here (unshare refused): serving on the shared loopback" >&2
}

# shop_port HOST: sets `port` from the client's built-in 127.0.0.1 host; a client built for
# another host is skipped (exit 77).
shop_port() {
  case "$1" in
    127.0.0.1:*) port=${1##*:} ;;
    *)
      echo "the client is built for $1, not the loopback shop server; skipping"
      exit 77
      ;;
  esac
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# start_shop_server DATA_DIR PORT LOG: serves DATA_DIR, sets `server` to its process id and
# returns once it listens.
start_shop_server() {
  local data=$1 at=$2 log=$3
  if port_taken "$at"; then
    echo "something already answers on 127.0.0.1:$at; the client would talk to it, not to this run's server" >&2
    exit 1
  fi
  python3 "$here/tools/shop-server/shop_server.py" --root "$data" --host 127.0.0.1 --port "$at" >"$log" 2>&1 &
  server=$!
  for _ in $(seq 1 100); do
    grep -q '^listening' "$log" 2>/dev/null && return
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  kill "$server" 2>/dev/null || true
  cat "$log" >&2
  echo "shop server did not start on $at" >&2
  exit 1
}

stop_shop_server() {
  [ -n "${server:-}" ] || return 0
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}

# test_report FILE: the --gtest_output option that writes the test program's report to FILE.
test_report() { printf -- '--gtest_output=xml:Z:%s' "${1//\//\\}"; }

# expect_tests_passed FILE: fails unless the report names a test that ran and passed and none
# that was skipped. A test program that ran nothing (a filter that matched nothing, a set-up
# variable missing, a program that did not start) is a failure, not a pass.
expect_tests_passed() {
  python3 - "$1" <<'PY'
import sys
import xml.etree.ElementTree as ET
try:
    cases = list(ET.parse(sys.argv[1]).getroot().iter("testcase"))
except (OSError, ET.ParseError) as error:
    sys.exit("the test program left no report (%s): it ran nothing" % error)
name = lambda case: "%s.%s" % (case.get("classname"), case.get("name"))
ran = [c for c in cases if c.get("status") == "run"]
skipped = [name(c) for c in ran if c.get("result") == "skipped" or c.find("skipped") is not None]
failed = [name(c) for c in ran if c.find("failure") is not None]
if skipped:
    sys.exit("skipped, which here means not tested: " + ", ".join(skipped))
if not ran or len(failed) == len(ran):
    sys.exit("no test passed" + (": " + ", ".join(failed) if failed else ""))
PY
}
