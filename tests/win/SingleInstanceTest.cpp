// The single-instance claim: a named mutex held for the life of the first instance.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/win32/Win32Api.h"

namespace {

using velt::platform::win32::Win32Api;
using velt::wintest::StartSelf;
using velt::wintest::WaitExitCode;
using velt::wintest::Wide;

// A name of its own for every test, so that tests running side by side never meet.
std::string UniqueName(const char* what) {
    return std::string("Local\\velt-test-") + what + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount());
}

DWORD Probe(const std::string& name) {
    const HANDLE child = StartSelf(Wide("--instance-probe " + name));
    EXPECT_NE(child, nullptr);
    if (child == nullptr) {
        return ~0u;
    }
    const DWORD code = WaitExitCode(child, 30000);
    ::CloseHandle(child);
    return code;
}

TEST(SingleInstance, FirstCallerKeepsTheClaimForItsLife) {
    const std::string name = UniqueName("life");
    {
        Win32Api first(Wide(name));
        EXPECT_FALSE(first.IsAnotherInstanceRunning());
        EXPECT_FALSE(first.IsAnotherInstanceRunning()) << "asking again changes nothing";

        EXPECT_EQ(Probe(name), 1u) << "another process sees the first instance";
        EXPECT_EQ(Probe(name + "-other"), 0u) << "a different program name is not affected";

        Win32Api secondInSameProcess(Wide(name));
        EXPECT_TRUE(secondInSameProcess.IsAnotherInstanceRunning());
    }
    EXPECT_EQ(Probe(name), 0u) << "the claim ends with the first instance";
}

TEST(SingleInstance, ALaterInstanceDoesNotKeepAClaim) {
    const std::string name = UniqueName("later");
    auto first = std::make_unique<Win32Api>(Wide(name));
    ASSERT_FALSE(first->IsAnotherInstanceRunning());
    Win32Api second(Wide(name));
    ASSERT_TRUE(second.IsAnotherInstanceRunning());
    first.reset();
    // The refused instance may still be up (showing its message); a new start must succeed.
    EXPECT_EQ(Probe(name), 0u);
}

TEST(SingleInstance, TwentySimultaneousStartsLeaveExactlyOne) {
    constexpr int kStarts = 20;
    const std::string name = UniqueName("race");
    const std::string go = "Local\\velt-test-go-" + std::to_string(::GetCurrentProcessId());
    const std::string hold = "Local\\velt-test-hold-" + std::to_string(::GetCurrentProcessId());
    const HANDLE goEvent = ::CreateEventW(nullptr, TRUE, FALSE, Wide(go).c_str());
    const HANDLE holdEvent = ::CreateEventW(nullptr, TRUE, FALSE, Wide(hold).c_str());
    ASSERT_NE(goEvent, nullptr);
    ASSERT_NE(holdEvent, nullptr);

    std::vector<HANDLE> children;
    for (int i = 0; i < kStarts; ++i) {
        const HANDLE child = StartSelf(Wide("--instance-probe " + name + " --go " + go + " --hold " + hold));
        ASSERT_NE(child, nullptr);
        children.push_back(child);
    }
    // All of them wait at the same gate, then ask at the same moment.
    ::SetEvent(goEvent);

    // Those that found another instance end at once; the winner holds on until released.
    int running = kStarts;
    const DWORD deadline = ::GetTickCount() + 60000;
    while (running > 1 && static_cast<LONG>(deadline - ::GetTickCount()) > 0) {
        running = 0;
        for (const HANDLE child : children) {
            running += ::WaitForSingleObject(child, 0) == WAIT_TIMEOUT ? 1 : 0;
        }
        ::Sleep(20);
    }
    EXPECT_EQ(running, 1) << "instances still holding a claim";

    ::SetEvent(holdEvent);
    int first = 0, refused = 0;
    for (const HANDLE child : children) {
        const DWORD code = WaitExitCode(child, 30000);
        first += code == 0 ? 1 : 0;
        refused += code == 1 ? 1 : 0;
        ::CloseHandle(child);
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(refused, kStarts - 1);
    ::CloseHandle(goEvent);
    ::CloseHandle(holdEvent);
}

TEST(SingleInstance, TheProgramUsesASessionLocalName) {
    const std::wstring name = Win32Api::kInstanceMutexName;
    EXPECT_EQ(name.rfind(L"Local\\", 0), 0u);
    EXPECT_GT(name.size(), 40u) << "a name unlikely to be taken by another program";
}

}  // namespace
