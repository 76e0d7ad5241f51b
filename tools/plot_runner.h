#pragma once
// yumo-tool draws nights' pictures through yumo-plot, a Qt program of its own, so that the
// tool itself links no Qt.

#include <string>

namespace yumo::tool
{

// yumo-plot beside yumo-tool (build tree) or in ../libexec/yumo (installed); empty if neither.
std::string FindPlotProgram();

// Runs yumo-plot EVENTS OUT; its messages go to stderr. The tool's exit status.
int RunPlotProgram(const std::string& eventsPath, const std::string& outPath);

} // namespace yumo::tool
