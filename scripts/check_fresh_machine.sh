#!/usr/bin/env bash
# Checks the README's two commands on a fresh Debian 12: a minimal bookworm tree (debootstrap
# --variant=minbase) gets a copy of the committed tree, runs ./test.sh in it, then
# scripts/test_windows_core.sh (the core's tests built for Windows, under Wine), then
# ./run.sh --demo under xvfb-run, and the script says whether all three worked. Whatever either needs
# must come from scripts/packages.sh, not from what happens to be installed on this machine.
#
#   sudo scripts/check_fresh_machine.sh
#
# Needs root (debootstrap, mount, chroot) and Debian's package registry; installs debootstrap
# when it is missing. The fresh tree is made once and kept as a tarball in
# $TERVOLIN_FRESH_CACHE (default /var/cache/tervolin-fresh-machine), together with the Debian
# packages downloaded inside it, so a second run downloads nothing it already has; every run
# unpacks a new copy. Packages come from the mirror this machine's apt uses (or
# $TERVOLIN_DEBIAN_MIRROR). The commit checked is HEAD: changes not committed are not part of it.
# The logs and a screenshot of the demo stay in the run's folder, printed at the end; the folder
# holding the fresh tree is removed unless TERVOLIN_FRESH_KEEP=1.
# Exit status: 0 when all three worked, 1 when any failed, 2 when the check itself could
# not be set up.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repository=$(git -C "$here" rev-parse --show-toplevel)
suite=bookworm
cache=${TERVOLIN_FRESH_CACHE:-/var/cache/tervolin-fresh-machine}
tarball="$cache/debian-12-$suite-minbase-$(dpkg --print-architecture).tar.gz"
packages_cache="$cache/apt-archives"

fail_setup() {
  echo "check_fresh_machine: $*" >&2
  exit 2
}

if [ "$(id -u)" -ne 0 ]; then
  fail_setup "needs root (debootstrap, mount and chroot): run it with sudo"
fi

# The mirrors of this machine's apt sources: "URI suite" for every enabled deb source, from the
# one-line lists and the deb822 .sources files alike.
apt_sources() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$file" | awk '$1 == "deb" { print $2, $3 }'
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && enabled != "no")
          for (u = 1; u <= nu; u++)
            for (s = 1; s <= ns; s++)
              print uri[u], suites[s]
        types = ""; enabled = ""; nu = 0; ns = 0
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      {
        key = tolower($1); sub(/:$/, "", key)
        if (key == "types") { $1 = ""; types = $0 }
        else if (key == "enabled") enabled = tolower($2)
        else if (key == "uris") for (i = 2; i <= NF; i++) uri[++nu] = $i
        else if (key == "suites") for (i = 2; i <= NF; i++) suites[++ns] = $i
      }
      END { flush() }
    ' "$file"
  done
}

mirror=${TERVOLIN_DEBIAN_MIRROR:-$(apt_sources | awk -v s="$suite" '$2 == s { print $1; exit }')}
security=$(apt_sources | awk -v s="$suite-security" '$2 == s { print $1; exit }')
updates=$(apt_sources | awk -v s="$suite-updates" '$2 == s { print $1; exit }')
if [ -z "$mirror" ]; then
  fail_setup "no Debian $suite mirror in /etc/apt/sources.list*; name one in TERVOLIN_DEBIAN_MIRROR"
fi

if ! command -v debootstrap >/dev/null; then
  echo "Installing debootstrap"
  export DEBIAN_FRONTEND=noninteractive
  if ! apt-get update -qq || ! apt-get install -y -qq --no-install-recommends debootstrap; then
    fail_setup "could not install debootstrap"
  fi
fi

mkdir -p "$cache" "$packages_cache"
if [ ! -s "$tarball" ]; then
  echo "Making a minimal Debian 12 ($suite, minbase) from $mirror; kept as $tarball"
  bootstrap=$(mktemp -d "$cache/bootstrap.XXXXXX")
  chmod 755 "$bootstrap" # it becomes the fresh tree's /, which every user must be able to enter
  keyring=()
  if [ -f /usr/share/keyrings/debian-archive-keyring.gpg ]; then
    keyring=(--keyring=/usr/share/keyrings/debian-archive-keyring.gpg)
  fi
  if ! debootstrap --variant=minbase "${keyring[@]}" "$suite" "$bootstrap" "$mirror" \
    >"$cache/debootstrap.log" 2>&1; then
    tail -n 20 "$cache/debootstrap.log" >&2
    rm -rf "$bootstrap"
    fail_setup "debootstrap failed (log: $cache/debootstrap.log)"
  fi
  {
    echo "deb $mirror $suite main"
    if [ -n "$updates" ]; then echo "deb $updates $suite-updates main"; fi
    if [ -n "$security" ]; then echo "deb $security $suite-security main"; fi
  } >"$bootstrap/etc/apt/sources.list"
  rm -rf "$bootstrap"/var/cache/apt/archives/*.deb "$bootstrap"/var/lib/apt/lists/*
  tar --numeric-owner -C "$bootstrap" -czpf "$tarball.part" .
  mv "$tarball.part" "$tarball"
  rm -rf "$bootstrap"
fi

commit=$(git -C "$repository" rev-parse HEAD)
if [ -n "$(git -C "$repository" status --porcelain --untracked-files=no)" ]; then
  echo "Note: the work tree has changes that are not committed; the check uses commit ${commit:0:12}."
fi

work=$(mktemp -d /var/tmp/tervolin-fresh.XXXXXX)
root="$work/root"
mounts=()

# Every way out ends what still runs inside the fresh tree (a cupsd or Xvfb a failed test left
# behind), unmounts what was mounted, innermost first, and removes the tree.
cleanup() {
  local status=$?
  local process
  for process in /proc/[0-9]*; do
    if [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ]; then
      kill -KILL "${process#/proc/}" 2>/dev/null || true
    fi
  done
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null \
      || echo "check_fresh_machine: could not unmount ${mounts[i]}" >&2
  done
  if [ "${TERVOLIN_FRESH_KEEP:-0}" = 1 ]; then
    echo "The fresh tree is kept: $root"
  elif ! grep -q " $root" /proc/mounts; then
    rm -rf "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

mount_into() {
  mkdir -p "$root$2"
  mount "${@:3}" "$1" "$root$2"
  mounts+=("$root$2")
  # Nothing mounted below it inside reaches this machine's own tree.
  mount --make-private "$root$2"
}

echo "Unpacking a fresh Debian 12 into $root"
mkdir -p "$root"
tar --numeric-owner -C "$root" -xzpf "$tarball"
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"

echo "Copying commit ${commit:0:12} of $repository into /root/tervolin"
mkdir -p "$root/root/tervolin"
git -C "$repository" archive --format=tar "$commit" | tar -C "$root/root/tervolin" -xf -

mount_into proc /proc -t proc
mount_into sysfs /sys -t sysfs
mount_into /dev /dev --bind
mount_into /dev/pts /dev/pts --bind
mount_into tmpfs /dev/shm -t tmpfs -o mode=1777
mount_into "$packages_cache" /var/cache/apt/archives --bind

# Inside, a login's environment: nothing of this shell's, a UTF-8 locale and a runtime folder,
# as a desktop session has them.
mkdir -p "$root/run/user"
mkdir -m 700 "$root/run/user/0"
inside() {
  chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    XDG_RUNTIME_DIR=/run/user/0 "$@"
}

started=$SECONDS
minutes() { echo "$(((SECONDS - $1) / 60)) min $(((SECONDS - $1) % 60)) s"; }

# ./test.sh, as the README says, in the copied tree. A test that skips itself for want of a
# tool (the print server's test without CUPS) counts as a failure: the tool's package is missing.
echo "Running ./test.sh (log: $work/test.log)"
test_result=failed
step=$SECONDS
if inside timeout -k 60 4h bash -c 'cd /root/tervolin && ./test.sh' </dev/null >"$work/test.log" 2>&1; then
  if grep -q -E '\*\*\*(Skipped|Not Run)' "$work/test.log"; then
    test_result="failed: tests were skipped"
    grep -E '\*\*\*(Skipped|Not Run)|is skipped' "$work/test.log" | head -n 20
  else
    test_result=passed
  fi
else
  tail -n 40 "$work/test.log"
fi
echo "./test.sh: $test_result ($(minutes "$step"))"

# The core's tests built for Windows and run under Wine, as CI runs them after ./test.sh.
echo "Running scripts/test_windows_core.sh (log: $work/windows.log)"
windows_result=failed
step=$SECONDS
if inside timeout -k 60 1h bash -c 'cd /root/tervolin && scripts/test_windows_core.sh' </dev/null \
  >"$work/windows.log" 2>&1; then
  windows_result=passed
else
  tail -n 40 "$work/windows.log"
fi
echo "scripts/test_windows_core.sh: $windows_result ($(minutes "$step"))"

# ./run.sh --demo builds, installs into ~/tervolin-demo and then becomes the program, which runs
# until it is closed. Under xvfb-run, a small script waits for run.sh's "Starting" line (the
# build may take long), gives the program 15 seconds, and then asks that it still runs, that it
# printed nothing since that line (no warning, no error box text on the terminal), and that the
# display shows more than the blank root window (imagemagick's import, which ./test.sh
# installed; the screenshot is kept for a look). It then ends the program with SIGTERM, as a
# log-out would: the program closes its windows as their close boxes do, so it must end by
# itself within 30 seconds with status 0 and leave the demo database behind.
cat >"$root/root/check_demo.sh" <<'EOF'
#!/bin/bash
cd /root/tervolin
: >/root/demo.log
./run.sh --demo >>/root/demo.log 2>&1 </dev/null &
program=$!
until grep -q '^Starting ' /root/demo.log; do
  if ! kill -0 "$program" 2>/dev/null; then
    echo "run.sh ended before it started the program"
    exit 1
  fi
  sleep 2
done
sleep 15
if ! kill -0 "$program" 2>/dev/null; then
  wait "$program"
  echo "the program ended by itself (status $?) instead of showing its window"
  exit 1
fi
status=0
if [ -n "$(sed '1,/^Starting /d' /root/demo.log)" ]; then
  echo "the program printed on its terminal:"
  sed '1,/^Starting /d' /root/demo.log
  status=1
fi
import -window root /root/demo.png
colours=$(identify -format '%k' /root/demo.png 2>/dev/null || echo 0)
if [ "${colours:-0}" -le 1 ]; then
  echo "nothing on the display: the program shows no window"
  status=1
fi
kill -TERM "$program"
for _ in $(seq 30); do
  kill -0 "$program" 2>/dev/null || break
  sleep 1
done
if kill -0 "$program" 2>/dev/null; then
  echo "the program did not end within 30 seconds of SIGTERM"
  kill -KILL "$program"
  exit 1
fi
wait "$program"
ended=$?
if [ "$ended" -ne 0 ]; then
  echo "the program ended with status $ended after SIGTERM"
  status=1
fi
if [ ! -s /root/tervolin-demo/Tervolin2.spb ]; then
  echo "there is no demo database /root/tervolin-demo/Tervolin2.spb"
  status=1
fi
exit "$status"
EOF
chmod +x "$root/root/check_demo.sh"

echo "Running xvfb-run ./run.sh --demo (log: $work/demo.log)"
demo_result=failed
step=$SECONDS
if ! inside test -x /usr/bin/xvfb-run; then
  echo "xvfb-run is not there (./test.sh should have installed xvfb)"
elif inside timeout -k 60 2h xvfb-run -a -s '-screen 0 1400x900x24' /root/check_demo.sh \
  </dev/null >"$work/demo-check.log" 2>&1; then
  demo_result=passed
else
  cat "$work/demo-check.log"
  tail -n 40 "$root/root/demo.log" 2>/dev/null || true
fi
cp "$root/root/demo.log" "$work/demo.log" 2>/dev/null || true
cp "$root/root/demo.png" "$work/demo.png" 2>/dev/null || true
echo "./run.sh --demo: $demo_result ($(minutes "$step"))"

echo
echo "Fresh Debian 12, commit ${commit:0:12}, $(minutes "$started") in all:"
echo "  ./test.sh                      $test_result"
echo "  scripts/test_windows_core.sh   $windows_result"
echo "  ./run.sh --demo                $demo_result"
echo "  logs: $work/test.log, $work/windows.log, $work/demo.log"
if [ -f "$work/demo.png" ]; then
  echo "  the demo's screen: $work/demo.png"
fi
[ "$test_result" = passed ] && [ "$windows_result" = passed ] && [ "$demo_result" = passed ]
