#include "platform/d3dx/render_to_surface.h"

#include "platform/d3d/com_object.h"
#include "platform/d3dx/com_ptr.h"

namespace d3dx {
namespace {

using namespace d3d;

class RenderToSurface final : public ID3DXRenderToSurface {
 public:
  RenderToSurface(IDirect3DDevice8* device, const D3DXRTS_DESC& desc)
      : device_(device), desc_(desc) {
    device_->AddRef();
  }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    return AnswerQuery<ID3DXRenderToSurface>(iid, object, this,
                                             {&IID_IUnknown, &IID_ID3DXRenderToSurface});
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetDevice(IDirect3DDevice8** device) override { return HandOut(device_, device); }
  HRESULT GetDesc(D3DXRTS_DESC* desc) override {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
  }

  HRESULT BeginScene(IDirect3DSurface8* surface, const D3DVIEWPORT8* viewport) override {
    if (surface == nullptr || inScene_ || (desc_.DepthStencil && !depth_))
      return D3DERR_INVALIDCALL;
    // The scene first: a device already inside one refuses, and nothing has been changed yet.
    HRESULT result = device_->BeginScene();
    if (FAILED(result)) return result;
    // The device may have no target or depth buffer bound: those come back as none.
    device_->GetRenderTarget(savedTarget_.Out());
    device_->GetDepthStencilSurface(savedDepth_.Out());
    device_->GetViewport(&savedViewport_);
    result = device_->SetRenderTarget(surface, depth_.Get());
    if (SUCCEEDED(result) && viewport != nullptr) result = device_->SetViewport(viewport);
    if (FAILED(result)) {
      device_->EndScene();
      Restore();
      return result;
    }
    inScene_ = true;
    return D3D_OK;
  }

  HRESULT EndScene() override {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    HRESULT result = device_->EndScene();
    Restore();
    return result;
  }

  HRESULT OnLostDevice() override {
    if (inScene_) EndScene();
    depth_.Reset();
    return D3D_OK;
  }

  HRESULT OnResetDevice() override {
    if (!desc_.DepthStencil || depth_) return D3D_OK;
    return device_->CreateDepthStencilSurface(desc_.Width, desc_.Height, desc_.DepthStencilFormat,
                                              D3DMULTISAMPLE_NONE, depth_.Out());
  }

 private:
  ~RenderToSurface() {
    if (inScene_) EndScene();
    depth_.Reset();
    device_->Release();
  }

  void Restore() {
    device_->SetRenderTarget(savedTarget_.Get(), savedDepth_.Get());
    device_->SetViewport(&savedViewport_);
    savedTarget_.Reset();
    savedDepth_.Reset();
  }

  IDirect3DDevice8* device_;
  D3DXRTS_DESC desc_;
  ComPtr<IDirect3DSurface8> depth_;
  ComPtr<IDirect3DSurface8> savedTarget_;
  ComPtr<IDirect3DSurface8> savedDepth_;
  D3DVIEWPORT8 savedViewport_{};
  bool inScene_ = false;
  ULONG references_ = 1;
};

}  // namespace

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice8* device, UINT width, UINT height,
                                  D3DFORMAT format, BOOL depthStencil, D3DFORMAT depthStencilFormat,
                                  ID3DXRenderToSurface** object) {
  if (device == nullptr || object == nullptr || width == 0 || height == 0)
    return D3DERR_INVALIDCALL;
  auto* created =
      new RenderToSurface(device, {width, height, format, depthStencil, depthStencilFormat});
  HRESULT result = created->OnResetDevice();
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *object = created;
  return D3D_OK;
}

}  // namespace d3dx
