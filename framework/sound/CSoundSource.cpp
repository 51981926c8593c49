#include "framework/sound/CSoundSource.h"

#include "framework/resources/IMImageDecoder.h"

#include "platform/codepage.h"
#include "platform/kernel32_resource.h"

#include <algorithm>
#include <cstring>

namespace {

const wchar_t kSideFile[] = L"Animations.dll";

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
      open(false)
{
}

CSoundSource::~CSoundSource()
{
    Close();
}

void CSoundSource::Close()
{
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
    const vorbis_info* info = ov_info(&vorbisFile, -1);
    const ogg_int64_t frames = ov_pcm_total(&vorbisFile, -1);
    if (!info || info->channels <= 0 || info->rate <= 0 || frames < 0) {
        ov_clear(&vorbisFile);
        open = false;
        return false;
    }
    channels = info->channels;
    rate = static_cast<int>(info->rate);
    totalFrames = frames;
    bytesPerFrame = channels == 1 ? 2 : 4;
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
    return open && ov_pcm_seek(&vorbisFile, 0) == 0;
}

unsigned CSoundSource::Read(void* buffer, unsigned byteCount)
{
    if (!open || !buffer)
        return 0;
    const ogg_int64_t tell = ov_pcm_tell(&vorbisFile);
    if (tell < 0 || tell >= totalFrames)
        return 0;
    const ogg_int64_t remaining = (totalFrames - tell) * bytesPerFrame;
    const unsigned wanted =
        static_cast<unsigned>(std::min<ogg_int64_t>(remaining, static_cast<ogg_int64_t>(byteCount)));
    char* out = static_cast<char*>(buffer);
    unsigned done = 0;
    while (done < wanted) {
        int section = 0;
        const int chunk = static_cast<int>(std::min<unsigned>(wanted - done, 1u << 30));
        const long got = ov_read(&vorbisFile, out + done, chunk, 0, 2, 1, &section);
        if (got <= 0)
            break;
        done += static_cast<unsigned>(got);
    }
    return done;
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
