// Formatting of the call texts of the recording backend:
//   Name(arg, arg, ...)
// with Direct3D's names for enumerations and flags (D3DNames.h), other
// integers in decimal, colours as 0x%08X, floats with %g and objects by
// label.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/d3d9/D3DNames.h"
#include "platform/d3d9/d3d9.h"

namespace recording {

std::string Dec(long long value);
std::string Hex(DWORD value);
std::string Flt(double value);
// "[a b c ...]"
std::string Floats(const float* values, std::size_t count);
std::string Matrix(const D3DMATRIX* matrix);
// "null" or "handle": window handles carry no label.
std::string Handle(const void* handle);
// "[left top right bottom]" or "null".
std::string Rect(const RECT* rect);
std::string LockFlags(DWORD flags);
// The structures' members in their order, "null" for none: a viewport as
// "X, Y, Width, Height, MinZ, MaxZ", a material's colours as "[r g b a]"
// then its power, a light's type, colours, vectors "[x y z]" and numbers.
std::string Viewport(const D3DVIEWPORT9* viewport);
std::string Material(const D3DMATERIAL9* material);
std::string Light(const D3DLIGHT9* light);
// "{width height format ...}" in the order of the structure's members.
std::string PresentParams(const D3DPRESENT_PARAMETERS* params);
std::string Call(std::string_view name, std::initializer_list<std::string> args);

}  // namespace recording
