// The next and the previous picture of a folder, in natural order, wrapping at both ends.
#include "Tilvane/Core/PictureWalk.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// A natural order as file browsers sort names: runs of digits by their number, letters without
// regard to case.
int NaturalOrder(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t endA = i, endB = j;
            while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA]))) ++endA;
            while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB]))) ++endB;
            const unsigned long long x = std::stoull(a.substr(i, endA - i)), y = std::stoull(b.substr(j, endB - j));
            if (x != y) return x < y ? -1 : 1;
            i = endA, j = endB;
            continue;
        }
        const int x = std::tolower(static_cast<unsigned char>(a[i++])), y = std::tolower(static_cast<unsigned char>(b[j++]));
        if (x != y) return x - y;
    }
    return static_cast<int>(a.size() - i) - static_cast<int>(b.size() - j);
}

bool IsPicture(const std::string& name) {
    const std::string extension = name.substr(name.rfind('.') + 1);
    return extension == "jpg" || extension == "JPG" || extension == "png";
}

// A folder as the system lists it, in no particular order.
const std::vector<std::string> Folder = {"10.jpg", "notes.txt", "2.jpg", "b.png", "1.JPG", "Game.tvg"};

std::string Next(const std::string& current, const std::vector<std::string>& names = Folder) {
    return NeighbourPicture(names, current, TWalkDirection::Next, IsPicture, NaturalOrder);
}

std::string Previous(const std::string& current, const std::vector<std::string>& names = Folder) {
    return NeighbourPicture(names, current, TWalkDirection::Previous, IsPicture, NaturalOrder);
}

}  // namespace

TEST(PictureWalkTest, WalksThePicturesInNaturalOrderAndWrapsAtBothEnds) {
    EXPECT_EQ(Next("1.JPG"), "2.jpg");
    EXPECT_EQ(Next("2.jpg"), "10.jpg") << "2 comes before 10, not after it";
    EXPECT_EQ(Next("10.jpg"), "b.png") << "notes.txt and Game.tvg are no pictures";
    EXPECT_EQ(Next("b.png"), "1.JPG");
    EXPECT_EQ(Previous("1.JPG"), "b.png");
    EXPECT_EQ(Previous("b.png"), "10.jpg");
    EXPECT_EQ(Previous("10.jpg"), "2.jpg");
    EXPECT_EQ(Previous("2.jpg"), "1.JPG");
    EXPECT_EQ(Next("B.PNG"), "1.JPG") << "the order decides which name is the current one";
}

TEST(PictureWalkTest, ACurrentNameThatIsNoLongerThereStandsWhereTheOrderPutsIt) {
    EXPECT_EQ(Next("5.jpg"), "10.jpg");
    EXPECT_EQ(Previous("5.jpg"), "2.jpg");
    EXPECT_EQ(Next("notes.txt"), "1.JPG") << "after every picture: wraps to the first";
    EXPECT_EQ(Previous("0.jpg"), "b.png") << "before every picture: wraps to the last";
    EXPECT_EQ(Next(""), "1.JPG") << "no current picture: the first";
    EXPECT_EQ(Previous(""), "b.png") << "no current picture: the last";
}

TEST(PictureWalkTest, AFolderWithoutOtherPictures) {
    EXPECT_EQ(Next("2.jpg", {"notes.txt"}), "");
    EXPECT_EQ(Previous("", {}), "");
    EXPECT_EQ(Next("only.jpg", {"only.jpg", "notes.txt"}), "only.jpg") << "the one picture follows itself";
    EXPECT_EQ(Previous("only.jpg", {"only.jpg"}), "only.jpg");
}
