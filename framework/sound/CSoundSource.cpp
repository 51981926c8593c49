#include "framework/sound/CSoundSource.h"

#include "framework/resources/IMImageDecoder.h"

#include "platform/codepage.h"
#include "platform/kernel32_resource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const wchar_t kSideFile[] = L"Animations.dll";

// Gaps in a row after which a damaged sound is taken to be over; each gap
// is a page the decoder has passed, so a sound cannot report them forever,
// but a limit keeps one Read short whatever the data.
const int kGapsInARow = 64;

// Frames decoded per call: the decoder hands out at most a block anyway.
const int kFramesPerCall = 4096;

// How far a section's rate may be from the sound's and still be converted:
// further than any real sound goes (8 kHz to 192 kHz is 24 times), and a
// bound on the frames one decoded block can make.
const long kFarthestRateRatio = 32;

// How much of each channel goes to the left and to the right speaker, by the
// channel order of Vorbis: for 3 to 8 channels the left, centre and right
// fronts, then the sides and rears, then the low-frequency channel, which a
// pair of speakers leaves out. Other counts have no agreed order: every
// channel goes to both.
void MixWeights(int channels, int index, float* left, float* right)
{
    const float half = 0.70710678f;
    enum Place { L, R, C, LFE };
    static const Place kLayouts[6][8] = {
        {L, C, R},                  // 3
        {L, R, L, R},               // 4
        {L, C, R, L, R},            // 5
        {L, C, R, L, R, LFE},       // 6
        {L, C, R, L, R, C, LFE},    // 7
        {L, C, R, L, R, L, R, LFE}, // 8
    };
    *left = *right = 1.0f;
    if (channels < 3 || channels > 8 || index < 0 || index >= channels)
        return;
    switch (kLayouts[channels - 3][index]) {
    case L:
        *right = 0.0f;
        break;
    case R:
        *left = 0.0f;
        break;
    case C:
        *left = *right = half;
        break;
    case LFE:
        *left = *right = 0.0f;
        break;
    }
}

// A sample as ov_read makes it: rounded, clipped to 16 bits, little-endian
// at any address.
unsigned char* PutSample(float value, unsigned char* out)
{
    const long scaled =
        std::clamp<long>(std::lrint(static_cast<double>(value * 32768.0f)), -32768, 32767);
    const unsigned bits = static_cast<uint16_t>(static_cast<int16_t>(scaled));
    out[0] = static_cast<unsigned char>(bits & 0xFF);
    out[1] = static_cast<unsigned char>(bits >> 8);
    return out + 2;
}

} // namespace

CSoundSource::CSoundSource()
    : file(nullptr),
      module(nullptr),
      data(nullptr),
      position(0),
      size(0),
      channels(0),
      rate(0),
      bytesPerFrame(0),
      totalFrames(0),
      vorbisFile(),
      open(false),
      failed(false),
      convertedSection(-1),
      convertedRate(0),
      pendingAt(0)
{}

CSoundSource::~CSoundSource()
{
    Close();
}

void CSoundSource::DropPending()
{
    pending.clear();
    pendingAt = 0;
    convertedSection = -1;
    convertedRate = 0;
}

void CSoundSource::Close()
{
    DropPending();
    if (open) {
        ov_clear(&vorbisFile);
        open = false;
    }
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
    if (module) {
        FreeLibrary(module);
        module = nullptr;
    }
    data = nullptr;
    size = 0;
    position = 0;
}

bool CSoundSource::ParseResourceNumber(const std::wstring& name, WORD* id)
{
    unsigned number = 0;
    if (!imimage::ParseResourceNumber(name, &number))
        return false;
    *id = static_cast<WORD>(number);
    return true;
}

bool CSoundSource::OpenCallbacks(ov_callbacks callbacks, void* datasource)
{
    if (ov_open_callbacks(datasource, &vorbisFile, nullptr, 0, callbacks) != 0)
        return false;
    open = true;
    failed = false;
    // libvorbisfile leaves a chained sound whose first section has its
    // audio in one page standing at the second section (its opening seek
    // passes over the packets of a last page); the sound starts at byte 0.
    if (ov_streams(&vorbisFile) > 1 && ov_pcm_tell(&vorbisFile) != 0 &&
        ov_raw_seek(&vorbisFile, 0) != 0) {
        ov_clear(&vorbisFile);
        open = false;
        return false;
    }
    const vorbis_info* info = ov_info(&vorbisFile, -1);
    const ogg_int64_t frames = ov_pcm_total(&vorbisFile, -1);
    if (!info || info->channels <= 0 || info->rate <= 0 || frames < 0) {
        ov_clear(&vorbisFile);
        open = false;
        return false;
    }
    channels = info->channels == 1 ? 1 : 2;
    rate = static_cast<int>(info->rate);
    totalFrames = frames;
    bytesPerFrame = channels * 2;
    return true;
}

bool CSoundSource::OpenMemory(const void* bytes, unsigned byteCount)
{
    if (open || !bytes)
        return false;
    data = static_cast<const unsigned char*>(bytes);
    size = byteCount;
    position = 0;
    const ov_callbacks callbacks = {&CSoundSource::MemoryRead, &CSoundSource::MemorySeek,
                                    &CSoundSource::NoClose, &CSoundSource::MemoryTell};
    if (OpenCallbacks(callbacks, this))
        return true;
    data = nullptr;
    size = 0;
    return false;
}

bool CSoundSource::OpenByName(const std::wstring& name)
{
    WORD id = 0;
    if (ParseResourceNumber(name, &id))
        return OpenResource(id);
    return OpenFile(name);
}

bool CSoundSource::OpenResource(WORD resourceId)
{
    if (open)
        return false;
    HMODULE from = nullptr; // the executable
    HRSRC found = FindResourceW(from, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (!found) {
        from = LoadLibraryExW(kSideFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!from)
            return false;
        found = FindResourceW(from, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
        if (!found) {
            FreeLibrary(from);
            return false;
        }
        module = from;
    }
    HGLOBAL loaded = LoadResource(from, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || !OpenMemory(bytes, SizeofResource(from, found))) {
        if (module) {
            FreeLibrary(module);
            module = nullptr;
        }
        return false;
    }
    // The last 20 ms of a stored sound are left out.
    const ogg_int64_t cut = rate / 50;
    if (totalFrames > cut)
        totalFrames -= cut;
    return true;
}

bool CSoundSource::OpenFile(const std::wstring& path)
{
    if (open)
        return false;
    file = std::fopen(platform::WidePathToUtf8(path).c_str(), "rb");
    if (!file)
        return false;
    const ov_callbacks callbacks = {&CSoundSource::FileRead, &CSoundSource::FileSeek,
                                    &CSoundSource::NoClose, &CSoundSource::FileTell};
    if (OpenCallbacks(callbacks, file))
        return true;
    std::fclose(file);
    file = nullptr;
    return false;
}

bool CSoundSource::Rewind()
{
    if (!open)
        return false;
    // The decoder is opened again rather than sought back: seeking through
    // a damaged stream can leave libvorbisfile's page state inconsistent,
    // and the next read then writes out of bounds inside libogg. Opening
    // the same data repeats what already succeeded once, and takes about a
    // tenth of a millisecond for the program's sounds.
    const ogg_int64_t playable = totalFrames; // a resource sound's is shortened
    DropPending();
    ov_clear(&vorbisFile);
    open = false;
    bool reopened = false;
    if (file) {
        const ov_callbacks callbacks = {&CSoundSource::FileRead, &CSoundSource::FileSeek,
                                        &CSoundSource::NoClose, &CSoundSource::FileTell};
        reopened = fseeko(file, 0, SEEK_SET) == 0 && OpenCallbacks(callbacks, file);
    } else if (data) {
        const ov_callbacks callbacks = {&CSoundSource::MemoryRead, &CSoundSource::MemorySeek,
                                        &CSoundSource::NoClose, &CSoundSource::MemoryTell};
        position = 0;
        reopened = OpenCallbacks(callbacks, this);
    }
    if (reopened)
        totalFrames = playable;
    return reopened;
}

unsigned CSoundSource::Read(void* buffer, unsigned byteCount)
{
    if (!open || failed || !buffer)
        return 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    const unsigned frameBytes = static_cast<unsigned>(bytesPerFrame);
    unsigned done = 0;
    int gaps = 0;
    while (byteCount - done >= frameBytes) {
        // Frames converted from another rate come first.
        if (pendingAt < pending.size()) {
            const size_t n = std::min<size_t>(pending.size() - pendingAt,
                                              (byteCount - done) / frameBytes * frameBytes);
            std::memcpy(out + done, pending.data() + pendingAt, n);
            pendingAt += n;
            done += static_cast<unsigned>(n);
            continue;
        }
        // Asked again each time: after a gap the decoder stands further on.
        const ogg_int64_t tell = ov_pcm_tell(&vorbisFile);
        if (tell < 0 || tell >= totalFrames)
            break;
        const ogg_int64_t wanted = std::min<ogg_int64_t>(
            {totalFrames - tell, (byteCount - done) / frameBytes, kFramesPerCall});
        float** pcm = nullptr;
        int section = 0;
        const long got = ov_read_float(&vorbisFile, &pcm, static_cast<int>(wanted), &section);
        if (got > 0) {
            // A chained sound may change its channels and its rate from one
            // section to the next.
            const vorbis_info* info = ov_info(&vorbisFile, -1);
            if (!info || info->channels <= 0 || info->rate <= 0) {
                failed = true;
                break;
            }
            gaps = 0;
            if (info->rate == rate) {
                Convert(pcm, info->channels, got, out + done);
                done += static_cast<unsigned>(got) * frameBytes;
            } else if (!ConvertRate(pcm, info->channels, info->rate, section, got)) {
                failed = true;
                break;
            }
            continue;
        }
        // Only a gap is passed over. After any other error (a section whose
        // headers do not set up a decoder) libvorbisfile must not be asked
        // again, in this call or a later one: its next attempt decodes with
        // codebooks left empty and divides by zero.
        if (got == OV_HOLE && ++gaps < kGapsInARow)
            continue;
        if (got < 0)
            failed = true;
        break;
    }
    return done;
}

void CSoundSource::Convert(float* const* pcm, int sourceChannels, long frames, unsigned char* out)
{
    if (sourceChannels == channels) {
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                out = PutSample(pcm[c][i], out);
        return;
    }
    mixed.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    Mix(pcm, sourceChannels, frames, mixed.data());
    for (float sample : mixed)
        out = PutSample(sample, out);
}

bool CSoundSource::ConvertRate(float* const* pcm, int sourceChannels, long sectionRate, int section,
                               long frames)
{
    if (sectionRate > rate * kFarthestRateRatio || rate > sectionRate * kFarthestRateRatio)
        return false;
    if (section != convertedSection || sectionRate != convertedRate) {
        converter.Start(static_cast<int>(sectionRate), rate, channels);
        convertedSection = section;
        convertedRate = sectionRate;
    }
    mixed.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    Mix(pcm, sourceChannels, frames, mixed.data());
    converted.clear();
    converter.Push(mixed.data(), frames, &converted);
    pending.resize(converted.size() * 2);
    unsigned char* out = pending.data();
    for (float sample : converted)
        out = PutSample(sample, out);
    pendingAt = 0;
    return true;
}

void CSoundSource::Mix(float* const* pcm, int sourceChannels, long frames, float* out) const
{
    if (sourceChannels == channels) {
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                *out++ = pcm[c][i];
        return;
    }
    // Mixed down: each side is the weighted mean of what goes to it, so that
    // full-scale channels do not clip.
    float weights[2][256];
    float sums[2] = {0.0f, 0.0f};
    for (int c = 0; c < sourceChannels && c < 256; ++c) {
        MixWeights(sourceChannels, c, &weights[0][c], &weights[1][c]);
        if (channels == 1)
            weights[0][c] = 1.0f;
        sums[0] += weights[0][c];
        sums[1] += weights[1][c];
    }
    const int used = std::min(sourceChannels, 256);
    for (long i = 0; i < frames; ++i)
        for (int side = 0; side < channels; ++side) {
            float sum = 0.0f;
            for (int c = 0; c < used; ++c)
                sum += weights[side][c] * pcm[c][i];
            *out++ = sums[side] > 0.0f ? sum / sums[side] : 0.0f;
        }
}

size_t CSoundSource::MemoryRead(void* buffer, size_t itemSize, size_t count, void* datasource)
{
    CSoundSource* self = static_cast<CSoundSource*>(datasource);
    if (self->position >= self->size)
        return 0;
    const size_t bytes = std::min<size_t>(itemSize * count, self->size - self->position);
    std::memcpy(buffer, self->data + self->position, bytes);
    self->position += static_cast<unsigned>(bytes);
    return bytes;
}

int CSoundSource::MemorySeek(void* datasource, ogg_int64_t offset, int whence)
{
    CSoundSource* self = static_cast<CSoundSource*>(datasource);
    ogg_int64_t target = 0;
    switch (whence) {
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = static_cast<ogg_int64_t>(self->position) + offset;
        break;
    case SEEK_END:
        target = static_cast<ogg_int64_t>(self->size) + offset;
        break;
    default:
        return -1;
    }
    // A position before the data or past its end is refused.
    if (target < 0 || target > static_cast<ogg_int64_t>(self->size))
        return -1;
    self->position = static_cast<unsigned>(target);
    return 0;
}

int CSoundSource::NoClose(void*)
{
    // The owner closes what it opened.
    return 1;
}

long CSoundSource::MemoryTell(void* datasource)
{
    return static_cast<long>(static_cast<CSoundSource*>(datasource)->position);
}

size_t CSoundSource::FileRead(void* buffer, size_t itemSize, size_t count, void* datasource)
{
    return std::fread(buffer, itemSize, count, static_cast<FILE*>(datasource));
}

int CSoundSource::FileSeek(void* datasource, ogg_int64_t offset, int whence)
{
    return fseeko(static_cast<FILE*>(datasource), static_cast<off_t>(offset), whence);
}

long CSoundSource::FileTell(void* datasource)
{
    return std::ftell(static_cast<FILE*>(datasource));
}
