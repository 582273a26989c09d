#include "platform/d3d/device_state.h"

#include <bit>
#include <cstring>
#include <span>

namespace d3d {
namespace {

DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

void SetRenderStateDefaults(std::array<DWORD, kRenderStateCount>& rs,
                            const D3DPRESENT_PARAMETERS& params, DWORD behaviorFlags) {
  rs.fill(0);
  rs[D3DRS_ZENABLE] = params.EnableAutoDepthStencil ? 1 : 0;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = 1;
  rs[D3DRS_LASTPIXEL] = 1;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGSTART] = FloatBits(0.0f);
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
  rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  rs[D3DRS_CLIPPING] = 1;
  rs[D3DRS_LIGHTING] = 1;
  rs[D3DRS_COLORVERTEX] = 1;
  rs[D3DRS_LOCALVIEWER] = 1;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_SOFTWAREVERTEXPROCESSING] =
      (behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? 1 : 0;
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xF;  // red, green, blue and alpha
}

// Stage 0 modulates its texture with the diffuse colour; every later stage starts disabled.
void SetStageDefaults(std::array<DWORD, kTextureStageStateCount>& ts, UINT stage) {
  ts.fill(0);
  ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
  ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
  ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
  ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
  ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
  ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
  ts[D3DTSS_TEXCOORDINDEX] = stage;
  ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
  ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
  ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
  ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
  ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
  ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
  ts[D3DTSS_MAXANISOTROPY] = 1;
  ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
  ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
  ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
  ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
}

// FNV-1a over the bytes of plain values.
class Fnv1a {
 public:
  template <typename T>
  void Add(const T& value) {
    for (const auto byte : std::as_bytes(std::span(&value, 1))) {
      hash_ = (hash_ ^ static_cast<uint8_t>(byte)) * kPrime;
    }
  }
  uint64_t Value() const { return hash_; }

 private:
  static constexpr uint64_t kPrime = 0x100000001B3ull;
  uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

D3DMATRIX IdentityMatrix() {
  D3DMATRIX identity{};
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
  return identity;
}

bool operator==(const D3DMATRIX& a, const D3DMATRIX& b) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (a.m[row][column] != b.m[row][column]) return false;
    }
  }
  return true;
}

D3DMATRIX FixedFunctionState::Transform(DWORD state) const {
  const auto found = transforms.find(state);
  return found == transforms.end() ? IdentityMatrix() : found->second;
}

D3DLIGHT8 DefaultLight() {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  light.Direction = {0.0f, 0.0f, 1.0f};
  return light;
}

FixedFunctionState DefaultFixedFunctionState(const D3DPRESENT_PARAMETERS& params,
                                             DWORD behaviorFlags, UINT targetWidth,
                                             UINT targetHeight) {
  FixedFunctionState state{};
  SetRenderStateDefaults(state.renderStates, params, behaviorFlags);
  for (UINT stage = 0; stage < kMaxTextureStages; ++stage) {
    SetStageDefaults(state.stageStates[stage], stage);
  }
  state.viewport = {0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
  return state;
}

uint64_t Digest(const FixedFunctionState& state) {
  Fnv1a hash;
  hash.Add(state.renderStates);
  hash.Add(state.stageStates);
  const D3DMATRIX identity = IdentityMatrix();
  for (const auto& [type, matrix] : state.transforms) {
    if (matrix == identity) continue;
    hash.Add(type);
    hash.Add(matrix);
  }
  hash.Add(state.material);
  hash.Add(state.viewport);
  hash.Add(state.scissor);
  for (const auto& [index, slot] : state.lights) {
    if (!slot.enabled) continue;
    hash.Add(index);
    hash.Add(slot.light);
  }
  hash.Add(state.vertexShader);
  hash.Add(state.pixelShader);
  return hash.Value();
}

}  // namespace d3d
