// The one export of every hardware-query library (see probe/vendor_protocol.h for the requests).
#pragma once

#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI QuorvelIoControl(DWORD request, void* input, DWORD inputSize,
                                                              void* output, DWORD outputSize,
                                                              DWORD* bytesReturned, void* reserved);
