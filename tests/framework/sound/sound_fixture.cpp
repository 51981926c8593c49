#include "sound_fixture.h"

#include "bench/support/vorbis_tone.h"
#include "framework/sound/CSoundSource.h"
#include "platform/dsound.h"
#include "platform/kernel32.h"

#include <algorithm>
#include <thread>

namespace soundtesting {

std::vector<float> Tone(int channels, int rate, long frames, double hertz, double amplitude)
{
    return benchsupport::Tone(channels, rate, frames, hertz, amplitude);
}

std::vector<unsigned char> EncodeVorbis(int channels, int rate, const std::vector<float>& samples)
{
    std::vector<unsigned char> out = benchsupport::EncodeVorbis(channels, rate, samples);
    if (out.empty())
        ADD_FAILURE() << "the encoder refused " << channels << " channels at " << rate << " Hz";
    return out;
}

std::vector<unsigned char> ToneSound(int channels, int rate, long milliseconds)
{
    return EncodeVorbis(channels, rate, Tone(channels, rate, long(rate) * milliseconds / 1000));
}

std::vector<int16_t> DecodeAll(const std::vector<unsigned char>& ogg)
{
    CSoundSource source;
    std::vector<int16_t> samples;
    if (!source.OpenMemory(ogg.data(), unsigned(ogg.size())))
        return samples;
    samples.resize(size_t(source.TotalFrames()) * size_t(source.BytesPerFrame()) / 2);
    const unsigned got = source.Read(samples.data(), unsigned(samples.size() * 2));
    samples.resize(got / 2);
    return samples;
}

DebugLines::DebugLines()
{
    platform::SetDebugOutputSink([this](const std::wstring& line) {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(line);
    });
}

DebugLines::~DebugLines()
{
    platform::SetDebugOutputSink(nullptr);
}

std::vector<std::wstring> DebugLines::Lines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return lines;
}

size_t DebugLines::Count(const std::wstring& line) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return size_t(std::count(lines.begin(), lines.end(), line));
}

int Notifications::Count(const std::string& event) const
{
    return int(std::count(events.begin(), events.end(), event));
}

void SoundTest::SetUp()
{
    platform::dsoundtest::PauseOutput(false);
    debug.reset(new DebugLines());
    window.reset(new testing_support::HeadlessWindow());
    ASSERT_NE(window->Manager(), nullptr);
}

void SoundTest::TearDown()
{
    // The window goes first: it tears the sound system down, which waits
    // for every thread.
    window.reset();
    debug.reset();
    platform::dsoundtest::PauseOutput(false);
    platform::dsoundtest::SetCapture(nullptr);
}

unsigned long SoundTest::AddFromMemory(const std::wstring& name, std::vector<unsigned char> ogg)
{
    kept.emplace_back(new std::vector<unsigned char>(std::move(ogg)));
    const std::vector<unsigned char>& bytes = *kept.back();
    return Sound().AddSoundFromMemory(name, bytes.data(), unsigned(bytes.size()));
}

bool SoundTest::PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const Clock::time_point end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        window->Pump(1);
    }
    return true;
}

void SoundTest::PumpFor(std::chrono::milliseconds span)
{
    const Clock::time_point end = Clock::now() + span;
    while (Clock::now() < end)
        window->Pump(1);
}

} // namespace soundtesting
