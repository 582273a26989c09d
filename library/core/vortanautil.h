// vortanautil: the 3D utility library's exported C interface.
//
// Results are 32-bit: 1 for done and 0 for refused unless a line says otherwise. Refusals are
// written to the debug log; nothing is thrown. Identifiers are indexes into the family's table.
// Device objects cross the interface as COM-shaped pointers of platform/d3d (QueryInterface,
// AddRef, Release first; exact reference counts).
//
// The caller's order: StartLog, StartErrorHandler, Internal_SetFPUPreserve, Engine_SetCallback,
// System_SetVariables, then a device (VortanaSystem_CreateDevice, or SetDevice followed by the
// family initialisations), then the families; per frame Viewport_Clear ... Viewport_Present; around
// a device reset the loss exports, the device's Reset and the reset exports; at the end ReleaseAll,
// ShutDownDevice (which ends the log) and EndErrorHandler. One thread only.
#pragma once

#include <cstdint>

#include "platform/d3d/interfaces.h"

#define VORTANA_API extern "C" __attribute__((visibility("default")))

namespace d3dx {
class ID3DXBuffer;
class ID3DXMesh;
struct D3DXVECTOR3;
struct D3DXQUATERNION;
struct D3DXPLANE;
class ID3DXRenderToSurface;
}  // namespace d3dx

using HWND = d3d::HWND;

// The caller's notification entry: event (50 terrain generation, 800 mesh request), identifier,
// value, out pointer.
using EngineCallbackFunction = int32_t (*)(int32_t event, int32_t identifier, int32_t value,
                                           void* out);

// An automation array as the caller passes it: one dimension of cbElements-byte elements.
struct SAFEARRAYBOUND {
  uint32_t cElements;
  int32_t lLbound;
};
struct SAFEARRAY {
  uint16_t cDims;
  uint16_t fFeatures;
  uint32_t cbElements;
  uint32_t cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

// The texture description TextureFactory_GetTextureInfo fills: 1048 bytes.
struct TextureInfo {
  int32_t valid;
  char name[512];
  char file[512];
  int32_t width;
  int32_t height;
  int32_t sizeBytes;  // bits / 8 x width x height
  int16_t bitsPerPixel;
  int16_t unused;
  int32_t alpha;  // -1 when the format has alpha, else 0
};
static_assert(sizeof(TextureInfo) == 1048);

// ---- Debug log and crash handler ----------------------------------------------------------------
// Sets the file and debugger (standard error) switches for the next lines.
VORTANA_API int32_t DebugManager_Enable(int32_t fileFlag, int32_t debuggerFlag);
// Opens the log at path (null: "c:\vortana_debug.txt", in the program folder) and writes the
// opening lines; 0 while the file switch is off.
VORTANA_API int32_t StartLog(const char* path);
// Closes the log: no further lines.
VORTANA_API int32_t EndLog();
// Writes "MM-DD-YYYY HH:MM:SS | message"; 0 when both switches are off or the format is empty.
VORTANA_API int32_t AddLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs one line when the process receives a fatal signal (through a descriptor StartLog opened,
// with async-signal-safe calls only, so a fault inside the allocator still ends the process), then
// lets the signal end it.
VORTANA_API int32_t StartErrorHandler();
// Removes the crash handler.
VORTANA_API int32_t EndErrorHandler();
// Does nothing.
VORTANA_API int32_t RenderAllDebug();

// ---- Library frame and device life cycle -------------------------------------------------------
// Kept for callers that call it as their loader once did; returns 1 (the library finds its own file
// itself).
VORTANA_API int32_t DllMain(void* module, uint32_t reason, void* reserved);
// 6 and 100; returns 0.
VORTANA_API int32_t GetDllVersion(int32_t* version, int32_t* revision);
// The library's file path into a buffer of at least 256 bytes.
VORTANA_API int32_t GetPathDLL(char* destination);
// Creates the device with the Direct3D object behind direct3d and initialises the families;
// returns the creation result (negative on failure). The caller receives its own reference.
VORTANA_API int32_t VortanaSystem_CreateDevice(int32_t adapter, int32_t deviceType,
                                               HWND focusWindow, int32_t behaviorFlags,
                                               d3d::D3DPRESENT_PARAMETERS* params,
                                               d3d::IDirect3DDevice8** device,
                                               d3d::IDirect3D8** direct3d);
// Adopts the caller's device (the caller keeps ownership); 0 when adopted, 1 when not a device.
VORTANA_API int32_t SetDevice(d3d::IUnknown** device);
// Frees every family's device objects and tables, the 2D batch, the waypoint graphs and grids and
// the camera; the device, the log and the caller's switches stay. Every export stays safe to call
// afterwards: the tables are empty (a create starts them afresh) and the sky draws nothing until
// Atmosphere_Initialize.
VORTANA_API int32_t ReleaseAll();
// Unbinds and releases the library's device reference and ends the log; returns the references
// left on a device the library created (0 for an adopted device or none).
VORTANA_API int32_t ShutDownDevice();
// Shade mode (render state 9) used by Viewport_Clear; ignored without a device.
VORTANA_API int32_t Device_SetShadeMode(int32_t shadeMode);
// Fill mode (render state 8) used by Viewport_Clear; ignored without a device.
VORTANA_API int32_t Device_SetRenderMode(int32_t fillMode);
// Creates the device with floating-point state preserved when flag is set.
VORTANA_API int32_t Internal_SetFPUPreserve(int32_t flag);
VORTANA_API int32_t Engine_SetCallback(EngineCallbackFunction callback);
// 1 forces the processor vertex path for models; returns flag.
VORTANA_API int32_t Engine_SetShaderMode(int32_t flag);
// The second argument becomes the running count of drawn primitives; the others are kept unread.
VORTANA_API int32_t System_SetVariables(int32_t first, int32_t* polygonCounter, int32_t third);
// Overrides the model vertex shader handle; returns 0.
VORTANA_API int32_t SetShaderIndex(int32_t index);
VORTANA_API int32_t GetShaderIndex();
// Does nothing.
VORTANA_API int32_t SetDebugValue(int32_t first, int32_t second);
// Writes the current device without adding a reference.
VORTANA_API int32_t Internal_GetDevice(d3d::IDirect3DDevice8** device);
// Hands the library a mesh; the callback of event 800 calls it before it returns.
VORTANA_API int32_t Internal_SendMesh(d3dx::ID3DXMesh** mesh);
// Asks the caller's callback for mesh identifier and writes it with a reference added; 0 and null
// when there is no callback or no mesh was sent.
VORTANA_API int32_t Internal_GetMesh(int32_t identifier, d3dx::ID3DXMesh** mesh);
// Writes a texture of the texture table with a reference added; 0 and null outside the table.
VORTANA_API int32_t Internal_GetTexture(int32_t identifier, d3d::IDirect3DTexture8** texture);
// Writes the current viewport's back buffer with a reference added; 0 and null without one.
VORTANA_API int32_t Internal_GetBackbuffer(d3d::IDirect3DSurface8** surface);
// Saves what the screen shows (windowed: the current viewport's window) as a BMP file; 0 when
// saved, 1 when refused or failed.
VORTANA_API int32_t VortanaUtils_ScreenShot(const char* fileName);
// Copies a bitmap (a win::Bitmap handle) into level 0 of *texture as a 32-bit bottom-up image,
// creating a managed X8R8G8B8 texture of width x height (0: the bitmap's) when *texture is null;
// 0 for a null bitmap or a texture that cannot be made.
VORTANA_API int32_t CreateTextureFromDIB(int32_t width, int32_t height, void* deviceContext,
                                         const void* bitmap, d3d::IDirect3DTexture8** texture);
// Loads the named library and calls its "DllRegisterServer" entry; 0 when it or the entry is
// missing.
VORTANA_API int32_t CheckEngineRegistration(const char* libraryFile);
// The same with "DllUnregisterServer".
VORTANA_API int32_t DeRegistration(const char* libraryFile);
// Items of five floats (key, x, y, z, value): positions become relative to the camera, keys their
// squared distance, sorted farthest first.
VORTANA_API int32_t NewSort(float* items, int32_t count, const d3d::D3DVECTOR* camera);
// Sorts all but the last 28-byte element (x, y, z first) by z ascending, x and y descending;
// returns 0.
VORTANA_API int32_t SortOpaque(SAFEARRAY** items);
// Sorts all but the last element by z descending, x and y ascending; returns 0.
VORTANA_API int32_t SortTransparent(SAFEARRAY** items);

// ---- Movie capture ------------------------------------------------------------------------------
// Opens an AVI movie of 24-bit frames from surfaces of depth 16 or 32; 0 also after a cancel.
VORTANA_API int32_t System_OpenMovie(const char* fileName, int32_t width, int32_t height,
                                     int32_t depth, int32_t framesPerSecond);
// Appends the surface, of the movie's size and depth, as the next frame.
VORTANA_API int32_t System_SaveMovieFrame(d3d::IDirect3DSurface8** surface);
// Finishes the movie (index, sizes) and closes it.
VORTANA_API int32_t System_CloseMovie();
// Starts a raw dump (closing the last) with the header third, first, second; 1 when written.
VORTANA_API int32_t VideoSystem_Open(const char* fileName, int32_t first, int32_t second,
                                     int32_t third);
// Appends the surface's locked bytes, pitch included; the unlock's result, non-zero on refusal.
VORTANA_API int32_t VideoSystem_AddFrame(d3d::IDirect3DSurface8** surface);

// ---- Script interpreter -------------------------------------------------------------------------
// Loads, links and runs a compiled script ("CODE") to its end; returns 1.
VORTANA_API int32_t LoadScript(const char* fileName);

// ---- Viewports
// ----------------------------------------------------------------------------------- Viewport 0
// from the device's own back buffer; 0 when the table was not empty.
VORTANA_API int32_t Viewport_Initialize();
// A viewport for another window (its own swap chain and depth surface); its index, 0 on refusal.
VORTANA_API int32_t Viewport_Create(HWND window, int32_t ignored, const char* name);
// Frees a viewport; 0 for viewport 0.
VORTANA_API int32_t Viewport_Destroy(int32_t index);
VORTANA_API int32_t Viewport_UnloadAll();
// Makes the viewport current, clears it (colour unless keepColour) and begins the scene.
VORTANA_API int32_t Viewport_Clear(int32_t index, int32_t keepColour);
// Ends the scene and presents it (overrideWindow -1: none); 1 when the device must be reset.
VORTANA_API int32_t Viewport_Present(int32_t index, intptr_t overrideWindow);
// Follows the window's client size (window 0: keep the window).
VORTANA_API int32_t Viewport_Resize(int32_t index, HWND window);
VORTANA_API int32_t Viewport_SetTargetArea(int32_t index, int32_t x, int32_t y, int32_t width,
                                           int32_t height);
VORTANA_API int32_t Viewport_SetBackground(int32_t index, uint32_t color);
// Keeps the view matrix (16 floats) for the level and terrain families.
VORTANA_API int32_t Viewport_SetCamera(const float* viewMatrix, const float* cameraMatrix);
VORTANA_API int32_t Viewport_GetWidth(int32_t index);
VORTANA_API int32_t Viewport_GetHeight(int32_t index);
VORTANA_API HWND Viewport_GetHwnd(int32_t index);
// Copies the name into a buffer of at least 128 bytes.
VORTANA_API int32_t Viewport_GetName(int32_t index, char* destination);
VORTANA_API int32_t Viewport_SetName(int32_t index, const char* name);
// The first viewport of that name, ignoring case; else 0.
VORTANA_API int32_t Viewport_GetViewportByName(const char* name);
// Non-zero lets Viewport_Clear follow the window's size first.
VORTANA_API int32_t Viewport_SetParameters(int32_t index, int32_t autoResize);
// Releases the device objects of one / every viewport before a device reset.
VORTANA_API int32_t Viewport_OnLost(int32_t index);
VORTANA_API int32_t Viewport_OnLostAll();
// Re-creates them after the reset.
VORTANA_API int32_t Viewport_OnReset(int32_t index);
VORTANA_API int32_t Viewport_OnResetAll();
// Resets the device for a new main-window size; 0 when the reset failed.
VORTANA_API int32_t Viewport_ResetDevice(d3d::D3DPRESENT_PARAMETERS* params);

// ---- Fog (the atmosphere family's fixed-function fog; kept without a device) --------------------
// Stores the switch and applies the fog.
VORTANA_API int32_t Atmosphere_FogSetEnable(int32_t flag);
VORTANA_API int32_t Atmosphere_FogGetEnable(int32_t* flag);
// Colour channels 0..1 (clamped), packed with alpha 0xFF; applies the fog.
VORTANA_API int32_t Atmosphere_FogSetColor(float r, float g, float b);
VORTANA_API int32_t Atmosphere_FogGetColor(float* r, float* g, float* b);
// Start and end in world units, and the density of the exponential modes; applies the fog.
VORTANA_API int32_t Atmosphere_FogSetParameters(float start, float end, float density);
VORTANA_API int32_t Atmosphere_FogGetParameters(float* start, float* end, float* density);
// A fog mode (D3DFOGMODE) and a kind (0 pixel fog, 1 pixel fog by range, other vertex fog).
VORTANA_API int32_t Atmosphere_FogSetType(int32_t mode, int32_t kind);
VORTANA_API int32_t Atmosphere_FogGetType(int32_t* mode, int32_t* kind);
// Sets the device's fog states from the stored fog.
VORTANA_API int32_t Atmosphere_ApplyFog();

// ---- Sky, sun and lens flares (the atmosphere family; textures are texture-table identifiers) --
// Marks the state and builds the sky box at 3600 units and a sphere of 10 rings and segments of
// radius 1000; nothing without a device or when already marked.
VORTANA_API int32_t Atmosphere_Initialize();
// Rebuilds the 24 white sky-box vertices at distance units from the eye.
VORTANA_API int32_t Atmosphere_CreateSkyBox(float distance);
// Rebuilds the sky sphere (rings and segments of at least 2, at most 65,535 vertices); 0 and the
// previous sphere kept on refusal.
VORTANA_API int32_t Atmosphere_CreateSkySphere(int32_t rings, int32_t segments, float radius);
// Rebuilds the sun quad from the billboard size and makes the "Init Sun" material the sun's.
VORTANA_API int32_t Atmosphere_InitSun();
// Releases the sky sphere, empties the flare table and clears the mark, so the next
// Atmosphere_Initialize builds afresh; 0 when not initialised.
VORTANA_API int32_t Atmosphere_UnloadAll();
// Draws sky, sun and flares: eye and look-at point, the sun's billboard matrix, the view matrix;
// puts the fog back afterwards. The renderers draw nothing and return 0 while the state is not
// initialised (before Atmosphere_Initialize, after Atmosphere_UnloadAll).
VORTANA_API int32_t Atmosphere_Render(const d3d::D3DVECTOR* eye, const d3d::D3DVECTOR* lookAt,
                                      const d3d::D3DMATRIX* sunMatrix,
                                      const d3d::D3DMATRIX* viewMatrix);
// The sky sphere, then the sky box, about the eye.
VORTANA_API int32_t Atmosphere_RenderSky(const d3d::D3DVECTOR* eye);
VORTANA_API int32_t Atmosphere_RenderSkyBox(const d3d::D3DVECTOR* eye);
VORTANA_API int32_t Atmosphere_RenderSkySphere(const d3d::D3DVECTOR* eye);
// The sky's world matrix (the shared rotation, moved to the eye) and its blending states.
VORTANA_API int32_t Atmosphere_GetReadySky(const d3d::D3DVECTOR* eye);
VORTANA_API int32_t Atmosphere_SkyBoxEnable(int32_t flag);
VORTANA_API int32_t Atmosphere_SkySphereEnable(int32_t flag);
// The faces' textures by plane: x = -d, x = +d, z = -d, z = +d, y = +d, y = -d.
VORTANA_API int32_t Atmosphere_SkyBoxSetTexture(int32_t minusX, int32_t plusX, int32_t minusZ,
                                                int32_t plusZ, int32_t plusY, int32_t minusY);
// Channels 0..1 (clamped) into every sky-box vertex; the getter reads alpha as 1.
VORTANA_API int32_t Atmosphere_SkyBoxSetColor(float r, float g, float b, float a);
VORTANA_API int32_t Atmosphere_SkyBoxGetColor(float* r, float* g, float* b, float* a);
// Rebuilds the box at that distance; its colour goes back to white.
VORTANA_API int32_t Atmosphere_SkyBoxSetDistance(float distance);
VORTANA_API int32_t Atmosphere_SkyBoxGetDistance(float* distance);
// The one rotation (radians) that box and sphere share.
VORTANA_API int32_t Atmosphere_SkyBoxSetRotation(float x, float y, float z);
VORTANA_API int32_t Atmosphere_SkySphereSetRotation(float x, float y, float z);
VORTANA_API int32_t Atmosphere_SkyBoxGetRotation(float* x, float* y, float* z);
VORTANA_API int32_t Atmosphere_SkySphereGetRotation(float* x, float* y, float* z);
// The sphere's tint (texture x tint).
VORTANA_API int32_t Atmosphere_SkySphereSetColor(float r, float g, float b, float a);
VORTANA_API int32_t Atmosphere_SkySphereGetColor(float* r, float* g, float* b, float* a);
VORTANA_API int32_t Atmosphere_SkySphereSetTexture(int32_t texture);
VORTANA_API int32_t Atmosphere_SkySphereGetTexture(int32_t* texture);
// A new radius, or a missing sphere, rebuilds it with the current count.
VORTANA_API int32_t Atmosphere_SkySphereSetRadius(float radius);
VORTANA_API int32_t Atmosphere_SkySphereGetRadius(float* radius);
// Rebuilds the sphere with count rings and count segments.
VORTANA_API int32_t Atmosphere_SkySphereSetPolyCount(int32_t count);
// Stores the switch and rebuilds the sun.
VORTANA_API int32_t Atmosphere_SunEnable(int32_t flag);
// Half the quad's side is size x 200 units; rebuilds the sun.
VORTANA_API int32_t Atmosphere_SunSetBillboardSize(float size);
// The sun's offset from the eye.
VORTANA_API int32_t Atmosphere_SunSetPosition(float x, float y, float z);
VORTANA_API int32_t Atmosphere_SunSetTexture(int32_t texture);
// Overrides the sun's material until the next sun rebuild.
VORTANA_API int32_t Atmosphere_SunSetMaterial(int32_t material);
VORTANA_API int32_t Atmosphere_LensFlareEnable(int32_t flag);
// count flares, flare i at distance 20 x i, size 10, no texture, colour 0xFFCCCCCC.
VORTANA_API int32_t Atmosphere_LensFlareSetLensNumber(int32_t count);
// One flare (1-based); 0 for a number outside the table or texture 0. The last argument is unread.
VORTANA_API int32_t Atmosphere_LensFlareSetLensParams(int32_t flare, int32_t texture, float size,
                                                      float distance, uint32_t color,
                                                      int32_t unused);

// ---- Cloud layers (scrolling textures on one dome; textures are the caller's) -----------------
// count layers of white colour on a dome of resolution (at least 4); 0 when the dome cannot be
// made. Replaces earlier layers.
VORTANA_API int32_t CloudSky_Init(int32_t layers, int32_t resolution);
// A layer's scale, blend factors and texture (a reference is kept); 0 for a layer not in the list.
VORTANA_API int32_t CloudSky_SetParam(int32_t layer, float scale, int32_t sourceBlend,
                                      int32_t destinationBlend, d3d::IDirect3DTexture8** texture);
// Note the channel order: red, blue, green, alpha.
VORTANA_API int32_t CloudSky_SetColor(int32_t layer, float r, float b, float g, float a);
// Scrolls every layer by elapsed x its speeds.
VORTANA_API int32_t CloudSky_Update(float elapsed);
VORTANA_API int32_t CloudSky_Render();
// Releases the dome and the layers' textures and empties the list.
VORTANA_API int32_t CloudSky_Destroy();
// Does nothing.
VORTANA_API int32_t CloudSky_MorphTo(int32_t layer, float a, float b, float c, float d, float e,
                                     float f, float g);

// ---- 2D overlay (screen pixels; colours 0xAARRGGBB; queued from Start, drawn by End) -----------
// Kept for the calling order: the vertex templates are ready from load.
VORTANA_API int32_t Screen2D_Init();
// Empties the queue and opens a batch: the text exports queue their text until Screen2D_End.
VORTANA_API int32_t Screen2D_Start();
// Draws the batch in the order of the calls, then restores depth writes, specular and fog. Alpha
// blending and the texture stages stay as the caller set them (queued text needs blending on).
VORTANA_API int32_t Screen2D_End();
// Nothing to release before a device reset.
VORTANA_API int32_t Screen2D_OnLost();
VORTANA_API int32_t Screen2D_DrawPoint(float x, float y, uint32_t color);
VORTANA_API int32_t Screen2D_DrawLine(float x1, float y1, float x2, float y2, uint32_t color1,
                                      uint32_t color2);
// An outline of four lines.
VORTANA_API int32_t Screen2D_DrawBox(float x1, float y1, float x2, float y2, uint32_t color);
VORTANA_API int32_t Screen2D_DrawBox2(float x1, float y1, float x2, float y2, uint32_t topLeft,
                                      uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight);
VORTANA_API int32_t Screen2D_DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t topLeft,
                                           uint32_t topRight, uint32_t bottomLeft,
                                           uint32_t bottomRight);
// A rim of segments lines (at most 1022; 0 for none).
VORTANA_API int32_t Screen2D_DrawCircle(float x, float y, float radius, int32_t segments,
                                        uint32_t color);
VORTANA_API int32_t Screen2D_DrawFilledCircle(float x, float y, float radius, int32_t segments,
                                              uint32_t color);
// A quad of a texture-table texture, its texels on pixel centres.
VORTANA_API int32_t Screen2D_DrawTexture(float x1, float y1, float x2, float y2, uint32_t topLeft,
                                         uint32_t topRight, uint32_t bottomLeft,
                                         uint32_t bottomRight, float u1, float v1, float u2,
                                         float v2, int32_t texture);
// A width x height quad turned by angle (radians) about its centre.
VORTANA_API int32_t Screen2D_DrawRotatedTexture(float x, float y, float width, float height,
                                                uint32_t topLeft, uint32_t topRight,
                                                uint32_t bottomLeft, uint32_t bottomRight, float u1,
                                                float v1, float u2, float v2, float angle,
                                                int32_t texture);
// Queues a text (at most 1023 characters) for the font renderer; returns 0.
VORTANA_API int32_t Screen2D_AddInnerText(int32_t font, float x, float y, const char* text,
                                          uint32_t color);

// ---- Fonts (identifiers from 1; 0 is no font or a refusal) -------------------------------------
// Flags: 1 bold, 2 italic, 4 characters 128 to 253 as well, 8 underline.
// A texture font of face at size points; its glyphs go into a texture of the texture table.
VORTANA_API int32_t TextureFont_Create(const char* name, const char* face, int32_t size,
                                       int32_t flags);
// A plain font (a D3DX font) of face at size points.
VORTANA_API int32_t NormalFont_Create(const char* name, const char* face, int32_t size,
                                      int32_t bold, int32_t italic, int32_t spare);
// The first font of that name, ignoring case; else 0.
VORTANA_API int32_t TextureFont_GetFontFromName(const char* name);
// The texture-table identifier of a texture font's glyphs; else 0.
VORTANA_API int32_t TextureFont_GetTexture(int32_t font);
// The text's size in pixels as drawn ('\n' starts a line); 0 and 0 for a plain font.
VORTANA_API int32_t TextureFont_GetExtent(int32_t font, const char* text, float* width,
                                          float* height);
// Draws a texture font's text at (x, y) in pixels; inside a 2D batch queues it and returns 0.
VORTANA_API int32_t TextureFont_Render(int32_t font, float x, float y, const char* text,
                                       uint32_t color);
// The same for a plain font.
VORTANA_API int32_t NormalFont_Render(int32_t font, float x, float y, const char* text,
                                      uint32_t color);
// Draws with a font of either kind, never queued; keepStates leaves the render states as they are.
VORTANA_API int32_t Font_Render(int32_t font, float x, float y, const char* text, uint32_t color,
                                int32_t keepStates);
// Draws a texture font's text centred on the world matrix's origin, ten pixels to the unit.
VORTANA_API int32_t TextureFont_Render3D(int32_t font, const d3d::D3DMATRIX* world,
                                         const char* text, uint32_t color);
// The same with the matrix's translation replaced by (x, y, z).
VORTANA_API int32_t TextureFont_Render3DBillboard(int32_t font, const d3d::D3DMATRIX* world,
                                                  const char* text, float x, float y, float z,
                                                  uint32_t color);
// The same with the text's own axes scaled by (scaleX, scaleY, scaleY) first.
VORTANA_API int32_t TextureFont_Render3DBillboard2(int32_t font, const d3d::D3DMATRIX* world,
                                                   const char* text, float x, float y, float z,
                                                   uint32_t color, float scaleX, float scaleY);
// Destroys every font; their glyph textures stay in the texture table.
VORTANA_API int32_t TextureFont_Unload();
// Releases the fonts' device objects before a device reset / makes them again after it.
VORTANA_API int32_t TextureFont_OnLostAll();
VORTANA_API int32_t TextureFont_OnResetAll();
// Draws "<value> FPS" in red in the top-left corner; 0 without a device.
VORTANA_API int32_t TextureFactory_WriteFrameRate(int32_t framesPerSecond);

// ---- Lights (identifiers 1 to the light count; device light index = identifier - 1) ----------
// A new enabled light (defaults: the library's white directional light); its identifier.
VORTANA_API int32_t LightFactory_CreateLight(const d3d::D3DLIGHT8* light, const char* name,
                                             int32_t useDefaults);
VORTANA_API int32_t LightFactory_CreateQuickDirectionalLight(const d3d::D3DVECTOR* direction,
                                                             float r, float g, float b, float a,
                                                             const char* name,
                                                             float specularFactor);
VORTANA_API int32_t LightFactory_CreateQuickPointLight(const d3d::D3DVECTOR* position, float r,
                                                       float g, float b, float a, float range,
                                                       const char* name, float specularFactor);
// Disables and frees the light; returns the identifier minus 1 (0 also on refusal).
VORTANA_API int32_t LightFactory_DeleteLight(int32_t identifier);
VORTANA_API int32_t LightFactory_Unload();
VORTANA_API int32_t LightFactory_EnableLight(int32_t identifier, int32_t enable);
VORTANA_API int32_t LightFactory_IsLightEnabled(int32_t identifier);
VORTANA_API int32_t LightFactory_GetLightInfo(int32_t identifier, d3d::D3DLIGHT8* light);
VORTANA_API int32_t LightFactory_GetLightIDByName(const char* name);
VORTANA_API int32_t LightFactory_GetLightInfoByName(const char* name, d3d::D3DLIGHT8* light);
// Replaces the whole light; all-zero attenuations become (0.1, 0, 0).
VORTANA_API int32_t LightFactory_UpdateLight(int32_t identifier, d3d::D3DLIGHT8* light);
VORTANA_API int32_t LightFactory_GetLightCount();
VORTANA_API int32_t LightFactory_GetEnabledLightCount();
VORTANA_API int32_t LightFactory_SetLightRange(int32_t identifier, float range);
VORTANA_API int32_t LightFactory_SetLightPosition(int32_t identifier,
                                                  const d3d::D3DVECTOR* position);
VORTANA_API int32_t LightFactory_SetLightDirection(int32_t identifier,
                                                   const d3d::D3DVECTOR* direction);
VORTANA_API int32_t LightFactory_SetLightColor(int32_t identifier, float r, float g, float b,
                                               float a);
VORTANA_API int32_t LightFactory_SetLightSpecularColor(int32_t identifier, float r, float g,
                                                       float b, float a);
VORTANA_API int32_t LightFactory_SetLightAttenuation(int32_t identifier, float a0, float a1,
                                                     float a2);
VORTANA_API int32_t LightFactory_SetLightName(int32_t identifier, const char* name);
// Copies the name into a buffer of at least 256 bytes.
VORTANA_API int32_t LightFactory_GetLightName(int32_t identifier, char* destination);
VORTANA_API int32_t LightFactory_EnableSpecularLighting(int32_t enable);
VORTANA_API int32_t LightFactory_ApplySpecularLighting();
// Sends every light to the device again after a reset.
VORTANA_API int32_t LightFactory_OnResetDevice();

// ---- Materials (identifiers 0 to the count - 1; material 0 "blankmat" always exists) ----------
// Resets the table to "blankmat" alone (a create on the table MaterialFactory_UnloadAll emptied
// does it first); returns 0.
VORTANA_API int32_t MaterialFactory_Initialize();
VORTANA_API int32_t MaterialFactory_CreateMaterial(const char* name);
// A material whose colours are left as the record had them.
VORTANA_API int32_t MaterialFactory_CreateMaterial2(const char* name);
VORTANA_API int32_t MaterialFactory_DuplicateMaterial(int32_t source, const char* name);
VORTANA_API int32_t MaterialFactory_CreateQuickMaterial(float r, float g, float b, float a,
                                                        const char* name);
VORTANA_API int32_t MaterialFactory_CreateLightMaterial(float r, float g, float b, float a,
                                                        float factor, const char* name);
VORTANA_API int32_t MaterialFactory_DeleteMaterial(int32_t identifier);
VORTANA_API int32_t MaterialFactory_UnloadAll();
VORTANA_API int32_t MaterialFactory_GetQuickInfo(int32_t identifier, d3d::D3DMATERIAL8* material);
VORTANA_API int32_t MaterialFactory_GetMaterialInfo(int32_t identifier,
                                                    d3d::D3DMATERIAL8* material);
VORTANA_API int32_t MaterialFactory_SetMaterialInfo(int32_t identifier,
                                                    const d3d::D3DMATERIAL8* material);
VORTANA_API int32_t MaterialFactory_SetDiffuse(int32_t identifier, float r, float g, float b,
                                               float a);
VORTANA_API int32_t MaterialFactory_SetAmbient(int32_t identifier, float r, float g, float b,
                                               float a);
VORTANA_API int32_t MaterialFactory_SetSpecular(int32_t identifier, float r, float g, float b,
                                                float a);
VORTANA_API int32_t MaterialFactory_SetEmissive(int32_t identifier, float r, float g, float b,
                                                float a);
VORTANA_API int32_t MaterialFactory_GetDiffuse(int32_t identifier, float* r, float* g, float* b,
                                               float* a);
VORTANA_API int32_t MaterialFactory_GetAmbient(int32_t identifier, float* r, float* g, float* b,
                                               float* a);
VORTANA_API int32_t MaterialFactory_GetSpecular(int32_t identifier, float* r, float* g, float* b,
                                                float* a);
VORTANA_API int32_t MaterialFactory_GetEmissive(int32_t identifier, float* r, float* g, float* b,
                                                float* a);
VORTANA_API int32_t MaterialFactory_SetPower(int32_t identifier, float power);
VORTANA_API int32_t MaterialFactory_GetPower(int32_t identifier, float* power);
VORTANA_API int32_t MaterialFactory_SetName(int32_t identifier, const char* name);
// Copies the name into a buffer of at least 256 bytes.
VORTANA_API int32_t MaterialFactory_GetName(int32_t identifier, char* destination);
// The first material in use of that name, ignoring case; else 0 ("blankmat").
VORTANA_API int32_t MaterialFactory_GetMaterialFromName(const char* name);
VORTANA_API int32_t MaterialFactory_GetCount();
VORTANA_API int32_t MaterialFactory_GetUsedCount();

// ---- Texture table (identifier 0 is "no texture") ----------------------------------------------
// Resets the table to its reserved record and the texture mode to 16 bits; returns 0.
VORTANA_API int32_t TextureFactory_Initialize();
// Records the device's texture memory as the base of TextureFactory_GetUsedTextureMemory; 0.
VORTANA_API int32_t TextureFactory_InitializeTextureMemory();
// The first free identifier from 1 (the table grows when none is free); not marked in use.
VORTANA_API int32_t TextureFactory_GetNewTextureId();
// Records in the table, the reserved one included.
VORTANA_API int32_t TextureFactory_GetCount();
// Loads an image file (PCX included) under name (null: the file name); width or height -1 keeps the
// file's size; a non-zero colour key selects the alpha format (0xFFFAFFAC: alpha, nothing keyed).
// Returns the identifier (shared with a record of the same file), 0 on failure.
VORTANA_API int32_t TextureFactory_LoadTextureFromFile(const char* file, const char* name,
                                                       int32_t width, int32_t height,
                                                       int32_t colourKey, int32_t filterFlag,
                                                       int32_t unused);
// The texture in use with that name (and file when given; with no name, that file); else 0.
VORTANA_API int32_t TextureFactory_IsAlreadyLoaded(const char* name, const char* file);
VORTANA_API int32_t TextureFactory_GetTextureIDByName(const char* name);
VORTANA_API int32_t TextureFactory_GetTextureIDByFilename(const char* file);
// Copies the name into a buffer of at least 512 bytes.
VORTANA_API int32_t TextureFactory_GetTextureName(int32_t identifier, char* destination);
VORTANA_API int32_t TextureFactory_SetTextureName(int32_t identifier, const char* name);
// Fills info (zeroes for a free record or a bad identifier); returns 0 in every case.
VORTANA_API int32_t TextureFactory_GetTextureInfo(int32_t identifier, TextureInfo* info);
// Frees the record and releases its objects; returns the identifier.
VORTANA_API int32_t TextureFactory_DeleteTexture(int32_t identifier);
// Releases every texture and frees the table.
VORTANA_API int32_t TextureFactory_UnloadAll();
// Saves as DDS (cube textures, or ddsFlag set) or BMP; 1 when saved.
VORTANA_API int32_t TextureFactory_SaveTexture(const char* file, int32_t identifier,
                                               int32_t ddsFlag);
// Writes the table to the log.
VORTANA_API int32_t TextureFactory_DumpToDebug();
// 0: 16 bits; 1: 32 bits; 2: compressed; 3: the best the device takes; 4: palettized. The opaque
// and the colour-keyed format are each taken only when the device takes it unchanged.
VORTANA_API int32_t TextureFactory_SetTextureMode(int32_t mode);
VORTANA_API int32_t TextureFactory_SetAutoTransColor(int32_t enable, uint32_t color);
// Binds the texture to the stage; identifier 0 unbinds stage 0 and the stage.
VORTANA_API int32_t TextureFactory_ApplyTexture(int32_t stage, int32_t identifier);
VORTANA_API int32_t TextureFactory_ApplyCubeTexture(int32_t stage, int32_t identifier);
VORTANA_API int32_t TextureFactory_ApplyBumpTexture(int32_t stage, int32_t identifier);
// Write one object of the record without adding a reference; 0 and null outside the table.
VORTANA_API int32_t TextureFactory_GetDXTexture(int32_t identifier,
                                                d3d::IDirect3DTexture8** texture);
VORTANA_API int32_t TextureFactory_GetDXTextureCube(int32_t identifier,
                                                    d3d::IDirect3DCubeTexture8** cube);
VORTANA_API int32_t TextureFactory_GetDXTextureNormal(int32_t identifier,
                                                      d3d::IDirect3DTexture8** normalMap);
VORTANA_API int32_t TextureFactory_GetDXRenderToSurface(int32_t identifier,
                                                        d3dx::ID3DXRenderToSurface** renderTarget);
// Store the caller's object in the record with a reference added, releasing the one it held.
VORTANA_API int32_t TextureFactory_SetTextureData(int32_t identifier,
                                                  d3d::IDirect3DTexture8** texture);
VORTANA_API int32_t TextureFactory_SetCubeTextureData(int32_t identifier,
                                                      d3d::IDirect3DCubeTexture8** cube);
VORTANA_API int32_t TextureFactory_SetRenderToTextureData(
    int32_t identifier, d3dx::ID3DXRenderToSurface** renderTarget);
// Bytes of texture memory the device has left, and used since
// TextureFactory_InitializeTextureMemory.
VORTANA_API int32_t TextureFactory_GetFreeTextureMemory();
VORTANA_API int32_t TextureFactory_GetUsedTextureMemory();
// For an A8R8G8B8 texture, copies each texel's blue into its alpha; E_FAIL for other formats.
VORTANA_API int32_t TextureFactory_FixAlpha(d3d::IDirect3DTexture8** texture);
// Size, format, mip levels and file type of an image file; 0 when it cannot be read.
VORTANA_API int32_t Imaging_GetFileInfo(const char* file, int32_t* width, int32_t* height,
                                        int32_t* format, int32_t* mipLevels, int32_t* fileFormat);
// A managed R5G6B5 texture from an 8-bit PCX file; 0 (and null) when the file is refused.
VORTANA_API int32_t LoadPCX(const char* file, d3d::IDirect3DTexture8** texture);

// ---- Render surfaces, bump maps and cube maps (records of the texture table) -----------------
// The default environment-bump texture: 256 x 256 V8U8 waves of offsets, named "Default EMBM
// texture"; 0, or E_FAIL when the device has no V8U8 textures. Device creation makes it (identifier
// 1).
VORTANA_API int32_t TextureFactory_CreateBumpMap();
// A bump texture from an image file (A8R8G8B8, full mip chain) under name (null:
// "BumpTexture<identifier>"); its identifier, or 0 when the file cannot be loaded or the device has
// no DOT3 operation.
VORTANA_API int32_t TextureFactory_LoadDistorsionBumpMap(const char* file, const char* name);
// The same, kept as a normal map: with normalMapFlag, computed from the file's red channel as
// heights scaled by amplitude (the file stays the texture); without, the file is the normal map.
VORTANA_API int32_t TextureFactory_LoadBumpTexture(const char* file, const char* name,
                                                   int32_t normalMapFlag, float amplitude);
// Computes a bump texture's normal map again, mirrored at the edges (amplitude 0: 1.0).
VORTANA_API int32_t TextureFactory_ChangeBumpmapAmplitude(int32_t identifier, float amplitude);
// A managed X8R8G8B8 cube texture, outside the table, whose texels hold the unit direction towards
// them as (component + 1) x 127; 0, or the creation's error (D3DERR_INVALIDCALL below 2 texels).
VORTANA_API int32_t TextureFactory_CreateNormalizationCubeMap(int32_t size, int32_t mipLevels,
                                                              d3d::IDirect3DCubeTexture8** cube);
// = TextureFactory_CreateRenderSurface2 (width, height, identifier, 0, 0, 0).
VORTANA_API int32_t TextureFactory_CreateRenderSurface(int32_t width, int32_t height,
                                                       int32_t identifier);
// A render surface (identifier 0: a new record) in the back buffer's format (unknown: A8R8G8B8
// with alpha, else R5G6B5; with alpha X8R8G8B8 becomes A8R8G8B8 and R5G6B5 A1R5G5B5), with a
// depth buffer of the back buffer's depth format (unknown: D16) unless noDepth; named
// "RenderSurface<identifier>". Its identifier, or 0, leaving a surface already there untouched.
VORTANA_API int32_t TextureFactory_CreateRenderSurface2(int32_t width, int32_t height,
                                                        int32_t identifier, int32_t alpha,
                                                        int32_t noDepth, int32_t unused);
// A cubic render surface of size x size faces, "CubeRenderSurface<identifier>"; unknown
// back-buffer and depth formats in the device's presentation parameters become R5G6B5 and D16.
VORTANA_API int32_t TextureFactory_CreateCubicRenderSurface(int32_t size, int32_t identifier);
// A new managed texture of width x height holding the render surface's picture, scaled; its
// identifier, or 0.
VORTANA_API int32_t TextureFactory_CreateTextureFromRenderSurface(int32_t sourceIdentifier,
                                                                  int32_t width, int32_t height,
                                                                  int32_t alpha);
// Starts the caller's drawing into a render surface (a cubic one's face 0 to 5: +x, -x, +y, -y, +z,
// -z) over viewport (null: the whole surface), whose size becomes the surface's; outside the
// device's own scene only. 1, or 0 when it could not start.
VORTANA_API int32_t TextureFactory_StartRender(int32_t identifier, d3d::D3DVIEWPORT8* viewport,
                                               int32_t face);
// Ends the drawing started on that surface and gives the device its own target back.
VORTANA_API int32_t TextureFactory_EndRender(int32_t identifier);
// Before a device reset: releases every render surface's device objects (kind 5 until the reset)
// and the frame-rate display's buffer.
VORTANA_API int32_t TextureFactory_OnLostAll();
// After it: makes them again (kind 3); 0 when one could not be made.
VORTANA_API int32_t TextureFactory_OnResetAll();

// ---- Maths, trigonometry and geometry queries --------------------------------------------------
// Vectors are three floats; matrices are 4 x 4 floats applied to row vectors (the translation is
// the fourth row); planes are (a, b, c, d) with a x + b y + c z + d = 0. Pointers are not tested,
// except optional outputs. Rays hit triangles from either side.

// What Mesh_Collision writes: 17 words.
struct MeshCollisionResult {
  d3d::D3DVECTOR normal;  // unit, in world space
  d3d::D3DVECTOR point;   // in world space
  float distance;         // from the segment's start, world units
  float u, v;             // barycentric weights of the face's second and third corners (mode 2)
  int32_t faceIndex;      // mode 2
  float faceValue;        // the caller's value of that face (mode 2)
  int32_t hit;            // 1 on a hit
  int32_t reserved[5];    // 0
};
static_assert(sizeof(MeshCollisionResult) == 68);

// What Mesh_AdvancedCollision writes: 10 words.
struct MeshAdvancedCollisionResult {
  d3d::D3DVECTOR normal;  // the face's normal carried by the world matrix, not renormalised
  d3d::D3DVECTOR point;   // in world space
  float distance;         // along the segment in the mesh's own space
  float u, v;
  int32_t faceIndex;
};
static_assert(sizeof(MeshAdvancedCollisionResult) == 40);

// Square root of (x2 - x1)^2 + (z2 - z1)^2.
VORTANA_API float Maths_GetDistance2D(float x1, float z1, float x2, float z2);
// The Euclidean distance of two points.
VORTANA_API float Maths_GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2);
// The square root.
VORTANA_API float Maths_Sqr(float x);
// Radians in and out.
VORTANA_API float Maths_Cos(float x);
VORTANA_API float Maths_Sin(float x);
VORTANA_API float Maths_Acos(float x);
VORTANA_API float Maths_Asin(float x);
VORTANA_API float Maths_Atan(float x);
VORTANA_API float Maths_Atan2(float y, float x);
// Degrees in and out.
VORTANA_API float Maths_DegCos(float degrees);
VORTANA_API float Maths_DegSin(float degrees);
VORTANA_API float Maths_DegAcos(float x);
VORTANA_API float Maths_DegAsin(float x);
VORTANA_API float Maths_DegAtan(float x);
VORTANA_API float Maths_DegAtan2(float y, float x);
// out = a + b, a - b, v x s; return 1 (the F forms return out).
VORTANA_API int32_t Maths_VectorAdd(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* a,
                                    const d3d::D3DVECTOR* b);
VORTANA_API int32_t Maths_VectorSubtract(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* a,
                                         const d3d::D3DVECTOR* b);
VORTANA_API int32_t Maths_VectorScale(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* v, float s);
VORTANA_API d3d::D3DVECTOR* Maths_VectorAddF(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* a,
                                             const d3d::D3DVECTOR* b);
VORTANA_API d3d::D3DVECTOR* Maths_VectorSubtractF(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* a,
                                                  const d3d::D3DVECTOR* b);
VORTANA_API d3d::D3DVECTOR* Maths_VectorScaleF(d3d::D3DVECTOR* out, const d3d::D3DVECTOR* v,
                                               int32_t unused, float s);
// Normalises v in place to about 0.2 % (a zero vector stays zero); returns 0.
VORTANA_API int32_t FastNormalize(d3d::D3DVECTOR* v);
// The Euler angles (radians about x, y, z) of a rotation quaternion (x, y, z, w).
VORTANA_API int32_t MakeEulerAnglesFromQ(const d3dx::D3DXQUATERNION* quaternion,
                                         d3d::D3DVECTOR* angles);
// The six planes of view x projection (far, near, top, bottom, left, right; normals inward) into
// planes, kept for the rendering families' visibility tests; returns 0.
VORTANA_API int32_t ComputeClipPlanes(d3dx::D3DXPLANE* planes, const d3d::D3DMATRIX* view,
                                      const d3d::D3DMATRIX* projection);
// Into the caller's array of six 16-byte planes: the pyramid from eye towards target out to
// distance (field of view in radians): the plane at the eye and the far plane, then the top,
// bottom and the two side planes (direction x up first), all six facing into it (a point inside
// is in front of every plane). The current frustum is not changed; returns 0.
VORTANA_API int32_t ComputeClipPlanesRTS(SAFEARRAY** planes, const d3d::D3DVECTOR* eye,
                                         const d3d::D3DVECTOR* target, const float* fieldOfView,
                                         const float* distance);
// 1 when the sphere (centre carried by world) is within the current frustum or less than 30 world
// units beyond any plane, else 0.
VORTANA_API int32_t CheckVisibilitySphere2(int32_t unused, const d3d::D3DVECTOR* centre,
                                           const float* radius, const d3d::D3DMATRIX* world);
// The ray against the triangle v0 v1 v2: t (negative behind the origin), the barycentric u and v,
// and, when asked for, the point and the unit normal of (v1 - v0) x (v2 - v0); 1 on a hit.
VORTANA_API int32_t Triangle_RayCollision(const d3d::D3DVECTOR* origin,
                                          const d3d::D3DVECTOR* direction, const d3d::D3DVECTOR* v0,
                                          const d3d::D3DVECTOR* v1, const d3d::D3DVECTOR* v2,
                                          float* t, float* u, float* v, d3d::D3DVECTOR* point,
                                          d3d::D3DVECTOR* normal);
// 1 when the ray meets the triangle ahead of its origin, closer than maxDistance.
VORTANA_API int32_t D3DX_IntersectTri(const d3d::D3DVECTOR* v0, const d3d::D3DVECTOR* v1,
                                      const d3d::D3DVECTOR* v2, const d3d::D3DVECTOR* origin,
                                      const d3d::D3DVECTOR* direction, float maxDistance);
// The same with the hit's distance, u, v, unit normal and point.
VORTANA_API int32_t D3DX_IntersectTri2(const d3d::D3DVECTOR* v0, const d3d::D3DVECTOR* v1,
                                       const d3d::D3DVECTOR* v2, const d3d::D3DVECTOR* origin,
                                       const d3d::D3DVECTOR* direction, float* distance, float* u,
                                       float* v, d3d::D3DVECTOR* normal, d3d::D3DVECTOR* point);
// The segment start..end against a mesh placed by world (not invertible: 0). Mode 0 tests the box
// boxMin..boxMax, mode 1 the sphere centre/radius, mode 2 the sphere and then the mesh's faces
// (normals: a Mesh_CreateNormalArray array; faceValues: one float per face). 1 on a hit within
// the segment; the result is all zero otherwise.
VORTANA_API int32_t Mesh_Collision(d3dx::ID3DXMesh** mesh, const float* normals,
                                   const d3d::D3DVECTOR* centre, float radius,
                                   const d3d::D3DVECTOR* boxMin, const d3d::D3DVECTOR* boxMax,
                                   const float* faceValues, const d3d::D3DVECTOR* start,
                                   const d3d::D3DVECTOR* end, const d3d::D3DMATRIX* world,
                                   MeshCollisionResult* result, int32_t mode);
// The segment against the mesh's faces, after the sphere centre/radius when radius is not 0.
VORTANA_API int32_t Mesh_AdvancedCollision(d3dx::ID3DXMesh** mesh, const float* normals,
                                           const d3d::D3DVECTOR* centre, float radius,
                                           int32_t unused, const d3d::D3DVECTOR* start,
                                           const d3d::D3DVECTOR* end, const d3d::D3DMATRIX* world,
                                           MeshAdvancedCollisionResult* result);
// Per face, six floats: the unit normal and the face's first corner; 0 for a mesh that cannot be
// read.
VORTANA_API int32_t Mesh_CreateNormalArray(d3dx::ID3DXMesh** mesh, float* normals);
// Vertex normals of a mesh whose format has them (adjacency: 3 per face, or null); 0 otherwise.
VORTANA_API int32_t D3DX_ComputeNormals(d3dx::ID3DXMesh** mesh, const uint32_t* adjacency);
// The velocity mirrored about the surface at the same speed (zero stays zero).
VORTANA_API int32_t Physics_Bounce(const d3d::D3DVECTOR* velocity, const d3d::D3DVECTOR* normal,
                                   d3d::D3DVECTOR* out);
// Does nothing.
VORTANA_API int32_t Physics_Sliding(const d3d::D3DVECTOR* a, const d3d::D3DVECTOR* b,
                                    const d3d::D3DVECTOR* c, const d3d::D3DVECTOR* d,
                                    const d3d::D3DVECTOR* e);
// The segment origin..origin + segment against the box min..max: the first face it crosses, its
// point and outward normal.
VORTANA_API int32_t BoundingBox2_Test(const d3d::D3DVECTOR* origin, const d3d::D3DVECTOR* segment,
                                      const d3d::D3DVECTOR* min, const d3d::D3DVECTOR* max,
                                      void* unused, d3d::D3DVECTOR* point, d3d::D3DVECTOR* normal);
// The ray against the sphere: the nearer crossing (negative distance when the origin is inside or
// the sphere behind), its point and unit normal; 0 for a miss or a radius of 0 or less.
VORTANA_API int32_t BoundingSphere2_Test(const d3d::D3DVECTOR* origin,
                                         const d3d::D3DVECTOR* direction,
                                         const d3d::D3DVECTOR* centre, float radius,
                                         float* distance, d3d::D3DVECTOR* point,
                                         d3d::D3DVECTOR* normal);
// The ray against the box min..max: the nearest hit ahead, its point and face normal.
VORTANA_API int32_t BoundingBox_Test(const d3d::D3DVECTOR* origin, const d3d::D3DVECTOR* direction,
                                     const d3d::D3DVECTOR* min, const d3d::D3DVECTOR* max,
                                     float* distance, d3d::D3DVECTOR* point,
                                     d3d::D3DVECTOR* normal);
// The ray, up to 4000 units, against the debug sphere scaled by radius and placed by world: the
// hit point, the hit face's unit normal and the distance; 0 before BoundingSphere_Initialize.
VORTANA_API int32_t BoundingSphere_Test(const d3d::D3DVECTOR* origin,
                                        const d3d::D3DVECTOR* direction, int32_t unused,
                                        float radius, d3d::D3DVECTOR* point, d3d::D3DVECTOR* normal,
                                        float* distance, const d3d::D3DMATRIX* world);
// Draws the box's 12 edges in colour (ARGB) placed by world, unlit and untextured; 0 without a
// device.
VORTANA_API int32_t BoundingBox_Draw(const d3d::D3DVECTOR* min, const d3d::D3DVECTOR* max,
                                     const d3d::D3DMATRIX* world, uint32_t colour);
// Kept for callers: the box's triangles are ready from load.
VORTANA_API int32_t BoundingBox_Initialize();
// Makes the debug sphere (a unit sphere mesh of 10 slices and 5 stacks) on the device.
VORTANA_API int32_t BoundingSphere_Initialize();
// Kept for callers: the box test's planes are ready from load.
VORTANA_API int32_t Boundings_Init();
// Releases the debug sphere.
VORTANA_API int32_t Boundings_Unload();

// ---- Waypoint graphs and grid path search (no device objects; ReleaseAll leaves them) ---------
inline constexpr int32_t kMaxWaypointLinks = 128;

// One node of the caller's graph: 1040 bytes. Links are directed; a path is found reliably when
// every link has a partner of the same cost the other way.
struct WaypointNodeInput {
  float x, y, z;
  int32_t targets[kMaxWaypointLinks];  // node indices
  float costs[kMaxWaypointLinks];
  int32_t linkCount;
};
static_assert(sizeof(WaypointNodeInput) == 1040);

// Makes graph identifier (growing the table to it) empty and in use, freeing an earlier graph.
VORTANA_API int32_t AI_Create(int32_t identifier);
// The graph's count nodes; 0 for link counts above 128 or targets outside the nodes.
VORTANA_API int32_t AI_AddGraph(int32_t identifier, const WaypointNodeInput* nodes, int32_t count);
// The cheapest path from start towards goal: the nodes from start up to the one before goal into
// path (room for the node count), their number into count; start = goal gives 1 and count 0; 0
// when the goal cannot be reached.
VORTANA_API int32_t AI_CheckPath(int32_t identifier, int32_t start, int32_t goal, int32_t* path,
                                 int32_t* count);
VORTANA_API int32_t AI_Unload(int32_t identifier);
VORTANA_API int32_t AI_UnloadAll();
// Grid identifier 0 to 9 over the caller's side x side cells (row by row; -1 blocked, else the
// penalty of leaving the cell), which must outlive the grid.
VORTANA_API int32_t AStar_Init(int32_t identifier, int32_t side, int32_t* cells);
// Fills the cells from an image: opaque red blocks, else the blue byte is the penalty.
VORTANA_API int32_t AStar_Load(int32_t identifier, const char* file);
// A* over the eight neighbours: the points from the goal back to the start into xs and ys (room
// for 301; a longer path is cut there), their number as the result; 0 when there is no path.
VORTANA_API int32_t AStar_FindPath(int32_t identifier, int32_t startX, int32_t startY,
                                   int32_t goalX, int32_t goalY, int32_t* xs, int32_t* ys);
// Writes the grid to "c:\path.bmp" in the program folder: red blocked, grey by penalty.
VORTANA_API int32_t AStar_Draw(int32_t identifier);

// ---- Stencil shadow volumes (identifiers chosen by the caller) --------------------------------
// Per frame: SilhouettePrepare, AddToRenderList for each caster, SilhouetteUnlockRender,
// RenderAlphaBlendedTri, ResetAll. The shared buffers come from AllocVolumes, again after a reset.
// Grows the table to identifier + 1 volumes; returns the count.
VORTANA_API int32_t ShadowVolume_Create(int32_t identifier);
// The shadow's ARGB colour (its alpha blends it) and the extrusion length in world units.
VORTANA_API int32_t ShadowVolume_SetShadowParameters(uint32_t color, float extrusion);
VORTANA_API int32_t ShadowVolume_SetShadowMode(int32_t identifier, int32_t mode);
// Copies a mesh's positions and 16-bit indices; 0 for a null mesh or other indices.
VORTANA_API int32_t ShadowVolume_InitShadowFromMesh(int32_t identifier, d3dx::ID3DXMesh** mesh);
// The same from buffers, which the volume holds until freed; 0 for indices that are not 16-bit or
// reach past the vertices.
VORTANA_API int32_t ShadowVolume_InitShadowFromBuffers(int32_t identifier,
                                                       d3d::IDirect3DVertexBuffer8** vertexBuffer,
                                                       int32_t stride,
                                                       d3d::IDirect3DIndexBuffer8** indexBuffer,
                                                       int32_t normals);
// The same from the caller's memory: a position every stride bytes.
VORTANA_API int32_t ShadowVolume_InitShadowFromPointers(int32_t identifier, const void* positions,
                                                        int32_t stride, int32_t vertexCount,
                                                        const uint16_t* indices, int32_t indexCount,
                                                        int32_t normals);
// Face planes and each edge's neighbour (the first earlier edge joining the same vertices).
VORTANA_API int32_t ShadowVolume_BuildEdgesList(int32_t identifier);
// Lit faces, silhouette, caps and quads for the volume's last light.
VORTANA_API int32_t ShadowVolume_MakeEdges(int32_t identifier);
// The shared quad indices and the dynamic vertex buffer (4 vertices a quad) for one frame's
// volumes; returns 0.
VORTANA_API int32_t ShadowVolume_AllocVolumes(int32_t quads);
// The stencil-only states, then SilhouetteLockBuffer.
VORTANA_API int32_t ShadowVolume_SilhouettePrepare();
// Locks the shared vertex buffer afresh and empties the render list.
VORTANA_API int32_t ShadowVolume_SilhouetteLockBuffer();
// Adds a volume with its world matrix; with rebuild, for the light (a direction when directional,
// else a position) carried into the volume's space. Draws and empties a full buffer first; 0 for a
// volume larger than the whole buffer. scale is unread.
VORTANA_API int32_t ShadowVolume_AddToRenderList(const d3d::D3DMATRIX* world, int32_t identifier,
                                                 int32_t rebuild, int32_t directional,
                                                 const d3d::D3DVECTOR* light, const float* scale);
// Draws the list into the stencil buffer (depth-fail: back faces up, front faces down); nothing
// on a depth buffer without stencil bits.
VORTANA_API int32_t ShadowVolume_SilhouetteUnlockRender();
// Blends the shadow colour over the back buffer where the stencil is 1 or more, through a 2D
// batch of its own: call it outside any batch the caller keeps open.
VORTANA_API int32_t ShadowVolume_RenderAlphaBlendedTri();
// Blending by source alpha, stencil off, depth writes on, Gouraud shading.
VORTANA_API int32_t ShadowVolume_ResetAll();
// Frees one volume / every volume; returns 0.
VORTANA_API int32_t ShadowVolume_Free(int32_t identifier);
VORTANA_API int32_t ShadowVolume_FreeAll();
// Releases the shared buffers before a device reset.
VORTANA_API int32_t ShadowVolume_LostAll();

// ---- MD2 keyframe models: shared shaders and buffer ---------------------------------------------
// Builds both model shaders (software processing) and the MD2 shared buffer anew; 1.
VORTANA_API int32_t InitMD2();
// The same for the option word the loaders keep (not 0: hardware shaders, none below 1.1); 1.
VORTANA_API int32_t InitMD2Second(int32_t option);
// Before a device reset: deletes both shaders and releases the shared buffer; 1.
VORTANA_API int32_t MD2System_LostAll();

// ---- Entities: animated actors from MD2, MDL and skinned X files --------------------------------
// An entity is one placed copy of a loaded model (one copy of each file, shared by all its
// entities), addressed by its index in the entity table; a destroyed entity's identifier goes to
// the next one created. Exports taking an entity refuse an identifier outside the table with the
// result their line gives (0 unless said). Angles are radians; text outputs take 256 characters.

// What the collision tests fill: 17 words.
struct CollisionResult {
  d3d::D3DVECTOR normal;  // unit, in world space
  d3d::D3DVECTOR point;   // in world space
  float distance;         // from the segment's start, world units
  int32_t unused[2];      // not written
  int32_t cleared[2];     // 0 before each test
  int32_t hit;            // 1 on a hit, else 0
  int32_t hitKind;        // 1 on a hit
  int32_t entity;         // the entity hit
  int32_t reserved[2];    // 0 on a hit
  int32_t bone;           // the bone of the hit box (studio models, test kinds 2 and above)
};
static_assert(sizeof(CollisionResult) == 68);

// Opens a model file and picks its kind from its first bytes ("IDST" studio, "IDP2" keyframe,
// "xof" skinned); a path an entity already has shares that entity's model without opening the
// file. Returns the new identifier, or -1 for a null path, a missing file, an unknown format or
// a model that could not be loaded (nothing is left behind).
VORTANA_API int32_t Scene_CreateEntity(const char* path, const char* name, int32_t loadTextures);
// Rebuilds the world matrix when a transform changed; unless transformOnly's low byte is set, also
// tests the bounding sphere against the frustum and advances the animation by the frame time.
VORTANA_API int32_t Scene_UpdateEntity(int32_t entity, int32_t transformOnly);
// Updates and draws one entity; 1 when drawn, 0 when disabled or outside the frustum.
VORTANA_API int32_t Scene_RenderEntity(int32_t entity, const d3d::D3DMATRIX* view,
                                       const d3d::D3DMATRIX* projection);
VORTANA_API int32_t Entity_Render(int32_t entity, const d3d::D3DMATRIX* view,
                                  const d3d::D3DMATRIX* projection);
// Every enabled entity in table order; 1.
VORTANA_API int32_t Scene_RenderAllEntities(const d3d::D3DMATRIX* view,
                                            const d3d::D3DMATRIX* projection);
// Does nothing; 1.
VORTANA_API int32_t Scene_UpdateAllEntities();
// The segment start..end against every enabled entity (test kind: 0 box, 1 sphere, 2 and above
// the hit boxes where a model has them): the nearest hit (nearest not 0) or the first, its
// distance and entity; 1 on a hit, else 0.
VORTANA_API int32_t Scene_Collide(const d3d::D3DVECTOR* start, const d3d::D3DVECTOR* end,
                                  float* distance, int32_t* entity, int32_t kind, int32_t nearest);
VORTANA_API int32_t Scene_AdvancedCollision(const d3d::D3DVECTOR* start, const d3d::D3DVECTOR* end,
                                            CollisionResult* result, int32_t kind, int32_t nearest);
// One entity's segment test; its hit flag (Entity_Collide writes the distance of a hit).
VORTANA_API int32_t Entity_AdvancedCollision(int32_t entity, const d3d::D3DVECTOR* start,
                                             const d3d::D3DVECTOR* end, CollisionResult* result,
                                             int32_t kind);
VORTANA_API int32_t Entity_Collide(int32_t entity, const d3d::D3DVECTOR* start,
                                   const d3d::D3DVECTOR* end, float* distance, int32_t kind);
// Frees the entity and its reference to the model, which goes with its last entity.
VORTANA_API int32_t Entity_Destroy(int32_t entity);
// A new entity of the same file and kind with the source's groups; its identifier, or -1.
VORTANA_API int32_t Entity_DuplicateActor(int32_t entity, const char* name);
VORTANA_API int32_t Entity_Enable(int32_t entity, int32_t enable);
// Rebuilds the world matrix now.
VORTANA_API int32_t Entity_ForceMatrixUpdate(int32_t entity);
// The last frustum test: 1 visible, 0 not; -1 for a bad identifier.
VORTANA_API int32_t Entity_IsVisible(int32_t entity);
VORTANA_API int32_t Entity_EnableFrustumCulling(int32_t entity, int32_t enable);
// The cull mode set before the entity draws (1 none).
VORTANA_API int32_t Entity_SetCullingMode(int32_t entity, int32_t cullMode);
VORTANA_API int32_t Entity_SetAlphaTest(int32_t entity, int32_t enable, int32_t reference);
// Draws the model's box, and a studio model's hit boxes, with the entity (absolute values kept).
VORTANA_API int32_t Entity_ShowBoundingBox(int32_t entity, int32_t box, int32_t hitBoxes);
// Does nothing; 1.
VORTANA_API int32_t Entity_SetShadowOptions(int32_t entity, const d3dx::D3DXPLANE* plane,
                                            const float* vector, float value);
// Skinned entities: adds the animation sets of another X file to the model; 0 for other kinds.
VORTANA_API int32_t Entity_LoadAdditionalAnimations(int32_t entity, const char* path);
VORTANA_API int32_t Entity_GetName(int32_t entity, char* name);
// Keeps at most 255 characters.
VORTANA_API int32_t Entity_SetName(int32_t entity, const char* name);
// The first entity with exactly this name; -1 when none.
VORTANA_API int32_t Entity_GetEntityIDByName(const char* name);

// Transform. The world matrix is scale x rotation matrix, then the position; axis mode 0 (the
// default) first turns the model's z-up axes to y-up: (x, y, z) becomes (-x, z, -y), each scaled.
VORTANA_API int32_t Entity_SetPosition(int32_t entity, float x, float y, float z);
VORTANA_API int32_t Entity_GetPosition(int32_t entity, float* x, float* y, float* z);
VORTANA_API int32_t Entity_SetScale(int32_t entity, float x, float y, float z);
VORTANA_API int32_t Entity_GetScale(int32_t entity, float* x, float* y, float* z);
// Rotation matrix = yaw y, pitch x, roll z; the angles are kept for Entity_GetRotation alone.
VORTANA_API int32_t Entity_SetRotation(int32_t entity, float x, float y, float z);
VORTANA_API int32_t Entity_GetRotation(int32_t entity, float* x, float* y, float* z);
// Turns about the entity's own axis (world 0) or the world's (world not 0).
VORTANA_API int32_t Entity_RotateX(int32_t entity, float angle, int32_t world);
VORTANA_API int32_t Entity_RotateY(int32_t entity, float angle, int32_t world);
VORTANA_API int32_t Entity_RotateZ(int32_t entity, float angle, int32_t world);
VORTANA_API int32_t Entity_SetRotationAxis(int32_t entity, int32_t axisMode);
VORTANA_API int32_t Entity_SetRotationMatrix(int32_t entity, const d3d::D3DMATRIX* matrix);
VORTANA_API int32_t Entity_GetRotationMatrix(int32_t entity, d3d::D3DMATRIX* matrix);
// World and rotation matrix = matrix, position = its translation row (cleared in the rotation).
VORTANA_API int32_t Entity_SetMatrix(int32_t entity, const d3d::D3DMATRIX* matrix);
VORTANA_API int32_t Entity_GetMatrix(int32_t entity, d3d::D3DMATRIX* matrix);
// Moves along the rotation matrix's third, second and first rows.
VORTANA_API int32_t Entity_MoveRelative(int32_t entity, float alongZ, float alongY, float alongX);
// Writes nothing for a valid entity; a bad one gets (0, 0, 0) and 0.
VORTANA_API int32_t Entity_GetLookAtPoint(int32_t entity, int32_t unused, float* x, float* y,
                                          float* z);
// Stores position, rotation angles and scale (the rotation matrix stays) for the next update.
VORTANA_API int32_t VortanaUtils_SetSettings(int32_t entity, const d3d::D3DVECTOR* position,
                                             const d3d::D3DVECTOR* rotation,
                                             const d3d::D3DVECTOR* scale);

// Animation: sequences (studio), animations (keyframe) or sets (skinned). Time is in frames.
// 2 for an animation the model lacks.
VORTANA_API int32_t Entity_SetAnimation(int32_t entity, int32_t animation);
// -1 for a name the model lacks.
VORTANA_API int32_t Entity_SetAnimationByName(int32_t entity, const char* name);
VORTANA_API int32_t Entity_GetAnimationIndexByName(int32_t entity, const char* name);
VORTANA_API int32_t Entity_GetAnimation(int32_t entity);
VORTANA_API int32_t Entity_GetAnimationCount(int32_t entity);
// Frames of the animation (keyframe: last minus first); 1 for a model without animations.
VORTANA_API int32_t Entity_GetAnimationLength(int32_t entity, int32_t animation);
VORTANA_API int32_t Entity_GetAnimationName(int32_t entity, int32_t animation, char* name);
// loop 0 plays the animation once.
VORTANA_API int32_t Entity_SetAnimationLoop(int32_t entity, int32_t loop);
VORTANA_API int32_t Entity_IsAnimationFinished(int32_t entity);
VORTANA_API int32_t Entity_SetSpeed(int32_t entity, float framesPerSecond);
// -1 for a bad identifier.
VORTANA_API int32_t Entity_SetKeyFrame(int32_t entity, float frame);
VORTANA_API int32_t Entity_GetKeyFrame(int32_t entity, float* frame);
// Plays start..end; both 0 end the custom range.
VORTANA_API int32_t Entity_SetCustomAnimation(int32_t entity, float start, float end);

// Bones (studio and skinned models).
VORTANA_API int32_t Entity_GetBoneCount(int32_t entity);
VORTANA_API int32_t Entity_GetBoneName(int32_t entity, int32_t bone, char* name);
// The parent bone, -1 for a root.
VORTANA_API int32_t Entity_GetBoneParent(int32_t entity, int32_t bone);
VORTANA_API int32_t Entity_GetBonePosition(int32_t entity, int32_t bone,
                                           const d3d::D3DVECTOR* point, d3d::D3DVECTOR* out);
VORTANA_API int32_t Entity_GetBoneMatrix(int32_t entity, int32_t bone, const d3d::D3DVECTOR* offset,
                                         d3d::D3DMATRIX* out);
// The bone's override: matrix, combine (1 multiply, 0 replace), enabled.
VORTANA_API int32_t Entity_SetBoneMatrix(int32_t entity, int32_t bone, const d3d::D3DMATRIX* matrix,
                                         int32_t combine, int32_t enable);
VORTANA_API int32_t Entity_SetBoneRotationMatrix(int32_t entity, int32_t bone,
                                                 const d3d::D3DMATRIX* matrix, int32_t combine,
                                                 int32_t enable);

// Material groups (group -1: every group; a keyframe model has one).
VORTANA_API int32_t Entity_GetMaterialCount(int32_t entity);
VORTANA_API int32_t Entity_GetGroupNumber(int32_t entity);
VORTANA_API int32_t Entity_GetMaterial(int32_t entity, int32_t group);
VORTANA_API int32_t Entity_GetTexture(int32_t entity, int32_t group);
VORTANA_API int32_t Entity_SetMaterial(int32_t entity, int32_t material, int32_t group);
VORTANA_API int32_t Entity_SetTexture(int32_t entity, int32_t texture, int32_t group);
VORTANA_API int32_t Entity_SetSphereMapping(int32_t entity, int32_t enable, int32_t texture,
                                            int32_t group);
// The model-space box and sphere.
VORTANA_API int32_t Entity_GetBoundingBox(int32_t entity, d3d::D3DVECTOR* min, d3d::D3DVECTOR* max);
VORTANA_API int32_t Entity_GetBoundingSphere(int32_t entity, d3d::D3DVECTOR* centre, float* radius);

// Keyframe entities. Writes the new identifier and returns 1, or writes 0 and returns 0.
VORTANA_API int32_t CreateEntityMD2(const char* path, const char* name, int32_t* entity,
                                    int32_t loadTextures);
// Frees a model; its entities stay and reach no model. 1.
struct ActorModel2;
VORTANA_API int32_t MD2_Delete(ActorModel2* model);
// The distance from start to where the segment meets the current frame's box; 1 on a hit, 0 (and
// 0 written) on a miss.
VORTANA_API int32_t MD2System_Collide(int32_t entity, const d3d::D3DVECTOR* start,
                                      const d3d::D3DVECTOR* end, float* distance);

// Studio entities. Writes the new identifier and returns 1, or writes 0 and returns 0. The model's
// textures may lie in the file named as the path with "T.MDL" for its last four characters, its
// sequence groups in those with "01.MDL", "02.MDL" and so on.
VORTANA_API int32_t CreateEntity(const char* path, const char* name, int32_t* entity,
                                 int32_t loadTextures);
// Frees a model; its entities stay and reach no model. 1.
struct ActorModel;
VORTANA_API int32_t MDL_Delete(ActorModel* model);
// Plays the sequence from its start at speed 1; a sequence in a group file that could not be read
// plays sequence 0 instead. 0 (logged) for a sequence the model lacks, which leaves the current.
VORTANA_API int32_t VortanaUtils_SetSequence(int32_t entity, int32_t sequence);
// Advances the entity's frame (elapsed milliseconds, at most 1000) and poses its bones.
VORTANA_API int32_t VortanaUtils_MDLUpdate(int32_t entity, float elapsed);
VORTANA_API int32_t VortanaUtils_MDLRender(int32_t entity, const d3d::D3DMATRIX* view,
                                           const d3d::D3DMATRIX* projection);
// The model's box and sphere from the entity's pose.
VORTANA_API int32_t MDLSystem_ComputeBoundingVolumes(int32_t entity);
// Around a device reset: the processor-path models' dynamic buffers go and come back; 1.
VORTANA_API int32_t MDL_OnLostAll();
VORTANA_API int32_t MDL_OnResetAll();

// ---- 3DS mesh loader ----------------------------------------------------------------------------
// The material record of one subset of a loaded 3DS mesh, as Load3DS_C hands it out: 580 bytes,
// texts terminated.
struct MAT3DSC {
  d3d::D3DMATERIAL8 material;  // the material's colours, with its opacity as alpha
  char texture[256];           // the first texture map's file (".tif" reported as ".jpg"), or empty
  char name[256];  // the object's name, "object_N" for group N of an object with several
};
static_assert(sizeof(MAT3DSC) == 580);

// The same record as Load3DS puts it into an automation array: the material, then the two texts
// as automation strings (platform/win/automation.h: UTF-16 from the system code page; null for an
// empty text), which the array's owner frees with SysFreeString. Where a pointer is 4 bytes it is
// 76 bytes; here pointers are 8 bytes and aligned, so it is 88.
struct MAT3DS {
  d3d::D3DMATERIAL8 material;
  char16_t* texture;
  char16_t* name;
};
static_assert(sizeof(MAT3DS) == 88);

// Every mesh of a 3DS file as one managed mesh (position, normal, one coordinate pair; subset N has
// record N), its bounding sphere and adjacency (3 DWORDs per face); swap exchanges y and z. The
// caller's array (*materials; null makes one with calloc) gets record count + 1 MAT3DS elements
// (the last one empty), its pvData (malloc'd memory, or null) reallocated; the strings of the
// MAT3DS elements it held are freed first. 0 when loaded; 1 when nothing was made (a file the
// toolkit reports damaged is refused whole, with the toolkit's error in the log).
VORTANA_API int32_t Load3DS(int32_t swap, int32_t unused, const char* path, SAFEARRAY** materials,
                            d3dx::D3DXVECTOR3* center, float* radius, d3dx::ID3DXBuffer** adjacency,
                            d3dx::ID3DXMesh** mesh);
// The same with the records in a new malloc'd array for the caller to free(); swap also mirrors x.
VORTANA_API int32_t Load3DS_C(int32_t swap, int32_t unused, const char* path, MAT3DSC** materials,
                              int32_t* materialCount, d3dx::D3DXVECTOR3* center, float* radius,
                              d3dx::ID3DXBuffer** adjacency, d3dx::ID3DXMesh** mesh);
// Nonzero: the loaders recentre the vertices on their bounding box and report that box's centre.
VORTANA_API int32_t Load3DS_SetCenter(int32_t flag);
// Nonzero: the loaders bring each object's vertices into the object's own space.
VORTANA_API int32_t Load3DS_SetLocalMat(int32_t flag);

// ---- BSP levels (version 30; indices from 0, as BSPSystem_Create gives them) -------------------
// A level not in use is taken afresh (keeping its enabled flag and settings), else a new one is
// appended, enabled, with the visibility set and two-pass lightmaps on; returns its index.
VORTANA_API int32_t BSPSystem_Create();
// Loads the level file: textures from textureFolder (empty: the level's folder) as "<name>.bmp",
// or "<number>.bmp" with numberedTextures, then from the open packages, then the WAD archives;
// lightmaps packed into atlases. A refused file leaves the record out of use. 1 or 0.
VORTANA_API int32_t BSPSystem_Load(int32_t level, const char* path, int32_t unused1,
                                   int32_t unused2, const char* textureFolder,
                                   int32_t numberedTextures);
// Loads the textures a texture lump names (laid out as in the file, as long as its count and
// offsets say) for the level's faces; 1, or 0 for a lump that is refused.
VORTANA_API int32_t BSPSystem_LoadTextures(int32_t level, const uint8_t* textureLump,
                                           int32_t numbered);
// Parses the level's entity text again; 1.
VORTANA_API int32_t BSPSystem_ParseEntity(int32_t level);
// Appends a side x side atlas of the A8R8G8B8 pixels (side x side x 4 bytes); 1 or 0.
VORTANA_API int32_t BSPSystem_CreateLightmapTexture(int32_t level, int32_t side,
                                                    const uint8_t* pixels);
// Packs the level's face lightmaps (3 bytes a texel at each face's offset in the lump) into new
// atlases of 512 (256 when the device's textures are narrower), rewriting the faces' lightmap
// coordinates; a lightmap wider or taller than an atlas less its frame is left out. 1.
VORTANA_API int32_t BSPSystem_CombineLightmaps(int32_t level, const uint8_t* lightingLump);
// Releases the level's atlases and buffers and takes it out of use; its textures stay. 1.
VORTANA_API int32_t BSPSystem_Destroy(int32_t level);
// Destroys every level and empties the table; returns 0.
VORTANA_API int32_t BSPSystem_DestroyAll();
// The world matrix (16 floats, row by row); a load sets a turn of -90 degrees about x. 1.
VORTANA_API int32_t BSPSystem_SetMatrix(int32_t level, const float* matrix);
// A disabled level is not drawn.
VORTANA_API int32_t BSPSystem_Enable(int32_t level, int32_t flag);
// The visibility set on or off, two-pass lightmaps (taken with one simultaneous texture) on or
// off, and a third value that is stored only.
VORTANA_API int32_t BSPSystem_SetParameters(int32_t level, int32_t useVisibility, int32_t twoPass,
                                            int32_t third);
// Draws a loaded, enabled level: the faces of the leaves the camera's leaf sees that lie in the
// view, texture plus 0x202020 times twice the lightmap. 1 (0 for an index outside the table).
VORTANA_API int32_t BSPSystem_RenderBSP(int32_t level);
// Draws every level in use; 1.
VORTANA_API int32_t BSPSystem_RenderAll();

// ---- WAD texture archives and PAK packages (index 0 is a refusal; the first archive gets 1) -----
// Opens a WAD3 archive, which stays open until WAD_CloseAll; returns its index, 0 when refused.
VORTANA_API int32_t WAD_Load(const char* path);
// The texture-table identifier of the open archives' texture of that name (any case), converted
// once and shared as "WAD_<name>"; 0 when no archive has it or it is damaged.
VORTANA_API int32_t WAD_LoadTextureFromWAD(const char* name, int32_t format);
// Closes every WAD archive; 1.
VORTANA_API int32_t WAD_CloseAll();
// Opens a PAK package, which stays open until closed; returns its index, 0 when refused.
VORTANA_API int32_t Archive_OpenPak(const char* path);
// Closes the package of that index; returns 0 (also when refused).
VORTANA_API int32_t Archive_ClosePak(int32_t index);
// Closes every package; 1.
VORTANA_API int32_t Archive_CloseAll();
// Copies the entry (any case; '\' is rewritten to '/' in the caller's text) of the first open
// package holding it to destination; remember lists the file for Archive_RemoveTempFiles. 1 or 0.
VORTANA_API int32_t Archive_ExtractFileTo(char* name, const char* destination, int32_t remember);
// A file missing on disk is extracted from the open packages into the working folder and the path
// (a buffer of 256 bytes) becomes its bare name. 0 when the file was on disk, else 1.
VORTANA_API int32_t Archive_TestPakFile(char* path);
// Deletes every file the extractions remembered; 1.
VORTANA_API int32_t Archive_RemoveTempFiles();

// ---- Text map files and material scripts (surfaces drawn with the position, normal, uv format) --
// A vertex of a map surface: 32 bytes.
struct D3_Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(D3_Vertex) == 32);
// A vertex with its tangent frame for bump mapping: 68 bytes.
struct D3_BumpVertex {
  float x, y, z;
  float nx, ny, nz;
  float sx, sy, sz;  // tangent along u
  float tx, ty, tz;  // tangent along v
  float sxt[3];      // S x T, turned to the normal's side
  float u, v;
};
static_assert(sizeof(D3_BumpVertex) == 68);
// Reads every "<folder>materials\*.mtr" script (in name order), then the map file's models and
// surfaces, resolving each surface's material; folder ends in a separator. 1, or 0 when the map
// file is missing or damaged (then nothing of it is kept).
VORTANA_API int32_t D3_Load(const char* path, const char* folder);
// The index of the material of that name, loading its diffuse, bump and specular textures from the
// first script that mentions the name, else "<folder><name>_d.tga", "_local.tga" and "_s.tga".
VORTANA_API int32_t D3_FindMaterial(const char* name, const char* folder);
// Fills the bump vertices' positions, normals, uv and tangent frames from the triangles; triangles
// naming a vertex past the count are passed over. 1.
VORTANA_API int32_t D3_PrecomputeBumpInfo(const D3_Vertex* vertices, const uint16_t* indices,
                                          D3_BumpVertex* bumpVertices, int32_t vertexCount,
                                          int32_t indexCount);
// Draws every surface whose bounding sphere is in the view frustum with its diffuse texture. 1.
VORTANA_API int32_t D3_RenderAll();

// ---- Bump-map tool ---------------------------------------------------------------------------
// A vertex of the buffers BumpMapTool_GenerateBufferFromMesh makes: 88 bytes, no vertex format.
struct BumpSourceVertex {
  float position[3];
  float normal[3];
  float zero[3];
  float u, v;
  float u2, v2;  // the same pair again
  float s[3];    // the unit axis along u
  float t[3];    // the unit axis along v
  float sxt[3];  // s x t, turned to the normal's side
};
static_assert(sizeof(BumpSourceVertex) == 88);
// What BumpMapTool_PseudoVSDOT3 writes: 48 bytes.
struct BumpOutputVertex {
  float x, y, z, w;
  float r, g, b, a;  // the light in the vertex's tangent space, each axis taken into 0..1
  float u, v;
  float u2, v2;
};
static_assert(sizeof(BumpOutputVertex) == 48);
// A managed vertex buffer of the mesh's vertices with their normals and tangent frames, and a
// 16-bit index buffer of its faces; the caller owns the one reference of each. 1, or the error
// (both outputs null), also for a mesh whose indices do not fit 16 bits.
VORTANA_API int32_t BumpMapTool_GenerateBufferFromMesh(d3dx::ID3DXMesh** mesh,
                                                       d3d::IDirect3DVertexBuffer8** vertexBuffer,
                                                       d3d::IDirect3DIndexBuffer8** indexBuffer);
// For count vertices: the position through positions, and the colour of the light direction
// (normalised in place) against s, t and s x t carried through directions. 1 (0 for a null).
VORTANA_API int32_t BumpMapTool_PseudoVSDOT3(const BumpSourceVertex* source,
                                             BumpOutputVertex* output,
                                             const d3d::D3DMATRIX* directions,
                                             const d3d::D3DMATRIX* positions, d3d::D3DVECTOR* light,
                                             int32_t count);
// The normal map of the source's red channel (mirrored at the edges, amplitude 1) into the
// destination. 0 when made, else the error.
VORTANA_API int32_t BumpMapTool_GenerateNormalMap2(d3d::IDirect3DTexture8** source,
                                                   d3d::IDirect3DTexture8** destination);
// The normal map of a 32-bit source's low bytes (forward differences, the last row and column
// flat), its height in the alpha, written into the destination of the same size when one is given,
// else over the source. 1, the lock's error, or 7 when out of memory.
VORTANA_API int32_t BumpMapTool_GenerateNormalMap(d3d::IDirect3DTexture8** source,
                                                  d3d::IDirect3DTexture8** destination);

// ---- Terrain ------------------------------------------------------------------------------------
// Height-field terrains of 256 x 256-unit chunks, addressed by the caller's identifier; every
// export refuses an identifier outside the table with 0 (Terrain_Create grows the table to it).
// Positions, heights and normals are in world units through the terrain's world matrix.
namespace d3dx {
struct D3DXMATRIX;
}  // namespace d3dx

// One terrain vertex: format 0x212 (position, normal, colour-map and detail-map coordinates).
struct TVertex {
  float x, y, z;
  float nx, ny, nz;
  float colorU, colorV;
  float detailU, detailV;
};
static_assert(sizeof(TVertex) == 40);

// A quadtree node; a leaf holds the cells [firstColumn, lastColumn) x [firstRow, lastRow) of its
// chunk; an outside node lies beyond the terrain. The box is in terrain units.
struct Land_TerrainQuadtree {
  Land_TerrainQuadtree* children[4];  // low x low z, high x low z, low x high z, high x high z
  Land_TerrainQuadtree* parent;
  int32_t leaf;
  int32_t outside;
  int32_t firstColumn, firstRow, lastColumn, lastRow;
  int32_t chunk;
  float minX, minY, minZ, maxX, maxY, maxZ;
};

// What picking fills: 17 words, the collision result's layout with the chunk in the face word.
struct TerrainPickResult {
  float normal[3];
  float point[3];
  float distance;  // from the segment's start, world units
  float u, v;      // barycentric weights of the hit triangle's second and third vertices
  int32_t unused0;
  int32_t chunk;
  int32_t hit;   // 1 on a hit
  int32_t kind;  // 2: terrain
  int32_t unused1[2];
  int32_t terrain;
  int32_t unused2;
};
static_assert(sizeof(TerrainPickResult) == 17 * 4);

// Resets record id to its defaults (growing the table to it); returns id, or 0 for id below 0.
VORTANA_API int32_t Terrain_Create(int32_t id);
// Builds chunkColumns x chunkRows chunks of 256 / precision + 1 vertices a side (precision 2 to
// 256) from a height-map image (null: flat) placed at (x, y, z), smoothed smoothLevel (0 or more)
// cells about; reports progress as event 50 whose value carries the percentage float's bit pattern
// (std::bit_cast back to float); returns id, or 0 with the terrain holding no data (also for a
// size whose chunk or vertex count does not fit 32 bits).
VORTANA_API int32_t Terrain_Generate(int32_t id, const char* heightMapFile, int32_t precision,
                                     int32_t chunkColumns, int32_t chunkRows, float x, float y,
                                     float z, int32_t smoothLevel);
// A flat terrain at (x, 0, z).
VORTANA_API int32_t Terrain_GenerateEmptyTerrain(int32_t id, int32_t precision,
                                                 int32_t chunkColumns, int32_t chunkRows, float x,
                                                 float z);
// Rebuilds the quadtree (nodes never larger than one chunk); 0 without data.
VORTANA_API int32_t Terrain_GenerateQuadtree(int32_t id);
// Frees a subtree; a terrain's own root must not be given (the terrain would keep it); returns 0.
VORTANA_API int32_t Terrain_FreeNodes(Land_TerrainQuadtree* node);
// Releases what generation made; 0 without data.
VORTANA_API int32_t Terrain_FreeMemory(int32_t id);
// Frees every terrain and the table.
VORTANA_API int32_t Terrain_FreeAll();
// Height-map value: 0 the blue byte, else the 24 bits of blue, green and red (blue highest).
VORTANA_API int32_t Terrain_SetHMMode(int32_t mode);
// Nonzero: terrains generated later are drawn with clockwise culling.
VORTANA_API int32_t Terrain_SetFlipMode(int32_t flip);
// The same for one terrain.
VORTANA_API int32_t Terrain_ChangeFlipMode(int32_t id, int32_t flip);
// Height factor applied at the next generation; below 0.0001 becomes 0.0001.
VORTANA_API int32_t Terrain_SetFactorY(int32_t id, float factor);
// Placement (world units); the world matrix follows at its next use.
VORTANA_API int32_t Terrain_SetPosition(int32_t id, float x, float y, float z);
// Rotation in radians: x pitch, y yaw, z roll.
VORTANA_API int32_t Terrain_SetRotation(int32_t id, float x, float y, float z);
// Scale; a 0 component makes all three 1 when the matrix is rebuilt.
VORTANA_API int32_t Terrain_SetScaling(int32_t id, float x, float y, float z);
// Takes the caller's world matrix as it is.
VORTANA_API int32_t Terrain_SetMatrix(int32_t id, const d3dx::D3DXMATRIX* matrix);
// Copies the world matrix out as it was last set or built.
VORTANA_API int32_t Terrain_GetMatrix(int32_t id, d3dx::D3DXMATRIX* matrix);
// Width and depth in world units: chunks x scale x 256.
VORTANA_API int32_t Terrain_GetExtent(int32_t id, float* width, float* depth);
// A disabled chunk is never drawn; 0 for a chunk outside the terrain.
VORTANA_API int32_t Terrain_EnableChunk(int32_t id, int32_t chunk, int32_t enabled);
// The same for the chunk at column, row.
VORTANA_API int32_t Terrain_EnableChunk2(int32_t id, int32_t column, int32_t row, int32_t enabled);
// The chunk's visible flag from the last drawing.
VORTANA_API int32_t Terrain_IsVisible(int32_t id, int32_t chunk);
// The chunk's colour texture identifier (0 for a chunk outside the terrain).
VORTANA_API int32_t Terrain_GetTexture(int32_t id, int32_t chunk);
// The chunk's material identifier (0 for a chunk outside the terrain).
VORTANA_API int32_t Terrain_GetMaterial(int32_t id, int32_t chunk);
// The generator's sampler over the caller's arrays: a grid of columns x rows vertices (x from
// originX, z from originZ, precision apart; normals up; coordinates 0..1; y not written) and its
// heights (columns x rows floats) from the first byte of the imageWidth x imageHeight pixels of
// three bytes, taken as chunk (chunkColumn, chunkRow) of chunkColumns x chunkRows, times
// heightFactor; flat nonzero: heights 0 and no pixels read. 1, or 0 for a null array, fewer than 2
// columns or rows, or no chunks or pixels.
VORTANA_API int32_t Terrain_LoadFromHeightData(int32_t columns, int32_t rows, float chunkColumn,
                                               float chunkRow, float chunkColumns, float chunkRows,
                                               int32_t imageWidth, int32_t imageHeight,
                                               float* heights, TVertex* vertices,
                                               const uint8_t* pixels, int32_t precision,
                                               int32_t originX, int32_t originZ, int32_t flat,
                                               int32_t unused, float heightFactor);
// Widens every inner node below node to minY..maxY; 0 for a leaf, an outside node or null.
VORTANA_API int32_t Terrain_RecurseChildsForUpdate(Land_TerrainQuadtree* node, float maxY,
                                                   float minY);
// Widens the nodes over a chunk to its box's height range.
VORTANA_API int32_t Terrain_UpdateQuadtreeForChunk(int32_t id, int32_t chunk);
// Widens the nodes over terrain point (x, z) to take height y.
VORTANA_API int32_t Terrain_UpdateQuadtreeForPoint(int32_t id, float x, float z, float y);
// The surface point under or over point (clamped onto the terrain, wrapped while paging).
VORTANA_API int32_t Terrain_GetHeight(int32_t id, const d3dx::D3DXVECTOR3* point,
                                      d3dx::D3DXVECTOR3* out);
// The unit normal at point, the cross of the cell's +x by its +z edge: (0, -1, 0) on level ground.
VORTANA_API int32_t Terrain_GetNormal(int32_t id, const d3dx::D3DXVECTOR3* point,
                                      d3dx::D3DXVECTOR3* out);
// The nearest hit on the segment from..to; reserved is not read.
VORTANA_API int32_t Terrain_RayPicking(int32_t id, const d3dx::D3DXVECTOR3* from,
                                       const d3dx::D3DXVECTOR3* to, TerrainPickResult* result,
                                       int32_t reserved);
// Over every terrain: nearest 0 takes the first hit in identifier order, else the nearest below
// 9999 units.
VORTANA_API int32_t Terrain_RayPickingAll(const d3dx::D3DXVECTOR3* from,
                                          const d3dx::D3DXVECTOR3* to, TerrainPickResult* result,
                                          int32_t nearest);
// Appends the leaves below node whose parents' boxes the ray meets (at most 8191); the new count.
VORTANA_API int32_t Terrain_RecurseTreeForCollision(Land_TerrainQuadtree** leaves, int32_t* count,
                                                    Land_TerrainQuadtree* node,
                                                    const d3dx::D3DXVECTOR3* rayStart,
                                                    const d3dx::D3DXVECTOR3* rayDirection);
// Smoothing weights for generation: type 1 takes 9 (3 x 3), type 2 25 (5 x 5), row-major, divided
// by weightSum; enable 0 first returns to the plain mean.
VORTANA_API int32_t Terrain_SetAffineFilter(int32_t id, int32_t enable, int32_t type,
                                            const float* weights, float weightSum);
// Each vertex's y = the mean of heights (columns x rows floats) level cells about; 0 for a level
// below 0.
VORTANA_API int32_t Terrain_Affine(int32_t columns, int32_t rows, int32_t level,
                                   const float* heights, TVertex* vertices);
// The same weighted by the terrain's table; levels above 2 are taken as 2.
VORTANA_API int32_t Terrain_Affine2(int32_t id, int32_t columns, int32_t rows, int32_t level,
                                    const float* heights, TVertex* vertices);
// Vertex normals from the cells' faces, summed in work (3 floats a vertex, zero on entry).
VORTANA_API int32_t Terrain_ComputeNormals(int32_t columns, int32_t rows, TVertex* vertices,
                                           float* work);
// Recomputes a chunk's normals from its heights and matches its seams with its neighbours.
VORTANA_API int32_t Terrain_ReComputeNormals(int32_t id, int32_t chunk);
// Sets (or with relative adds to) the height of the vertex nearest (x, z), and its copies in the
// neighbouring chunks; localCoordinates: terrain units; refresh: copy to the drawn buffers now.
VORTANA_API int32_t Terrain_ChangePointAltitude(int32_t id, float x, float z, float altitude,
                                                int32_t relative, int32_t localCoordinates,
                                                int32_t refresh);
// Recomputes edited chunks' normals and copies chunk (-1: all) to its vertex buffer.
VORTANA_API int32_t Terrain_RefreshTerrain(int32_t id, int32_t chunk);
// Draws the chunks in view (with paging, the copies within range of the camera) and adds the
// primitives to the polygon counter; 0 without data.
VORTANA_API int32_t Terrain_Render(int32_t id);
// Nonzero: the terrain repeats endlessly, range chunks about the camera drawn (at most 31, the
// 63 x 63 copies a frame's visible list holds), its edges made to meet.
VORTANA_API int32_t Terrain_SetPagingSystem(int32_t id, int32_t enable, int32_t range);
// Colour texture of chunk (-1: every chunk); ends the expanded texture; returns 0.
VORTANA_API int32_t Terrain_SetTexture(int32_t id, int32_t texture, int32_t chunk);
// Detail texture of chunk (-1: every chunk); the first chunk's decides whether a detail stage is
// set.
VORTANA_API int32_t Terrain_SetDetailTexture(int32_t id, int32_t texture, int32_t chunk);
// Material of chunk (-1: every chunk); returns 0.
VORTANA_API int32_t Terrain_SetMaterial(int32_t id, int32_t material, int32_t chunk);
// The detail stage's colour operation (default 8, signed add).
VORTANA_API int32_t Terrain_SetDetailMapMode(int32_t id, int32_t mode);
// The lightmap texture (0: none), multiplied over the lit colour; kept apart from the bump light.
VORTANA_API int32_t Terrain_SetLightmap(int32_t id, int32_t texture);
// Stored; drawing does not read it.
VORTANA_API int32_t Terrain_SetLightmapAlpha(int32_t id, int32_t value);
// Dot-product bump mapping with bumpTexture against light lightId's direction; 0 switches it off.
VORTANA_API int32_t Terrain_SetBumpmapping(int32_t id, int32_t enable, int32_t bumpTexture,
                                           int32_t lightId);
// Writes the terrain's heights (normalsFlag 1 or 2: and normals), spheres and placement from byte
// startOffset of path, keeping the bytes before it.
VORTANA_API int32_t Terrain_SaveTerrainData(int32_t id, const char* path, int32_t normalsFlag,
                                            int32_t startOffset);
// Reads such a file from startOffset, regenerating the terrain flat when its shape or precision
// differ; a refused file leaves the terrain as it was.
VORTANA_API int32_t Terrain_LoadTerrainData(int32_t id, const char* path, int32_t startOffset);
// Shows (nonzero) or hides the terrain's water quad.
VORTANA_API int32_t Terrain_SetWaterEnable(int32_t id, int32_t enable);
// The water's height in terrain units.
VORTANA_API int32_t Terrain_SetWaterAltitude(int32_t id, float altitude);
// The water's colour (0..1); an alpha of exactly -1 keeps the alpha it had.
VORTANA_API int32_t Terrain_SetWaterColor(int32_t id, float r, float g, float b, float a);
// Repeats of the water texture across the quad.
VORTANA_API int32_t Terrain_SetWaterTextureScale(int32_t id, float u, float v);
// The plain pass's texture.
VORTANA_API int32_t Terrain_SetWaterTexture(int32_t id, int32_t texture);
// Blending on or off, alpha, sway on or off, the blend factors and a border (terrain units) about
// the terrain; reserved is not read.
VORTANA_API int32_t Terrain_SetWaterEffect(int32_t id, int32_t blend, float alpha, int32_t animate,
                                           int32_t sourceBlend, int32_t destinationBlend,
                                           int32_t reserved, float border);
// The sway's direction atan2(a, b) and its speed.
VORTANA_API int32_t Terrain_SetWaterAnimation(int32_t id, float a, float b, float speed);
// Environment-bumped reflection in up to two layers of the given strengths (bump 0: the default
// bump texture), with the bump matrix m00 .. m11.
VORTANA_API int32_t Terrain_SetWaterBumpmapping(int32_t id, int32_t enable, int32_t bumpTexture,
                                                int32_t reflectionTexture, float firstStrength,
                                                float secondStrength, float m00, float m01,
                                                float m10, float m11);
// Rebuilds the water quad over the terrain's extent and border.
VORTANA_API int32_t Terrain_ComputeWater(int32_t id);
// Draws the water after the terrain; 0 while it is hidden.
VORTANA_API int32_t Terrain_RenderWater(int32_t id);
// Colour-map coordinates of chunk (-1: every chunk): su and sv repeats across it.
VORTANA_API int32_t Terrain_SetTextureScale(int32_t id, float su, float sv, int32_t chunk);
// Detail-map coordinates the same way.
VORTANA_API int32_t Terrain_SetDetailScale(int32_t id, float su, float sv, int32_t chunk);
// Stretches texture once over columns x rows chunks from firstColumn, firstRow (cut to the
// terrain; alsoDetail: the detail coordinates too); 0 without data or for an empty rectangle.
VORTANA_API int32_t Terrain_ExpandTexture(int32_t id, int32_t texture, int32_t firstColumn,
                                          int32_t firstRow, int32_t columns, int32_t rows,
                                          int32_t alsoDetail);
// Render surfaces of width x height (fitted to the device) become every chunk's texture, cleared
// to opaque black, with copy the chunk's texture drawn over it; their pictures survive device
// resets. 0 for a terrain without chunks or a surface that could not be made.
VORTANA_API int32_t Terrain_CreateDynTextures(int32_t id, int32_t width, int32_t height,
                                              int32_t copy);
// One such surface stretched over the whole terrain (the expanded texture), with copy the first
// chunk's texture drawn over it.
VORTANA_API int32_t Terrain_CreateDynExpandTexture(int32_t id, int32_t width, int32_t height,
                                                   int32_t copy);
// Ends the dynamic textures: they stay as ordinary textures, or with deleteTextures are deleted
// and the chunks left without texture.
VORTANA_API int32_t Terrain_DestroyDynTextures(int32_t id, int32_t deleteTextures);
// Paints texture over the world rectangle (x1, z1) .. (x2, z2) into the dynamic textures it
// touches, colour (ARGB) on its corners, alpha-blended with blend; customUV: coordinates of a
// texture pixel p are p x su + ou and p x sv + ov. Outside any Screen2D_Start ... Screen2D_End;
// with the expanded texture the rectangle is in terrain units, and 0 when it misses the terrain.
VORTANA_API int32_t Terrain_DynDrawTexture(int32_t id, int32_t texture, float x1, float z1,
                                           float x2, float z2, int32_t colour, int32_t blend,
                                           int32_t customUV, float su, float sv, float ou,
                                           float ov);
// Loads "<baseName><chunk>.bmp" as each chunk's texture ("DynTex<chunk>"), or expanded
// "<baseName>.bmp" ("DynTexture") over the terrain; makeDynamic then copies them into dynamic
// textures of the pictures' size.
VORTANA_API int32_t Terrain_LoadDynTexture(int32_t id, const char* baseName, int32_t makeDynamic,
                                           int32_t expanded);
// Saves each chunk's texture as "<baseName><chunk>.bmp", or the expanded one as "<baseName>.bmp".
VORTANA_API int32_t Terrain_SaveDynTextures(int32_t id, const char* baseName);
// Adds a layer to the texture generator: picture blended where heights lie near the middle of
// minHeight..maxHeight (0..255), its range widened by falloff and up to randomness at random,
// repeated uRepeat, vRepeat times a pixel; returns the layer's index.
VORTANA_API int32_t Terrain_TexGenAddLayer(int32_t id, const char* picture, int32_t minHeight,
                                           int32_t maxHeight, float falloff, float uRepeat,
                                           float vRepeat, float randomness);
// Removes every layer; returns 0.
VORTANA_API int32_t Terrain_TexGenClearLayers(int32_t id);
// Writes a size x size bitmap file blending the layers by the height map's blue byte; pixels no
// layer covers are transparent black.
VORTANA_API int32_t Terrain_TexGenGenerate(int32_t id, const char* heightMap,
                                           const char* outputFile, int32_t size);

// ---- Scene time ---------------------------------------------------------------------------------
// Milliseconds of the last frame, which the animated families advance by.
VORTANA_API int32_t Scene_SetTimeElapsed(float milliseconds);
