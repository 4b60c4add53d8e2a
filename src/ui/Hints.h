#pragma once
// How long the mouse rests before a hint shows, and how long it stays, for
// the whole application.

// Installs the two times; call once, before any skin is applied.
void SetHintTimes(int wakeUpMs, int displayMs);
