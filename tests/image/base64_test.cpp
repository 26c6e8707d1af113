// Strict base64 decoding, checked against known vectors, the error rules and a slow reference
// decoder.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <variant>

#include "kivo/base64.h"
#include "support.h"

namespace {

using namespace std::string_literals;

const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const std::string size_error = "Invalid base64 encoded data - Size not divisible by 4";
const std::string padding_error = "Invalid base64 encoded data - Found more than 2 padding signs";
const std::string character_error = "Invalid base64 encoded data - Invalid character";

// Decoded bytes, or the error message.
using Result = std::variant<std::string, std::string>;

Result decode(const std::string& text)
{
    try {
        return Result(std::in_place_index<0>, base64::decode_into<std::string>(text));
    } catch (const std::runtime_error& e) {
        return Result(std::in_place_index<1>, e.what());
    }
}

// Bit by bit, looking each character up in the alphabet.
Result reference_decode(const std::string& text)
{
    if (text.size() % 4)
        return Result(std::in_place_index<1>, size_error);
    size_t padding = 0;
    for (size_t i = text.size() >= 4 ? text.size() - 4 : 0; i < text.size(); ++i)
        padding += text[i] == '=';
    if (padding > 2)
        return Result(std::in_place_index<1>, padding_error);
    std::string out;
    unsigned bits = 0, count = 0;
    for (size_t i = 0; i < text.size() - padding; ++i) {
        const size_t v = alphabet.find(text[i]);
        if (v == std::string::npos)
            return Result(std::in_place_index<1>, character_error);
        for (int b = 5; b >= 0; --b) {
            bits = bits << 1 | ((v >> b) & 1);
            if (++count == 8) {
                out += char(bits);
                bits = count = 0;
            }
        }
    }
    return Result(std::in_place_index<0>, out);
}

using kivo_test::base64;

TEST(Base64, DecodesValidText)
{
    const struct {
        std::string text, bytes;
    } cases[] = {
        {"", ""},
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"},
        {"QQ==", "A"},
        {"QR==", "A"} /* leftover bits are ignored */,
        {"Q///", "C\xff\xff"},
        {"QUI=", "AB"},
        {"QUJ=", "AB"},
        {"QUJD", "ABC"},
        {"AAAA", "\0\0\0"s},
        {"AAAAAA==", "\0\0\0\0"s},
        {"QQBC", "A\0B"s},
        {"+/+/", "\xfb\xff\xbf"},
        {"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=",
            "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14"
            "\x15\x16\x17\x18"
            "\x19\x1a\x1b\x1c\x1d\x1e\x1f"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.text), Result(std::in_place_index<0>, c.bytes)) << '"' << c.text << '"';
    }
}

TEST(Base64, RejectsMalformedTextWithTheFirstFailedCheck)
{
    const struct {
        std::string text, message;
    } cases[] = {
        {"Q", size_error},
        {"QUJDR", size_error},
        {"QQ=", size_error},
        {"QUJD\n", size_error},
        {"-_ \n=", size_error}, // size is checked before anything else
        {"Q===", padding_error},
        {"====", padding_error},
        {"QUJD====", padding_error},
        {"=Q==", padding_error},
        {"-===", padding_error}, // padding before characters
        {"QQ=A", character_error},
        {"QQ==QUJD", character_error},
        {"=QUJ", character_error},
        {"Q=Q=", character_error},
        {"QUJD\nQUJ", character_error},
        {"QU D", character_error},
        {"QU-D", character_error},
        {"QU_D", character_error},
        {"QU\0D"s, character_error},
        {"QUJ\x80", character_error},
        {"QUJ\xff", character_error},
        {"QUJDQUJDQUJDQUJDQUJDQUJ.", character_error},
        {".UJDQUJDQUJDQUJDQUJDQUJD", character_error},
        {"QUJDQU.=", character_error},
        {"QUJDQ.==", character_error},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.text), Result(std::in_place_index<1>, c.message))
            << '"' << c.text << '"';
    }
}

// Random byte strings encoded, then decoded unchanged or after random damage, compared with the
// reference decoder.
TEST(Base64, AgreesWithReferenceDecoder)
{
    std::mt19937 random(20240611);
    const std::string specials = "=\n -_.\0\x80\xff"s;
    int failures = 0, successes = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 100, '\0');
        for (char& b : bytes)
            b = char(random());
        std::string text = base64(bytes);
        switch (random() % 6) {
        case 0: // untouched
            ASSERT_EQ(decode(text), Result(std::in_place_index<0>, bytes)) << text;
            break;
        case 1: // any byte somewhere
            if (!text.empty())
                text[random() % text.size()] = char(random());
            break;
        case 2: // a troublesome character somewhere
            if (!text.empty())
                text[random() % text.size()] = specials[random() % specials.size()];
            break;
        case 3: // a character inserted or removed
            if (random() % 2 || text.empty()) {
                text.insert(text.begin() + ptrdiff_t(random() % (text.size() + 1)),
                    alphabet[random() % 64]);
            } else {
                text.erase(text.begin() + ptrdiff_t(random() % text.size()));
            }
            break;
        case 4: // padding at the end
            for (size_t k = 1 + random() % 4; k > 0 && k <= text.size(); --k)
                text[text.size() - k] = '=';
            break;
        default: // leftover bits set
            if (!text.empty() && text.back() == '=') {
                const size_t last = text.find('=') - 1;
                text[last] = alphabet[size_t(alphabet.find(text[last]) | random() % 16)];
            }
        }
        const Result expected = reference_decode(text);
        ASSERT_EQ(decode(text), expected) << text;
        (expected.index() ? failures : successes)++;
    }
    // Both outcomes are well represented.
    EXPECT_GT(failures, 5000);
    EXPECT_GT(successes, 5000);
}

TEST(Base64, DecodesLargeText)
{
    std::mt19937 random(7);
    for (size_t size : {size_t(1) << 20, (size_t(1) << 20) + 1, (size_t(1) << 20) + 2}) {
        std::string bytes(size, '\0');
        for (char& b : bytes)
            b = char(random());
        const std::string text = base64(bytes);
        EXPECT_EQ(base64::decode_into<std::string>(text), bytes);
        std::string bad = text;
        bad[text.size() / 2] = '*';
        EXPECT_EQ(decode(bad), Result(std::in_place_index<1>, character_error));
    }
}

} // namespace
