#pragma once

#include <map>

#include "snapshot/snapshot_report.h"

// A heap for the report that refuses the failAt-th allocation point
// (allocations and resizes counted together in calls, from 1; 0 refuses none)
// and keeps account of the blocks it handed out: those still live, and
// releases or resizes of blocks it does not hold.
// `blocks` maps each live block to its size.
struct FailingHeap { size_t failAt, calls, liveBlocks, badReleases; std::map<void*, size_t> blocks; };

// Hooks bound to `heap`; `heap` must outlive every block they hand out.
ReportAllocator FailingAllocator(FailingHeap& heap);
