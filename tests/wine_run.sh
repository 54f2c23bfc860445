#!/bin/sh
# Runs a Windows program of a test build under Wine, in the build's own prefix:
# the emulator that CTest puts before every test program of the Windows builds,
# including the listing of their test cases when ctest starts.
# usage: wine_run.sh PREFIX win32|win64 LOADER PROGRAM [ARGS...]
prefix=$1 arch=$2 loader=$3
shift 3
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
# No Mono or Gecko: their installers would ask, and nothing here needs them.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
# A program started by Wine itself takes the same loader.
[ "$arch" = win64 ] && export WINELOADER="$loader"
# NOTE: the first program in a fresh prefix sets it up on the fly, and one
# started while that is still going on may get no legacy GL context; the
# prefix is therefore made once, under a lock, and waited for.
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      "$loader" wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$prefix.lock"
fi
# NOTE: wineserver quits a few seconds after its last program ends, and a
# program that connects just as it quits stops before it has run, with "wine
# client error:0: recvmsg: Connection reset by peer". A busy machine meets
# that gap between two tests now and then, so such a start is tried again;
# the program's own failures are not. Its errors are passed on when it ends.
err=$(mktemp)
for try in 1 2 3; do
  "$loader" "$@" 2>"$err"
  code=$?
  cat "$err" >&2
  grep -q '^wine client error' "$err" || break
  echo "wine_run.sh: Wine lost its server at the start, try $try of 3" >&2
done
rm -f "$err"
exit $code
