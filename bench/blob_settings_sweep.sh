#!/usr/bin/env bash
# The blob's settings and their margins, on demand (not in CI): every setting
# that shapes the blob's mesh (qorv-meshgen --settings) moved by -5 % and by
# +5 %, one at a time; a count whose 5 % is not a whole number moves by one.
# For each run it prints every figure that blob_mesh_test checks, with the
# test's bound, the blob's ACMR with a 32-entry cache (mesh_order_test holds
# it to 0.60) and the generation time, then whether every bound held. Exits 1
# when a run missed one.
# usage: bench/blob_settings_sweep.sh [BUILD_DIR]   (default build/linux, with
#        qorv-meshgen and blob_mesh_test built)
set -u
build="${1:-$(dirname "$0")/../build/linux}"
meshgen="$build/tools/meshgen/qorv-meshgen"
test="$build/tests/unit/blob_mesh_test"
[ -x "$meshgen" ] && [ -x "$test" ] || { echo "blob_settings_sweep: build qorv-meshgen and blob_mesh_test in $build first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

runs=0 missed=0
while read -r name value kind; do
    for sign in -1 1; do
        if [ "$kind" = count ]; then
            new=$(awk -v v="$value" -v s="$sign" 'BEGIN { d = v * 0.05; if (d != int(d)) d = 1; print v + s * d }')
        else
            new=$(awk -v v="$value" -v s="$sign" 'BEGIN { printf "%.10g", v * (1 + s * 0.05) }')
        fi
        runs=$((runs + 1))
        echo "== $name $value -> $new"
        start=$(date +%s.%N)
        if ! "$meshgen" --set "$name=$new" "$work" >"$work/meshgen.out" 2>&1; then
            echo "qorv-meshgen failed: $(tail -1 "$work/meshgen.out")"
            missed=$((missed + 1))
            continue
        fi
        seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
        QORV_MESH_DIR="$work" "$test" >"$work/test.out" 2>&1
        status=$?
        grep '^figure' "$work/test.out" | sed 's/^figure /  /'
        acmr=$(awk '$1 == "blob" && $2 == "ordered" { print $7 }' "$work/meshgen.out")
        echo "  ACMR, cache 32              $acmr   <= 0.60 (mesh_order_test)"
        echo "  generation, all meshes      $seconds s"
        if [ $status = 0 ] && awk -v a="$acmr" 'BEGIN { exit !(a <= 0.60) }'; then
            echo "  every bound met"
        else
            missed=$((missed + 1))
            echo "  MISSED: $(grep -E '^\[  FAILED  \] BlobMesh\.' "$work/test.out" | sed 's/^\[  FAILED  \] //; s/ (.*//' | sort -u | tr '\n' ' ')"
            grep -E '^(Expected: |along )' "$work/test.out" | sort -u | sed 's/^/    /'
        fi
    done
done < <("$meshgen" --settings)
echo "blob_settings_sweep: $((runs - missed)) of $runs runs met every bound"
[ $missed = 0 ]
