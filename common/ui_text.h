#pragma once
// Marks a user-visible text of the core for translation. It expands to the literal itself: the
// core holds the Japanese originals and the window translates them when it shows them. The
// translation tool (lupdate) is taught to read YUMO_TEXT as QT_TR_NOOP; it names the context
// after the enclosing namespace, so every marked original lands in the context "yumo". A marked
// text is always the whole text: values go in as %1 ... %9 (ReportFormatted), never by
// appending, so that a translation can place them where its language needs them.

#define YUMO_TEXT(text) text
