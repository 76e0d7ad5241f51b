#pragma once
// The one QApplication of a widget-test program (offscreen platform). A test environment makes
// it before the first test and destroys it after the last, before the program's static objects
// go: a QApplication left to static destruction outlives Qt's own registry of input devices
// and crashes on the way out.

namespace yumo::test
{

// The application exists from the first test on; kept for tests that say what they need.
void EnsureTestApplication();

} // namespace yumo::test
