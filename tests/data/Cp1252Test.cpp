#include <gtest/gtest.h>

#include "data/Cp1252.h"

namespace cp {

TEST(Cp1252, RoundTripsEveryDefinedByteAndRefusesOtherCharacters) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString text = fromCp1252(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(text.at(0xC9 - 1), QChar(0x00C9));  // É
    EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC));  // €
    auto back = toCp1252(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);

    EXPECT_FALSE(toCp1252(QStringLiteral("Ação \u4E2D")).has_value());
    EXPECT_THROW(toCp1252OrThrow(QStringLiteral("\u0416")), std::runtime_error);
    // A character outside the basic plane is named whole, not as half of it.
    try {
        toCp1252OrThrow(QString::fromUtf8("Frete \xF0\x9F\x9A\x9A"));
        ADD_FAILURE() << "an emoji was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("\"\xF0\x9F\x9A\x9A\" (U+1F69A)"), std::string::npos)
            << e.what();
    }
}

TEST(Cp1252, UpperCasingChangesOnlyAtoZ) {
    const std::string in = *toCp1252(QStringLiteral("caixa1 ação é"));
    EXPECT_EQ(fromCp1252(upperAZ(in)), QStringLiteral("CAIXA1 AçãO é"));
}

}  // namespace cp
