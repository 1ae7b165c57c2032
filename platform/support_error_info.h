// Whether an object's interface may set error information for its caller.
#pragma once
#include "platform/unknown.h"

#ifndef _WIN32
// {DF0B3D60-548F-101B-8E65-08002B2BD119}
inline constexpr IID IID_ISupportErrorInfo = {0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

struct ISupportErrorInfo : IUnknown {
  // S_OK when calls through `iid` may set error information, else S_FALSE.
  virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};
#endif
