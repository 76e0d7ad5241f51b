// The words for each refusal of a voice-data file, whole texts with their values.

#include <string>

#include "common/ui_text.h"
#include "voices/voice_data_file.h"

namespace yumo
{

MessageFormat DescribeVoiceDataRefusalFormat(const VoiceDataRefusal& refusal)
{
    const std::string value = std::to_string(refusal.value);
    const std::string kind = std::to_string(refusal.kind);
    const std::string position = std::to_string(refusal.position);
    // Each text whole, so that a translation can order its values as its language needs.
    switch (refusal.problem)
    {
    case VoiceDataProblem::None:
        return {};
    case VoiceDataProblem::TooLarge:
        return {YUMO_TEXT("ボイスデータファイルが大きすぎます（%1 バイト）。"), {value}};
    case VoiceDataProblem::ShortHeader:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。ヘッダーが途中で切れています（%1 "
                          "バイト）。"),
                {value}};
    case VoiceDataProblem::CountOutOfRange:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1 のボイス数 %2 が 0～10 "
                          "の範囲外です。"),
                {kind, value}};
    case VoiceDataProblem::ByteSizeOutOfRange:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのバイト数 %3 が不正です。"),
                {kind, position, value}};
    case VoiceDataProblem::LengthBeyondSamples:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの長さ %3 "
                          "がサンプル数と合いません。"),
                {kind, position, value}};
    case VoiceDataProblem::NegativePlayCounter:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの再生位置 %3 が負です。"),
                {kind, position, value}};
    case VoiceDataProblem::RecordTruncated:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのデータが途中で切れています。"),
                {kind, position}};
    case VoiceDataProblem::CompressedLengthBad:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの圧縮データ長 %3 が不正です。"),
                {kind, position, value}};
    case VoiceDataProblem::ByteSizeTooLarge:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのバイト数 %3 が圧縮データに対して大きすぎます。"),
                {kind, position, value}};
    case VoiceDataProblem::TotalTooLarge:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。ボイスの合計 %1 バイトが上限の %2 "
                          "バイトを超えています。"),
                {value, std::to_string(kMaxVoiceDataSampleBytes)}};
    case VoiceDataProblem::StreamDamaged:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの圧縮データが壊れています。"),
                {kind, position}};
    case VoiceDataProblem::InflatedSizeMismatch:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの展開後のサイズがバイト数と一致しません。"),
                {kind, position}};
    case VoiceDataProblem::VersionOutOfRange:
        return {YUMO_TEXT("ボイスデータファイルではないか、壊れています。形式のバージョンが %1 "
                          "です（1 以上です）。"),
                {value}};
    case VoiceDataProblem::BytesAfterStream:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの圧縮データの後ろに %3 バイトの余分なデータがあります。"),
                {kind, position, value}};
    }
    return {YUMO_TEXT("ボイスデータファイルが壊れています。"), {}};
}

std::string DescribeVoiceDataRefusal(const VoiceDataRefusal& refusal)
{
    const MessageFormat message = DescribeVoiceDataRefusalFormat(refusal);
    return FillMessageFormat(message.format, message.arguments);
}

} // namespace yumo
