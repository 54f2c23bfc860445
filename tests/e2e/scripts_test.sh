#!/usr/bin/env bash
# The repository's own scripts, run for real against stand-ins for what they
# would change or cannot choose on this machine:
#   setup   scripts/setup with apt-get, dpkg, dpkg-query, apt-cache, sudo and
#           the kernel probe replaced, so nothing is installed: a healthy
#           machine, a failing i386 index, an i386 step that cannot pair
#           versions, a kernel without 32-bit code, a failed show step
#   probes  scripts/runs-32bit-code, scripts/wine-runs-32bit and the test
#           programs' Wine wrapper with binutils,
#           the kernel probe and wine replaced
#   rules   scripts/check-layers on the tree and on a tree with one upward
#           include; the web preset configured without emcmake
# usage: scripts_test.sh setup|probes|rules REPOSITORY
set -u
source "$(dirname "$0")/lib.sh"
case_name=$1
repo=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fakes=$work/bin
mkdir -p "$fakes"

# fake NAME BODY: a stand-in command on PATH.
fake() {
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$fakes/$1"
  chmod +x "$fakes/$1"
}

# ---- setup ------------------------------------------------------------------
# The stand-ins keep the machine's state in $state: installed packages
# ("name arch version" lines), foreign architectures, and what breaks:
#   update-fails  apt-get update fails with a stale i386 index
#   broken        install fails when a package matches a line of it (grep -E)
#   versions      "name arch version" lines for packages installed at other
#                 versions than 1.0
# Every apt-get call is logged, one line each, to $state/apt.log; every call
# through the sudo stand-in to $state/sudo.log.
setup_fakes() {
  fake apt-get '
state=$FAKE_STATE
echo "$*" >>"$state/apt.log"
[ "$1" = update ] && {
  if [ -e "$state/update-fails" ]; then
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004)"
    exit 100
  fi
  exit 0
}
[ "$1" = install ] || exit 1
simulate=no pkgs=()
shift
while [ $# -gt 0 ]; do
  case $1 in
    -s) simulate=yes ;;
    -t | -o) shift ;;
    -*) ;;
    *) pkgs+=("$1") ;;
  esac
  shift
done
if [ "$simulate" = yes ]; then
  for p in "${pkgs[@]}"; do
    case $p in *:i386) echo " ${p} : Depends: libpcre2-8-0:i386 (>= 10.22) but it is not going to be installed" ;; esac
  done
  exit 0
fi
for p in "${pkgs[@]}"; do
  if [ -s "$state/broken" ] && echo "$p" | grep -qEf "$state/broken"; then
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
for p in "${pkgs[@]}"; do
  case $p in *:*) echo "${p%:*} ${p#*:} 1.0" ;; *) echo "$p amd64 1.0" ;; esac
done >>"$state/installed"'
  fake dpkg '
case $1 in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) cat "$FAKE_STATE/foreign" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE_STATE/foreign" ;;
  *) exit 1 ;;
esac'
  # dpkg-query -W -f=FORMAT NAME[:ARCH]: the format names either the version
  # alone or the package, architecture and status.
  fake dpkg-query '
format=${2#-f=} name=${3%:*} arch=
case $3 in *:*) arch=${3#*:} ;; esac
found=no
while read -r n a v; do
  [ "$n" = "$name" ] || continue
  [ -z "$arch" ] || [ "$a" = "$arch" ] || continue
  found=yes
  case $format in
    "\${Version}") printf "%s" "$v" ;;
    *) printf "%s %s installed\n" "$n" "$a" ;;
  esac
done < <(cat "$FAKE_STATE/versions" "$FAKE_STATE/installed" 2>/dev/null)
[ "$found" = yes ]'
  fake apt-cache '
[ "$1" = policy ] || exit 1
echo "$2:"
echo "  Installed: (none)"
echo "  Candidate: 10.42-1"'
  fake sudo 'echo "$*" >>"$FAKE_STATE/sudo.log"; exec "$@"'
  fake kernel-yes 'exit 0'
  fake kernel-no 'exit 1'
  printf 'ID=debian\nVERSION_CODENAME=bookworm\n' >"$work/os-release"
}

# run_setup CASE PROBE [ARGS...]: scripts/setup in a fresh state; sets CODE,
# and leaves its stderr in $work/CASE.err.
run_setup() {
  local name=$1 probe=$2
  shift 2
  export FAKE_STATE=$work/$name
  mkdir -p "$FAKE_STATE"
  PATH=$fakes:$PATH QORV_SETUP_SUDO=$fakes/sudo QORV_SETUP_PROBE=$fakes/$probe \
    QORV_SETUP_OS_RELEASE=$work/os-release QORV_SETUP_PAUSE=0 \
    "$repo/scripts/setup" "$@" >"$work/$name.out" 2>"$work/$name.err"
  CODE=$?
}

# expect CASE CODE: the exit code, then each further argument a line of
# stderr (grep -E) that must be there, or, after "!", must not.
expect() {
  local name=$1 want=$2 pattern negate=no
  shift 2
  [ "$CODE" = "$want" ] || fail "$name: exit code $CODE, wanted $want; stderr: $(cat "$work/$name.err")"
  for pattern in "$@"; do
    if [ "$pattern" = "!" ]; then negate=yes; continue; fi
    if [ "$negate" = yes ]; then
      ! grep -qE -- "$pattern" "$work/$name.err" ||
        fail "$name: stderr has '$pattern': $(grep -E -- "$pattern" "$work/$name.err")"
    else
      grep -qE -- "$pattern" "$work/$name.err" ||
        fail "$name: stderr lacks '$pattern': $(cat "$work/$name.err")"
    fi
  done
}

apt_log() { cat "$work/$1/apt.log"; }

test_setup() {
  setup_fakes

  # A healthy machine that runs 32-bit code: every step installs, with no
  # target release, through sudo, and i386 is added for the 32-bit step.
  run_setup healthy kernel-yes
  expect healthy 0 '^setup: done \(all\)$' '32-bit x86 code: installing 32-bit Wine' ! 'missing|failed'
  [ "$(grep -c '^update' "$work/healthy/apt.log")" = 1 ] || fail "healthy: $(apt_log healthy)"
  ! grep -q -- ' -t ' "$work/healthy/apt.log" || fail "healthy: installs with -t: $(apt_log healthy)"
  grep -q '^install .*wine32:i386' "$work/healthy/apt.log" || fail "healthy: no 32-bit step"
  grep -q '^apt-get install .*libsdl2-dev' "$work/healthy/sudo.log" ||
    fail "healthy: apt-get did not go through sudo: $(cat "$work/healthy/sudo.log")"
  [ "$(cat "$work/healthy/foreign")" = i386 ] || fail "healthy: i386 was not added"

  # The show alone: no i386 architecture, no test packages.
  run_setup show kernel-yes show
  expect show 0 '^setup: done \(show\)$'
  ! grep -qE 'i386|xvfb|wine' "$work/show/apt.log" || fail "show: $(apt_log show)"
  [ ! -e "$work/show/foreign" ] || fail "show: added an architecture"

  # A stale i386 index: three updates, then every install targets the
  # release, so both architectures get the main archive's versions.
  mkdir -p "$work/stale" && touch "$work/stale/update-fails"
  run_setup stale kernel-yes
  expect stale 0 'apt-get update failed 3 times' 'binary-i386/Packages.xz' \
    'installing with -t bookworm' '^setup: done \(all\)$'
  [ "$(grep -c '^update' "$work/stale/apt.log")" = 3 ] || fail "stale: $(apt_log stale)"
  [ "$(grep '^install' "$work/stale/apt.log" | grep -vc -- '-t bookworm')" = 0 ] ||
    fail "stale: an install without -t bookworm: $(apt_log stale)"

  # The i386 step cannot pair versions (a security update of the amd64
  # half): one line says why and where the Windows tests go instead, and the
  # run still succeeds, downgrading nothing.
  mkdir -p "$work/unpaired" && touch "$work/unpaired/update-fails"
  echo ':i386$' >"$work/unpaired/broken"
  echo 'libpcre2-8-0 amd64 10.42-1+deb12u2' >"$work/unpaired/versions"
  run_setup unpaired kernel-yes
  expect unpaired 0 \
    '^setup: 32-bit Wine not installed \(.*libpcre2-8-0 10.42-1\+deb12u2 \(i386: 10.42-1\).*\): the Windows tests will run from the 64-bit build under wine64$' \
    '^setup: done \(all\)$' ! 'missing after install' 'allow-downgrades'
  [ "$(grep -c '32-bit Wine not installed' "$work/unpaired.err")" = 1 ] || fail "unpaired: not one line"
  ! grep -q -- '--allow-downgrades' "$work/unpaired/apt.log" || fail "unpaired: downgrades"

  # A kernel without 32-bit code: no i386 architecture, no i386 package.
  run_setup no32 kernel-no
  expect no32 0 'cannot run 32-bit x86 code: no i386 package' '^setup: done \(all\)$'
  ! grep -q 'i386' "$work/no32/apt.log" || fail "no32: $(apt_log no32)"
  [ ! -e "$work/no32/foreign" ] || fail "no32: added an architecture"

  # A failed show step: the later steps still install, and the run ends with
  # 1 and one line naming the step and what is missing.
  mkdir -p "$work/noshow" && echo '^libsdl2-dev$' >"$work/noshow/broken"
  run_setup noshow kernel-no
  expect noshow 1 '^setup: missing after install \(the Linux show\): .*libsdl2-dev' ! 'setup: done'
  [ "$(grep -c 'missing after install' "$work/noshow.err")" = 1 ] || fail "noshow: not one line"
  grep -q '^install .*xvfb' "$work/noshow/apt.log" || fail "noshow: later steps were not tried"
  echo "setup: six cases pass"
}

# ---- probes -----------------------------------------------------------------
test_probes() {
  local runs=$repo/scripts/runs-32bit-code wine_probe=$repo/scripts/wine-runs-32bit code out
  # runs-32bit-code with binutils replaced: the linker's output stands for
  # the kernel's answer, so a probe that always says yes is caught.
  fake as 'while [ $# -gt 1 ]; do [ "$1" = -o ] && : >"$2"; shift; done'
  for answer in 42:0 1:1 139:1; do
    fake ld "while [ \$# -gt 1 ]; do [ \"\$1\" = -o ] && printf '#!/bin/sh\\nexit ${answer%%:*}\\n' >\"\$2\" && chmod +x \"\$2\"; shift; done"
    PATH=$fakes:$PATH "$runs"
    code=$?
    [ "$code" = "${answer#*:}" ] || fail "runs-32bit-code: program exit ${answer%%:*} gave $code"
  done
  mkdir -p "$work/nobin"
  ln -s "$(command -v mktemp)" "$work/nobin/mktemp"
  PATH=$work/nobin "$BASH" "$runs"
  [ $? = 2 ] || fail "runs-32bit-code without binutils: not 2"

  # wine-runs-32bit: the kernel probe, then wine in a prefix of its own, kept
  # when the program ran and removed when it did not.
  rm "$fakes/as" "$fakes/ld"
  fake kernel-no 'exit 1'
  fake kernel-yes 'exit 0'
  fake wine 'echo "$WINEARCH $WINEPREFIX" >>"$FAKE_STATE.wine"; mkdir -p "$WINEPREFIX"; exit $FAKE_WINE_EXIT'
  fake wineserver 'exit 0'
  export FAKE_STATE=$work/probe
  out=$(PATH=$fakes:$PATH QORV_KERNEL_PROBE=$fakes/kernel-no FAKE_WINE_EXIT=42 \
    "$wine_probe" "$work/prefix")
  [ $? = 1 ] && [ "$out" = "this kernel cannot run 32-bit x86 code" ] || fail "no 32-bit kernel: '$out'"
  [ ! -e "$FAKE_STATE.wine" ] || fail "wine ran on a kernel without 32-bit code"
  out=$(PATH=$fakes:$PATH QORV_KERNEL_PROBE=$fakes/kernel-yes FAKE_WINE_EXIT=1 \
    "$wine_probe" "$work/prefix")
  [ $? = 1 ] || fail "a wine that fails: exit 0"
  [[ $out == "Wine did not start a 32-bit Windows program in $work/prefix (exit code 1"* ]] ||
    fail "a wine that fails: '$out'"
  [ ! -e "$work/prefix" ] || fail "the failed probe's prefix was kept"
  rm -f "$FAKE_STATE.wine"
  out=$(PATH=$fakes:$PATH QORV_KERNEL_PROBE=$fakes/kernel-yes FAKE_WINE_EXIT=42 \
    "$wine_probe" "$work/prefix")
  [ $? = 0 ] && [ -z "$out" ] || fail "a wine that runs it: '$out'"
  [ -d "$work/prefix" ] || fail "the probe's prefix was not kept"
  [ "$(cat "$FAKE_STATE.wine")" = "win32 $work/prefix" ] || fail "wine ran as $(cat "$FAKE_STATE.wine")"

  # The test programs' wrapper starts a program again only when Wine lost its
  # server before the program ran, and passes on the program's own exit code.
  local runner=$repo/tests/wine_run.sh loader=$fakes/loader
  mkdir -p "$work/wp" && : >"$work/wp/system.reg"
  fake loader 'n=$(($(cat "$FAKE_STATE.n" 2>/dev/null || echo 0) + 1)); echo $n >"$FAKE_STATE.n"
[ "$n" -le "$FAKE_LOST" ] && { echo "wine client error:0: recvmsg: Connection reset by peer" >&2; exit 1; }
echo "ran $*"; exit $FAKE_EXIT'
  for want in 0:0:1:0 1:0:2:0 1:3:2:3 3:0:3:1 0:5:1:5; do
    IFS=: read -r lost exit tries code <<<"$want"
    rm -f "$FAKE_STATE.n"
    out=$(FAKE_LOST=$lost FAKE_EXIT=$exit "$runner" "$work/wp" win64 "$loader" t.exe --a 2>/dev/null)
    got=$?
    [ "$got" = "$code" ] && [ "$(cat "$FAKE_STATE.n")" = "$tries" ] ||
      fail "wine_run.sh, server lost $lost times, program exit $exit: exit $got after $(cat "$FAKE_STATE.n") starts"
    [ "$lost" -ge 3 ] || [ "$out" = "ran t.exe --a" ] || fail "wine_run.sh: program said '$out'"
  done
  echo "probes: pass"
}

# ---- rules ------------------------------------------------------------------
test_rules() {
  "$repo/scripts/check-layers" || fail "check-layers fails on the tree"
  local tree=$work/src dir
  for dir in app show render gl audio assets math; do mkdir -p "$tree/$dir"; done
  printf '#include "math/vec.h"\n' >"$tree/render/ok.cpp"
  printf '#include "render/ok.h"\n#include "show/timeline.h"\n' >"$tree/render/up.cpp"
  "$repo/scripts/check-layers" "$tree" 2>"$work/layers.err"
  [ $? = 1 ] || fail "check-layers passes an upward include"
  [ "$(cat "$work/layers.err")" = 'render/up.cpp: #include "show/timeline.h" reaches above render/' ] ||
    fail "check-layers said: $(cat "$work/layers.err")"

  # The web preset without Emscripten's toolchain stops before any compiler
  # is chosen and gives the command to use.
  cmake -S "$repo" -B "$work/web" -DQORV_WEB_PRESET=ON >"$work/web.out" 2>&1
  [ $? != 0 ] || fail "the web preset configured without emcmake"
  grep -qF 'run `emcmake cmake --preset web`' "$work/web.out" || fail "web preset: $(cat "$work/web.out")"
  ! grep -q 'CMAKE_CXX_COMPILER:' "$work/web/CMakeCache.txt" || fail "web preset: a compiler was chosen"
  echo "rules: pass"
}

"test_$case_name"
