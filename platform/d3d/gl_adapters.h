// Internal to the OpenGL device: the display adapters the creation object lists.
#pragma once

#include "platform/d3d/headless.h"

#include <vector>

namespace d3d::gl {

// One adapter per connected output that XRandR reports, described by the OpenGL renderer's name
// and the output's, with the output's modes in X8R8G8B8. Without an X display, or when it reports
// no output, one adapter whose only mode is desktop. desktop becomes the first output's current
// mode when there is one.
std::vector<HeadlessAdapter> ListAdapters(D3DDISPLAYMODE& desktop);

}  // namespace d3d::gl
