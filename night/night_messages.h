#pragma once
// Every text the night engine shows the user, in one place: the output device's failures and
// the music loader's refusals.

#include "common/report.h"

namespace yumo
{

inline constexpr char kAudioErrorCaption[] = "オーディオエラー";
inline constexpr char kDeviceOpenFailedText[] =
    "オーディオデバイスを開けません。サウンドの設定を確認してください。";
inline constexpr char kDeviceWriteFailedText[] =
    "オーディオデバイスに音声を送れないため、再生を止めました。"
    "サウンドの設定を確認してから、もう一度おやすみなさいを選んでください。";

inline constexpr char kMusicErrorCaption[] = "ファイルオープンエラー";
inline constexpr char kMusicNot16BitText[] =
    "このファイルは開けません。16ビットのPCMではありません。";
inline constexpr char kMusicTooLongText[] = "このファイルは開けません。長すぎます。";

} // namespace yumo
