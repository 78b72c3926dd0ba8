#include "failing_allocator.h"

#include <cstdlib>
#include <cstring>

static bool RefuseThisCall(FailingHeap& heap, size_t size)
{
    ++heap.calls;
    heap.lastSize = size;
    if (heap.failAt != 0 && heap.calls == heap.failAt) {
        ++heap.refusals;
        return true;
    }
    return false;
}

static void* Allocate(size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    if (RefuseThisCall(heap, size)) {
        return nullptr;
    }
    // Never hand out a zero-byte block: every block must be one we can track.
    void* block = std::malloc(size > 0 ? size : 1);
    if (block == nullptr) {
        return nullptr;
    }
    std::memset(block, kFreshByte, size);
    heap.blocks[block] = size;
    ++heap.liveBlocks;
    heap.liveBytes += size;
    return block;
}

static void* Resize(void* block, size_t size, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    auto found = heap.blocks.find(block);
    if (found == heap.blocks.end()) {
        ++heap.badReleases;
        return nullptr;
    }
    if (RefuseThisCall(heap, size)) {
        // Like realloc: the old block stays valid and owned by the caller.
        return nullptr;
    }
    const size_t oldSize = found->second;
    // A fresh block each time, so a caller that keeps the old pointer is
    // caught by the address sanitizer.
    void* moved = std::malloc(size > 0 ? size : 1);
    if (moved == nullptr) {
        return nullptr;
    }
    std::memset(moved, kFreshByte, size);
    std::memcpy(moved, block, oldSize < size ? oldSize : size);
    std::free(block);
    heap.blocks.erase(found);
    heap.blocks[moved] = size;
    heap.liveBytes = heap.liveBytes - oldSize + size;
    return moved;
}

static void Release(void* block, void* context)
{
    FailingHeap& heap = *static_cast<FailingHeap*>(context);
    auto found = heap.blocks.find(block);
    if (found == heap.blocks.end()) {
        ++heap.badReleases;
        return;
    }
    heap.liveBytes -= found->second;
    --heap.liveBlocks;
    heap.blocks.erase(found);
    std::free(block);
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
