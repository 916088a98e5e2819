#pragma once
// What libVLC and FFmpeg report while previews play, from any of their threads. Warnings and
// errors go to standard error, each text once: a decoder can repeat one line hundreds of thousands
// of times in a session. Notices and debug chatter are dropped, and nothing reaches standard
// output. Once routed, neither library writes anything by itself.

#include <string>

struct libvlc_instance_t;

namespace player_log {

// FFmpeg's messages, process-wide; the first call routes them, later calls do nothing.
void RouteFfmpeg();
// The messages of one libVLC instance.
void Route(libvlc_instance_t* instance);

// Writes "source: text" to standard error unless that line was written before; false when it was.
// Thread-safe. Remembers a bounded number of lines, so a very long session may see one again.
bool WriteOnce(const char* source, const std::string& text);

}  // namespace player_log
