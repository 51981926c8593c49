#include "sound_fixture.h"

#include "framework/sound/CSoundSource.h"
#include "platform/dsound.h"
#include "platform/kernel32.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace soundtesting {

std::vector<float> Tone(int channels, int rate, long frames, double hertz, double amplitude)
{
    std::vector<float> samples(size_t(frames) * size_t(channels));
    const double step = 2.0 * M_PI * hertz / rate;
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * channels + c] = float(amplitude * std::sin(step * double(i)));
    return samples;
}

namespace {

void AppendPage(std::vector<unsigned char>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<unsigned char> EncodeVorbis(int channels, int rate, const std::vector<float>& samples)
{
    std::vector<unsigned char> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.5f) != 0) {
        vorbis_info_clear(&info);
        ADD_FAILURE() << "the encoder refused " << channels << " channels at " << rate << " Hz";
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 7);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    const long frames = long(samples.size() / size_t(channels));
    long written = 0;
    bool last = false;
    while (!last) {
        const long n = std::min(1024L, frames - written);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[size_t(written + i) * channels + c];
            vorbis_analysis_wrote(&dsp, int(n));
            written += n;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
            last = true;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    AppendPage(out, page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
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
