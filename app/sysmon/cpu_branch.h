// The lines of one processor's branch in the processor identifier's tree.
// No windows.h.
#pragma once
#include <cstddef>

#include "cpu_identify.h"

struct CpuBranchLine {
    int depth;      // 0 the processor's own item, then one more per level below it
    bool expanded;
    char text[96];
};

enum { CPU_BRANCH_MAX_LINES = 48 };

#define CPU_LOADING_TEXT "Loading...  Please Wait!"
#define CPU_NO_CPUID_TEXT "CPU Does NOT Support Identification!"

// The branch of processor number (from 1) in the order its items are made.
int BuildCpuBranch(const CpuIdInfo &info, int processor, CpuBranchLine *lines, int capacity);
