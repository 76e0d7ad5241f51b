#pragma once
// The one QApplication of a widget-test program (offscreen platform), made on first use.

namespace yumo::test
{

void EnsureTestApplication();

} // namespace yumo::test
