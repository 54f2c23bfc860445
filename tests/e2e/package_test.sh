#!/usr/bin/env bash
# The release archive as a user gets it: CPack makes it from the build tree
# under its release name, it holds exactly the programs, the soundtrack c.ogg
# (an Ogg Vorbis stream of over two minutes, the build's own) and the text in
# one folder, and the unpacked show starts and ends with 0 on Escape (Linux under
# Xvfb; Windows under Wine, with the keys test; the web site served to
# headless Chromium, with the click). On Linux the unpacked
# qorv-capture also renders a frame, so its run-time libraries are found. The
# Windows program is a 32-bit GUI executable that imports only the system's
# DLLs; with "nostart" (a machine that cannot run 32-bit code) the test ends
# there with exit code 77, which ctest reports as skipped.
# usage: package_test.sh linux BUILD_DIR VERSION
#        package_test.sh web BUILD_DIR VERSION CHROMIUM
#        package_test.sh win32 BUILD_DIR VERSION XSHOT OBJDUMP start|nostart
# (inside xsession.sh)
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
kind="$1" build="$2" version="$3" xshot="${4:-}" objdump="${5:-}" start="${6:-start}"
chromium="${4:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$kind" = win32 ]; then
  name="qorv-$version-win32" archive="qorv-$version-win32.zip"
  expected="$name/README.txt $name/c.ogg $name/qorv.exe "
elif [ "$kind" = web ]; then
  name="qorv-$version-web" archive="qorv-$version-web.zip"
  expected="$name/README.txt $name/c.ogg $name/index.html $name/qorv.js $name/qorv.wasm "
else
  name="qorv-$version-linux-$(uname -m)" archive="$name.tar.gz"
  expected="$name/README.txt $name/c.ogg $name/qorv $name/qorv-capture "
fi

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(tail -n 5 "$work/cpack.log")"
[ -f "$work/out/$archive" ] || fail "no $archive: $(ls "$work/out")"
# Files only: a zip also lists its folder, a tarball need not.
listing=$(cd "$work" && cmake -E tar tf "out/$archive" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
[ "$listing" = "$expected" ] || fail "$archive holds: $listing; wanted: $expected"
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "../out/$archive") || fail "cannot unpack $archive"
text="$work/unpacked/$name/README.txt"
if [ "$kind" = web ]; then
  wanted_words=("c.ogg" "Escape" "WebGL 2" "http.server")
else
  wanted_words=("c.ogg" "Escape" "Exit codes" "OpenGL 4.0")
fi
for words in "${wanted_words[@]}" "own music" "Ogg Vorbis file"; do
  grep -q "$words" "$text" || fail "README.txt does not mention $words"
done
# The soundtrack is the one the build rendered, whole.
music="$work/unpacked/$name/c.ogg"
cmp -s "$music" "$build/$([ "$kind" = web ] && echo site || echo src)/c.ogg" ||
  fail "c.ogg differs from the build's"
[ "$(head -c 4 "$music")" = OggS ] || fail "c.ogg is not an Ogg stream"
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$music") ||
  fail "ffprobe cannot read c.ogg"
python3 -c "import sys; sys.exit(0 if 133.4 <= float('$seconds') <= 136 else 1)" ||
  fail "c.ogg lasts $seconds s"
echo "$archive: $(stat -c %s "$work/out/$archive") bytes: $listing"

if [ "$kind" = web ]; then
  # The unpacked site, served as the README says, starts and ends on Escape.
  node "$here/../web/web_test.js" show "$work/unpacked/$name" "$chromium" || fail "unpacked site"
elif [ "$kind" = win32 ]; then
  grep -q $'\r$' "$text" || fail "README.txt of the Windows archive has no CRLF line ends"
  exe="$work/unpacked/$name/qorv.exe"
  headers=$("$objdump" -p "$exe") || fail "$objdump cannot read qorv.exe"
  grep -q 'file format pei-i386' <<<"$headers" || fail "qorv.exe is not a 32-bit PE: $(grep -m1 'file format' <<<"$headers")"
  grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
    fail "qorv.exe is not a GUI program: $(grep -m1 '^Subsystem' <<<"$headers")"
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr a-z A-Z | LC_ALL=C sort | tr '\n' ' ')
  [ "$dlls" = "GDI32.DLL KERNEL32.DLL MSVCRT.DLL OPENGL32.DLL USER32.DLL WINMM.DLL " ] ||
    fail "qorv.exe imports $dlls"
  echo "qorv.exe: 32-bit GUI PE importing $dlls"
  if [ "$start" = nostart ]; then
    echo "skipped: this machine cannot run 32-bit code, so the unpacked qorv.exe is not started"
    exit 77
  fi
  bash "$here/win32_keys.sh" "$exe" "$xshot" || fail "unpacked qorv.exe"
else
  for words in "SDL" "EGL" "display" "ffmpeg" "qorv-capture --frames"; do
    grep -q "$words" "$text" || fail "README.txt does not mention $words"
  done
  (cd "$work" && "unpacked/$name/qorv-capture" --frames 3000 --size 32x18 --device software \
    --out frames --quiet) || fail "the unpacked qorv-capture cannot render"
  [ -s "$work/frames/frame-3000.png" ] || fail "the unpacked qorv-capture wrote no frame"
  bash "$here/linux_close_test.sh" "$work/unpacked/$name/qorv" escape || fail "unpacked qorv"
fi
echo "ok"
