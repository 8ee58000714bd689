// Direct3D 9's names for the values the device layer passes around, for
// logs: SetRenderState(D3DRS_CULLMODE, D3DCULL_CW) rather than (22, 2). A
// value without a name prints in decimal; flag words print their known
// flags joined by '|' and any other bits in hexadecimal ("0" when empty).
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

std::string D3DResultName(HRESULT result);
std::string D3DFormatName(DWORD format);
std::string D3DPoolName(DWORD pool);
std::string D3DUsageName(DWORD usage);
std::string D3DFvfName(DWORD fvf);
std::string D3DPrimitiveName(DWORD type);
std::string D3DTransformName(DWORD type);
std::string D3DDevTypeName(DWORD type);
std::string D3DCreateFlagsName(DWORD flags);
std::string D3DMultiSampleName(DWORD type);
std::string D3DSwapEffectName(DWORD effect);
std::string D3DPresentIntervalName(DWORD interval);
std::string D3DClearFlagsName(DWORD flags);
std::string D3DLockFlagsName(DWORD flags);
std::string D3DLightTypeName(DWORD type);
std::string D3DResourceTypeName(DWORD type);

std::string D3DRenderStateName(DWORD state);
// The value in the terms of the state: TRUE/FALSE, D3DCULL_CW, a colour.
std::string D3DRenderStateValueName(DWORD state, DWORD value);
std::string D3DStageStateName(DWORD type);
std::string D3DStageStateValueName(DWORD type, DWORD value);
std::string D3DSamplerStateName(DWORD type);
std::string D3DSamplerStateValueName(DWORD type, DWORD value);
