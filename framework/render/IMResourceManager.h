// The central object of the framework: the Direct3D 9 device, the texture
// table, the frame counter and the drawing origin. Exactly one exists between
// Start and Shutdown, reachable through Instance(). UI thread only.
//
// Texture identifiers are indices into the table, from 0 upwards; a released
// identifier is reused, the last released first. Identifier 0 is a real
// texture ("DefaultBackGround", the first skin). A lookup that finds nothing
// returns the current slot count (SlotCount()), which names no record: every
// operation given it (or any identifier of an empty slot) does nothing and
// draws nothing.
//
// Every texture keeps a system-memory copy of its level 0, so the device
// texture can be dropped (device loss, video memory exhausted) and restored
// lazily on its next use.
#pragma once

#include "framework/sound/CSoundSystem.h"
#include "platform/d3d9.h"
#include "platform/wintypes.h"

#include <boost/function.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

// One live texture of the table.
struct IMTextureRecord {
    // Null while the device texture is dropped.
    IDirect3DTexture9* texture = nullptr;
    // {0, 0, image width, image height}: the part of the texture holding the image.
    RECT imageRect{0, 0, 0, 0};
    // The size of level 0 as the device made it (powers of two).
    int textureWidth = 0;
    int textureHeight = 0;
    // The format the texture was made in; a restored texture gets it again.
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    std::wstring name;
    int refCount = 0;
    // Level 0 as last copied: textureHeight rows of `pitch` bytes, 4 bytes
    // per pixel (B, G, R, A in memory). Empty when there is no copy.
    std::vector<unsigned char> pixels;
    int pitch = 0;
    // The copy is still to be taken from the device texture, which holds the
    // contents it is to have (see TakePixelCopy).
    bool copyOwed = false;
};

// The font list of the text renderer; defined and filled by the text code.
class IMFontList;

// Rounds up to the next power of two (1 stays 1; 800 becomes 1024).
int IMNextPowerOfTwo(int value);

// The only place where textures are made: sides rounded up to powers of two,
// a full mip chain, dynamic usage, the default pool. Throws std::bad_alloc
// when video memory is exhausted; otherwise returns whether a texture was made.
bool CreateTexture(IDirect3DDevice9* device, IDirect3DTexture9** out, int width, int height,
                   D3DFORMAT format);

// The frame-rate line written at shut-down: "FPS: " and the frames per
// second over `elapsed` milliseconds, truncated, and a line feed; "FPS: 0"
// when no millisecond passed.
std::wstring IMFrameRateLine(DWORD frames, DWORD elapsed);

class IMResourceManager : public CSoundSystem {
public:
    // Fills a locked texture: (bits, pitch in bytes, image height in rows).
    typedef boost::function<void(unsigned char* bits, int pitch, int height)> Filler;

    // Creates the manager and its device for the main window (IMWindow's
    // handle) and registers the skins from the embedded pictures.
    // Throws std::runtime_error when no device can be made.
    static void Start(bool windowed);
    // Releases the skins, reports the frame rate to the debugger ("FPS: n")
    // and deletes the manager.
    static void Shutdown();
    // The manager, or null before Start and after Shutdown.
    static IMResourceManager* Instance() { return instance; }

    // --- Device ---------------------------------------------------------

    // Creates (or re-creates) the device: 0 on success, 1 when none was made.
    // Throws std::runtime_error when Direct3D or the display mode is unavailable.
    int CreateDevice(int refreshRate, HWND window, bool windowed, int width, int height);
    // The sticky loss test: once lost, the device stays lost until a
    // successful CreateDevice.
    bool IsDeviceLost();
    // Recovery after loss: drops every device texture, makes a new device
    // when lost; true when a usable device exists afterwards.
    bool ResetDevice();

    // The device, or null while none exists. Containers and the text view
    // narrow its viewport; the window's render pass clears and presents.
    IDirect3DDevice9* Device() { return device; }
    // The device viewport; a zero viewport when there is no device.
    void GetViewport(D3DVIEWPORT9* out);
    void SetViewport(const D3DVIEWPORT9& viewport);

    int GetBackBufferWidth() const { return backBufferWidth; }
    int GetBackBufferHeight() const { return backBufferHeight; }
    bool IsWindowed() const { return windowed; }

    // Draws one textured quad: `dest` moved by the origin, `source` (null:
    // the whole image) in texture pixels, tinted and faded by `colour`
    // (ARGB), turned by `angle` radians about the centre of `dest`
    // (clockwise on the screen). Nothing is drawn for an empty `dest` or an
    // identifier that names no record. Returns 0.
    long DrawQuad(int textureId, const RECT& dest, const RECT* source, DWORD colour, float angle);

    // --- Texture table --------------------------------------------------

    // The number of slots: the not-found value of every lookup.
    int SlotCount() const { return static_cast<int>(records.size()); }
    // The slots that hold a texture.
    int LiveTextureCount() const { return SlotCount() - static_cast<int>(freeIds.size()); }
    // The record of an identifier, or null when it names none.
    IMTextureRecord* GetTextureRecord(int id);

    // The identifier registered under `name`, or SlotCount().
    int FindTexture(const std::wstring& name);
    // One more reference; `id`, or SlotCount() when it names no record.
    int AddRef(int id);
    // The texture of a registered name, a resource number ("102": the
    // executable's RT_RCDATA resource, else the side file's) or an image
    // file path, with one more reference. A name that nothing can decode
    // makes no texture and returns SlotCount().
    int LoadTexture(const std::wstring& name);
    // Registers `name` with a PNG or JPEG image held in memory; a registered
    // name only gains a reference. SlotCount() when the data does not decode.
    int CreateTextureFromMemory(const std::wstring& name, const void* data, unsigned size);
    // Registers `name` with a zeroed texture of the format; a registered
    // name only gains a reference. SlotCount() when it cannot be made.
    int CreateEmptyTexture(const std::wstring& name, int width, int height, D3DFORMAT format);
    // Drops one reference; at none the record goes and its identifier is
    // free. Returns 0.
    int ReleaseTexture(int id);
    int ReleaseTextureByName(const std::wstring& name);
    // The row pitch of level 0 in bytes (restored first); 0 when it cannot
    // be locked or the identifier names no record.
    int GetTexturePitch(int id);
    // Restores the texture if needed, locks level 0 and calls the filler
    // (bits, pitch, image height), then unlocks. A failed lock writes
    // "FillTexture: cannot lock texture" to the debugger and skips the
    // filler. The pixel copy is taken anew after the fill. Returns 0.
    int FillTexture(int id, Filler filler);

    // Registers a texture made elsewhere (the glyph renderer) under `name`
    // with the image size, taking over the caller's reference to it; the
    // pixel copy is taken at once. Returns the new identifier.
    int RegisterTexture(const std::wstring& name, IDirect3DTexture9* texture, int imageWidth,
                        int imageHeight);

    // Device-loss support. RestoreTexture remakes a dropped texture from its
    // pixel copy; DropDeviceTexture releases the device texture and keeps the
    // record with its copy; CopyPixels takes the copy of level 0 anew.
    //
    // The device keeps its textures in the process's memory, and they go only
    // when the manager drops them: so CopyPixels only notes that the copy is
    // owed, and TakePixelCopy takes it when it is first needed (a drop, the
    // hit test). Until then a texture costs one image, not two.
    void RestoreTexture(int id);
    void DropDeviceTexture(int id);
    void CopyPixels(int id);
    void TakePixelCopy(int id);
    // Pixel (u, v) of the copy (B, G, R, A in memory), read from the device
    // texture while the copy is owed. False outside the copy's rows or when
    // there is nothing to read.
    bool CopiedTexel(int id, int u, int v, uint32_t* texel);
    // Makes room in video memory: drops the device texture of the
    // lowest-numbered record that has one and whose name is not `keep`.
    // False when there was none to drop.
    bool DropOtherDeviceTexture(const std::wstring& keep);

    // --- Glyph textures (the text renderer) -----------------------------

    // The texture of a glyph key, made and registered on first request;
    // with one more reference. Defined by the text code.
    int CreateGlyphTexture(const std::wstring& key, const wchar_t* character, const RECT* size,
                           DWORD textColour, int height, const std::wstring& face, bool italic,
                           bool bold, bool underline, DWORD background);
    // The index of a font in the font list, made when none matches. Defined
    // by the text code.
    int GetFont(const std::wstring& face, int height, bool bold, bool italic, bool underline);
    // The font list and the screen device context; made by the text code,
    // destroyed with the manager after the device.
    std::shared_ptr<IMFontList> fonts;

    // Frames rendered since start-up: every render pass while the window is
    // not minimised, whether or not anything was drawn.
    DWORD frameCount;
    // The drawing origin added to every quad; containers move it while their
    // children paint.
    int originX;
    int originY;

private:
    IMResourceManager();
    ~IMResourceManager();
    IMResourceManager(const IMResourceManager&) = delete;
    IMResourceManager& operator=(const IMResourceManager&) = delete;

    int NewIdentifier();
    int Register(const std::wstring& name, IDirect3DTexture9* texture, int imageWidth,
                 int imageHeight);
    void ReleaseAll();
    // Runs `make` (which answers whether it made the texture) and, each time
    // video memory runs out, drops one other texture and runs it again.
    template <class Make>
    bool MakeWithRoom(const std::wstring& keep, Make make);

    static IMResourceManager* instance;

    // The texture table.
    std::vector<std::unique_ptr<IMTextureRecord>> records;
    std::map<std::wstring, int> names;
    std::vector<int> freeIds;

    IDirect3D9* direct3d;
    IDirect3DDevice9* device;
    IDirect3DVertexBuffer9* quadBuffer;
    int backBufferWidth;
    int backBufferHeight;
    bool windowed;
    bool deviceLost;
    int refreshRate;
    HWND window;
    DWORD startTime;
};
