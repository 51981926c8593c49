// The video view: an Ogg Theora clip held whole in memory, played as a
// frame-driven texture view. The player control computes the frame from its
// clock and calls SetFrame, as for an image sequence; the view has no clock
// of its own and ignores the clip's frame rate.
//
// Two frame textures alternate: front is shown, back receives the next
// frame. SetFrame(n) shows the frame the previous step prepared and decodes
// forward to frame n + 1 at once, on the same (UI) thread; a number below
// the frame last decoded starts the clip again from its first byte. The
// last frame is unknown (0x7FFFFFFF) until a step runs out of data.
//
// The clip's bytes are not copied: the caller keeps them alive as long as
// the view. A damaged or truncated clip throws std::runtime_error from Open
// or from SetFrame; afterwards SetFrame does nothing.
#pragma once

#include "framework/views/IMAnimationView.h"
#include "framework/views/IMTextureView.h"
#include "platform/wintypes.h"

#include "framework/video/theora_library.h"

#include <ogg/ogg.h>

class IMTheoraView : public IMTextureView, public IMAnimationView {
public:
    IMTheoraView();
    ~IMTheoraView() override;

    // Reads the clip's headers, makes the two frame textures ("IMTheoraView1"
    // and "IMTheoraView2" followed by a process-wide counter), shows the
    // first (still blank) and decodes frame 0 into the second.
    void Open(const unsigned char* data, int size);

    long SetFrame(int frame) override;
    int GetFrame() const override { return current; }
    int GetFirstFrame() const override { return first; }
    int GetLastFrame() const override { return last; }
    // Stored as given: a video's range is not clamped.
    long SetFirstFrame(int frame) override;
    long SetLastFrame(int frame) override;

    // The frame textures (meaningful once Open has made them).
    int GetFrontTexture() const { return front; }
    int GetBackTexture() const { return back; }
    // The frame now held by the decoder; -1 right after a restart.
    int GetDecodedFrame() const { return decoded; }
    // Bytes of the clip handed to the Ogg layer so far.
    int GetReadOffset() const { return readOffset; }

protected:
    // One step towards `target`: restarts when the player went back, decodes
    // forward and converts the target frame into back.
    void DecodeStep();

private:
    IMTheoraView(const IMTheoraView&) = delete;
    IMTheoraView& operator=(const IMTheoraView&) = delete;

    // Hands the next chunk (at most 8,192 bytes) to the Ogg layer; false
    // when the clip is exhausted.
    bool ReadData();
    // Finds the Theora stream and reads its three headers, then starts the
    // decoder (Open's steps 2 to 4, and every restart's).
    void ReadHeaders();
    // Takes the next packet of the Theora stream, reading data as needed;
    // false when the data runs out first.
    bool NextPacket();
    // Decodes the packet just taken into the decoder's picture.
    void DecodePacket();
    // Converts the decoder's picture into back.
    void ConvertInto(int textureId);
    // Frees every Ogg and Theora structure and starts them afresh.
    void ResetDecoder();
    void FreeDecoder();
    void ReleaseFrameTextures();

    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_page page;
    ogg_packet packet;
    // The decoder library's calls; null when it cannot be loaded, and then
    // no clip opens.
    const video::TheoraCalls* theora;
    theora_info info;
    theora_comment comment;
    theora_state state;
    yuv_buffer yuv;
    bool streamReady;
    bool decoderReady;
    bool pictureReady;

    const unsigned char* clip;
    int clipSize;
    int readOffset;

    int current;
    int first;
    int last;
    int front;
    int back;
    bool texturesMade;
    int decoded;
    int target;

    HANDLE frameReady;
    HANDLE decodeAllowed;

    static int counter;
};
