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
// Logs one line when the process receives a fatal signal, then lets the signal end it.
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
// Frees every family's device objects and tables; the device and the log stay.
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
// Resets the table to "blankmat" alone; returns 0.
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
// Resets the table to its reserved record; returns 0.
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
// 0: 16 bits; 1: 32 bits; 2: compressed; 3: the best the device takes; 4: palettized.
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

// ---- 3DS mesh loader ----------------------------------------------------------------------------
// The material record of one subset of a loaded 3DS mesh: 580 bytes, texts terminated.
struct MAT3DSC {
  d3d::D3DMATERIAL8 material;  // the material's colours, with its opacity as alpha
  char texture[256];           // the first texture map's file (".tif" reported as ".jpg"), or empty
  char name[256];  // the object's name, "object_N" for group N of an object with several
};
static_assert(sizeof(MAT3DSC) == 580);

// Every mesh of a 3DS file as one managed mesh (position, normal, one coordinate pair; subset N has
// record N), its bounding sphere and adjacency (3 DWORDs per face); swap exchanges y and z. The
// caller's array (*materials; null makes one with calloc) gets record count + 1 MAT3DSC elements,
// its pvData (malloc'd memory, or null) reallocated. 0 when loaded; 1 when nothing was made.
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
