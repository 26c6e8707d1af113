// Strict base64 decoding: known vectors (every character of the alphabet among them) and the
// error rules.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <variant>

#include "kivo/base64.h"

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

// Valid text decodes to its bytes (leftover bits ignored); malformed text gives the message of
// the first check it fails: size, then padding, then characters.
TEST(Base64, DecodesValidTextAndRejectsMalformedTextWithTheFirstFailedCheck)
{
    const auto bytes = [](std::string b) { return Result(std::in_place_index<0>, std::move(b)); };
    const auto error = [](std::string m) { return Result(std::in_place_index<1>, std::move(m)); };
    const struct {
        std::string text;
        Result result;
    } cases[] = {{"", bytes("")}, {"Zg==", bytes("f")}, {"Zm8=", bytes("fo")},
        {"Zm9v", bytes("foo")}, {"Zm9vYmE=", bytes("fooba")}, {"Zm9vYmFy", bytes("foobar")},
        {"QQ==", bytes("A")}, {"QR==", bytes("A")}, {"Q///", bytes("C\xff\xff")},
        {"QUJ=", bytes("AB")}, {"AAAAAA==", bytes("\0\0\0\0"s)}, {"QQBC", bytes("A\0B"s)},
        {"+/+/", bytes("\xfb\xff\xbf")},
        {alphabet, bytes("\x00\x10\x83\x10\x51\x87\x20\x92\x8b\x30\xd3\x8f\x41\x14\x93\x51"
                         "\x55\x97\x61\x96\x9b\x71\xd7\x9f\x82\x18\xa3\x92\x59\xa7\xa2\x9a"
                         "\xab\xb2\xdb\xaf\xc3\x1c\xb3\xd3\x5d\xb7\xe3\x9e\xbb\xf3\xdf\xbf"s)},
        {"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=",
            bytes("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12"
                  "\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f"s)},
        {"Q", error(size_error)}, {"QQ=", error(size_error)}, {"-_ \n=", error(size_error)},
        {"Q===", error(padding_error)}, {"=Q==", error(padding_error)},
        {"-===", error(padding_error)}, {"QQ=A", error(character_error)},
        {"=QUJ", error(character_error)}, {"Q=Q=", error(character_error)},
        {"QU D", error(character_error)}, {"QU\0D"s, error(character_error)},
        {"QUJ\x80", error(character_error)}, {"QUJDQUJDQUJDQUJDQUJDQUJ.", error(character_error)},
        {".UJDQUJDQUJDQUJDQUJDQUJD", error(character_error)}, {"QUJDQU.=", error(character_error)}};
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.text), c.result) << '"' << c.text << '"';
    }
}

} // namespace
