#include "Tilvane/Core/PictureWalk.h"

#include <algorithm>

std::string NeighbourPicture(std::vector<std::string> names, const std::string& current, TWalkDirection direction,
                             const TNameFilter& isPicture, const TNameOrder& order) {
    names.erase(std::remove_if(names.begin(), names.end(), [&](const std::string& name) { return !isPicture(name); }),
                names.end());
    if (names.empty()) return std::string();
    const auto before = [&](const std::string& a, const std::string& b) { return order(a, b) < 0; };
    // Names the order holds equal ("a.jpg" and "A.jpg" in a case-sensitive folder, or numbers too
    // long for it) keep a fixed order of their own, so that the walk visits each of them.
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const int ordered = order(a, b);
        return ordered != 0 ? ordered < 0 : a < b;
    });
    // An empty name sorts before every other in any order a browser uses, but the caller's order
    // need not say so.
    if (current.empty()) return direction == TWalkDirection::Next ? names.front() : names.back();
    const auto same = std::find(names.begin(), names.end(), current);
    if (same != names.end()) {
        const size_t index = static_cast<size_t>(same - names.begin()), count = names.size();
        return direction == TWalkDirection::Next ? names[(index + 1) % count] : names[(index + count - 1) % count];
    }
    // A name spelt otherwise than the folder holds it stands where the order puts it.
    if (direction == TWalkDirection::Next) {
        const auto after = std::upper_bound(names.begin(), names.end(), current, before);
        return after == names.end() ? names.front() : *after;
    }
    const auto notBefore = std::lower_bound(names.begin(), names.end(), current, before);
    return notBefore == names.begin() ? names.back() : *(notBefore - 1);
}
