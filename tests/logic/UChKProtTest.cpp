#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "logic/UChKProt.h"

namespace cp::test {
namespace {

// The same rule said at the level of bytes, as an independent oracle: the k
// codes as one big-endian number of 8k bits, rotated left by 3 within those
// bits, bytes written least significant first, each as two letters.
std::string scrambleBytes(const std::string& text) {
    const std::size_t k = text.size() % 32;
    std::vector<unsigned> bytes;
    for (std::size_t i = 0; i < k; ++i) bytes.push_back(static_cast<unsigned char>(text[i]));
    std::vector<unsigned> rotated(k);
    for (std::size_t i = 0; i < k; ++i) {
        const unsigned next = bytes[(i + 1) % k];
        rotated[i] = ((bytes[i] << 3) | (next >> 5)) & 0xFFu;
    }
    std::string out;
    for (std::size_t i = k; i-- > 0;) {
        out += static_cast<char>('A' + (rotated[i] >> 4));
        out += static_cast<char>('A' + (rotated[i] & 0xFu));
    }
    return out;
}

TEST(UChKProt, BinaryHelpers) {
    EXPECT_EQ(Potencia(2, 0), 1);
    EXPECT_EQ(Potencia(2, 1), 2);
    EXPECT_EQ(Potencia(2, 7), 128);
    EXPECT_EQ(Potencia(3, 4), 81);
    EXPECT_EQ(Potencia(7, 0), 1);

    EXPECT_EQ(Binario(0), "00000000");
    EXPECT_EQ(Binario(1), "1");
    EXPECT_EQ(Binario(5), "101");
    EXPECT_EQ(Binario(255), "11111111");
    EXPECT_EQ(Binario(256), "100000000");

    EXPECT_EQ(Binario8('\0'), "00000000");
    EXPECT_EQ(Binario8('A'), "01000001");
    EXPECT_EQ(Binario8('\xC9'), "11001001");  // É
    EXPECT_EQ(Binario8('\xFF'), "11111111");

    EXPECT_EQ(ValorBinario(""), 0);
    EXPECT_EQ(ValorBinario("00001011"), 11);
    EXPECT_EQ(ValorBinario("11111111"), 255);
    EXPECT_EQ(ValorBinario("100000000"), 256);

    EXPECT_EQ(LetraDoGrupo("0000"), 'A');
    EXPECT_EQ(LetraDoGrupo("0001"), 'B');
    EXPECT_EQ(LetraDoGrupo("1010"), 'K');
    EXPECT_EQ(LetraDoGrupo("1111"), 'P');

    EXPECT_EQ(LetrasDoTexto(""), "");
    EXPECT_EQ(LetrasDoTexto(std::string("\x1B\x13\x0B")), "BLBDAL");
    EXPECT_EQ(LetrasDoTexto("\xFF"), "PP");
}

TEST(UChKProt, WorkedExamplesAndCase) {
    EXPECT_EQ(CodificaSenha("abc"), "BLBDAL");
    EXPECT_EQ(scrambleBytes("abc"), "BLBDAL");  // the oracle agrees with the worked example
    EXPECT_EQ(CodificaSenha("ABC"), "BKBCAK");
    EXPECT_EQ(CodificaSenha("A"), "AK");
    EXPECT_EQ(CodificaSenha("\xC9"), "EO");  // É, code 201
    EXPECT_EQ(CodificaSenha(""), "");
    EXPECT_EQ(CodificaSenha("DEMO").size(), 8u);
    EXPECT_NE(CodificaSenha("demo"), CodificaSenha("DEMO"));
}

TEST(UChKProt, LengthIsTakenModulo32) {
    std::string t31, t32, t33, t64, t65;
    for (int i = 0; i < 31; ++i) t31 += static_cast<char>('a' + i % 26);
    t32 = t31 + "Z";
    t33 = t32 + "Q";
    t64 = t32 + t32;
    t65 = t64 + "x";

    const std::string r31 = CodificaSenha(t31);
    EXPECT_EQ(r31.size(), 62u);
    EXPECT_EQ(r31, scrambleBytes(t31));
    EXPECT_EQ(CodificaSenha(t32), "");
    EXPECT_EQ(CodificaSenha(t64), "");
    EXPECT_EQ(CodificaSenha(std::string(96, 'A')), "");
    // 33 characters: only the first one takes part.
    EXPECT_EQ(CodificaSenha(t33), CodificaSenha(t33.substr(0, 1)));
    EXPECT_EQ(CodificaSenha(t33), CodificaSenha("a"));
    EXPECT_EQ(CodificaSenha(t65), CodificaSenha("a"));
    // Stored widths: a 12-letter SENHA is a 6-character password, a 30-letter
    // USUARIO a 15-character name.
    EXPECT_EQ(CodificaSenha("123456").size(), 12u);
    EXPECT_EQ(CodificaSenha("FARMACIA CENTRO").size(), 30u);
}

TEST(UChKProt, EveryByteAndManyTextsMatchTheByteLevelRule) {
    // Every single byte value, including NUL and codes above 127.
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const std::string got = CodificaSenha(one);
        ASSERT_EQ(got, scrambleBytes(one)) << "code " << c;
        const unsigned rot = ((c << 3) | (c >> 5)) & 0xFF;
        ASSERT_EQ(got[0], 'A' + static_cast<int>(rot >> 4));
        ASSERT_EQ(got[1], 'A' + static_cast<int>(rot & 0xF));
    }
    // Deterministic pseudo-random texts of every length from 0 to 70.
    std::mt19937 gen(20240315);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20; ++round) {
        for (std::size_t len = 0; len <= 70; ++len) {
            std::string text;
            for (std::size_t i = 0; i < len; ++i) text += static_cast<char>(byte(gen));
            const std::string got = CodificaSenha(text);
            ASSERT_EQ(got, scrambleBytes(text)) << "length " << len;
            ASSERT_EQ(got.size(), 2 * (len % 32));
            for (char l : got) ASSERT_TRUE(l >= 'A' && l <= 'P');
        }
    }
}

}  // namespace
}  // namespace cp::test
