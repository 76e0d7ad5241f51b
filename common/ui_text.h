#pragma once
// Marks a user-visible text of the core for translation. It expands to the literal itself: the
// core holds the Japanese originals and the window translates them at start-up. When the
// translations are extracted, the translation tool is taught to read YUMO_TEXT as an alias of
// QT_TRANSLATE_NOOP with the context "StatusWords", so every marked original lands in that
// context.

#define YUMO_TEXT(text) text
