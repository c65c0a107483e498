#include "image/pager_image.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kpx {
namespace {

TEST(PagerImage, GetBitsAndSetBitsOnTheirEdgeCases) {
    PagerImage image;
    image.set(0x10, 0x5A);
    EXPECT_EQ(image.GetBits(0x10, 4, 4), 5);
    EXPECT_EQ(image.GetBits(0x10, 0, 4), 10);

    image.set(0x11, 0xFF);
    image.SetBits(0x11, 2, 3, 2);
    EXPECT_EQ(image.at(0x11), 0xFF);
    image.set(0x11, 0x00);
    image.SetBits(0x11, 2, 3, 2);
    EXPECT_EQ(image.at(0x11), 0x0C);

    image.set(0x12, 0x80);
    image.SetBits(0x12, 7, 0, 1);
    EXPECT_EQ(image.at(0x12), 0x00);
}

TEST(PagerImage, RefusesAddressesOutsideTheImageAndFieldsThatDoNotFit) {
    PagerImage image;
    EXPECT_THROW(image.at(-1), std::out_of_range);
    EXPECT_THROW(image.at(kImageSize), std::out_of_range);
    EXPECT_NO_THROW(image.at(kImageLast));

    image.set(0x20, 0x42);
    EXPECT_THROW(image.SetBits(0x20, 4, 16, 4), std::overflow_error);  // value wider than field
    EXPECT_THROW(image.SetBits(0x20, 6, 1, 3), std::overflow_error);   // crosses the byte
    EXPECT_THROW(image.GetBits(0x20, 5, 4), std::overflow_error);
    EXPECT_EQ(image.at(0x20), 0x42);  // a refused write changes nothing
}

}  // namespace
}  // namespace kpx
