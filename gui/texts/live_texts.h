#pragma once
// Texts that follow the language: a menu, item, button, label or window given its text here
// remembers which text it shows, and RetranslateTexts gives every such object below a root its
// text again after the language changed.

#include "gui/texts/texts.h"

class QObject;

namespace yumo
{

// Sets the text (a menu's or group box's title, a window's title) of `object` and remembers `id`
// for it.
void ShowText(QObject* object, UiText id);

// Every object at or below `root` that ShowText gave a text gets it again, translated anew.
void RetranslateTexts(QObject* root);

} // namespace yumo
