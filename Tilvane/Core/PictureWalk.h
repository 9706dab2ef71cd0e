// Walking the pictures of a folder one by one, in the order a file browser shows them by name.
// Pure: the folder's names, which of them are pictures, and the order come from the caller.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class TWalkDirection { Next, Previous };

// Negative, zero or positive as the first name sorts before, with or after the second.
using TNameOrder = std::function<int(const std::string&, const std::string&)>;
using TNameFilter = std::function<bool(const std::string&)>;

// The picture after (or before) the current one among the names, wrapping around at both ends.
// A current name that is not among the pictures (deleted meanwhile, or no picture at all) stands
// where the order puts it, and an empty one before the first: Next then gives the first picture
// and Previous the last. Empty when no name is a picture.
std::string NeighbourPicture(std::vector<std::string> names, const std::string& current, TWalkDirection direction,
                             const TNameFilter& isPicture, const TNameOrder& order);
