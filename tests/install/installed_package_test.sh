#!/usr/bin/env bash
# Builds the Debian package from the finished build, checks it and its desktop files
# with their own validators, unpacks it (dpkg -x) into a temporary folder, plays a
# script with the installed program under Xvfb and starts it as the desktop's menu
# entry would, without a file and with one. Every file that the build's program
# opens from its program folder must be in the package.
# Usage: installed_package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# ---- The package ----
(cd "$build" && cpack -G DEB -B "$work/pkg" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/pellworks_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Section | grep -qx education || fail "Section is not education"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libespeak-ng1 espeak-ng-data pocketsphinx-en-us; do
  grep -q "$need" <<< "$depends" || fail "Depends lacks $need: $depends"
done
lintian --fail-on error --suppress-tags no-manual-page "$deb" > "$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; fail "lintian finds errors"; }
grep -E '^E:' "$work/lintian.log" && fail "lintian errors"

root=$work/root
dpkg -x "$deb" "$root"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$work/files"
share=$root/usr/share

# ---- Desktop files, each through its validator ----
desktop-file-validate "$share/applications/org.pellworks.Pellworks.desktop" || fail "desktop file"
appstreamcli validate --no-net "$share/metainfo/org.pellworks.Pellworks.metainfo.xml" || fail "metainfo"
# The script type, registered as the desktop would register it.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/org.pellworks.Pellworks.xml" "$work/mime/packages/"
update-mime-database "$work/mime" > "$work/mime.log" 2>&1 || { cat "$work/mime.log"; fail "MIME package"; }
grep -q '^50:application/x-pellworks-script:\*\.csp$' "$work/mime/globs2" || fail "*.csp is not a Pellworks script"
grep -q 'text/plain' "$work/mime/subclasses" || fail "a script is not text"
for page in pellworks acstool; do
  warnings=$(zcat "$share/man/man1/$page.1.gz" | LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l - 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man page $page: $warnings"
done
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/org.pellworks.Pellworks.png
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "icon $png is not ${size}x${size}"
done
[ -f "$share/icons/hicolor/scalable/apps/org.pellworks.Pellworks.svg" ] || fail "scalable icon"

# ---- The installed program plays a script ----
printf 'interval 0\r\npellwick> speak hello from the package\r\nsound chime\r\n' > "$work/hello.csp"
run() {  # run PROGRAM TRACE: runout of hello.csp, with a home of its own
  local home; home=$(mktemp -d -p "$work")
  PELLWORKS_HOME=$home PELLWORKS_TRACE=1 PELLWORKS_CHARS= QT_QPA_PLATFORM=xcb \
    timeout 60 "$src/tests/with-xvfb" "$@" runout "$work/hello.csp"
}
run "$root/usr/bin/pellworks" 2> "$work/installed.trace" || { tail -20 "$work/installed.trace"; fail "the installed program"; }
grep -q "request Pellwick Load \"$share/pellworks/chars/Pellwick.acs\"" "$work/installed.trace" ||
  fail "the installed program did not load its own Pellwick"
grep -q 'event RequestComplete [0-9]* Pellwick Speak' "$work/installed.trace" || fail "Pellwick did not speak"

# ---- Started the way a desktop starts it: from the menu, and with a file ----
desktop_start() {  # desktop_start NAME [FILE]: the entry's Exec line, expanded as a desktop does
  local name=$1 word; local -a cmd=()
  set -f
  for word in $(sed -n 's/^Exec=//p' "$share/applications/org.pellworks.Pellworks.desktop"); do
    case $word in
      %[fFuU]) [ $# -ge 2 ] && cmd+=("$2") ;;  # one argument, blanks and quotes and all
      *) cmd+=("$word") ;;
    esac
  done
  set +f
  cmd[0]=$root/usr/bin/${cmd[0]}  # the unpacked copy stands in for the one on PATH
  local home; home=$(mktemp -d -p "$work")
  PELLWORKS_HOME=$home PELLWORKS_TRACE=1 PELLWORKS_NO_SPLASH=1 QT_QPA_PLATFORM=xcb \
    timeout 90 "$src/tests/with-xvfb" sh -c 'echo $$ > "$0"; exec "$@"' "$work/$name.pid" "${cmd[@]}" \
    > /dev/null 2> "$work/$name.trace" &
  job=$!
}
stays_up_with() {  # stays_up_with NAME TEXT: the program's trace shows TEXT and it keeps running
  local name=$1 pattern=$2
  for _ in $(seq 600); do
    grep -qF -- "$pattern" "$work/$name.trace" 2>/dev/null && break
    kill -0 "$job" 2>/dev/null || break
    sleep 0.1
  done
  grep -qF -- "$pattern" "$work/$name.trace" || { tail -20 "$work/$name.trace"; fail "$name: no '$pattern'"; }
  grep -q ' event MainWindowPainted' "$work/$name.trace" || fail "$name: no main window"
  kill -0 "$(cat "$work/$name.pid")" 2>/dev/null || { tail -20 "$work/$name.trace"; fail "$name: the program ended"; }
  kill "$(cat "$work/$name.pid")"
  wait "$job" || true
}
desktop_start menu
stays_up_with menu "request Pellwick Speak \"Hi, I'm Pellwick.\""
file="$work/Zoë's \"tea party\" script.csp"
printf 'pellwick> speak tea\r\n' > "$file"
desktop_start double-click "$file"
stays_up_with double-click ' event FileLoaded "'"$work/Zoë's \\\"tea party\\\" script.csp"'"'
echo "started from the menu and with a file, as a desktop starts it"

# ---- What the program opens from its folder is in the package ----
bin=$build/bin
missing=""
while read -r rel; do
  grep -qx "/usr/share/pellworks/$rel" "$work/files" || missing+=" $rel"
done < <(cd "$bin" && find chars scripts wav help -type f ! -name .keep 2>/dev/null; cd "$bin" && ls Pellwick_comp.txt 2>/dev/null || true)
[ -z "$missing" ] || fail "the package lacks program files:$missing"
if strace -f -qq -e trace=openat -o "$work/opens" true 2>/dev/null; then
  run strace -f -qq -e trace=openat,open -o "$work/opens" "$bin/pellworks" 2> "$work/build.trace" || fail "the build's program"
  opened=$(grep -oE "\"$bin/[^\"]+\"" "$work/opens" | tr -d '"' | sed "s|^$bin/||" | grep -v '^pellworks$' | sort -u)
  for rel in $opened; do
    [ -f "$bin/$rel" ] || continue  # looked for, not there
    grep -qx "/usr/share/pellworks/$rel" "$work/files" || missing+=" $rel"
  done
  [ -z "$missing" ] || fail "the program opens files that the package lacks:$missing"
  echo "the build's program opened $(wc -w <<< "$opened") files of its folder; all are in the package"
else
  echo "strace cannot trace here: checked the program folder's files only"
fi
echo "ok"
