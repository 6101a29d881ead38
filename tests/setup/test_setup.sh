#!/usr/bin/env bash
# Runs scripts/setup.sh against fakes of dpkg-query, apt-get, id and sudo, one case a row.
# PATH holds only the fakes and the few tools the script needs, so a real sudo never interferes.
set -euo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/tools" "$work/fakes" "$work/sudo"
for t in bash env grep; do ln -s "$(command -v "$t")" "$work/tools/$t"; done

# Every package is installed except those in FAKE_MISSING.
cat >"$work/fakes/dpkg-query" <<'SH'
#!/bin/bash
for p in $FAKE_MISSING; do [ "$p" = "${!#}" ] && exit 1; done
echo "install ok installed"
SH
# The effective user is FAKE_UID; the fake sudo turns it into root.
cat >"$work/fakes/id" <<'SH'
#!/bin/bash
[ "$1" = -u ] && echo "$FAKE_UID"
SH
cat >"$work/fakes/apt-get" <<'SH'
#!/bin/bash
echo "uid=$FAKE_UID apt-get $*" >>"$FAKE_LOG"
SH
cat >"$work/sudo/sudo" <<'SH'
#!/bin/bash
echo "sudo $*" >>"$FAKE_LOG"
[ "$1" = -E ] && shift
FAKE_UID=0 exec "$@"
SH
chmod +x "$work"/fakes/* "$work/sudo/sudo"
apt="$work/fakes/apt-get"

# name | uid | sudo on PATH | missing | exit code | calls recorded (glob patterns, ';' between lines)
cases=(
  "root|0|yes|xvfb|0|uid=0 apt-get update *;uid=0 apt-get install -y * xvfb"
  "user|1000|yes|xvfb|0|sudo -E $apt update *;uid=0 apt-get update *;sudo -E $apt install -y * xvfb;uid=0 apt-get install -y * xvfb"
  "crypto_for_encrypted_workbooks|0|yes|libssl-dev|0|uid=0 apt-get update *;uid=0 apt-get install -y * libssl-dev"
  "crypto_through_sudo|1000|yes|libssl-dev|0|sudo -E $apt update *;uid=0 apt-get update *;sudo -E $apt install -y * libssl-dev;uid=0 apt-get install -y * libssl-dev"
  "timer_of_the_benchmarks|0|yes|time|0|uid=0 apt-get update *;uid=0 apt-get install -y * time"
  "nothing_missing|1000|yes||0|"
  "user_without_sudo|1000|no|xvfb|1|"
)

failures=0
fail() {
  echo "FAIL $name: $*"
  sed 's/^/  recorded: /' "$log"
  sed 's/^/  stdout: /' "$work/out"
  sed 's/^/  stderr: /' "$work/err"
  failures=$((failures + 1))
}
check() {
  [ "$rc" -eq "$code" ] || { fail "exit code $rc, expected $code"; return; }
  local expected recorded i
  mapfile -t expected < <([ -n "$calls" ] && tr ';' '\n' <<<"$calls")
  mapfile -t recorded <"$log"
  [ ${#recorded[@]} -eq ${#expected[@]} ] ||
    { fail "${#recorded[@]} calls recorded, expected ${#expected[@]}"; return; }
  for i in "${!expected[@]}"; do
    # shellcheck disable=SC2053 # the expected line is a glob pattern
    [[ ${recorded[$i]} == ${expected[$i]} ]] || { fail "call $((i + 1)) does not match: ${expected[$i]}"; return; }
  done
  if [ -z "$missing" ] && grep -q Installing "$work/out" "$work/err"; then
    fail "says it is installing with nothing missing"
    return
  fi
  if [ "$code" -ne 0 ] && ! grep -q -w "$missing" "$work/err"; then
    fail "the error does not name the missing package"
    return
  fi
  echo "ok   $name"
}

for c in "${cases[@]}"; do
  IFS='|' read -r name uid sudo missing code calls <<<"$c"
  log="$work/$name.log"
  : >"$log"
  path="$work/tools"
  [ "$sudo" = yes ] && path="$work/sudo:$path"
  rc=0
  env -i PATH="$path" FAKE_UID="$uid" FAKE_MISSING="$missing" FAKE_LOG="$log" \
    QD_DPKG_QUERY="$work/fakes/dpkg-query" QD_APT_GET="$apt" QD_ID="$work/fakes/id" \
    "$BASH" "$setup" >"$work/out" 2>"$work/err" || rc=$?
  check
done
exit $((failures > 0))
