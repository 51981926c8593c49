// Shared set-up of the sound tests: short Ogg Vorbis sounds encoded here, a
// headless main window whose loop the tests pump on driven time, and a record
// of what the sound streams write to the debugger.
#pragma once

#include "framework/render/IMResourceManager.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace soundtesting {

// The clock the sound streams and the window's timers read, driven by the
// window's passes and by Wait.
using Clock = testing_support::PlatformClock;

// `frames` frames of a sine tone (every channel the same), as floats in -1..1.
std::vector<float> Tone(int channels, int rate, long frames, double hertz = 440.0,
                        double amplitude = 0.5);
// Encodes interleaved float samples as an Ogg Vorbis stream.
std::vector<unsigned char> EncodeVorbis(int channels, int rate, const std::vector<float>& samples);
// A tone of the given length in milliseconds, encoded.
std::vector<unsigned char> ToneSound(int channels, int rate, long milliseconds);
// Every 16-bit sample that the data decodes to, read whole.
std::vector<int16_t> DecodeAll(const std::vector<unsigned char>& ogg);

// Collects the debugger lines (the streams write from their own threads).
class DebugLines {
public:
    DebugLines();
    ~DebugLines();
    std::vector<std::wstring> Lines() const;
    size_t Count(const std::wstring& line) const;

private:
    mutable std::mutex mutex;
    std::vector<std::wstring> lines;
};

// Notifications of one sound, in the order they reached the UI thread.
struct Notifications {
    std::vector<std::string> events;
    Clock::time_point endedAt{};
    int ends = 0;
    int plays = 0;

    CSoundStream::NotifySignal::slot_type EndSlot()
    {
        return [this](unsigned long id) -> long {
            ++ends;
            endedAt = Clock::now();
            events.push_back("end " + std::to_string(id));
            return 0;
        };
    }
    CSoundStream::LabelSignal::slot_type LabelSlot()
    {
        return [this](unsigned long id, unsigned long position) -> long {
            events.push_back("label " + std::to_string(id) + " " + std::to_string(position));
            return 0;
        };
    }
    int Count(const std::string& event) const;
};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CSoundSystem& Sound() { return *window->Manager(); }
    IMWindow* Window() { return window->window; }

    // Registers bytes that the test keeps alive.
    unsigned long AddFromMemory(const std::wstring& name, std::vector<unsigned char> ogg);

    // Pumps the main loop until the condition holds or the time is over.
    bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);
    // Pumps the main loop for a while.
    void PumpFor(std::chrono::milliseconds span);
    // Lets time pass without a loop pass: the sound threads run meanwhile.
    void Wait(std::chrono::milliseconds span) { window->clock.Advance(span); }

    static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

    std::unique_ptr<DebugLines> debug;
    std::unique_ptr<testing_support::HeadlessWindow> window;
    std::vector<std::unique_ptr<std::vector<unsigned char>>> kept;
};

} // namespace soundtesting
