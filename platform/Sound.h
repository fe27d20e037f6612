#pragma once
// In place of the platform's PlaySound for a sound resource of the program (SND_RESOURCE |
// SND_ASYNC): PlaySoundResource("SND1") starts the named WAVE resource and returns at once;
// false when it cannot be played (no such resource, or no audio device), and the caller goes on.
//
// Every call is recorded, one line each, in the simulated machine's "sound.log":
// "dd/mm/yyyy hh:nn:ss<TAB>name<TAB>outcome" with the outcome "played", "no device" or
// "not found" (time from the program's clock).
//
// Where it plays: a test's stand-in device (SetSoundDevice) when one is set; otherwise never
// when the environment variable VYN_SOUND is "off" or the machine file "sound.txt" says
// "off" (TempMachine writes it: tests and CI never play); otherwise through "paplay" when a
// sound server is running, or "aplay" when the machine has a playback device, started as a
// process of its own; with neither, there is no device.
#include "AnsiString.h"

#include <functional>
#include <string_view>
#include <vector>

bool PlaySoundResource(const AnsiString& name);

struct SoundCall {
    AnsiString when;  // "dd/mm/yyyy hh:nn:ss"
    AnsiString name;
    AnsiString outcome;  // "played", "no device", "not found"
    bool operator==(const SoundCall&) const = default;
};
// What "sound.log" holds, parsed back (for tests).
std::vector<SoundCall> RecordedSounds();

// Tests: an audio device that takes the WAVE bytes and says whether it played them; empty
// restores the machine's own.
using SoundDevice = std::function<bool(const AnsiString& name, std::string_view wave)>;
void SetSoundDevice(SoundDevice device);
