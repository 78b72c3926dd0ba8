#include "failing_allocator.h"

#include <cstdlib>
#include <cstring>

static void* Allocate(size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    heap.lastSize = size;
    if (++heap.calls == heap.failAt) {
        ++heap.refusals;
        return nullptr;
    }
    void* block = std::malloc(size > 0 ? size : 1);  // never zero bytes: every block is tracked
    std::memset(block, kFreshByte, size);
    heap.blocks[block] = size;
    ++heap.liveBlocks;
    heap.liveBytes += size;
    return block;
}

static void Release(void* block, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    const size_t size = BlockSize(heap, block);
    if (heap.blocks.erase(block) == 0) {
        ++heap.badReleases;
        return;
    }
    --heap.liveBlocks;
    heap.liveBytes -= size;
    std::free(block);
}

// Always to a new place, so that a caller keeping the old pointer trips the
// address sanitizer; refused, the old block stays the caller's, as with realloc.
static void* Resize(void* block, size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    if (heap.blocks.count(block) == 0) {
        ++heap.badReleases;
        return nullptr;
    }
    const size_t oldSize = heap.blocks[block];
    void* moved = Allocate(size, context);
    if (moved != nullptr) {
        std::memcpy(moved, block, oldSize < size ? oldSize : size);
        Release(block, context);
    }
    return moved;
}

ReportAllocator FailingAllocator(FailingHeap& heap)
{
    return ReportAllocator{Allocate, Resize, Release, &heap};
}

size_t BlockSize(const FailingHeap& heap, const void* block)
{
    auto found = heap.blocks.find(const_cast<void*>(block));
    return found == heap.blocks.end() ? 0 : found->second;
}
