// Which fast paths a build compiles. SSE2 blocks where the compiler targets
// SSE2 (the 64-bit builds; the 32-bit product's i686 does not, and runs the
// word-at-a-time paths instead). VEXA_NO_VECTOR builds those same paths on
// any host, so that the tests run what the 32-bit product runs.
#pragma once

#if defined(__SSE2__) && !defined(VEXA_NO_VECTOR)
#define VEXA_SSE2 1
#endif

// SSSE3 is chosen at run time where the processor has it, on x86-64. Not
// on 32-bit x86: Windows starts threads and window procedures there on
// stacks aligned to four bytes, and the compiler folds stack values into
// instructions that need sixteen (the converter's helper thread crashed).
#if defined(__x86_64__) && !defined(VEXA_NO_VECTOR)
#define VEXA_SSSE3_AT_RUN_TIME 1
#endif
