// The resource manager's start-up failure and its sticky device-loss test.
#include "framework/render/IMResourceManager.h"
#include "platform/codepage.h"
#include "support/device_faults.h"

#include <gtest/gtest.h>

#include <stdexcept>

using testing_support::DeviceFaults;

TEST(ResourceManager, StartWithoutADeviceThrowsAndLeavesNoManager)
{
    DeviceFaults faults;
    faults.FailCreate(true);
    try {
        IMResourceManager::Start(false);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(platform::Cp1251ToWideString(e.what()), L"Не могу создать устройство Direct3D");
    }
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
}

TEST(ResourceManager, StartWithoutDirect3DOrDisplayModeThrowsItsOwnMessage)
{
    DeviceFaults faults;
    faults.Set(platform::d3d9test::Fault::Direct3DCreate, true);
    EXPECT_THROW(
        {
            try {
                IMResourceManager::Start(false);
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "Can't init Direct3D");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);

    faults.Set(platform::d3d9test::Fault::Direct3DCreate, false);
    faults.Set(platform::d3d9test::Fault::AdapterDisplayMode, true);
    try {
        IMResourceManager::Start(false);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Can't init DisplayMode");
    }
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().direct3d, 0);
}

TEST(ResourceManager, LossStaysUntilTheDeviceIsMadeAnew)
{
    DeviceFaults faults;
    IMResourceManager::Start(false);
    IMResourceManager* manager = IMResourceManager::Instance();
    EXPECT_FALSE(manager->IsDeviceLost());
    EXPECT_EQ(manager->GetBackBufferWidth(), 800);
    EXPECT_EQ(manager->GetBackBufferHeight(), 600);

    platform::d3d9test::LoseDevice(manager->Device());
    EXPECT_TRUE(manager->IsDeviceLost());
    EXPECT_TRUE(manager->IsDeviceLost());

    // A failed re-creation leaves it lost and without a device.
    faults.FailCreate(true);
    EXPECT_FALSE(manager->ResetDevice());
    EXPECT_TRUE(manager->IsDeviceLost());
    EXPECT_EQ(manager->Device(), nullptr);

    faults.FailCreate(false);
    EXPECT_TRUE(manager->ResetDevice());
    EXPECT_FALSE(manager->IsDeviceLost());
    ASSERT_NE(manager->Device(), nullptr);
    EXPECT_EQ(manager->Device()->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().devices, 1);

    IMResourceManager::Shutdown();
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
    const platform::d3d9test::LiveObjects live = platform::d3d9test::CountLiveObjects();
    EXPECT_EQ(live.devices, 0);
    EXPECT_EQ(live.textures, 0);
    EXPECT_EQ(live.vertexBuffers, 0);
    EXPECT_EQ(live.direct3d, 0);
}
