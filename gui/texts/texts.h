#pragma once
// Every text the window shows the user, in one place. Each goes through Qt's translation
// (context "Yumo") from its Japanese original, so that another language is a .qm file away;
// messages from the core arrive in Japanese and are translated here too.

#include <string>

#include <QString>

#include "common/report.h"
#include "display/status_words.h"

class QApplication;

namespace yumo
{

enum class UiText
{
    WindowTitle,
    // The menu bar and its items, in the order of the menu.
    MenuFile,
    MenuPlay,
    MenuHelp,
    MenuLoadVoice,
    MenuCloseVoice,
    MenuEditVoice,
    MenuQuit,
    MenuGoodNight,
    MenuWakeUp,
    MenuBeWoken,
    MenuVersion,
    // The main window's buttons.
    ButtonWake,
    ButtonSwap,
    ButtonMusic,
    ButtonComeHere,
    ButtonZero,
    ButtonMusicOff,
    // Message boxes.
    VersionText,
    VersionCaption,
    SaveQuestion,
    SaveQuestionCaption,
    VoiceNotOpened,
    FileOpenErrorCaption,
    // The file choosers: captions and the display texts of their filters.
    ChooserOpenVoice,
    ChooserMusic,
    ChooserSave,
    ChooserVoiceClip, // the voice editor's clip
    ChooserHead,      // a SOFA file for 頭の形's 追加...
    ChooserPicture,   // 昨夜の様子 as PNG
    FilterVoiceData,
    FilterWav,
    FilterMp3,
    FilterSndfile, // FLAC, Ogg Vorbis and Opus, played as background music
    FilterAll,
    FilterPositionRecord,
    // The wake-up dialog.
    WakeCaption,
    WakeQuestion,
    WakeDisclaimer,
    WakeHourUnit,
    WakeMinuteUnit,
    WakeOk,
    WakeStop,
    WakeCancel,
    // The desktop menu: the language and keeping the computer awake through a night.
    MenuSettings,
    MenuEnglish,
    MenuKeepAwake,
    // The gentler nights: the sleep timer, one ear, swapped sides, the wake-up call's rise.
    MenuSleepTimer,
    MenuTimerOff,
    MenuTimerMinutes, // "%1": minutes
    MenuOneEar,
    MenuSwapSides,
    MenuWakeRamp,
    MenuWakeRampNone,
    MenuWakeRampSeconds, // "%1": seconds
    TimerShorter,
    TimerLonger,
    // The voice editor (VOICE_EDIT), its new-set dialog (VOICE_NEW) and their questions.
    EditorCaption,
    EditorGroup,
    EditorChoose,
    EditorPreview,
    EditorAdd,
    EditorOwner,
    EditorNewVoice,
    EditorSave,
    EditorCancel,
    EditorClipCount, // "%1/%2": clips of a kind, of at most
    EditorKeepLevel,
    EditorImporting,
    EditorClipNotOpened,
    DefaultOwnerName,
    NewSetQuestion,
    NewSetCaption,
    NewDialogCaption,
    NewDialogPrompt,
    NewDialogOk,
    NewDialogCancel,
    UnsavedClipsQuestion,
    UnsavedClipsCaption,
    SaveFailedAtQuitQuestion,
    // The window's quiet line about the sound server, the wake-up notice shown when the call
    // cannot be heard, and the editor's previews.
    SoundAwayTitle,
    SoundBackTitle,
    MusicEndedTitle, // the music file could no longer be read during the night
    WakeNoticeText,
    WakeNoticeCaption,
    PreviewFormatRefused,
    PreviewNoDevice,
    PreviewErrorCaption,
    // Converting a WAV the import refused, in the voice editor.
    ConvertQuestion, // %1: the file's format, described by the pieces below
    ConvertCaption,
    WavRateKhz,
    WavBitsInteger,
    WavBitsFloat,
    WavMono,
    WavStereo,
    WavChannels,
    WavListSeparator,
    // The night's picture (再生 → 昨夜の様子).
    MenuLastNight,
    LastNightCaption,
    LastNightSave,
    LastNightClose,
    LastNightMissing,
    LastNightSaveFailed,
    LastNightNotKept, // the night's record could not be written
    FilterPng,
    PlotSound, // the picture's row labels
    PlotLight,
    PlotDeep,
    PlotRollOver,
    PlotLeftOut,
    // Choosing a head (設定 → 頭の形).
    MenuHead,
    HeadCaption,
    HeadBuiltIn,
    HeadAdd,
    HeadListen,
    HeadUse,
    HeadCancel,
    HeadConverting,
    HeadFailed,
    HeadWhyCut, // why a SOFA file gave no head, and what to do
    HeadWhyDamaged,
    HeadWhyNotSofa,
    HeadWhyUnsuitable,
    HeadWhyUnreadable,
    HeadWhyNotWritten,
    HeadWhyTooLong,
    HeadWhyNoTool,
    HeadNotRead,
    FilterSofa,
    HeadInUse,     // after the name of the head the night plays with
    HeadListening, // while 試聴 plays
    Count,
};

QString Text(UiText id);

// The voice editor's label of an editable kind (0-11: おやすみ … 静寂); empty for others.
QString VoiceKindText(int kind);

// A text the core wrote (a message, "AM"/"PM"), through the translation of the core's texts
// (the context the translation tools give what YUMO_TEXT marks: the core's namespace, "yumo").
QString TranslateCoreText(const std::string& utf8);

// A message of the core: its format translated and filled with its values (each translated
// too, for values that are marked words themselves), or its whole text translated.
QString TranslateCoreMessage(const UserMessage& message);

// The status panes' words, each translated from its Japanese original.
StatusWords TranslatedStatusWords();

// Loads Qt's own Japanese texts (はい, いいえ, キャンセル in message boxes and choosers)
// whatever the locale. False when qtbase_ja.qm was not found.
bool InstallQtJapanese(QApplication& application);

} // namespace yumo
