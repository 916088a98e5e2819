#pragma once
// The HTTP helper library the editor loads by name at run time ("vellorin"), over libcurl with TLS
// certificates and host names verified. Two calls: initialisation, and the download of one file
// in the background. A download writes beside its target and renames it into place, so the target
// is either absent or complete; the completion callback runs on the download's own thread when
// it ends, whether it succeeded or not. Downloads still running when the library is unloaded are
// stopped and waited for.

extern "C" {

using HttpDoneCallback = void (*)();
using HttpProgressCallback = void (*)();

// Sets libcurl up once per process; 0 on success.
int http_init();

// Starts downloading `url` (http or https) to `path` (UTF-8) on a thread of the library and returns
// at once: 0 when the download was started, -1 when the arguments are unusable. `done` (may be
// null) is called when it ends; the other arguments are accepted and unused.
int http_download_file(const char* url, const char* path, HttpDoneCallback done, HttpProgressCallback progress,
                       int reserved1, void* context, int reserved2);
}
