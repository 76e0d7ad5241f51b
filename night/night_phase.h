#pragma once
// Where the night stands. One value says what the menu enables, whether a night may start or be
// stopped, how the Play and Stop panes and the おいで button look and whether the refill queues
// the returned blocks again; everything else reads it through the functions below.

#include <cstdint>

namespace yumo
{

struct AppState;

enum class NightPhase : uint8_t
{
    NoVoice, // no voice set loaded: nothing to start or to close
    Loaded,  // a voice set is loaded and no night ran since: a night may start
    Running, // a night plays: every block that comes back is refilled and queued again
    // The night stopped queuing by itself (after ten hours, or its output was cut short):
    // what is queued plays out, and the menus stay as in a night until 起きます.
    Ended,
    Stopped, // 起きます ended the night: a new one may start
};

// What the menu allows (each state enables and greys its own items).
enum class MenuState
{
    NoVoice = 0,
    Loaded = 1,
    Running = 4,
    Stopped = 5,
};

constexpr MenuState MenuStateOf(NightPhase phase)
{
    switch (phase)
    {
    case NightPhase::NoVoice:
        return MenuState::NoVoice;
    case NightPhase::Loaded:
        return MenuState::Loaded;
    case NightPhase::Running:
    case NightPhase::Ended:
        return MenuState::Running;
    case NightPhase::Stopped:
        return MenuState::Stopped;
    }
    return MenuState::NoVoice;
}

// The refill queues blocks again only while a night plays.
constexpr bool NightPlays(NightPhase phase) { return phase == NightPhase::Running; }

// From おやすみなさい until 起きます, also once the night ended by itself: 起きます (and the
// Stop pane) has something to end, おいで is disabled.
constexpr bool NightStarted(NightPhase phase)
{
    return phase == NightPhase::Running || phase == NightPhase::Ended;
}

constexpr bool VoiceLoaded(NightPhase phase) { return phase != NightPhase::NoVoice; }

// A night that ended by itself must be ended with 起きます before the next one starts.
constexpr bool MayStartNight(NightPhase phase)
{
    return phase == NightPhase::Loaded || phase == NightPhase::Stopped;
}

// The Play pane's look; the values are the pictures' places in the play bar's strips.
enum class PlayPaneLook : int
{
    Greyed = 0,  // nothing to start
    Raised = 1,  // a night may start
    Pressed = 2, // a night was started and not yet ended with 起きます
};

constexpr PlayPaneLook PlayPaneState(NightPhase phase)
{
    return NightStarted(phase)
               ? PlayPaneLook::Pressed
               : (MayStartNight(phase) ? PlayPaneLook::Raised : PlayPaneLook::Greyed);
}

// Told of every change of the phase, by commands and from inside the block refill alike: it
// must not allocate nor block.
class PhaseObserver
{
public:
    virtual ~PhaseObserver() = default;
    virtual void OnPhaseChanged(const AppState& state) = 0;
};

// Moves the night to `phase`; the state's phase observer hears of it when the phase changed.
void EnterNightPhase(AppState& state, NightPhase phase);

} // namespace yumo
