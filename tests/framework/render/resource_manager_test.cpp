// The resource manager's start-up failure and its sticky device-loss test.
#include "framework/render/IMResourceManager.h"
#include "platform/codepage.h"
#include "support/recording_device.h"

#include <gtest/gtest.h>

#include <stdexcept>

using testing_support::FakeDeviceState;
using testing_support::RecordingDevices;

TEST(ResourceManager, StartWithoutADeviceThrowsAndLeavesNoManager)
{
    FakeDeviceState state;
    RecordingDevices devices(state);
    state.failCreate = true;
    try {
        IMResourceManager::Start(false);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(platform::Cp1251ToWideString(e.what()), L"Не могу создать устройство Direct3D");
    }
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
}

TEST(ResourceManager, LossStaysUntilTheDeviceIsMadeAnew)
{
    FakeDeviceState state;
    RecordingDevices devices(state);
    IMResourceManager::Start(false);
    IMResourceManager* manager = IMResourceManager::Instance();
    EXPECT_FALSE(manager->IsDeviceLost());

    state.lost = true;
    EXPECT_TRUE(manager->IsDeviceLost());
    state.lost = false; // the old device recovering by itself does not count
    EXPECT_TRUE(manager->IsDeviceLost());

    EXPECT_TRUE(manager->ResetDevice());
    EXPECT_FALSE(manager->IsDeviceLost());
    EXPECT_EQ(state.created, 2);
    // Nothing to recover: no new device.
    EXPECT_TRUE(manager->ResetDevice());
    EXPECT_EQ(state.created, 2);
    IMResourceManager::Shutdown();
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
}
