#pragma once
// Every word and format of the main window's status panes, as UTF-8. DefaultStatusWords() holds
// the Japanese originals; the window builds its table from them through its translation, and
// the text functions (status_texts.h) take whichever table they are given.

#include <array>
#include <string>

namespace yumo
{

// What the status pane says she is doing, derived from the behaviour state and the depth.
enum class Activity
{
    Preparing,     // before the night
    GreetingNight, // the good-night greeting
    Dozing,        // breathing, shallow
    FallingAsleep, // breathing, deeper
    DeepBreathing, // breathing, deep: only dots
    Irritated,
    Grumbling,
    Waking,
    RollingOver,
    Mumbling,
    Snoring,
    SleepTalking,
    WakingYou,
    Pondering, // anything else
    Count,
};

// How deeply she sleeps, shown under the activity; never stored, derived at each paint.
enum class SleepDepth
{
    Awake,
    Groggy,
    Dreaming,
    LightSleep,
    DeepSleep,
    VeryDeepSleep,
    Count,
};

constexpr int kSliderRowCount = 4; // 寝つき, 睡眠, 寝相, 寝起き

struct StatusWords
{
    // The clock pane.
    std::string clockLabel;
    std::string countdownLabel;
    std::string timerLabel; // over the countdown while the sleep timer's minutes show
    std::string morning;    // before noon
    std::string afternoon;
    std::string countdownFormat; // hours, minutes, then countdownAbout
    std::string countdownAbout;
    std::string countdownUnknown; // shown while a night runs past its wake time

    // The status pane.
    std::string ownerFormat; // the owner's name
    std::array<std::string, static_cast<size_t>(Activity::Count)> activities;
    std::array<std::string, static_cast<size_t>(SleepDepth::Count)> depths;

    // The position pane: side mark, azimuth, elevation (whole degrees), distance (metres).
    std::string positionFormat;
    std::string sideLeft;
    std::string sideRight;

    // The volume readouts, in dB, and the personality sliders' captions and end words.
    std::string voiceVolumeFormat;
    std::string musicVolumeFormat;
    std::array<std::string, kSliderRowCount> sliderCaptions;
    std::array<std::string, kSliderRowCount> sliderLeftWords;
    std::array<std::string, kSliderRowCount> sliderRightWords;
};

StatusWords DefaultStatusWords();

// Calls visit(std::string&) on every word of the table, e.g. to translate the originals.
template <typename Visit> void VisitStatusWords(StatusWords& words, Visit&& visit)
{
    for (std::string* word :
         {&words.clockLabel, &words.countdownLabel, &words.timerLabel, &words.morning,
          &words.afternoon, &words.countdownFormat, &words.countdownAbout, &words.countdownUnknown,
          &words.ownerFormat, &words.positionFormat, &words.sideLeft, &words.sideRight,
          &words.voiceVolumeFormat, &words.musicVolumeFormat})
    {
        visit(*word);
    }
    for (std::string& word : words.activities)
    {
        visit(word);
    }
    for (std::string& word : words.depths)
    {
        visit(word);
    }
    for (auto* row : {&words.sliderCaptions, &words.sliderLeftWords, &words.sliderRightWords})
    {
        for (std::string& word : *row)
        {
            visit(word);
        }
    }
}

} // namespace yumo
