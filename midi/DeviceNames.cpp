#include "DeviceNames.h"

#include <cctype>

namespace {

// `name` without a trailing " <client>:<port>"; the name itself when it has none.
std::string_view WithoutAddress(std::string_view name)
{
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    std::size_t end = name.size();
    const auto skipDigits = [&] {
        const std::size_t from = end;
        while (end > 0 && digit(name[end - 1]))
            --end;
        return end < from;
    };
    if (!skipDigits() || end == 0 || name[end - 1] != ':')
        return name;
    --end;
    if (!skipDigits() || end == 0 || name[end - 1] != ' ')
        return name;
    return name.substr(0, end - 1);
}

template <typename Same>
int FindBy(const std::vector<std::string>& names, int storedIndex, Same same)
{
    int first = -1;
    for (int index = 0; index < int(names.size()); ++index) {
        if (!same(names[std::size_t(index)]))
            continue;
        if (index == storedIndex)
            return index;
        if (first < 0)
            first = index;
    }
    return first;
}

} // namespace

int FindDeviceByName(const std::vector<std::string>& names, std::string_view name, int storedIndex)
{
    if (name.empty())
        return -1;
    const int exact =
        FindBy(names, storedIndex, [&](const std::string& candidate) { return candidate == name; });
    const std::string_view bare = WithoutAddress(name);
    if (exact >= 0 || bare.size() == name.size())
        return exact;
    return FindBy(names, storedIndex, [&](const std::string& candidate) {
        const std::string_view other = WithoutAddress(candidate);
        return other.size() < candidate.size() && other == bare;
    });
}
