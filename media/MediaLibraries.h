#pragma once
// The FFmpeg and libVLC entry points the media engine calls, reached through one table that is
// loaded when a file is first probed or previewed.
//
// Why: FFmpeg and libVLC bring in well over a hundred further shared libraries (encoders, VA-API,
// VDPAU, OpenCL, Kerberos...). Were the program linked to them, the dynamic loader would map and
// relocate all of them before `main` runs, and every start would pay for it although drawing the
// window needs none of them. So only a small module beside the program ("libquillmedia.so", found
// by the program-folder rule for libraries) links them, and hands out this table; the linker, not
// our code, still resolves their names and versions. Code outside the module never calls FFmpeg or
// libVLC directly: it calls through MediaLibraries().

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}
#include <vlc/vlc.h>

struct MediaLibraryCalls {
    decltype(&::avformat_open_input) avformat_open_input;
    decltype(&::avformat_find_stream_info) avformat_find_stream_info;
    decltype(&::avformat_close_input) avformat_close_input;
    decltype(&::av_find_best_stream) av_find_best_stream;
    decltype(&::av_guess_sample_aspect_ratio) av_guess_sample_aspect_ratio;
    decltype(&::av_read_frame) av_read_frame;
    decltype(&::av_packet_alloc) av_packet_alloc;
    decltype(&::av_packet_free) av_packet_free;
    decltype(&::av_packet_unref) av_packet_unref;
    decltype(&::av_log_set_callback) av_log_set_callback;

    decltype(&::libvlc_new) libvlc_new;
    decltype(&::libvlc_release) libvlc_release;
    decltype(&::libvlc_log_set) libvlc_log_set;
    decltype(&::libvlc_media_new_path) libvlc_media_new_path;
    decltype(&::libvlc_media_release) libvlc_media_release;
    decltype(&::libvlc_media_player_new_from_media) libvlc_media_player_new_from_media;
    decltype(&::libvlc_media_player_release) libvlc_media_player_release;
    decltype(&::libvlc_media_player_event_manager) libvlc_media_player_event_manager;
    decltype(&::libvlc_event_attach) libvlc_event_attach;
    decltype(&::libvlc_event_detach) libvlc_event_detach;
    decltype(&::libvlc_video_set_callbacks) libvlc_video_set_callbacks;
    decltype(&::libvlc_video_set_format_callbacks) libvlc_video_set_format_callbacks;
    decltype(&::libvlc_media_player_play) libvlc_media_player_play;
    decltype(&::libvlc_media_player_stop) libvlc_media_player_stop;
    decltype(&::libvlc_media_player_set_pause) libvlc_media_player_set_pause;
    decltype(&::libvlc_media_player_add_slave) libvlc_media_player_add_slave;
    decltype(&::libvlc_audio_set_volume) libvlc_audio_set_volume;
    decltype(&::libvlc_media_player_get_position) libvlc_media_player_get_position;
    decltype(&::libvlc_media_player_set_position) libvlc_media_player_set_position;
    decltype(&::libvlc_media_player_set_time) libvlc_media_player_set_time;
    decltype(&::libvlc_media_player_set_rate) libvlc_media_player_set_rate;
    decltype(&::libvlc_video_set_adjust_int) libvlc_video_set_adjust_int;
    decltype(&::libvlc_video_set_adjust_float) libvlc_video_set_adjust_float;
    decltype(&::libvlc_video_set_aspect_ratio) libvlc_video_set_aspect_ratio;
    decltype(&::libvlc_media_player_is_playing) libvlc_media_player_is_playing;
    decltype(&::libvlc_media_player_get_length) libvlc_media_player_get_length;
    decltype(&::libvlc_media_player_get_time) libvlc_media_player_get_time;
};

// The module's one export, returning its table (never null).
using MediaLibraryTableFunction = const MediaLibraryCalls* (*)();
inline constexpr const char* kMediaLibraryTableName = "QuillMediaLibraries";

// The table, the module loaded by the first call (any thread; later calls return at once). Null
// when the module cannot be loaded, which is reported once on standard error: every file then
// counts as one the libraries cannot open and no preview starts.
const MediaLibraryCalls* MediaLibraries();
