// Diagnostics of the ALSA library.
//
// alsa-lib writes its own diagnostics to standard error ("ALSA lib
// pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default"), in the middle of
// the program's output. The sound and mixer back-ends route them here
// instead: the latest one is kept, so that a front-end can add it to the
// operator's message when a device fails.
#pragma once

#include <string>

namespace talven {

// Routes alsa-lib's diagnostics to this unit, once per process (later calls
// do nothing). Thread-safe.
void Capter_messages_alsa();

// The latest diagnostic, with the system error's text when it carries one
// ("Unknown PCM default: No such file or directory"); empty when none came.
std::string Dernier_message_alsa();

}  // namespace talven
