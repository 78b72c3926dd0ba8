#include "failing_allocator.h"

#include <cstdlib>
#include <cstring>

static void* Allocate(size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    if (++heap.calls == heap.failAt)
        return nullptr;
    // Never zero bytes, so that every block is tracked; fresh bytes are neither
    // zero nor text, so that a test sees which bytes the report itself set.
    void* block = std::memset(std::malloc(size > 0 ? size : 1), 0xA5, size);
    heap.blocks[block] = size;
    heap.liveBlocks = heap.blocks.size();
    return block;
}

static void Release(void* block, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    if (heap.blocks.erase(block) == 0)
        ++heap.badReleases;
    else
        std::free(block);
    heap.liveBlocks = heap.blocks.size();
}

// Always to a new place, so that a caller keeping the old pointer trips the
// address sanitizer; refused, the old block stays the caller's, as with realloc.
static void* Resize(void* block, size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    const auto old = heap.blocks.find(block);
    if (old == heap.blocks.end())
        return ++heap.badReleases, nullptr;
    void* moved = Allocate(size, context);
    if (moved != nullptr) {
        std::memcpy(moved, block, old->second < size ? old->second : size);
        Release(block, context);
    }
    return moved;
}

ReportAllocator FailingAllocator(FailingHeap& heap) { return ReportAllocator{Allocate, Resize, Release, &heap}; }
