#pragma once

#include <ogg/ogg.h>
#include <vorbis/codec.h>

namespace marlinote {

// Each wrapper holds one libogg or libvorbis structure from its init to its clear. They are
// neither copied nor moved: the libraries hand out pointers into them (pages, packets).

class OggSyncState {
 public:
  OggSyncState() { ogg_sync_init(&state_); }
  ~OggSyncState() { ogg_sync_clear(&state_); }
  OggSyncState(const OggSyncState&) = delete;
  OggSyncState& operator=(const OggSyncState&) = delete;

  ogg_sync_state* get() { return &state_; }

 private:
  ogg_sync_state state_;
};

class OggStreamState {
 public:
  explicit OggStreamState(int serial) { ogg_stream_init(&state_, serial); }
  ~OggStreamState() { ogg_stream_clear(&state_); }
  OggStreamState(const OggStreamState&) = delete;
  OggStreamState& operator=(const OggStreamState&) = delete;

  ogg_stream_state* get() { return &state_; }

 private:
  ogg_stream_state state_;
};

class VorbisInfo {
 public:
  VorbisInfo() { vorbis_info_init(&info_); }
  ~VorbisInfo() { vorbis_info_clear(&info_); }
  VorbisInfo(const VorbisInfo&) = delete;
  VorbisInfo& operator=(const VorbisInfo&) = delete;

  vorbis_info* get() { return &info_; }

 private:
  vorbis_info info_;
};

class VorbisComment {
 public:
  VorbisComment() { vorbis_comment_init(&comment_); }
  ~VorbisComment() { vorbis_comment_clear(&comment_); }
  VorbisComment(const VorbisComment&) = delete;
  VorbisComment& operator=(const VorbisComment&) = delete;

  vorbis_comment* get() { return &comment_; }

 private:
  vorbis_comment comment_;
};

}  // namespace marlinote
