// Timestamps of the start-up steps, for a build made to measure start-up (-DVELT_STARTUP_TIMES=ON,
// used by bench/run). In any other build the marks compile to nothing.
#pragma once

#if defined(VELT_STARTUP_TIMES)
namespace velt {
// Notes the time a start-up step ended. The last step writes them all out.
void MarkStartupStep(const char* step, bool last) noexcept;
}  // namespace velt
#define VELT_STARTUP_STEP(step) ::velt::MarkStartupStep(step, false)
#define VELT_STARTUP_LAST_STEP(step) ::velt::MarkStartupStep(step, true)
#else
#define VELT_STARTUP_STEP(step) static_cast<void>(0)
#define VELT_STARTUP_LAST_STEP(step) static_cast<void>(0)
#endif
