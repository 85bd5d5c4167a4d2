// The session-end calls that can run harmlessly: version, token and privilege lookup. They are
// passed through to Windows; the point is the record shapes and the saved last-error value.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/WinRecords.h"
#include "platform/win32/Win32Api.h"

namespace {

namespace p = velt::platform;
using velt::platform::win32::Win32Api;

TEST(SystemCalls, GetVersionExAFillsThe148ByteRecord) {
    Win32Api api(L"Local\\velt-test-version");
    p::OsVersionInfoA148 info{};
    info.dwOSVersionInfoSize = 148;
    info.szCSDVersion[0] = 'x';
    ASSERT_TRUE(api.GetVersionExA(info));
    EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(info.dwPlatformId, static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT));
    EXPECT_GE(info.dwMajorVersion, 5u);
}

TEST(SystemCalls, GetVersionExARefusesAWrongSize) {
    Win32Api api(L"Local\\velt-test-version");
    p::OsVersionInfoA148 info{};
    info.dwOSVersionInfoSize = 3;
    EXPECT_FALSE(api.GetVersionExA(info));
    EXPECT_EQ(info.dwPlatformId, 0u);
}

TEST(SystemCalls, EnablingTheShutdownPrivilegeGoesThroughTheToken) {
    Win32Api api(L"Local\\velt-test-token");
    p::Handle token = 0;
    ASSERT_TRUE(api.OpenProcessToken(api.GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token));
    ASSERT_NE(token, 0u);

    p::Luid luid{};
    ASSERT_TRUE(api.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", luid));
    EXPECT_EQ(luid.LowPart, 19u);  // SE_SHUTDOWN_PRIVILEGE
    EXPECT_EQ(luid.HighPart, 0);

    p::TokenPrivileges28 state{};
    state.PrivilegeCount = 1;
    state.Privileges[0].Luid_ = luid;
    state.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(api.AdjustTokenPrivileges(token, false, state, 28, nullptr, nullptr));
    // The value belongs to the adjustment, whatever Windows does in between.
    ::SetLastError(12345);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ERROR_SUCCESS));

    // A privilege the token does not hold: success, with ERROR_NOT_ALL_ASSIGNED only in the
    // last-error value.
    p::TokenPrivileges28 unknown{};
    unknown.PrivilegeCount = 1;
    unknown.Privileges[0].Luid_ = p::Luid{0x7FFF, 0x7FFF};
    unknown.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(api.AdjustTokenPrivileges(token, false, unknown, 28, nullptr, nullptr));
    ::SetLastError(12345);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ERROR_NOT_ALL_ASSIGNED));

    EXPECT_TRUE(api.CloseHandle(token));
}

TEST(SystemCalls, ATokenWithoutTheShutdownPrivilegeSucceedsWithNotAllAssigned) {
    // As the token of a standard user on a server or under a policy that removes the right.
    Win32Api api(L"Local\\velt-test-token");
    HANDLE own = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
    p::Luid luid{};
    ASSERT_TRUE(api.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", luid));
    LUID_AND_ATTRIBUTES removed{{luid.LowPart, luid.HighPart}, 0};
    HANDLE restricted = nullptr;
    ASSERT_TRUE(::CreateRestrictedToken(own, 0, 0, nullptr, 1, &removed, 0, nullptr, &restricted));

    p::TokenPrivileges28 state{};
    state.PrivilegeCount = 1;
    state.Privileges[0].Luid_ = luid;
    state.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(api.AdjustTokenPrivileges(reinterpret_cast<p::Handle>(restricted), false, state, 28, nullptr,
                                          nullptr));
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ERROR_NOT_ALL_ASSIGNED));
    ::CloseHandle(restricted);
    ::CloseHandle(own);
}

TEST(SystemCalls, LastErrorTellsWhyALookupFailed) {
    Win32Api api(L"Local\\velt-test-token");
    p::Luid luid{123, 4};
    EXPECT_FALSE(api.LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", luid));
    ::SetLastError(0);
    EXPECT_EQ(api.GetLastError(), static_cast<std::uint32_t>(ERROR_NO_SUCH_PRIVILEGE));
    EXPECT_EQ(luid.LowPart, 123u) << "a failed lookup leaves the record alone";
}

TEST(SystemCalls, AFailedTokenOpenLeavesTheTokenZero) {
    Win32Api api(L"Local\\velt-test-token");
    p::Handle token = 0;
    EXPECT_FALSE(api.OpenProcessToken(0, TOKEN_ADJUST_PRIVILEGES, token));
    EXPECT_EQ(token, 0u);
}

}  // namespace
