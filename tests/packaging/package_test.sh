#!/usr/bin/env bash
# The Debian package as a user gets it: made by cpack from the build, unpacked into a scratch root
# with dpkg -x, its files and dependencies checked, and the installed program started from its
# folder under /opt (which its user may not write) on a demo database in the user's data folder.
#   package_test.sh <build folder> <make_demo_database>
set -euo pipefail
build=$1
make_demo=$2

scratch=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail "cpack -G DEB"
fi
packages=("$scratch"/out/*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "one package expected: ${packages[*]}"
deb=${packages[0]}

[ "$(dpkg-deb -f "$deb" Package)" = tervolin ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6charts6 libqt6printsupport6 libxlsxwriter libzip libpugixml libfreexl libqrencode; do
  grep -q "$library" <<<"$depends" || fail "no dependency on $library"
done
if tr ',' '\n' <<<"$depends" | grep -Eq -- '-dev( |$|\()'; then
  fail "a development package among the dependencies"
fi

root=$scratch/root
dpkg -x "$deb" "$root"
program=$root/opt/tervolin/tervolin
[ -x "$program" ] || fail "no program at /opt/tervolin/tervolin"
[ "$(head -c 5 "$root/opt/tervolin/Help.pdf")" = "%PDF-" ] || fail "no guide at /opt/tervolin/Help.pdf"
if ldd "$program" | grep -q "not found"; then
  ldd "$program" >&2
  fail "libraries the system does not have"
fi

entry=$root/usr/share/applications/tervolin.desktop
[ -f "$entry" ] || fail "no desktop entry"
for line in 'Type=Application' 'Name=Терволин — оплата электричества' \
  'Name[ru]=Терволин — оплата электричества' 'Exec="/opt/tervolin/tervolin"' 'Icon=tervolin' \
  'Categories=Office;Finance;'; do
  grep -qxF -- "$line" "$entry" || fail "the desktop entry lacks the line $line"
done
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry"; fi
for size in 16 22 24 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/tervolin.png
  [ -f "$icon" ] || fail "no icon of $size px"
  # The PNG header gives the width and height as 32-bit numbers at bytes 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the $size px icon is ${width}x${height}"
done
if find "$root" -path "$root/opt/tervolin/share" -print -quit | grep -q .; then
  fail "the program folder's own desktop entry is in the package"
fi

# The user: an ordinary one, with a home of their own. The superuser writes anywhere, so then the
# program runs as "nobody".
home=$scratch/home
data=$home/.local/share
mkdir -p "$data/tervolin" "$home/.config"
"$make_demo" "$data/tervolin/Tervolin2.spb" --subscribers 20 >/dev/null
chmod -R a-w "$root/opt/tervolin"
chmod 755 "$scratch"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen "${as_user[@]}" "$program" \
  >"$scratch/program.log" 2>&1 &
program_pid=$!

# The lock beside the database is taken once the program runs; the main window follows at once.
for _ in $(seq 1 300); do
  [ -e "$data/tervolin/Tervolin2.spb.lock" ] && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
[ -e "$data/tervolin/Tervolin2.spb.lock" ] || { cat "$scratch/program.log" >&2; fail "the program did not take its database in ~/.local/share/tervolin"; }
sleep 1
kill -0 "$program_pid" 2>/dev/null || { cat "$scratch/program.log" >&2; fail "the program ended by itself"; }
kill -TERM "$program_pid"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || { cat "$scratch/program.log" >&2; fail "the program ended with status $status"; }
[ -s "$data/tervolin/Tervolin2.spb" ] || fail "the database is gone"
extra=$(find "$root/opt/tervolin" -mindepth 1 -newer "$deb" | head -1)
[ -z "$extra" ] || fail "the program wrote into its folder: $extra"
echo "The package installs and its program starts."
