#include "display/status_words.h"

#include "common/ui_text.h"

namespace yumo
{

namespace
{

void SetActivity(StatusWords& words, Activity activity, const char* text)
{
    words.activities[static_cast<size_t>(activity)] = text;
}

void SetDepth(StatusWords& words, SleepDepth depth, const char* text)
{
    words.depths[static_cast<size_t>(depth)] = text;
}

} // namespace

// The spaces after "ただいま", after "状態:" and before "さんです" are ideographic (U+3000).
StatusWords DefaultStatusWords()
{
    StatusWords words;
    words.clockLabel = YUMO_TEXT("現在時刻");
    words.countdownLabel = YUMO_TEXT("お目覚めまで　あと");
    words.timerLabel = YUMO_TEXT("タイマー終了まで　あと");
    words.morning = YUMO_TEXT("AM");
    words.afternoon = YUMO_TEXT("PM");
    words.countdownFormat = YUMO_TEXT("%2d時間%2d分%s");
    words.countdownAbout = YUMO_TEXT("くらい");
    words.countdownUnknown = YUMO_TEXT("どれくらいかな…");

    words.ownerFormat = YUMO_TEXT("あなたの隣にいるのは\n%s　さんです");
    SetActivity(words, Activity::Preparing, YUMO_TEXT("ただいま　睡眠準備中…"));
    SetActivity(words, Activity::GreetingNight, YUMO_TEXT("ただいま　おやすみあいさつ中…"));
    SetActivity(words, Activity::Dozing, YUMO_TEXT("ただいま　まどろみ中…"));
    SetActivity(words, Activity::FallingAsleep, YUMO_TEXT("ただいま　寝入り中…"));
    SetActivity(words, Activity::DeepBreathing, YUMO_TEXT("ただいま　………"));
    SetActivity(words, Activity::Irritated, YUMO_TEXT("ただいま　いらいら…"));
    SetActivity(words, Activity::Grumbling, YUMO_TEXT("ただいま　ぶつぶつ…"));
    SetActivity(words, Activity::Waking, YUMO_TEXT("ただいま　お目覚め中…"));
    SetActivity(words, Activity::RollingOver, YUMO_TEXT("ただいま　寝返り中…"));
    SetActivity(words, Activity::Mumbling, YUMO_TEXT("ただいま　むにゃむにゃ…"));
    SetActivity(words, Activity::Snoring, YUMO_TEXT("ただいま　イビキ中…"));
    SetActivity(words, Activity::SleepTalking, YUMO_TEXT("ただいま　寝言中…"));
    SetActivity(words, Activity::WakingYou, YUMO_TEXT("ただいま　起こし中…"));
    SetActivity(words, Activity::Pondering, YUMO_TEXT("ただいま　思案中…"));
    SetDepth(words, SleepDepth::Awake, YUMO_TEXT("状態:　お目覚め"));
    SetDepth(words, SleepDepth::Groggy, YUMO_TEXT("状態:　すっきりしない…"));
    SetDepth(words, SleepDepth::Dreaming, YUMO_TEXT("状態:　ドリーミング"));
    SetDepth(words, SleepDepth::LightSleep, YUMO_TEXT("状態:　浅い眠り"));
    SetDepth(words, SleepDepth::DeepSleep, YUMO_TEXT("状態:　熟睡"));
    SetDepth(words, SleepDepth::VeryDeepSleep, YUMO_TEXT("状態:　爆睡"));

    words.positionFormat = YUMO_TEXT("相対位置\n\n方位=%s%d゜\n高度=%d゜\n距離=%2.1fm");
    words.sideLeft = YUMO_TEXT("L");
    words.sideRight = YUMO_TEXT("R");

    words.voiceVolumeFormat = YUMO_TEXT("声: %2.1lfdB");
    words.musicVolumeFormat = YUMO_TEXT("BGM: %2.1lfdB");
    words.sliderCaptions = {YUMO_TEXT("寝つき"), YUMO_TEXT("睡眠"), YUMO_TEXT("寝相"),
                            YUMO_TEXT("寝起き")};
    words.sliderLeftWords = {YUMO_TEXT("悪い"), YUMO_TEXT("浅い"), YUMO_TEXT("悪い"),
                             YUMO_TEXT("悪い")};
    words.sliderRightWords = {YUMO_TEXT("良い"), YUMO_TEXT("深い"), YUMO_TEXT("良い"),
                              YUMO_TEXT("良い")};
    return words;
}

} // namespace yumo
