#include "base/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace tavelin {
namespace {

// The published test vectors, and a million bytes fed in pieces whose sizes straddle the 64-byte
// blocks in every way, so that the buffering between pieces is covered as well as the padding.
TEST(Sha256, KnownDigests) {
    const struct {
        std::string input;
        const wchar_t* digest;
    } cases[] = {
        {"", L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         L"248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // 55 and 56 bytes: the last length that pads within one block and the first that needs two.
        {std::string(55, 'a'), L"9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), L"b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Text(Sha256Of(c.input)), c.digest) << c.input.size() << " bytes";

    Sha256 pieces;
    const std::string chunk(997, 'a');
    std::size_t fed = 0;
    for (std::size_t size = 1; fed < 1000000; size = size % 130 + 1) {
        const std::size_t take = std::min(size, 1000000 - fed);
        pieces.Update(chunk.data(), take);
        fed += take;
    }
    EXPECT_EQ(Sha256Text(pieces.Finish()), L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, ParsesOnlyWholeDigests) {
    const std::wstring digest = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    ASSERT_TRUE(ParseSha256Text(L"  " + digest + L"\r\n").has_value());
    EXPECT_EQ(*ParseSha256Text(digest), Sha256Of("abc")) << "either case";
    const std::wstring refused[] = {
        L"", digest.substr(1), digest + L"0", digest.substr(0, 63) + L"g", digest.substr(0, 32) + L" " + digest.substr(33),
    };
    for (const auto& text : refused) EXPECT_FALSE(ParseSha256Text(text).has_value()) << text.size();
}

}  // namespace
}  // namespace tavelin
