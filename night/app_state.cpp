#include "night/app_state.h"

namespace yumo
{

std::unique_ptr<AppState> CreateAppState(Reporter& reporter)
{
    auto state = std::make_unique<AppState>();
    state->reporter = &reporter;
    state->referenceDistance.fill(0.3);
    EstablishBuiltInSilences(state->voices);
    return state;
}

void EnterNightPhase(AppState& state, NightPhase phase)
{
    if (state.phase == phase)
    {
        return;
    }
    state.phase = phase;
    if (state.phaseObserver != nullptr)
    {
        state.phaseObserver->OnPhaseChanged(state);
    }
}

} // namespace yumo
