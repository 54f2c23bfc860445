#!/usr/bin/env python3
"""Checks an `apitrace dump` of the show's whole unattended run, read as it
streams from standard input.

Start-up, from the first shader build to the last mesh upload: three program
builds with their attribute bindings before each link, the 24 uniform lookups
and uploads with their start-up values, then the four mesh uploads with their
byte sizes.

Then every frame, call by call, against a model of the timeline built here
from its formulas: the clear colour, the camera, the backdrop, the eight
lagging rings with their growth, the tumbling blob, the curtains, the cuts.
Every upload must follow the lookup of its name in the current program, and
every matrix and colour must match the model within 1e-5 of its largest
element. Frame 8001 runs up to the blob layer and the process ends there:
nothing is drawn or presented after it.

usage: apitrace dump show.trace | check_show_trace.py WIDTH HEIGHT MESH_DIR
"""
import math
import re
import struct
import sys

import numpy as np

f32 = np.float32
CALL = re.compile(r"^(\d+) (\w+)\((.*)\)(?: = (.*))?$")
SOURCE = re.compile(r"^(\d+) glShaderSource\(")  # the source runs over several lines
NUMBER = re.compile(r"-?(?:\d+\.?\d*(?:e[-+]?\d+)?|inf|nan)")
STARTUP_CALLS = {
    "glCreateShader", "glCreateProgram", "glShaderSource", "glCompileShader", "glGetShaderiv",
    "glAttachShader", "glBindAttribLocation", "glLinkProgram", "glGetProgramiv", "glUseProgram",
    "glGetUniformLocation", "glUniformMatrix4fv", "glUniform3fv", "glGenVertexArrays",
    "glBindVertexArray", "glGenBuffers", "glBindBuffer", "glBufferData",
    "glEnableVertexAttribArray", "glVertexAttribPointer",
}


class Trace:
    """The dump's calls in order; `only` set skips every other call (start-up)."""

    def __init__(self, lines):
        self.calls = self.parse(lines)
        self.only = None
        self.where = "start-up"
        self.number = "-"

    @staticmethod
    def parse(lines):
        for line in lines:
            if "// fake" in line:
                continue
            m = CALL.match(line.rstrip("\n"))
            if m:
                yield m.groups()
            else:
                m = SOURCE.match(line)
                if m:
                    yield m.group(1), "glShaderSource", line, None

    def fail(self, why):
        print(f"show trace: {self.where}, call {self.number}: {why}")
        sys.exit(1)

    def expect(self, name, exact=None, contains=()):
        for number, got, args, result in self.calls:
            if self.only is None or got in self.only:
                break
        else:
            self.fail(f"the trace ends, wanted {name}")
        self.number = number
        if got != name or (exact is not None and args != exact):
            self.fail(f"wanted {name}({exact or ' '.join(contains)}), got {got}({args})")
        for part in contains:
            if part not in args:
                self.fail(f"{name}({args}) lacks {part}")
        return args, result

    def close(self, args, want, what, strict=False):
        braces = re.search(r"value = \{([^}]*)\}", args)
        got = np.array([float(x) for x in NUMBER.findall(braces.group(1) if braces else args)])
        want = np.asarray(want, dtype=np.float64)
        if strict:
            ok = got.shape == want.shape and np.allclose(got, want, rtol=2e-6, atol=1e-6)
        else:
            ok = got.shape == want.shape and np.all(
                np.abs(got - want) <= 1e-5 * np.max(np.abs(want)))
        if not ok:
            wanted = ", ".join(f"{x:.7g}" for x in want)
            self.fail(f"{what}: got {got.tolist()}, wanted [{wanted}]")

    def upload(self, program, name, value, strict=False):
        """The by-name lookup in the current program, then the upload there."""
        _, location = self.expect("glGetUniformLocation",
                                  contains=[f"program = {program},", f'name = "{name}"'])
        if len(value) == 16:
            args, _ = self.expect("glUniformMatrix4fv",
                                  contains=[f"location = {location},", "count = 1,", "GL_FALSE"])
        else:
            args, _ = self.expect("glUniform3fv", contains=[f"location = {location},", "count = 1,"])
        self.close(args, value, f"{name} of program {program}", strict)


def mesh_counts(mesh_dir, name):
    with open(f"{mesh_dir}/{name}.mesh", "rb") as blob:
        return struct.unpack("<II", blob.read(8))


def startup(t, width, height, mesh_dir):
    """Returns the program ids and the vertex array objects in upload order."""
    t.only = STARTUP_CALLS
    for t.number, name, args, _ in t.calls:
        if name == "glCreateShader":
            break
    else:
        t.fail("no glCreateShader")
    programs = []
    for p in range(3):
        if p:
            args, _ = t.expect("glCreateShader")
        if args != "type = GL_VERTEX_SHADER":
            t.fail(f"glCreateShader({args}), wanted GL_VERTEX_SHADER")
        t.expect("glCreateShader", "type = GL_FRAGMENT_SHADER")
        _, program = t.expect("glCreateProgram")
        programs.append(program)
        for _ in range(2):
            args, _ = t.expect("glShaderSource")
            if "#version 400" not in args:
                t.fail("a shader source does not begin with #version 400")
        t.expect("glCompileShader")
        t.expect("glCompileShader")
        t.expect("glGetShaderiv", contains=["GL_COMPILE_STATUS"])
        t.expect("glGetShaderiv", contains=["GL_COMPILE_STATUS"])
        t.expect("glAttachShader", contains=[f"program = {program},"])
        t.expect("glAttachShader", contains=[f"program = {program},"])
        t.expect("glBindAttribLocation", contains=["index = 0", '"in_position"'])
        t.expect("glBindAttribLocation", contains=["index = 1", '"in_normal"'])
        t.expect("glLinkProgram", f"program = {program}")
        t.expect("glGetProgramiv", contains=["GL_LINK_STATUS"])
        t.expect("glUseProgram", f"program = {program}")

    f = 1.0 / math.tan(1.413675 / 2.0)
    values = {
        "world_matrix": np.eye(4).ravel(),
        "view_matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -30, 1],
        "projection_matrix": [f * height / width, 0, 0, 0, 0, f, 0, 0, 0, 0, -100.01 / 99.99, -1,
                              0, 0, -2.0 / 99.99, 0],
        "view_direction": [0, 0, 1], "light_position_0": [500, -100, -200],
        "light_color_0": [0.5, 1, 0.1], "light_position_1": [-300, 200, 400],
        "light_color_1": [0.9, 0.4, 0],
    }
    for program in programs:
        t.expect("glUseProgram", f"program = {program}")
        for name, value in values.items():
            t.upload(program, name, value, strict=True)

    arrays, counts = [], []
    for vertex_count, index_count in [mesh_counts(mesh_dir, "ring"), mesh_counts(mesh_dir, "blob"),
                                      mesh_counts(mesh_dir, "backdrop"), (4, 6)]:
        t.expect("glGenVertexArrays")
        args, _ = t.expect("glBindVertexArray")
        arrays.append(args)
        counts.append(index_count)
        t.expect("glGenBuffers")
        t.expect("glBindBuffer", contains=["GL_ARRAY_BUFFER"])
        t.expect("glBufferData",
                 contains=["GL_ARRAY_BUFFER", f"size = {vertex_count * 24},", "GL_STATIC_DRAW"])
        t.expect("glEnableVertexAttribArray", contains=["index = 0"])
        t.expect("glEnableVertexAttribArray", contains=["index = 1"])
        t.expect("glVertexAttribPointer",
                 contains=["index = 0", "size = 3", "GL_FLOAT", "stride = 24", "pointer = NULL"])
        t.expect("glVertexAttribPointer",
                 contains=["index = 1", "size = 3", "GL_FLOAT", "stride = 24", "pointer = 0xc"])
        t.expect("glGenBuffers")
        t.expect("glBindBuffer", contains=["GL_ELEMENT_ARRAY_BUFFER"])
        t.expect("glBufferData", contains=["GL_ELEMENT_ARRAY_BUFFER", f"size = {index_count * 4},",
                                           "GL_STATIC_DRAW"])
    t.only = None
    return programs, dict(zip(["ring", "blob", "backdrop", "quad"], zip(arrays, counts)))


# The model's matrices are numpy float32 [row, column]; they go up column-major.
def rotation(axis, angle):
    a = f32(angle)
    s, c = np.sin(a), np.cos(a)
    r = np.eye(4, dtype=f32)
    if axis == "x":
        r[1, 1], r[2, 1], r[1, 2], r[2, 2] = c, s, -s, c
    elif axis == "y":  # +X turns toward +Z: the sine sits in row 2 of column 0
        r[0, 0], r[2, 0], r[0, 2], r[2, 2] = c, s, -s, c
    else:
        r[0, 0], r[1, 0], r[0, 1], r[1, 1] = c, s, -s, c
    return r


def scale(k):
    return np.diag(np.array([k, k, k, 1], dtype=f32))


def translation(v):
    m = np.eye(4, dtype=f32)
    m[:3, 3] = v
    return m


def chain(*steps):
    """Each operation multiplies on the right, so the last one acts first."""
    m = np.eye(4, dtype=f32)
    for step in steps:
        m = m @ step
    return m.T.ravel()


def normalized(v):
    return v * (f32(1) / np.sqrt(np.dot(v, v)))


def look_at(eye, target, up):
    fwd = normalized(target - eye)
    side = normalized(np.cross(fwd, up))
    upv = np.cross(side, fwd)
    m = np.eye(4, dtype=f32)
    m[0, :3], m[1, :3], m[2, :3] = side, upv, -fwd
    return (m @ translation(-eye)).T.ravel()


EYE, UP = np.array([8, 5, 30], dtype=f32), np.array([0, 1, 0], dtype=f32)
BLACK, ORANGE = np.zeros(3, dtype=f32), np.array([0.9, 0.4, 0.0], dtype=f32)
DEPTH = "cap = GL_DEPTH_TEST"


def frame(t, n, oren, view_angle, flat, meshes):
    """Expects frame n's calls; answers False when the process must end there."""
    def draw(mesh):
        t.expect("glDrawElements", f"mode = GL_TRIANGLES, count = {meshes[mesh][1]}, "
                                   "type = GL_UNSIGNED_INT, indices = NULL")

    def bind(mesh):
        t.expect("glBindVertexArray", meshes[mesh][0])

    p = n - 1  # the background looks at the count before this frame's increment
    d = f32(p - 3500)
    clear = [f32(0.2) - d, f32(0.1) - d, 0, 1] if p >= 3500 else [f32(0.2), f32(0.1), 0, 1]
    t.close(t.expect("glClearColor")[0], clear, "clear colour")
    args, _ = t.expect("glClear")
    if set(args.removeprefix("mask = ").split(" | ")) != {"GL_COLOR_BUFFER_BIT", "GL_DEPTH_BUFFER_BIT"}:
        t.fail(f"glClear({args})")

    s = math.sin(0.001 * n)
    view = look_at(EYE, np.array([12 * s, 8 * s, 0], dtype=f32), UP)
    t.expect("glUseProgram", f"program = {oren}")
    t.upload(oren, "view_matrix", view)

    t.upload(oren, "light_color_0", BLACK)
    t.upload(oren, "light_color_1", BLACK)
    t.expect("glDisable", DEPTH)
    bind("backdrop")
    t.upload(oren, "world_matrix", chain(rotation("x", 1.0), rotation("y", 0.001 * n), scale(20)))
    draw("backdrop")
    t.expect("glEnable", DEPTH)

    u = math.sin(0.01 * n) * 0.5 + 0.5
    pulse = np.array([u * 0.5, u, u * float(f32(0.1))], dtype=f32)
    t.upload(oren, "light_color_0", pulse)
    t.upload(oren, "light_color_1", ORANGE)
    if n < 3500:
        bind("ring")
        growth = []
        if n >= 1900:
            growth.append(scale(f32((n - 1900) * 0.0029999999999999996 + 1)))
        if n >= 2300:
            growth.append(scale(f32((n - 2300) * 0.004 + 1)))
        for i in range(8):
            lag = n - 100 * i  # each ring 100 frames behind the one inside it
            k = f32(0.3) * f32(i) + f32(0.5)
            t.upload(oren, "world_matrix",
                     chain(rotation("x", 0.005 * lag), rotation("y", 0.0025 * lag),
                           rotation("z", 0.0005 * lag), scale(k), *growth))
            draw("ring")

    t.expect("glUseProgram", f"program = {view_angle}")
    t.upload(view_angle, "view_matrix", view)
    t.upload(view_angle, "light_color_0", pulse)
    if n < 8000:
        bind("blob")
        if n >= 4000:
            growth = [scale(f32(6.7))]
        elif n >= 2100:
            growth = [scale(f32((n - 2100) * 0.0029999999999999996 + 1))]
        else:
            growth = []
        t.upload(view_angle, "world_matrix",
                 chain(rotation("y", 0.0050999999999999995 * n), rotation("x", 0.0028 * n),
                       rotation("z", 0.0007999999999999999 * n), scale(2), *growth))
        draw("blob")
    if n > 8000:
        return False

    if n < 2000:
        t.expect("glDisable", DEPTH)
        t.expect("glUseProgram", f"program = {flat}")
        t.upload(flat, "light_color_0", BLACK)
        t.upload(flat, "light_color_1", BLACK)
        bind("quad")
        for offset in (0.05 * (n + 1500), 0.05 * (-n - 1500)):
            t.upload(flat, "world_matrix",
                     chain(translation([0, f32(offset), 0]), rotation("x", 1.5), scale(100)))
            draw("quad")
        t.expect("glEnable", DEPTH)
    t.expect("glXSwapBuffers")
    return True


def main():
    width, height, mesh_dir = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    t = Trace(sys.stdin)
    (oren, view_angle, flat), meshes = startup(t, width, height, mesh_dir)
    n = 1
    t.where = "frame 1"
    while frame(t, n, oren, view_angle, flat, meshes):
        n += 1
        t.where = f"frame {n}"
    t.where = "after frame 8001"
    for number, name, args, _ in t.calls:
        if name.startswith("gl") and (not name.startswith("glX") or name == "glXSwapBuffers"):
            t.number = number
            t.fail(f"the process went on with {name}({args})")
    print(f"show trace: start-up in order; {n - 1} frames presented, each as the timeline says;"
          f" the process ended in frame {n}")


main()
