#pragma once
// Every text the import routes show the user, in one place. WAV refusals carry the caption
// below; MP3 failures use the platform's default caption (empty) and a warning icon.

#include "common/report.h"
#include "common/ui_text.h"

namespace yumo
{

inline constexpr char kWavErrorCaption[] = YUMO_TEXT("ファイルオープンエラー");
inline constexpr char kNotWavText[] =
    YUMO_TEXT("このファイルは開けません。wavファイルではありません。");
inline constexpr char kNotLinearPcmText[] =
    YUMO_TEXT("このファイルは開けません。リニアPCM形式ではありません。");
inline constexpr char kWrongRateOrWidthText[] =
    YUMO_TEXT("このファイルは開けません。44.1kHz、16ビットに変換してください。");

inline constexpr char kMp3OpenFailedText[] = YUMO_TEXT("ファイルのオープンに失敗しました。");
inline constexpr char kMp3StreamFailedText[] =
    YUMO_TEXT("変換ストリームのオープンに失敗しました。");

// Both routes: a file (or its decoded audio) larger than kMaxImportBytes.
inline constexpr char kImportTooLargeText[] =
    YUMO_TEXT("このファイルは開けません。ファイルが大きすぎます（1GB以下にしてください）。");

inline void ReportWavRefusal(Reporter& reporter, const char* text)
{
    ReportMessage(reporter, text, kWavErrorCaption, MessageKind::Error);
}

inline void ReportMp3Failure(Reporter& reporter, const char* text)
{
    ReportMessage(reporter, text, "", MessageKind::Warning);
}

} // namespace yumo
