// The generated mesh files (tools/meshgen), taken whole into the program's
// read-only data. Each file is embedded in three consecutive pieces with a
// label before each: the two uint32 counts, the vertex records and the
// indices (with any entries stored behind the drawn ones), so the C++ side
// gets typed pointers with no arithmetic (see meshes.cpp).
#include "mesh_counts.h"

// C symbols carry the platform's prefix: "_" on i686 Windows, none on Linux.
#define QORV_CONCAT2(a, b) a##b
#define QORV_CONCAT(a, b) QORV_CONCAT2(a, b)
#define QORV_SYMBOL(name) QORV_CONCAT(__USER_LABEL_PREFIX__, name)

#define QORV_COUNT_BYTES 8
#define QORV_VERTEX_BYTES 24

#if defined(__wasm__)
// WebAssembly objects keep each data symbol in a section of its own, with its
// size stated.
        .macro embed_piece symbol, file, offset, size
        .section .rodata.\symbol, "", @
        .p2align 4
        .globl \symbol
\symbol:
        .incbin "\file", \offset, \size
        .size \symbol, \size
        .endm

        .macro embed_mesh file, counts, vertices, indices, vertex_count, index_count
        embed_piece \counts, \file, 0, QORV_COUNT_BYTES
        embed_piece \vertices, \file, QORV_COUNT_BYTES, (\vertex_count) * QORV_VERTEX_BYTES
        embed_piece \indices, \file, QORV_COUNT_BYTES + (\vertex_count) * QORV_VERTEX_BYTES, \
            (\index_count) * 4
        .endm
#else
#if defined(_WIN32)
        .section .rdata, "dr"
#else
        .section .rodata
#endif

// One mesh file in three labelled pieces: counts, vertex records, indices.
        .macro embed_mesh file, counts, vertices, indices, vertex_count, index_count
        .balign 16
        .globl \counts
        .globl \vertices
        .globl \indices
\counts:
        .incbin "\file", 0, QORV_COUNT_BYTES
\vertices:
        .incbin "\file", QORV_COUNT_BYTES, (\vertex_count) * QORV_VERTEX_BYTES
\indices:
        .incbin "\file", QORV_COUNT_BYTES + (\vertex_count) * QORV_VERTEX_BYTES
        .endm
#endif

        embed_mesh ring.mesh, QORV_SYMBOL(qorvRingCounts), QORV_SYMBOL(qorvRingVertices), \
            QORV_SYMBOL(qorvRingIndices), QORV_RING_VERTEX_COUNT, QORV_RING_STORED_INDEX_COUNT
        embed_mesh blob.mesh, QORV_SYMBOL(qorvBlobCounts), QORV_SYMBOL(qorvBlobVertices), \
            QORV_SYMBOL(qorvBlobIndices), QORV_BLOB_VERTEX_COUNT, QORV_BLOB_STORED_INDEX_COUNT
        embed_mesh backdrop.mesh, QORV_SYMBOL(qorvBackdropCounts), \
            QORV_SYMBOL(qorvBackdropVertices), QORV_SYMBOL(qorvBackdropIndices), \
            QORV_BACKDROP_VERTEX_COUNT, QORV_BACKDROP_STORED_INDEX_COUNT

#if !defined(_WIN32) && !defined(__wasm__)
// NOTE: without this note GNU ld assumes the object needs an executable
// stack and warns about it.
        .section .note.GNU-stack, "", @progbits
#endif
