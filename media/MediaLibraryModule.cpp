// The media engine's library module: the only code linked to FFmpeg and libVLC. The program loads
// it when it first probes or previews a file (see MediaLibraries.h for why).

#include "media/MediaLibraries.h"

extern "C" const MediaLibraryCalls* QuillMediaLibraries()
{
    static const MediaLibraryCalls calls {
        avformat_open_input,
        avformat_find_stream_info,
        avformat_close_input,
        av_find_best_stream,
        av_guess_sample_aspect_ratio,
        av_read_frame,
        av_packet_alloc,
        av_packet_free,
        av_packet_unref,
        av_log_set_callback,

        libvlc_new,
        libvlc_release,
        libvlc_log_set,
        libvlc_media_new_path,
        libvlc_media_release,
        libvlc_media_player_new_from_media,
        libvlc_media_player_release,
        libvlc_media_player_event_manager,
        libvlc_event_attach,
        libvlc_event_detach,
        libvlc_video_set_callbacks,
        libvlc_video_set_format_callbacks,
        libvlc_media_player_play,
        libvlc_media_player_stop,
        libvlc_media_player_set_pause,
        libvlc_media_player_add_slave,
        libvlc_audio_set_volume,
        libvlc_media_player_get_position,
        libvlc_media_player_set_position,
        libvlc_media_player_set_time,
        libvlc_media_player_set_rate,
        libvlc_video_set_adjust_int,
        libvlc_video_set_adjust_float,
        libvlc_video_set_aspect_ratio,
        libvlc_media_player_is_playing,
        libvlc_media_player_get_length,
        libvlc_media_player_get_time,
    };
    return &calls;
}
