#include "platform/win32/VersionResource_win.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

namespace {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedFileInfoSize = 52;
constexpr std::uint16_t kTextValue = 1;

// One node of the tree: wLength, wValueLength, wType, the key, padding, the value, padding,
// then the children up to wLength.
struct Node {
    std::size_t end = 0;
    std::wstring key;
    std::uint16_t type = 0;
    std::size_t valueBegin = 0;
    std::size_t valueBytes = 0;
    std::size_t childrenBegin = 0;
};

class Reader {
public:
    Reader(const void* data, std::size_t size)
        : bytes_(static_cast<const unsigned char*>(data)), size_(size) {}

    std::uint16_t U16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    std::uint32_t U32(std::size_t at) const {
        return static_cast<std::uint32_t>(U16(at)) | (static_cast<std::uint32_t>(U16(at + 2)) << 16);
    }
    std::size_t size() const { return size_; }

    // Offsets are counted from the start of the resource, which Windows keeps 4-aligned.
    static std::size_t Align4(std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); }

    std::optional<Node> ReadNode(std::size_t begin, std::size_t limit) const {
        if (begin > limit || limit - begin < 6) {
            return std::nullopt;
        }
        const std::size_t length = U16(begin);
        if (length < 6 || length > limit - begin) {
            return std::nullopt;
        }
        Node node;
        node.end = begin + length;
        const std::uint16_t valueLength = U16(begin + 2);
        node.type = U16(begin + 4);

        std::size_t at = begin + 6;
        for (;;) {
            if (node.end - at < 2) {
                return std::nullopt;  // key without its terminating 0
            }
            const wchar_t c = static_cast<wchar_t>(U16(at));
            at += 2;
            if (c == L'\0') {
                break;
            }
            node.key.push_back(c);
        }
        node.valueBegin = Align4(at) < node.end ? Align4(at) : node.end;
        // Text values count characters, binary ones bytes.
        const std::size_t wanted =
            node.type == kTextValue ? std::size_t{valueLength} * 2 : std::size_t{valueLength};
        node.valueBytes = wanted < node.end - node.valueBegin ? wanted : node.end - node.valueBegin;
        const std::size_t next = Align4(node.valueBegin + node.valueBytes);
        node.childrenBegin = next < node.end ? next : node.end;
        return node;
    }

    std::wstring Text(const Node& node) const {
        std::wstring text;
        for (std::size_t at = node.valueBegin; at + 1 < node.valueBegin + node.valueBytes; at += 2) {
            const wchar_t c = static_cast<wchar_t>(U16(at));
            if (c == L'\0') {
                break;
            }
            text.push_back(c);
        }
        return text;
    }

    // Calls visit(child) for each child of `parent` until it returns true.
    template <typename Visit>
    bool ForEachChild(const Node& parent, Visit visit) const {
        std::size_t at = parent.childrenBegin;
        while (at < parent.end) {
            const auto child = ReadNode(at, parent.end);
            if (!child) {
                return false;
            }
            if (visit(*child)) {
                return true;
            }
            at = Align4(child->end);
        }
        return false;
    }

private:
    const unsigned char* bytes_;
    std::size_t size_;
};

}  // namespace

std::optional<VersionInfo> ParseVersionResource(const void* data, std::size_t size) {
    if (data == nullptr) {
        return std::nullopt;
    }
    const Reader reader(data, size);
    const auto root = reader.ReadNode(0, reader.size());
    if (!root || root->key != L"VS_VERSION_INFO" || root->valueBytes < kFixedFileInfoSize ||
        reader.U32(root->valueBegin) != kFixedFileInfoSignature) {
        return std::nullopt;
    }
    VersionInfo info;
    const std::uint32_t fileVersionMs = reader.U32(root->valueBegin + 8);
    const std::uint32_t fileVersionLs = reader.U32(root->valueBegin + 12);
    info.major = fileVersionMs >> 16;
    info.minor = fileVersionMs & 0xFFFF;
    info.build = fileVersionLs >> 16;
    info.revision = fileVersionLs & 0xFFFF;

    reader.ForEachChild(*root, [&](const Node& fileInfo) {
        if (fileInfo.key != L"StringFileInfo") {
            return false;
        }
        return reader.ForEachChild(fileInfo, [&](const Node& table) {
            return reader.ForEachChild(table, [&](const Node& entry) {
                if (entry.key != L"ProductName") {
                    return false;
                }
                info.productName = WideToUtf8(reader.Text(entry));
                return true;
            });
        });
    });
    return info;
}

namespace {

constexpr DWORD kVersionResourceId = 1;  // VS_VERSION_INFO

std::string ModulePathUtf8() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return WideToUtf8(path);
}

}  // namespace

VersionInfo ReadOwnVersionInfo() {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found =
        ::FindResourceW(module, MAKEINTRESOURCEW(kVersionResourceId), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    const DWORD size = data != nullptr ? ::SizeofResource(module, found) : 0;
    const auto info = ParseVersionResource(data, size);
    if (!info) {
        throw PlatformError("the program's version information cannot be read", ModulePathUtf8());
    }
    return *info;
}

}  // namespace velt::platform::win32
