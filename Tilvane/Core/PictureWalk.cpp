#include "Tilvane/Core/PictureWalk.h"

#include <algorithm>

std::string NeighbourPicture(std::vector<std::string> names, const std::string& current, TWalkDirection direction,
                             const TNameFilter& isPicture, const TNameOrder& order) {
    names.erase(std::remove_if(names.begin(), names.end(), [&](const std::string& name) { return !isPicture(name); }),
                names.end());
    if (names.empty()) return std::string();
    const auto before = [&](const std::string& a, const std::string& b) { return order(a, b) < 0; };
    std::sort(names.begin(), names.end(), before);
    // An empty name sorts before every other in any order a browser uses, but the caller's order
    // need not say so.
    if (current.empty()) return direction == TWalkDirection::Next ? names.front() : names.back();
    if (direction == TWalkDirection::Next) {
        const auto after = std::upper_bound(names.begin(), names.end(), current, before);
        return after == names.end() ? names.front() : *after;
    }
    const auto notBefore = std::lower_bound(names.begin(), names.end(), current, before);
    return notBefore == names.begin() ? names.back() : *(notBefore - 1);
}
