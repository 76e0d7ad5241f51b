#pragma once
// The captions of the voice library's messages, defined once for the add, the save and the
// load.

#include "common/ui_text.h"

namespace yumo
{

inline constexpr char kAddErrorCaption[] = YUMO_TEXT("ボイス追加エラー");
inline constexpr char kSaveErrorCaption[] = YUMO_TEXT("ymv保存エラー");
inline constexpr char kVoiceOpenErrorCaption[] = YUMO_TEXT("Yumoオープンエラー");

} // namespace yumo
