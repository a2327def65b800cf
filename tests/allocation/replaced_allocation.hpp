// Replaces the global allocation functions of a test program with ones that
// go through test_allocation(size), which the program defines: it returns
// memory from malloc, or null. Include in exactly one source file of a
// program that runs on its own (no other tests share its allocator).
#pragma once

#include <cstdlib>
#include <new>

void* test_allocation(std::size_t size) noexcept;

namespace replaced_allocation {

inline void* allocate_or_throw(std::size_t size) {
    if (void* memory = test_allocation(size)) return memory;
    throw std::bad_alloc();
}

}  // namespace replaced_allocation

// Every non-aligned form is replaced so that allocations and releases always
// pair up through malloc and free (test_allocation must use malloc). The
// releases are kept out of line: once inlined next to a "new", GCC's
// -Wmismatched-new-delete takes the free() inside them for a mismatch with
// the replaced operator new.
void* operator new(std::size_t size) { return replaced_allocation::allocate_or_throw(size); }
void* operator new[](std::size_t size) { return replaced_allocation::allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return test_allocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return test_allocation(size); }
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
