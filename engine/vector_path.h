// The instruction sets the voice lanes can run on. Every x86 processor the
// instrument runs on has SSE2, the baseline; a processor with AVX2 (and an
// operating system that saves its registers) ticks all eight voices in one
// 256-bit vector. The choice is made at run time, per engine, so one module
// serves every processor. All paths compute the same bits: they differ only
// in how many voices one instruction handles.
#pragma once

enum class VectorPath { Sse2, Avx2 };

// The widest path this processor and operating system support.
VectorPath bestVectorPath();
bool vectorPathSupported(VectorPath path);
const char* vectorPathName(VectorPath path);
