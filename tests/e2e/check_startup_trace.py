#!/usr/bin/env python3
"""Checks, in an `apitrace dump` of the show, the calls of start-up from the
first shader build to the last mesh upload: three program builds with their
attribute bindings before each link, the 24 uniform lookups and uploads with
their start-up values, then the four mesh uploads with their byte sizes.

usage: check_startup_trace.py DUMP WIDTH HEIGHT MESH_DIR
"""
import math
import re
import struct
import sys

CALL = re.compile(r"^(\d+) (\w+)\((.*)\)(?: = (.*))?$")
STEP_CALLS = {
    "glCreateShader", "glCreateProgram", "glShaderSource", "glCompileShader", "glGetShaderiv",
    "glAttachShader", "glBindAttribLocation", "glLinkProgram", "glGetProgramiv", "glUseProgram",
    "glGetUniformLocation", "glUniformMatrix4fv", "glUniform3fv", "glGenVertexArrays",
    "glBindVertexArray", "glGenBuffers", "glBindBuffer", "glBufferData",
    "glEnableVertexAttribArray", "glVertexAttribPointer",
}


def calls(path):
    with open(path, encoding="utf-8", errors="replace") as dump:
        for line in dump:
            if "// fake" in line:
                continue
            m = CALL.match(line.rstrip("\n"))
            if m:
                yield m.group(2), m.group(3), m.group(4)
            elif re.match(r"^\d+ glShaderSource\(", line):
                yield "glShaderSource", line, None  # the source runs over several lines


def numbers(text):
    inner = re.search(r"value = \{([^}]*)\}", text).group(1)
    return [float(x) for x in inner.split(",")]


def fail(why):
    print("startup trace:", why)
    sys.exit(1)


def expect(seq, name, contains=()):
    if not seq:
        fail(f"ran out of calls, wanted {name}")
    got, args, result = seq.pop(0)
    if got != name:
        fail(f"wanted {name} {contains}, got {got}({args})")
    for part in contains:
        if part not in args:
            fail(f"{name}({args}) lacks {part}")
    return args, result


def expect_values(args, want, what):
    got = numbers(args)
    if len(got) != len(want) or any(not math.isclose(g, w, rel_tol=2e-6, abs_tol=1e-6)
                                     for g, w in zip(got, want)):
        fail(f"{what}: uploaded {got}, wanted {want}")


def mesh_counts(mesh_dir, name):
    with open(f"{mesh_dir}/{name}.mesh", "rb") as blob:
        return struct.unpack("<II", blob.read(8))


def main():
    dump, width, height, mesh_dir = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    seq = [c for c in calls(dump) if c[0] in STEP_CALLS]
    start = next((i for i, c in enumerate(seq) if c[0] == "glCreateShader"), None)
    if start is None:
        fail("no glCreateShader")
    seq = seq[start:]

    programs = []
    for _ in range(3):
        expect(seq, "glCreateShader", ["GL_VERTEX_SHADER"])
        expect(seq, "glCreateShader", ["GL_FRAGMENT_SHADER"])
        _, program = expect(seq, "glCreateProgram")
        programs.append(program)
        for _ in range(2):
            args, _ = expect(seq, "glShaderSource")
            if "#version 400" not in args:
                fail("a shader source does not begin with #version 400")
        expect(seq, "glCompileShader")
        expect(seq, "glCompileShader")
        expect(seq, "glGetShaderiv", ["GL_COMPILE_STATUS"])
        expect(seq, "glGetShaderiv", ["GL_COMPILE_STATUS"])
        expect(seq, "glAttachShader", [f"program = {program}"])
        expect(seq, "glAttachShader", [f"program = {program}"])
        expect(seq, "glBindAttribLocation", ["index = 0", '"in_position"'])
        expect(seq, "glBindAttribLocation", ["index = 1", '"in_normal"'])
        expect(seq, "glLinkProgram", [f"program = {program}"])
        expect(seq, "glGetProgramiv", ["GL_LINK_STATUS"])
        expect(seq, "glUseProgram", [f"program = {program}"])

    f = 1.0 / math.tan(1.413675 / 2.0)
    aspect = width / height
    matrices = {
        "world_matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
        "view_matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -30, 1],
        "projection_matrix": [f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, -100.01 / 99.99, -1,
                              0, 0, -2.0 / 99.99, 0],
    }
    vectors = {
        "view_direction": [0, 0, 1], "light_position_0": [500, -100, -200],
        "light_color_0": [0.5, 1, 0.1], "light_position_1": [-300, 200, 400],
        "light_color_1": [0.9, 0.4, 0],
    }
    order = list(matrices) + list(vectors)
    for program in programs:
        expect(seq, "glUseProgram", [f"program = {program}"])
        for name in order:
            _, location = expect(seq, "glGetUniformLocation", [f"program = {program}", f'"{name}"'])
            if name in matrices:
                args, _ = expect(seq, "glUniformMatrix4fv", [f"location = {location},", "GL_FALSE"])
                expect_values(args, matrices[name], f"{name} of program {program}")
            else:
                args, _ = expect(seq, "glUniform3fv", [f"location = {location},"])
                expect_values(args, vectors[name], f"{name} of program {program}")

    sizes = [mesh_counts(mesh_dir, "ring"), mesh_counts(mesh_dir, "blob"),
             mesh_counts(mesh_dir, "backdrop"), (4, 6)]
    for vertex_count, index_count in sizes:
        expect(seq, "glGenVertexArrays")
        expect(seq, "glBindVertexArray")
        expect(seq, "glGenBuffers")
        expect(seq, "glBindBuffer", ["GL_ARRAY_BUFFER"])
        expect(seq, "glBufferData", ["GL_ARRAY_BUFFER", f"size = {vertex_count * 24},", "GL_STATIC_DRAW"])
        expect(seq, "glEnableVertexAttribArray", ["index = 0"])
        expect(seq, "glEnableVertexAttribArray", ["index = 1"])
        expect(seq, "glVertexAttribPointer", ["index = 0", "size = 3", "GL_FLOAT", "stride = 24", "pointer = NULL"])
        expect(seq, "glVertexAttribPointer", ["index = 1", "size = 3", "GL_FLOAT", "stride = 24", "pointer = 0xc"])
        expect(seq, "glGenBuffers")
        expect(seq, "glBindBuffer", ["GL_ELEMENT_ARRAY_BUFFER"])
        expect(seq, "glBufferData", ["GL_ELEMENT_ARRAY_BUFFER", f"size = {index_count * 4},", "GL_STATIC_DRAW"])
    print("startup trace: start-up steps in order, values and sizes as expected")


main()
