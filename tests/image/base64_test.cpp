// Strict base64 decoding: known vectors, the error rules, and large random inputs.
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

using kivo_test::base64;

TEST(Base64, DecodesValidText)
{
    const struct {
        std::string text, bytes;
    } cases[] = {{"", ""}, {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9v", "foo"}, {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"}, {"QQ==", "A"}, {"QR==", "A"} /* leftover bits are ignored */,
        {"Q///", "C\xff\xff"}, {"QUJ=", "AB"}, {"AAAAAA==", "\0\0\0\0"s}, {"QQBC", "A\0B"s},
        {"+/+/", "\xfb\xff\xbf"},
        {"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=",
            "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14"
            "\x15\x16\x17\x18"
            "\x19\x1a\x1b\x1c\x1d\x1e\x1f"s}};
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.text), Result(std::in_place_index<0>, c.bytes)) << '"' << c.text << '"';
    }
}

TEST(Base64, RejectsMalformedTextWithTheFirstFailedCheck)
{
    const struct {
        std::string text, message;
    } cases[] = {{"Q", size_error}, {"QQ=", size_error},
        {"-_ \n=", size_error}, // size is checked before anything else
        {"Q===", padding_error}, {"=Q==", padding_error},
        {"-===", padding_error}, // padding before characters
        {"QQ=A", character_error}, {"=QUJ", character_error}, {"Q=Q=", character_error},
        {"QU D", character_error}, {"QU\0D"s, character_error}, {"QUJ\x80", character_error},
        {"QUJDQUJDQUJDQUJDQUJDQUJ.", character_error},
        {".UJDQUJDQUJDQUJDQUJDQUJD", character_error}, {"QUJDQU.=", character_error}};
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.text), Result(std::in_place_index<1>, c.message))
            << '"' << c.text << '"';
    }
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
