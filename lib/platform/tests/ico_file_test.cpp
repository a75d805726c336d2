#include "kestrova/platform/ico_file.h"
#include "kestrova/platform/icon.h"

#include "support/ico_builder.h"

#include <gtest/gtest.h>

using namespace kestrova::platform;
using kestrova::testing::encodeIconFile;
using kestrova::testing::PaletteImage;
using kestrova::testing::putU32;

namespace {

const std::vector<uint32_t> kFourColors = {rgb(0, 0, 0), rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)};

// A size-by-size image whose pixel (x, y) has index (x + 2y) % colours and
// whose right half is transparent.
PaletteImage patterned(int size, int bitsPerPixel) {
    PaletteImage image = PaletteImage::filled(size, bitsPerPixel, kFourColors);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.set(x, y, uint8_t((x + 2 * y) % 4), x < size / 2);
    return image;
}

void expectMatches(const IconImage& parsed, const PaletteImage& source) {
    ASSERT_EQ(parsed.width, source.width);
    ASSERT_EQ(parsed.height, source.height);
    EXPECT_EQ(parsed.bitsPerPixel, source.bitsPerPixel);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            const size_t at = size_t(y) * size_t(source.width) + size_t(x);
            ASSERT_EQ(parsed.pixel(x, y), source.palette[source.indices[at]]) << x << "," << y;
            ASSERT_EQ(parsed.isOpaque(x, y), source.andMask[at] == 0) << x << "," << y;
        }
}

}  // namespace

TEST(IconFile, ReadsEveryImageOfFourAndEightBitsInDirectoryOrder) {
    const std::vector<PaletteImage> images = {patterned(16, 4), patterned(22, 8), patterned(32, 4), patterned(22, 4)};
    const auto group = parseIconFile(encodeIconFile(images));
    ASSERT_TRUE(group);
    ASSERT_EQ(group->images.size(), images.size());
    for (size_t k = 0; k < images.size(); ++k) {
        SCOPED_TRACE(k);
        expectMatches(group->images[k], images[k]);
    }
}

TEST(IconFile, ReadsOneBitImagesAndOddWidthsWithPaddedRows) {
    PaletteImage mono = PaletteImage::filled(13, 1, {rgb(0, 0, 0), rgb(255, 255, 255)});
    for (int y = 0; y < 13; ++y) mono.set((y * 5) % 13, y, 1, y % 3 != 0);
    const auto group = parseIconFile(encodeIconFile({mono}));
    ASSERT_TRUE(group);
    expectMatches(group->images[0], mono);
}

TEST(IconFile, IndexPastAShortPaletteReadsAsBlack) {
    PaletteImage image = PaletteImage::filled(4, 8, {rgb(10, 20, 30)});
    image.set(1, 1, 200);
    const auto group = parseIconFile(encodeIconFile({image}));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->images[0].pixel(0, 0), rgb(10, 20, 30));
    EXPECT_EQ(group->images[0].pixel(1, 1), 0u);
}

TEST(IconFile, RejectsFilesThatAreNotIcons) {
    EXPECT_FALSE(parseIconFile({}));
    std::vector<uint8_t> cursor = encodeIconFile({patterned(16, 4)});
    cursor[2] = 2;  // a cursor file, not an icon file
    EXPECT_FALSE(parseIconFile(cursor));
    std::vector<uint8_t> empty = {0, 0, 1, 0, 0, 0};
    EXPECT_FALSE(parseIconFile(empty));
    std::vector<uint8_t> tooMany = {0, 0, 1, 0, 0xff, 0xff};
    EXPECT_FALSE(parseIconFile(tooMany));
}

TEST(IconFile, SkipsImagesWhoseDirectoryEntryPointsOutsideTheFile) {
    std::vector<uint8_t> bytes = encodeIconFile({patterned(16, 4), patterned(32, 8)});
    bytes[6 + 12] = 0xff;  // first entry's offset far past the end
    bytes[6 + 15] = 0x7f;
    const auto group = parseIconFile(bytes);
    ASSERT_TRUE(group);
    ASSERT_EQ(group->images.size(), 1u);
    EXPECT_EQ(group->images[0].width, 32);
}

TEST(IconFile, RejectsImpossibleImageHeaders) {
    const auto withHeaderField = [](size_t fieldOffset, uint32_t value) {
        std::vector<uint8_t> bytes = encodeIconFile({patterned(16, 4)});
        std::vector<uint8_t> field;
        putU32(field, value);
        std::copy(field.begin(), field.end(), bytes.begin() + 22 + fieldOffset);
        return bytes;
    };
    EXPECT_FALSE(parseIconFile(withHeaderField(4, 0)));        // width 0
    EXPECT_FALSE(parseIconFile(withHeaderField(4, 257)));      // wider than any icon
    EXPECT_FALSE(parseIconFile(withHeaderField(8, 33)));       // odd doubled height
    EXPECT_FALSE(parseIconFile(withHeaderField(8, 0x80000000u)));  // negative height
    EXPECT_FALSE(parseIconFile(withHeaderField(16, 1)));       // compressed
    EXPECT_FALSE(parseIconFile(withHeaderField(32, 17)));      // more colours than 4 bits hold
    EXPECT_FALSE(parseIconFile(withHeaderField(0, 0xffffff)));  // header larger than the image
}

TEST(IconFile, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
    const std::vector<uint8_t> bytes = encodeIconFile({patterned(22, 8)});
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + long(length));
        EXPECT_FALSE(parseIconFile(prefix)) << length;
    }
    EXPECT_TRUE(parseIconFile(bytes));
}

TEST(IconFile, InputLargerThanTheBoundIsRejected) {
    std::vector<uint8_t> bytes = encodeIconFile({patterned(16, 4)});
    bytes.resize(kMaxIconFileSize + 1);
    EXPECT_FALSE(parseIconFile(bytes));
}
