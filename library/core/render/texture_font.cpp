#include "library/core/render/texture_font.h"

#include "library/core/vortanautil.h"

void Font_RenderTextItem(const Screen2DTextItem& item) {
  constexpr int32_t kKeepStates = 1;
  Font_Render(item.font, item.x, item.y, item.text, item.color, kKeepStates);
}

int32_t Font_Render(int32_t, float, float, const char*, uint32_t, int32_t) { return 0; }
