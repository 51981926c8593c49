#include "framework/sound/CSoundSystem.h"

#include "framework/sound/CSoundSource.h"
#include "platform/user32.h"

#include <memory>

namespace {

CSoundSystem::MessageRegistration& CustomRegistration()
{
    static CSoundSystem::MessageRegistration registration;
    return registration;
}

UINT RegisterMessage(LPCWSTR name)
{
    const CSoundSystem::MessageRegistration& custom = CustomRegistration();
    return custom ? custom(name) : RegisterWindowMessageW(name);
}

} // namespace

CSoundSystem::CSoundSystem()
    : directSound(nullptr),
      primaryBuffer(nullptr),
      lastId(0),
      messageWindow(nullptr),
      playMessage(0),
      stopMessage(0),
      pauseMessage(0),
      labelMessage(0)
{}

CSoundSystem::~CSoundSystem()
{
    Release();
}

void CSoundSystem::SetMessageRegistration(MessageRegistration registration)
{
    CustomRegistration() = std::move(registration);
}

void CSoundSystem::RegisterMessages()
{
    // A failed registration leaves that number and the following ones 0.
    UINT* const targets[] = {&playMessage, &labelMessage, &stopMessage, &pauseMessage};
    const wchar_t* const names[] = {L"WM_IM_ONSOUNDPLAY", L"WM_IM_ONLABEL", L"WM_IM_ONSOUNDSTOP",
                                    L"WM_IM_ONSOUNDPOUSE"};
    for (UINT* target : targets)
        *target = 0;
    for (size_t i = 0; i < 4; ++i) {
        *targets[i] = RegisterMessage(names[i]);
        if (*targets[i] == 0)
            break;
    }
}

bool CSoundSystem::SetUpPrimaryBuffer(HWND window)
{
    if (FAILED(directSound->SetCooperativeLevel(window, DSSCL_EXCLUSIVE)))
        return false;
    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE_32BIT;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = 0;
    desc.lpwfxFormat = nullptr;
    if (FAILED(directSound->CreateSoundBuffer(&desc, &primaryBuffer, nullptr)) || !primaryBuffer) {
        primaryBuffer = nullptr;
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 176400;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    format.cbSize = 18;
    if (FAILED(primaryBuffer->SetFormat(&format)) ||
        FAILED(primaryBuffer->Play(0, 0, DSBPLAY_LOOPING))) {
        primaryBuffer->Release();
        primaryBuffer = nullptr;
        return false;
    }
    return true;
}

HRESULT CSoundSystem::Init(HWND window)
{
    messageWindow = window;
    RegisterMessages();

    if (directSound)
        return DS_OK; // set up already
    const HRESULT created = DirectSoundCreate8(&DSDEVID_DefaultPlayback, &directSound, nullptr);
    if (FAILED(created)) {
        directSound = nullptr;
        return created;
    }
    if (SetUpPrimaryBuffer(window))
        return DS_OK;
    // Without a primary buffer secondary buffers play at the device's own format.
    const HRESULT normal = directSound->SetCooperativeLevel(window, DSSCL_NORMAL);
    if (FAILED(normal)) {
        directSound->Release();
        directSound = nullptr;
        return normal;
    }
    return DS_OK;
}

unsigned long CSoundSystem::FindRegistered(const std::wstring& name)
{
    for (const SourceEntry& entry : sources) {
        if (entry.name != name)
            continue;
        for (auto& item : streams) {
            if (item.second->Source() == entry.source) {
                item.second->DisconnectOnStop();
                return item.first;
            }
        }
    }
    return 0;
}

unsigned long CSoundSystem::Register(const std::wstring& name, CSoundSource* opened)
{
    sources.push_back(SourceEntry{opened, 1, name});
    const unsigned long id = ++lastId;
    streams[id] = new CSoundStream(this, opened, id);
    return id;
}

unsigned long CSoundSystem::AddSoundFromMemory(std::wstring name, const void* data, unsigned size)
{
    if (const unsigned long known = FindRegistered(name))
        return known;
    std::unique_ptr<CSoundSource> source(new CSoundSource());
    if (!source->OpenMemory(data, size))
        return 0;
    return Register(name, source.release());
}

unsigned long CSoundSystem::AddSoundFromResource(std::wstring name)
{
    if (const unsigned long known = FindRegistered(name))
        return known;
    std::unique_ptr<CSoundSource> source(new CSoundSource());
    if (!source->OpenByName(name))
        return 0;
    return Register(name, source.release());
}

CSoundStream* CSoundSystem::FindStream(unsigned long id) const
{
    if (id == 0)
        return nullptr;
    auto it = streams.find(id);
    return it == streams.end() ? nullptr : it->second;
}

bool CSoundSystem::Play(unsigned long id)
{
    CSoundStream* stream = FindStream(id);
    return stream && stream->Start() != CSoundStream::StartResult::Failed;
}

bool CSoundSystem::Stop(unsigned long id)
{
    CSoundStream* stream = FindStream(id);
    if (!stream)
        return false;
    stream->Stop();
    return true;
}

bool CSoundSystem::IsPlaying(unsigned long id)
{
    CSoundStream* stream = FindStream(id);
    return stream && stream->IsPlaying();
}

boost::signals2::connection
CSoundSystem::SetOnStop(unsigned long id, const CSoundStream::NotifySignal::slot_type& slot)
{
    CSoundStream* stream = FindStream(id);
    return stream ? stream->ConnectOnStop(slot) : boost::signals2::connection();
}

void CSoundSystem::AddLabel(unsigned long id, unsigned long positionMs,
                            const CSoundStream::LabelSignal::slot_type& slot)
{
    CSoundStream* stream = FindStream(id);
    if (!stream)
        return;
    stream->AddLabelPosition(positionMs);
    stream->ConnectLabel(positionMs, slot);
}

void CSoundSystem::OnLabelMessage(unsigned long id, unsigned long positionMs)
{
    if (CSoundStream* stream = FindStream(id))
        stream->OnLabelMessage(positionMs);
}

void CSoundSystem::Release()
{
    for (auto& item : streams)
        delete item.second;
    streams.clear();
    for (SourceEntry& entry : sources)
        delete entry.source; // closes the decoder, the file and the side file
    sources.clear();
    if (primaryBuffer) {
        primaryBuffer->Stop();
        primaryBuffer->Release();
        primaryBuffer = nullptr;
    }
    if (directSound) {
        directSound->Release();
        directSound = nullptr;
    }
}
