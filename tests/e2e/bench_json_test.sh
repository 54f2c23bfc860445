#!/usr/bin/env bash
# qorv-bench --json --quick prints valid JSON holding every figure: frame
# times with the show's and a flat program for each size and frame, start-up
# stages, ACMR of the ring and blob meshes, the null-GL CPU time, and the
# capture throughput with one job and with one per core for each size; and,
# with --blob-against, the blob frames drawn alternately with the embedded
# blob and a one-triangle blob from a file, which must come out far cheaper
# (else the other mesh was never drawn); and, with --blob-shading, the
# shading error of the embedded blob and of that one-triangle blob against
# the dense reference, in its quick form (480x270), where the reference at a
# quarter and at about half of its quads must err less and less and the
# reference drawn again not at all. Mesh files that are cut short or name
# vertices they lack are refused before any drawing, by either option.
# usage: bench_json_test.sh QORV-BENCH
set -u
source "$(dirname "$0")/lib.sh"
bench="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Mesh files: counts, 24-byte vertices, 32-bit indices, little-endian.
python3 - "$work" <<'PY'
import struct, sys
def mesh(name, vertices, indices, cut=0):
    data = struct.pack("<II", len(vertices), len(indices))
    for v in vertices:
        data += struct.pack("<6f", *v)
    data += struct.pack("<%dI" % len(indices), *indices)
    open(sys.argv[1] + "/" + name, "wb").write(data[:len(data) - cut])
tri = [(0, 0, 1.5, 0, 0, 1), (0.1, 0, 1.5, 0, 0, 1), (0, 0.1, 1.5, 0, 0, 1)]
mesh("tiny.mesh", tri, [0, 1, 2])
mesh("short.mesh", tri, [0, 1, 2], cut=4)
mesh("stray.mesh", tri, [0, 1, 3])
PY
for bad in short:"is not a mesh file" stray:"names no vertex"; do
    for option in --blob-against --blob-shading; do
        "$bench" --quick $option "$work/${bad%%:*}.mesh" >/dev/null 2>"$work/bad.err"
        [ $? = 1 ] && grep -q "^qorv-bench: .*${bad#*:}" "$work/bad.err" || fail "${bad%%:*}.mesh not refused by $option: $(cat "$work/bad.err")"
    done
done

"$bench" --json --quick --device software --blob-against "$work/tiny.mesh" --blob-shading "$work/tiny.mesh" >"$work/bench.json" 2>"$work/bench.err" || fail "qorv-bench failed: $(cat "$work/bench.err")"
python3 -c 'import json,sys; json.load(sys.stdin)' <"$work/bench.json" || fail "not JSON"
python3 - "$work/bench.json" <<'PY' || fail "missing or implausible figures"
import json, sys
d = json.load(open(sys.argv[1]))
errors = []
def check(ok, what):
    if not ok: errors.append(what)

check(d["quick"] is True, "quick")
check(isinstance(d["renderer"], str) and d["renderer"].startswith("llvmpipe"), "renderer")
check(d["device"] == "EGL software device", "device %s" % d["device"])
frames = d["frames"]
sizes = sorted({(f["width"], f["height"]) for f in frames})
check(len(sizes) == 2, "two sizes")
for size in sizes:
    got = sorted(f["frame"] for f in frames if (f["width"], f["height"]) == size)
    check(got == [1, 1000, 3000, 3499, 5000, 8000], "frames at %s: %s" % (size, got))
for f in frames:
    for key in ("show_ms", "flat_ms"):
        s = f[key]
        check(0 < s["min"] <= s["median"] <= s["max"], "%s of frame %d: %s" % (key, f["frame"], s))
    # The medians are printed to 0.0005 ms, which for a fast frame moves
    # their quotient by more than the ratio's own rounding.
    show, flat, e = f["show_ms"]["median"], f["flat_ms"]["median"], 0.0005
    check((show - e) / (flat + e) - e <= f["show_over_flat"] <= (show + e) / max(flat - e, 1e-9) + e,
          "ratio of frame %d" % f["frame"])
check(len(d["startup"]) == 2, "start-up per size")
for s in d["startup"]:
    for key in ("context_ms", "shader_compilation_ms", "mesh_upload_ms", "first_frame_ms"):
        check(s[key] > 0, "start-up %s" % key)
cache = d["vertex_cache"]
check(cache["floor"] == 0.5, "floor")
names = sorted(m["mesh"] for m in cache["meshes"])
check(names == ["blob", "ring"], "meshes %s" % names)
for m in cache["meshes"]:
    floor = m["vertices"] / m["triangles"]
    check(floor - 1e-9 <= m["acmr_32"] <= m["acmr_16"] <= 3.0,
          "ACMR of %s: %s" % (m["mesh"], m))
cpu = d["frame_routine_cpu_us"]
check(cpu is not None and cpu["gl"] == "null", "null-GL CPU time")
if cpu:
    check(sorted(f["frame"] for f in cpu["frames"]) == [1, 1000, 3000, 3499, 5000, 8000], "CPU frames")
    check(all(f["median"] > 0 for f in cpu["frames"]) and cpu["timeline_mean"] > 0, "CPU times")
capture = d["capture"]
for size in sizes:
    runs = [c for c in capture if (c["width"], c["height"]) == size]
    check([c["jobs"] for c in runs][:1] == [1] and len(runs) == 2, "capture runs at %s: %s" % (size, runs))
    check(all(c["frames"] == 6 and c["first_frame"] == 1000 for c in runs), "capture frames at %s" % (size,))
    check(all(c["fps"] > 0 and c["wall_s"] * c["fps"] > 0 for c in runs), "capture rates at %s" % (size,))
    check(runs[1:] and runs[1]["jobs"] >= 1, "default jobs at %s" % (size,))
other = d["blob_against"]
check(other is not None and other["file"].endswith("/tiny.mesh"), "blob_against file")
for size in sizes:
    runs = [c for c in other["frames"] if (c["width"], c["height"]) == size] if other else []
    check(sorted(c["frame"] for c in runs) == [3000, 5000], "blob frames at %s" % (size,))
    for c in runs:
        e, o = c["embedded_ms"], c["other_ms"]
        check(0 < e["min"] <= e["median"] <= e["max"] and 0 < o["min"] <= o["median"] <= o["max"],
              "blob timings of frame %d" % c["frame"])
        check(abs(c["other_over_embedded"] - o["median"] / e["median"]) < 0.01, "blob ratio")
        # One triangle in place of 600,000: far cheaper, if it was drawn at all.
        if c["frame"] == 5000:
            check(c["other_over_embedded"] < 0.6, "the file's blob was not drawn: %s" % c)
shading = d["blob_shading"] or []
reference = d.get("blob_shading_reference") or {}
check(reference.get("check") is True, "the shading measure's own check: %s" % reference)
# At least 16 times the embedded blob's quads (two vertices per quad).
blob = [m for m in cache["meshes"] if m["mesh"] == "blob"]
check(blob and reference.get("quads", 0) >= 16 * (blob[0]["vertices"] - 2) // 2, "reference quads")
check((reference.get("width"), reference.get("height")) == (480, 270), "shading size")
tiny = [n for n in {f["mesh"] for f in shading} if n.endswith("/tiny.mesh")]
meshes = ["embedded"] + tiny + ["reference-quarter", "reference-half", "reference"]
check(len(tiny) == 1, "the file's name as given: %s" % tiny)
by = {(f["mesh"], f["frame"]): f for f in shading}
for frame in (4000, 5000, 6300, 7800):
    got = [f["mesh"] for f in shading if f["frame"] == frame]
    check(got == meshes, "shading meshes of frame %d: %s" % (frame, got))
    for f in (by.get((m, frame)) for m in meshes):
        if not f: continue
        check(0 <= f["mean"] <= 255 and 0 <= f["p99"] <= 255 and 0 <= f["over8"] <= 1 and 0 <= f["over8_interior"] <= 1,
              "shading figures %s" % f)
        # More than 8 levels off, so more than 8 at the 99th percentile
        # (when over 1 %), or at most 8 (when none).
        check(f["over8"] <= 0.01 or f["p99"] > 8, "p99 against over8: %s" % f)
        check(f["over8"] > 0 or f["p99"] <= 8, "over8 against p99: %s" % f)
    q, h, r, e = (by.get((m, frame)) for m in ("reference-quarter", "reference-half", "reference", "embedded"))
    if q and h and r and e:
        check(q["mean"] > h["mean"] > r["mean"] == 0 and r["p99"] == r["over8"] == r["over8_interior"] == 0,
              "reference errors of frame %d: %s %s %s" % (frame, q, h, r))
        check(e["mean"] > 0, "the embedded blob matches the reference exactly in frame %d" % frame)
    t = by.get((tiny[0], frame)) if tiny else None
    # One triangle in place of the blob: most of the reference's blob is
    # missed, and far off.
    check(t and e and t["over8"] > 0.5 and t["mean"] > 4 * e["mean"], "the file's blob in frame %d: %s" % (frame, t))
for e in errors:
    print("bench JSON:", e)
sys.exit(1 if errors else 0)
PY

"$bench" --bogus >/dev/null 2>&1
[ $? = 2 ] || fail "an unknown option should give exit code 2"
echo "ok"
