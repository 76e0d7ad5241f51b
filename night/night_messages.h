#pragma once
// Every text the night engine shows the user, in one place: the output device's failures and
// the music loader's refusals.

#include "common/report.h"
#include "common/ui_text.h"

namespace yumo
{

inline constexpr char kAudioErrorCaption[] = YUMO_TEXT("オーディオエラー");
inline constexpr char kDeviceOpenFailedText[] =
    YUMO_TEXT("オーディオデバイスを開けません。サウンドの設定を確認してください。");
inline constexpr char kDeviceWriteFailedText[] =
    YUMO_TEXT("オーディオデバイスに音声を送れないため、再生を止めました。"
              "サウンドの設定を確認してから、もう一度おやすみなさいを選んでください。");

inline constexpr char kMusicErrorCaption[] = YUMO_TEXT("ファイルオープンエラー");
inline constexpr char kMusicNot16BitText[] =
    YUMO_TEXT("このファイルは開けません。16ビットのPCMではありません。");

} // namespace yumo
