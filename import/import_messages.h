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

// A canonical header whose channel count makes a frame wider than 16 bits can hold.
inline constexpr char kImportChannelsText[] =
    YUMO_TEXT("このファイルは開けません。チャンネル数が%1です（開けるのは1～%2チャンネルです）。");

// The conversion of WAVs the import refuses: each refusal names the field, its value and the
// values the conversion takes.
inline constexpr char kConvertRateText[] = YUMO_TEXT(
    "このファイルは変換できません。サンプリングレートが%1 Hzです（変換できるのは%2～%3 Hzです）。");
inline constexpr char kConvertChannelsText[] = YUMO_TEXT(
    "このファイルは変換できません。チャンネル数が%1です（変換できるのは1～%2チャンネルです）。");
inline constexpr char kConvertBitsText[] = YUMO_TEXT(
    "このファイルは変換できません。%1のサンプルが%2ビットです（変換できるのは%3ビットです）。");
inline constexpr char kIntegerSamplesWord[] = YUMO_TEXT("整数");
inline constexpr char kFloatSamplesWord[] = YUMO_TEXT("浮動小数点");
inline constexpr char kConvertBlockAlignText[] =
    YUMO_TEXT("このファイルは変換できません。ブロックアラインが%1バイトです（%2チャンネル、"
              "%3ビットでは%4バイトです）。");
inline constexpr char kConvertFormatTagText[] =
    YUMO_TEXT("このファイルは変換できません。フォーマットタグが%1です（変換できるのはリニアPCMの1"
              "と浮動小数点の3です）。");
inline constexpr char kConvertSubFormatText[] =
    YUMO_TEXT("このファイルは変換できません。拡張形式のサブフォーマットが不明です（変換できるのは"
              "リニアPCMと浮動小数点です）。");
inline constexpr char kConvertClippedText[] =
    YUMO_TEXT("このファイルには最大音量を超えるサンプルがあります。%1個のサンプルを最大音量で"
              "切り詰めて（クリップして）変換しました。");

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
