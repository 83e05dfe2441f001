#pragma once

// SHIMAPI_GetFunc: the address of a layer function by its name, so a loaded
// module can find the layer's functions. The names live in one table in
// shim-appstub.cpp; each area adds its functions there.

// Null name: (void*)0x100. Unknown name (compared case-sensitively): null.
void* SHIMAPI_GetFunc(const char* name);
// The table's size and its names by position (tests).
int SHIM_Internal_GetFuncCount();
const char* SHIM_Internal_GetFuncName(int i);
