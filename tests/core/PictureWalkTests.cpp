// The next and the previous picture of a folder, in the order given, wrapping at both ends.
#include "Tilvane/Core/PictureWalk.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace {

// The names are numbers, ordered as numbers, as a file browser orders them ("2" before "10").
int ByNumber(const std::string& a, const std::string& b) { return std::stoi(a) - std::stoi(b); }

bool IsPicture(const std::string& name) { return name.find(".txt") == std::string::npos; }

std::string Walk(const std::string& current, TWalkDirection direction,
                 const std::vector<std::string>& names = {"10.jpg", "3.txt", "2.jpg", "4.png", "1.JPG"}) {
    return NeighbourPicture(names, current, direction, IsPicture, ByNumber);
}

const TWalkDirection Next = TWalkDirection::Next, Previous = TWalkDirection::Previous;

}  // namespace

TEST(PictureWalkTest, WalksThePicturesInOrderAndWrapsAtBothEnds) {
    EXPECT_EQ(Walk("1.JPG", Next), "2.jpg");
    EXPECT_EQ(Walk("2.jpg", Next), "4.png") << "3.txt is no picture";
    EXPECT_EQ(Walk("4.png", Next), "10.jpg");
    EXPECT_EQ(Walk("10.jpg", Next), "1.JPG");
    EXPECT_EQ(Walk("1.JPG", Previous), "10.jpg");
    EXPECT_EQ(Walk("4.png", Previous), "2.jpg");
    EXPECT_EQ(Walk("01.jpg", Next), "2.jpg") << "the order decides which name is the current one";
    // A current name that is gone, or no picture, stands where the order puts it.
    EXPECT_EQ(Walk("3.txt", Next), "4.png");
    EXPECT_EQ(Walk("3.txt", Previous), "2.jpg");
    EXPECT_EQ(Walk("11.jpg", Next), "1.JPG");
    EXPECT_EQ(Walk("", Next), "1.JPG") << "no current picture: the first";
    EXPECT_EQ(Walk("", Previous), "10.jpg") << "no current picture: the last";
}

TEST(PictureWalkTest, AFolderWithoutOtherPictures) {
    EXPECT_EQ(Walk("2.jpg", Next, {"3.txt"}), "");
    EXPECT_EQ(Walk("", Previous, {}), "");
    EXPECT_EQ(Walk("5.jpg", Next, {"5.jpg", "3.txt"}), "5.jpg") << "the one picture follows itself";
    EXPECT_EQ(Walk("5.jpg", Previous, {"5.jpg"}), "5.jpg");
}

// Names the order cannot tell apart (a case-sensitive folder's "a.jpg" and "A.jpg", or numbers
// too long for the order to read) are each visited once, one after the other.
TEST(PictureWalkTest, NamesTheOrderHoldsEqualAreEachVisited) {
    const std::vector<std::string> names = {"b.jpg", "A.jpg", "a.jpg", "c.jpg"};
    const auto byFoldedCase = [](const std::string& a, const std::string& b) {
        return static_cast<int>(std::tolower(static_cast<unsigned char>(a[0]))) -
               static_cast<int>(std::tolower(static_cast<unsigned char>(b[0])));
    };
    for (const TWalkDirection direction : {Next, Previous}) {
        std::vector<std::string> walked;
        std::string current;
        for (size_t step = 0; step <= names.size(); ++step) {
            current = NeighbourPicture(names, current, direction, IsPicture, byFoldedCase);
            walked.push_back(current);
        }
        EXPECT_EQ(std::set<std::string>(walked.begin(), walked.end() - 1).size(), names.size())
            << "every picture once before the walk comes round";
        EXPECT_EQ(walked.back(), walked.front()) << "and then round again";
    }
}
