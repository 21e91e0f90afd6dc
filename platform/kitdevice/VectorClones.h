// Marks a plain pixel loop for one compiled clone per instruction set, picked at load time, so
// that the compiler vectorises it for the widest vectors the processor has.
#pragma once

#if defined(__x86_64__)
#define TAVRIN_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVRIN_VECTOR_CLONES
#endif
