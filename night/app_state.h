#pragma once
// The one application record. Every subsystem reads and writes its fields on the one GUI
// thread; tests and tools build their own instance.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/filter_set.h"
#include "audio/hrir_set.h"
#include "audio/voice_tracks.h"
#include "common/clock.h"
#include "common/constants.h"
#include "common/report.h"
#include "common/rng.h"
#include "import/pcm_audio.h"
#include "night/gentle_stage.h"
#include "night/heard_facts.h"
#include "night/music_stream.h"
#include "night/night_phase.h"
#include "voices/character_animation.h"
#include "voices/voice_set.h"

namespace yumo
{

class AudioDevice;
class ClipObserver;

constexpr int kStateNotAsleep = 100;

enum WakeMode : int32_t
{
    kWakeOff = 0,
    kWakeUserSet = 1,
    kWakeAutomatic = 2,
};

struct WakeAlarm
{
    int32_t mode = kWakeOff;
    int32_t pm = 0;
    int32_t hour = 0;   // 0-23; PM 12 is noon
    int32_t minute = 0; // 0-59
    int32_t minuteOfDay = 0;
};

struct Personality
{
    int32_t netsuki = 5; // 寝つき, 0-10
    int32_t suimin = 5;  // 睡眠
    int32_t nezou = 5;   // 寝相
    int32_t neoki = 5;   // 寝起き
};

struct OutputBlock
{
    std::array<int16_t, kFramesPerBlock * kOutputChannels> samples{}; // 2048 bytes
};

struct OutputStream
{
    AudioDevice* device = nullptr; // not owned
    PcmFormat format{
        1, kOutputChannels, kSampleRate, kSampleRate* kBytesPerFrame, kBytesPerFrame, 16, 0};
    std::array<OutputBlock, kOutputBlockCount> blocks{};
    int lastRefilled = 0;
    OutputBlock mixBlock{};
    std::array<BlockPeak, kOutputBlockCount> peaks{};
    double voiceVolume = 0; // tenths of a dB, -300 to 300
    double musicVolume = 0;
    // The rendered window's second half, added to the next block: one block of each side.
    std::array<int16_t, kFramesPerBlock> overlapLeft{};
    std::array<int16_t, kFramesPerBlock> overlapRight{};
    ClipObserver* clipObserver = nullptr; // not owned; told of each clip the refill starts
    uint64_t bytesWritten = 0;            // to the device since it was opened
    uint64_t bytesReturned = 0;           // of the ten blocks, handed back since then
    HeardHistory heard;                   // what each block written showed, until heard
};

struct MusicSlot
{
    std::string path; // UTF-8
    // The worker that reads the file ahead and its ring; the slot's only hold on the music, so
    // music of any length costs the ring and the decoder, never its decoded size.
    std::shared_ptr<MusicStream> stream;
    int32_t channels = 2;     // 1: heard on both sides
    int64_t lengthFrames = 0; // the loop, whole blocks
    int64_t lengthBytes = 0;  // kBytesPerFrame * lengthFrames
    int64_t cursorFrames = 0;
    int64_t cursorBytes = 0;
    int32_t loadCount = 0;
    bool musicOn = false;
    bool ended = false; // the file could no longer be read: not mixed until music is loaded again
    PcmFormat format;   // as imported
    KeyframeTracks keyframes;
};

struct AppState
{
    Reporter* reporter = nullptr; // not owned
    Clock clock;
    Rng rng;

    HrirSet hrir;
    FilterSet filters;
    VoiceSet voices;
    BlockTracks blockTracks = MakeInitialBlockTracks();
    std::array<double, kVoiceKindCount> referenceDistance{}; // metres, per kind

    int32_t behaviourState = kStateNotAsleep;
    int32_t clipIndex = 0;
    SleepRecord sleep;
    WakeAlarm alarm;
    Personality personality;
    bool silenceGapPending = true;
    NightPhase phase = NightPhase::NoVoice; // changed through EnterNightPhase
    PhaseObserver* phaseObserver = nullptr; // not owned
    std::string voiceDataPath;              // UTF-8, absolute: the voice-data file loaded last
    bool positionRecordSaved = true; // false: closing the window asks to save the position record

    OutputStream stream;
    GentleStage gentle; // fades, timer, one ear and limiter after the mix
    MusicSlot music;

    CharacterAnimation character; // the picture's animation table, tick and step counters
    CharacterPictures characterPictures;
};

// A zeroed record with the start-up values: reference distances 0.3, built-in silences,
// behaviour defaults. The caller loads the response set and the voices afterwards.
std::unique_ptr<AppState> CreateAppState(Reporter& reporter);

} // namespace yumo
