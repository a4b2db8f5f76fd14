#include "codec/codes.h"

KanjiCode EffectiveKanjiCode(KanjiCode setting, KanjiCode detected)
{
    return setting == KanjiCode::Auto ? detected : setting;
}

LineBreakCode EffectiveLineBreakCode(LineBreakCode setting, LineBreakCode detected)
{
    return setting == LineBreakCode::Auto ? detected : setting;
}

const char* KanjiCodeName(KanjiCode code)
{
    switch (code) {
    case KanjiCode::Auto: return "Auto";
    case KanjiCode::JIS: return "JIS";
    case KanjiCode::EUC: return "EUC";
    case KanjiCode::ShiftJIS: return "ShiftJIS";
    case KanjiCode::UTF8: return "UTF8";
    case KanjiCode::UTF16: return "UTF16";
    case KanjiCode::UTF16BE: return "UTF16BE";
    }
    return "?";
}

const char* LineBreakCodeName(LineBreakCode code)
{
    switch (code) {
    case LineBreakCode::Auto: return "Auto";
    case LineBreakCode::LfCr: return "LfCr";
    case LineBreakCode::Cr: return "Cr";
    case LineBreakCode::Lf: return "Lf";
    case LineBreakCode::CrLf: return "CrLf";
    }
    return "?";
}

const char* KanjiCodeMenuName(KanjiCode code)
{
    switch (code) {
    case KanjiCode::Auto: return "自動";
    case KanjiCode::JIS: return "JIS";
    case KanjiCode::EUC: return "EUC";
    case KanjiCode::ShiftJIS: return "S-JIS";
    case KanjiCode::UTF8: return "UTF-8";
    case KanjiCode::UTF16: return "UTF-16";
    case KanjiCode::UTF16BE: return "UTF-16BE";
    }
    return "?";
}

const char* LineBreakCodeMenuName(LineBreakCode code)
{
    switch (code) {
    case LineBreakCode::Auto: return "自動";
    case LineBreakCode::LfCr: return "LF CR";
    case LineBreakCode::Cr: return "CR";
    case LineBreakCode::Lf: return "LF";
    case LineBreakCode::CrLf: return "CR LF";
    }
    return "?";
}
