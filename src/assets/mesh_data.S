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

#if defined(_WIN32)
        .section .rdata, "dr"
#else
        .section .rodata
#endif

        .balign 16
        .globl QORV_SYMBOL(qorvRingCounts)
        .globl QORV_SYMBOL(qorvRingVertices)
        .globl QORV_SYMBOL(qorvRingIndices)
QORV_SYMBOL(qorvRingCounts):
        .incbin "ring.mesh", 0, QORV_COUNT_BYTES
QORV_SYMBOL(qorvRingVertices):
        .incbin "ring.mesh", QORV_COUNT_BYTES, QORV_RING_VERTEX_COUNT * QORV_VERTEX_BYTES
QORV_SYMBOL(qorvRingIndices):
        .incbin "ring.mesh", QORV_COUNT_BYTES + QORV_RING_VERTEX_COUNT * QORV_VERTEX_BYTES

        .balign 16
        .globl QORV_SYMBOL(qorvBlobCounts)
        .globl QORV_SYMBOL(qorvBlobVertices)
        .globl QORV_SYMBOL(qorvBlobIndices)
QORV_SYMBOL(qorvBlobCounts):
        .incbin "blob.mesh", 0, QORV_COUNT_BYTES
QORV_SYMBOL(qorvBlobVertices):
        .incbin "blob.mesh", QORV_COUNT_BYTES, QORV_BLOB_VERTEX_COUNT * QORV_VERTEX_BYTES
QORV_SYMBOL(qorvBlobIndices):
        .incbin "blob.mesh", QORV_COUNT_BYTES + QORV_BLOB_VERTEX_COUNT * QORV_VERTEX_BYTES

        .balign 16
        .globl QORV_SYMBOL(qorvBackdropCounts)
        .globl QORV_SYMBOL(qorvBackdropVertices)
        .globl QORV_SYMBOL(qorvBackdropIndices)
QORV_SYMBOL(qorvBackdropCounts):
        .incbin "backdrop.mesh", 0, QORV_COUNT_BYTES
QORV_SYMBOL(qorvBackdropVertices):
        .incbin "backdrop.mesh", QORV_COUNT_BYTES, QORV_BACKDROP_VERTEX_COUNT * QORV_VERTEX_BYTES
QORV_SYMBOL(qorvBackdropIndices):
        .incbin "backdrop.mesh", QORV_COUNT_BYTES + QORV_BACKDROP_VERTEX_COUNT * QORV_VERTEX_BYTES

#if !defined(_WIN32)
// NOTE: without this note GNU ld assumes the object needs an executable
// stack and warns about it.
        .section .note.GNU-stack, "", @progbits
#endif
