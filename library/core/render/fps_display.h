// The frame-rate display: a number and the letters FPS in red in the top-left corner, drawn from a
// built-in 256 x 16 glyph image. TextureFactory_WriteFrameRate is declared in
// library/core/vortanautil.h.
#pragma once

// Builds the glyph texture and the vertex buffer on the current device; false (logged) when one of
// them cannot be made.
bool TextureFactory_CreateFpsDisplay();
// Releases both; the display is built again when next written to.
void TextureFactory_ReleaseFpsDisplay();
// The vertex buffer lives in the device's default pool: released before a device reset and made
// again after it (false, logged, when it cannot be).
void TextureFactory_OnLostFpsDisplay();
bool TextureFactory_OnResetFpsDisplay();
