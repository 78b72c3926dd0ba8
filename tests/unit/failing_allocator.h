#pragma once

#include <cstddef>
#include <map>

#include "snapshot/snapshot_report.h"

// A heap for the report that refuses the n-th allocation point (allocation
// or resize, counted together from 1; 0 refuses none) and keeps account of
// every block it handed out. New bytes are filled with kFreshByte, so a test
// sees which bytes the report itself set.
//   calls:       allocations and resizes asked for; refusals: of those, refused
//   lastSize:    size asked for by the latest allocation or resize
//   badReleases: releases (or resizes) of blocks this heap does not hold
struct FailingHeap {
    size_t failAt, calls, refusals, lastSize, liveBlocks, liveBytes, badReleases;
    std::map<void*, size_t> blocks;
};

const unsigned char kFreshByte = 0xA5;

// Hooks bound to `heap`; `heap` must outlive every block they hand out.
ReportAllocator FailingAllocator(FailingHeap& heap);

// Size of a live block of `heap`, or 0 when it holds no such block.
size_t BlockSize(const FailingHeap& heap, const void* block);
