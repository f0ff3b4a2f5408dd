// MP3 encoding (see mp3out.h). The file is built in memory: ID3v2 tag,
// the LAME info frame (rewritten once the stream is complete), the audio
// frames and an ID3v1 tag. Nothing in it depends on the clock.
#include "mp3out.h"

#include <lame/lame.h>

#include <algorithm>

#include "dsp.h"

namespace {

bool setUp(lame_global_flags* gf, const char* title)
{
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, kMp3Kbps);
    lame_set_quality(gf, 3);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    id3tag_init(gf);
    id3tag_add_v2(gf);
    id3tag_set_title(gf, title);
    return lame_init_params(gf) >= 0;
}

bool appendTag(std::vector<unsigned char>& bytes, size_t (*get)(lame_global_flags*, unsigned char*, size_t),
               lame_global_flags* gf)
{
    size_t size = get(gf, nullptr, 0);
    if (size == 0)
        return true;
    std::vector<unsigned char> tag(size);
    if (get(gf, tag.data(), tag.size()) != size)
        return false;
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    return true;
}

bool encodeFrames(lame_global_flags* gf, const StereoBuffer& audio, std::vector<unsigned char>& bytes)
{
    const size_t chunk = 8192;
    std::vector<unsigned char> out(chunk * 5 / 4 + 7200);
    for (size_t at = 0; at < audio.left.size(); at += chunk) {
        int count = int(std::min(chunk, audio.left.size() - at));
        int got = lame_encode_buffer_ieee_float(gf, audio.left.data() + at, audio.right.data() + at, count, out.data(),
                                                int(out.size()));
        if (got < 0)
            return false;
        bytes.insert(bytes.end(), out.begin(), out.begin() + got);
    }
    int got = lame_encode_flush(gf, out.data(), int(out.size()));
    if (got < 0)
        return false;
    bytes.insert(bytes.end(), out.begin(), out.begin() + got);
    return true;
}

}  // namespace

bool encodeMp3(const StereoBuffer& audio, const char* title, std::vector<unsigned char>& bytes, std::string& error)
{
    lame_global_flags* gf = lame_init();
    if (!gf) {
        error = "cannot start the MP3 encoder";
        return false;
    }
    bytes.clear();
    bool ok = setUp(gf, title);
    if (!ok)
        error = "the MP3 encoder refused its settings";
    size_t streamStart = 0;
    if (ok) {
        ok = appendTag(bytes, lame_get_id3v2_tag, gf);
        streamStart = bytes.size();
        ok = ok && encodeFrames(gf, audio, bytes);
        if (!ok)
            error = "MP3 encoding failed";
    }
    if (ok) {
        // The first frame of the stream is a placeholder for the info frame.
        std::vector<unsigned char> info(lame_get_lametag_frame(gf, nullptr, 0));
        size_t size = info.empty() ? 0 : lame_get_lametag_frame(gf, info.data(), info.size());
        ok = size == info.size() && streamStart + size <= bytes.size();
        if (ok)
            std::copy(info.begin(), info.end(), bytes.begin() + long(streamStart));
        ok = ok && appendTag(bytes, lame_get_id3v1_tag, gf);
        if (!ok)
            error = "cannot write the MP3 info frame or the ID3 tag";
    }
    lame_close(gf);
    return ok;
}
