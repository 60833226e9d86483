#include "sim/registry/registry_names.h"

#include "host/registry.h"

namespace tarvex::sim {

namespace {
char FoldAscii(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}
} // namespace

bool SameRegistryName(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

base::HResult SplitKeyPath(std::string_view path, std::vector<std::string_view>& levels) {
    levels.clear();
    path = host::TrimKeyPath(path);
    if (path.find('\0') != std::string_view::npos)
        return base::hr::InvalidArg;
    while (!path.empty()) {
        const std::size_t end = path.find('\\');
        const std::string_view level = path.substr(0, end);
        if (level.empty())
            return base::hr::InvalidArg;
        levels.push_back(level);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
    }
    return base::hr::Ok;
}

base::HResult CheckValueName(std::string_view name) noexcept {
    return name.find('\0') == std::string_view::npos ? base::hr::Ok : base::hr::InvalidArg;
}

} // namespace tarvex::sim
