// The frame routine allocates nothing: every C++ heap allocation in this
// process goes through the counting operator new below, and the count taken
// across frames from every part of the show stays at zero.
#include "frame_support.h"

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

}  // namespace

namespace {

void* countedAllocation(std::size_t size) {
    if (counting) ++allocations;
    return std::malloc(size ? size : 1);
}

}  // namespace

// Every form is replaced, so whatever a library allocates with one form and
// frees with another stays on malloc and free.
void* operator new(std::size_t size) {
    if (void* p = countedAllocation(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = countedAllocation(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

TEST(FrameAllocations, NoHeapAllocationWhileFramesAreDrawn) {
    requireShow();
    // The counter works: an allocation while counting is seen.
    counting = true;
    int* volatile probe = new int(1);  // volatile: the pair may not be elided
    delete probe;
    counting = false;
    ASSERT_EQ(allocations, 1);

    // NOTE: llvmpipe compiles shader variants with LLVM, a C++ library, on
    // the first draws that need them; one pass over the frames first lets the
    // driver settle, so the counted pass sees only what each frame costs.
    const double frames[] = {1.0, 700.0, 1999.0, 2400.0, 3499.0, 3502.0, 4500.0, 8000.0};
    for (double n : frames) {
        frameCounter = n - 1.0;
        renderFrame();
    }
    allocations = 0;
    counting = true;
    for (double n : frames) {
        frameCounter = n - 1.0;
        renderFrame();
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
}
