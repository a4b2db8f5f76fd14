#include "app/error_text.h"

const char* ErrorMessageText(ErrorCode code)
{
    switch (code) {
    case EC_OPEN_FAILED: return "ファイルを開く際に問題が起きました。";
    case EC_NO_MEMORY: return "メモリの確保しに失敗しました。";
    case EC_IO_COUNT: return "ファイル入出力で障害が起きました。";
    case EC_TEXT_REFUSED:
    case EC_TEXT_FULL: return "テキストバッファのサイズを超えました。";
    case EC_UNDEFINED: return "定義されていない問題が起きました。";
    default: return "不明な障害が発生しています。";
    }
}
