// A stand-in for the demo pests' COM servers: a DLL whose self-registration
// entry points succeed and do nothing.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() { return S_OK; }
extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() { return S_OK; }
