// One decoder of one sound's Ogg Vorbis data, read through libvorbisfile with
// callbacks of our own: from bytes in memory (the sounds stored in the
// program), from a numbered RT_RCDATA resource of the executable or of the
// side file "Animations.dll", or from a file.
#pragma once

#include "framework/sound/CRateConverter.h"
#include "platform/wintypes.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <string>
#include <vector>

class CSoundSource {
public:
    CSoundSource();
    ~CSoundSource();
    CSoundSource(const CSoundSource&) = delete;
    CSoundSource& operator=(const CSoundSource&) = delete;

    // Each Open may be called once. The bytes of OpenMemory must outlive the
    // source. False when the data does not open as Ogg Vorbis.
    bool OpenMemory(const void* bytes, unsigned byteCount);
    // A name that reads whole as a decimal unsigned number (digits only)
    // names a resource (its low 16 bits); any other name is a file path.
    bool OpenByName(const std::wstring& name);
    // The resource of that identifier in the executable, else in the side
    // file, which then stays loaded while the source lives. A resource sound
    // is shortened by 20 ms (rate / 50 frames) when it is longer than that.
    bool OpenResource(WORD resourceId);
    bool OpenFile(const std::wstring& path);

    // Closes the decoder, the file and the side file.
    void Close();

    // Back to frame 0, by opening the data again. False when it no longer
    // opens; Read then delivers nothing.
    bool Rewind();
    // Up to byteCount bytes of 16-bit signed little-endian interleaved
    // samples in whole frames, never past the playable length. Returns the
    // bytes delivered; fewer than asked at the end of the sound or on a
    // decoder error, and nothing after such an error until Rewind. A gap in
    // the data (a lost or damaged page) is passed over: what decodes after
    // it is delivered too.
    unsigned Read(void* buffer, unsigned byteCount);

    bool IsOpen() const { return open; }
    // The channels Read delivers: 1 for a mono sound, else 2 (a sound of
    // more channels is mixed down to stereo).
    int Channels() const { return channels; }
    // The rate Read delivers: the first section's. A chained sound's later
    // sections stored at another rate are converted to it; one more than 32
    // times faster or slower than it ends the sound there.
    int Rate() const { return rate; }
    int BytesPerFrame() const { return bytesPerFrame; }
    // Frames as stored (each section's at its own rate).
    ogg_int64_t TotalFrames() const { return totalFrames; }

    // A name as a resource number: true with its low 16 bits when the whole
    // name is decimal digits of a 32-bit unsigned number.
    static bool ParseResourceNumber(const std::wstring& name, WORD* id);

private:
    bool OpenCallbacks(ov_callbacks callbacks, void* datasource);
    // Frames of one section's decoded channels as frames of ours, mixed
    // down where the section has other channels than the sound.
    void Mix(float* const* pcm, int sourceChannels, long frames, float* out) const;
    // The same as 16-bit frames.
    void Convert(float* const* pcm, int sourceChannels, long frames, unsigned char* out);
    // Frames of a section stored at another rate, converted into `pending`;
    // false when the rate is too far from the sound's.
    bool ConvertRate(float* const* pcm, int sourceChannels, long sectionRate, int section,
                     long frames);
    // Forgets converted frames not yet delivered.
    void DropPending();

    static size_t MemoryRead(void* buffer, size_t size, size_t count, void* source);
    static int MemorySeek(void* source, ogg_int64_t offset, int whence);
    static int NoClose(void* source);
    static long MemoryTell(void* source);
    static size_t FileRead(void* buffer, size_t size, size_t count, void* source);
    static int FileSeek(void* source, ogg_int64_t offset, int whence);
    static long FileTell(void* source);

    FILE* file;
    HMODULE module;
    const unsigned char* data;
    unsigned position;
    unsigned size;
    int channels;
    int rate;
    int bytesPerFrame;
    ogg_int64_t totalFrames;
    OggVorbis_File vorbisFile;
    bool open;
    // The decoder reported an error other than a gap: it is not asked again
    // until the data is opened anew.
    bool failed;

    // Frames mixed before they are written or converted.
    std::vector<float> mixed;
    // A section stored at another rate: its converter, which section and
    // rate it was started for, and frames converted but not yet delivered.
    CRateConverter converter;
    int convertedSection;
    long convertedRate;
    std::vector<float> converted;
    std::vector<unsigned char> pending;
    size_t pendingAt;
};
