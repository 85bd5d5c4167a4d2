// The start-up steps' timestamps of a build that measures start-up: performance-counter ticks,
// comparable with those of the process that started this one, written at the last step to the
// file that the environment variable VELT_STARTUP_TIMES names.
#include "core/StartupSteps.h"

#if defined(VELT_STARTUP_TIMES)
#include <windows.h>

#include <array>
#include <string>

namespace velt {

namespace {

struct Step {
    const char* name;
    LONGLONG at;
};

// One start-up, once per process; nothing else of the program reaches these.
std::array<Step, 32> g_steps{};
std::size_t g_count = 0;
bool g_written = false;

void WriteSteps() noexcept {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELT_STARTUP_TIMES", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    try {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        std::string text = std::to_string(frequency.QuadPart) + " frequency\n";
        for (std::size_t i = 0; i < g_count; ++i)
            text += std::to_string(g_steps[i].at) + " " + g_steps[i].name + "\n";
        const HANDLE file =
            ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    } catch (...) {
    }
}

}  // namespace

void MarkStartupStep(const char* step, bool last) noexcept {
    if (g_written) return;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    if (g_count < g_steps.size()) g_steps[g_count++] = Step{step, now.QuadPart};
    if (last) {
        g_written = true;
        WriteSteps();
    }
}

}  // namespace velt
#endif
