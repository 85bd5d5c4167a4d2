// Reading the version resource without version.dll.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "platform/win32/VersionResource_win.h"
#include "platform/win32/Win32Api.h"

namespace {

using velt::platform::win32::ParseVersionResource;
using velt::platform::win32::Win32Api;

std::string OwnVersionResource() {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    if (found == nullptr) {
        return {};
    }
    const void* data = ::LockResource(::LoadResource(module, found));
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, found));
}

// Bytes placed right before an inaccessible page: any read past their end faults.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        base_ =
            static_cast<char*>(::VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(base_ + kPage, kPage, PAGE_NOACCESS, &old);
        data_ = base_ + kPage - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    ~GuardedBytes() { ::VirtualFree(base_, 0, MEM_RELEASE); }
    const char* data() const { return data_; }

    static constexpr std::size_t kPage = 0x10000;

private:
    char* base_ = nullptr;
    char* data_ = nullptr;
};

TEST(VersionInfo, ReadsTheProgramsOwnResource) {
    Win32Api api(L"Local\\velt-test-versioninfo");
    const auto info = api.GetOwnVersionInfo();
    EXPECT_EQ(info.major, 9u);
    EXPECT_EQ(info.minor, 8u);
    EXPECT_EQ(info.build, 7u);
    EXPECT_EQ(info.revision, 6u);
    EXPECT_EQ(info.productName, "試験用製品ﾃｽﾄ");
}

TEST(VersionInfo, DamagedResourcesNeverReadPastTheirEnd) {
    const std::string resource = OwnVersionResource();
    ASSERT_GT(resource.size(), 100u);
    ASSERT_LT(resource.size(), GuardedBytes::kPage);
    {
        const GuardedBytes whole(resource);
        const auto info = ParseVersionResource(whole.data(), resource.size());
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->productName, "試験用製品ﾃｽﾄ");
    }
    // Every cut inside the declared length of the tree.
    const std::size_t declared =
        static_cast<unsigned char>(resource[0]) | (static_cast<unsigned char>(resource[1]) << 8);
    ASSERT_LE(declared, resource.size());
    for (std::size_t size = 0; size < declared; ++size) {
        const GuardedBytes cut(resource.substr(0, size));
        EXPECT_FALSE(ParseVersionResource(cut.data(), size).has_value()) << size;
    }
    // Every byte set to 0xFF or 0 in turn, lengths included.
    for (std::size_t at = 0; at < resource.size(); ++at) {
        for (const char value : {'\xFF', '\0'}) {
            std::string damaged = resource;
            damaged[at] = value;
            const GuardedBytes guarded(damaged);
            ParseVersionResource(guarded.data(), damaged.size());
        }
    }
}

TEST(VersionInfo, RejectsWhatIsNotAVersionResource) {
    EXPECT_FALSE(ParseVersionResource(nullptr, 0).has_value());
    const std::string junk(200, 'x');
    EXPECT_FALSE(ParseVersionResource(junk.data(), junk.size()).has_value());
    std::string resource = OwnVersionResource();
    ASSERT_FALSE(resource.empty());
    resource[40] ^= 0x01;  // the fixed part's signature
    EXPECT_FALSE(ParseVersionResource(resource.data(), resource.size()).has_value());
}

}  // namespace
