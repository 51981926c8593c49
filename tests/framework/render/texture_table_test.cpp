// The texture table: identifiers and their reuse, names and reference
// counts, identifiers that name no record, locking and filling.
#include "render_fixture.h"

#include <boost/function.hpp>

using testing_support::RenderTest;

namespace {

class TextureTable : public RenderTest {};

} // namespace

TEST_F(TextureTable, ReleasedIdentifiersAreReusedLastReleasedFirst)
{
    EXPECT_EQ(manager->FindTexture(L"DefaultBackGround"), 0);
    const int slots = manager->SlotCount();
    manager->ReleaseTexture(5);
    manager->ReleaseTexture(7);
    EXPECT_EQ(manager->GetTextureRecord(5), nullptr);
    EXPECT_EQ(manager->GetTextureRecord(7), nullptr);
    EXPECT_EQ(MakeSolid(L"a", 1, 1, 0xFFFFFFFF), 7);
    EXPECT_EQ(MakeSolid(L"b", 1, 1, 0xFFFFFFFF), 5);
    EXPECT_EQ(MakeSolid(L"c", 1, 1, 0xFFFFFFFF), slots); // none free: a new slot
    EXPECT_EQ(manager->SlotCount(), slots + 1);

    // The first identifier is a real texture and is reused like any other.
    manager->ReleaseTextureByName(L"DefaultBackGround");
    EXPECT_EQ(manager->FindTexture(L"DefaultBackGround"), manager->SlotCount());
    EXPECT_EQ(MakeSolid(L"d", 1, 1, 0xFFFFFFFF), 0);
}

TEST_F(TextureTable, ReferencesAreCountedByNameAndTheLastReleaseFreesTheSlot)
{
    const int id = MakeSolid(L"shared", 3, 3, 0xFF00FF00);
    EXPECT_EQ(manager->LoadTexture(L"shared"), id);
    EXPECT_EQ(manager->CreateEmptyTexture(L"shared", 64, 64, D3DFMT_X8R8G8B8), id);
    EXPECT_EQ(manager->AddRef(id), id);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->refCount, 4);
    // A registered name keeps its first image, whatever was asked later.
    EXPECT_EQ(record->imageRect.right, 3);
    EXPECT_EQ(record->format, D3DFMT_A8R8G8B8);

    const int liveBefore = platform::d3d9test::CountLiveObjects().textures;
    for (int i = 0; i < 3; ++i)
        manager->ReleaseTexture(id);
    EXPECT_EQ(manager->FindTexture(L"shared"), id);
    manager->ReleaseTextureByName(L"shared");
    EXPECT_EQ(manager->FindTexture(L"shared"), manager->SlotCount());
    EXPECT_EQ(manager->GetTextureRecord(id), nullptr);
    EXPECT_EQ(platform::d3d9test::CountLiveObjects().textures, liveBefore - 1);
    // Releasing again does nothing.
    manager->ReleaseTexture(id);
    EXPECT_EQ(MakeSolid(L"next", 1, 1, 0xFFFFFFFF), id);
}

TEST_F(TextureTable, IdentifiersNamingNoRecordAreHarmlessEverywhere)
{
    const int slots = manager->SlotCount();
    EXPECT_EQ(manager->FindTexture(L"nothing"), slots);
    EXPECT_EQ(manager->LoadTexture(L"nothing"), slots);
    const unsigned char junk[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(manager->CreateTextureFromMemory(L"junk", junk, sizeof junk), slots);
    EXPECT_EQ(manager->FindTexture(L"junk"), slots);
    EXPECT_EQ(manager->SlotCount(), slots); // nothing was registered

    manager->ReleaseTexture(3);
    bool filled = false;
    for (int id : {slots, 3, -1, slots + 100}) {
        EXPECT_EQ(manager->GetTextureRecord(id), nullptr);
        EXPECT_EQ(manager->AddRef(id), manager->SlotCount());
        EXPECT_EQ(manager->ReleaseTexture(id), 0);
        EXPECT_EQ(manager->GetTexturePitch(id), 0);
        manager->FillTexture(id, [&filled](unsigned char*, int, int) { filled = true; });
        manager->RestoreTexture(id);
        manager->DropDeviceTexture(id);
        manager->CopyPixels(id);
    }
    EXPECT_FALSE(filled);
}

TEST_F(TextureTable, FillerGetsTheLockedBitsPitchAndImageHeight)
{
    const int id = manager->CreateEmptyTexture(L"empty", 5, 3, D3DFMT_A8R8G8B8);
    EXPECT_EQ(manager->GetTexturePitch(id), 8 * 4);
    int seenPitch = 0;
    int seenHeight = 0;
    manager->FillTexture(id, [&](unsigned char* bits, int pitch, int height) {
        seenPitch = pitch;
        seenHeight = height;
        bits[0] = 0x11;
    });
    EXPECT_EQ(seenPitch, 32);
    EXPECT_EQ(seenHeight, 3);
    // The copy follows the fill: the image's rows, not the padding below.
    manager->TakePixelCopy(id);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    ASSERT_EQ(record->pixels.size(), 3u * 32u);
    EXPECT_EQ(record->pixels[0], 0x11);
    EXPECT_EQ(record->pitch, 32);
}

TEST_F(TextureTable, EmptyTexturesStartZeroed)
{
    const int id = MakeSolid(L"used", 16, 16, 0xFFFFFFFF);
    manager->ReleaseTexture(id); // its memory goes back...
    const int fresh = manager->CreateEmptyTexture(L"fresh", 16, 16, D3DFMT_A8R8G8B8);
    manager->TakePixelCopy(fresh);
    const IMTextureRecord* record = manager->GetTextureRecord(fresh);
    ASSERT_NE(record, nullptr);
    for (unsigned char byte : record->pixels)
        ASSERT_EQ(byte, 0);
}

TEST_F(TextureTable, FailedLockSkipsTheFillerAndSaysSoPlainly)
{
    const int id = MakeSolid(L"locked", 2, 2, 0xFF123456);
    std::vector<std::wstring>& lines = CaptureDebugLines();
    faults.Set(platform::d3d9test::Fault::TextureLock, true);
    bool filled = false;
    manager->FillTexture(id, [&filled](unsigned char*, int, int) { filled = true; });
    EXPECT_FALSE(filled);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"FillTexture: cannot lock texture\n");
    EXPECT_EQ(manager->GetTexturePitch(id), 0);
    faults.Set(platform::d3d9test::Fault::TextureLock, false);
    // The copy was kept.
    manager->TakePixelCopy(id);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    EXPECT_EQ(record->pixels[0], 0x56);
}

TEST_F(TextureTable, EmptyFillerThrowsAndLeavesTheTextureUsable)
{
    const int id = MakeSolid(L"t", 2, 2, 0xFFFFFFFF);
    EXPECT_THROW(manager->FillTexture(id, IMResourceManager::Filler()), boost::bad_function_call);
    bool filled = false;
    manager->FillTexture(id, [&filled](unsigned char*, int, int) { filled = true; });
    EXPECT_TRUE(filled);
}

TEST_F(TextureTable, TextureMadeElsewhereIsRegisteredWithItsCopy)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_TRUE(CreateTexture(manager->Device(), &texture, 3, 5, D3DFMT_A8R8G8B8));
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static_cast<unsigned char*>(locked.pBits)[3] = 0x7F;
    texture->UnlockRect(0);

    const int id = manager->RegisterTexture(L"glyph", texture, 3, 5);
    manager->TakePixelCopy(id);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->textureWidth, 4);
    EXPECT_EQ(record->textureHeight, 8);
    EXPECT_EQ(record->imageRect.bottom, 5);
    EXPECT_EQ(record->refCount, 1);
    ASSERT_FALSE(record->pixels.empty());
    EXPECT_EQ(record->pixels[3], 0x7F);
    EXPECT_EQ(manager->FindTexture(L"glyph"), id);
}

TEST_F(TextureTable, TextureSidesAreRoundedUpToPowersOfTwo)
{
    EXPECT_EQ(IMNextPowerOfTwo(1), 1);
    EXPECT_EQ(IMNextPowerOfTwo(2), 2);
    EXPECT_EQ(IMNextPowerOfTwo(3), 4);
    EXPECT_EQ(IMNextPowerOfTwo(600), 1024);
    EXPECT_EQ(IMNextPowerOfTwo(800), 1024);
    const int id = manager->CreateEmptyTexture(L"odd", 511, 470, D3DFMT_A8R8G8B8);
    const IMTextureRecord* record = manager->GetTextureRecord(id);
    EXPECT_EQ(record->textureWidth, 512);
    EXPECT_EQ(record->textureHeight, 512);
    EXPECT_EQ(record->imageRect.right, 511);
    EXPECT_EQ(record->imageRect.bottom, 470);
}

TEST_F(TextureTable, ShutdownLeavesNoDeviceObjects)
{
    MakeSolid(L"left over", 4, 4, 0xFFFFFFFF);
    manager->LoadTexture(L"DefaultBackGround"); // an extra skin reference
    IMResourceManager::Shutdown();
    const platform::d3d9test::LiveObjects live = platform::d3d9test::CountLiveObjects();
    EXPECT_EQ(live.textures, 0);
    EXPECT_EQ(live.devices, 0);
    EXPECT_EQ(live.vertexBuffers, 0);
    EXPECT_EQ(live.direct3d, 0);
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
}
