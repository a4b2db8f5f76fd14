#include <gtest/gtest.h>

#include "app/error_text.h"
#include "test_util.h"

namespace {

// Expected texts as the Shift-JIS bytes the editor shows.
const struct {
    ErrorCode code;
    const char* hex;
} kTexts[] = {
    // ファイルを開く際に問題が起きました。
    {2, "83 74 83 40 83 43 83 8B 82 F0 8A 4A 82 AD 8D DB 82 C9 96 E2 91 E8 82 AA 8B 4E 82 AB 82 DC 82 B5 82 BD 81 42"},
    // メモリの確保しに失敗しました。
    {3, "83 81 83 82 83 8A 82 CC 8A 6D 95 DB 82 B5 82 C9 8E B8 94 73 82 B5 82 DC 82 B5 82 BD 81 42"},
    // ファイル入出力で障害が起きました。
    {4, "83 74 83 40 83 43 83 8B 93 FC 8F 6F 97 CD 82 C5 8F E1 8A 51 82 AA 8B 4E 82 AB 82 DC 82 B5 82 BD 81 42"},
    // テキストバッファのサイズを超えました。
    {5, "83 65 83 4C 83 58 83 67 83 6F 83 62 83 74 83 40 82 CC 83 54 83 43 83 59 82 F0 92 B4 82 A6 82 DC 82 B5 82 BD 81 42"},
    {6, "83 65 83 4C 83 58 83 67 83 6F 83 62 83 74 83 40 82 CC 83 54 83 43 83 59 82 F0 92 B4 82 A6 82 DC 82 B5 82 BD 81 42"},
    // 定義されていない問題が起きました。
    {7, "92 E8 8B 60 82 B3 82 EA 82 C4 82 A2 82 C8 82 A2 96 E2 91 E8 82 AA 8B 4E 82 AB 82 DC 82 B5 82 BD 81 42"},
};

// 不明な障害が発生しています。
const char kUnknown[] = "95 73 96 BE 82 C8 8F E1 8A 51 82 AA 94 AD 90 B6 82 B5 82 C4 82 A2 82 DC 82 B7 81 42";

TEST(ErrorMessageText, DefinedCodes)
{
    for (const auto& t : kTexts)
        EXPECT_EQ(Hex(ErrorMessageText(t.code)), t.hex) << "code " << t.code;
}

TEST(ErrorMessageText, EveryOtherCodeIsUnknown)
{
    for (ErrorCode code : {0, 1, -1, 8, 100, -2147483647 - 1, 2147483647})
        EXPECT_EQ(Hex(ErrorMessageText(code)), kUnknown) << "code " << code;
}

}  // namespace
