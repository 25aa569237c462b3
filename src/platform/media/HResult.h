#pragma once
// Result codes with the platform's numeric values: negative is failure. Library errors
// (errno, ALSA, FFmpeg ...) are translated here once, into a code plus a readable text.

#include <cstdint>
#include <string>

using HRESULT = int32_t;

constexpr HRESULT MakeResult(uint32_t value) { return static_cast<HRESULT>(value); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeResult(0x80004002);
constexpr HRESULT E_POINTER = MakeResult(0x80004003);
constexpr HRESULT E_ABORT = MakeResult(0x80004004);
constexpr HRESULT E_FAIL = MakeResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeResult(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = MakeResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeResult(0x80070057);

constexpr HRESULT VFW_S_NO_MORE_ITEMS = MakeResult(0x00040103);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = MakeResult(0x00040237);
constexpr HRESULT VFW_S_CANT_CUE = MakeResult(0x00040268);
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = MakeResult(0x80040200);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeResult(0x80040204);
constexpr HRESULT VFW_E_NO_TYPES = MakeResult(0x80040206);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeResult(0x80040207);
constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeResult(0x80040208);
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeResult(0x80040209);
constexpr HRESULT VFW_E_NO_ALLOCATOR = MakeResult(0x8004020A);
constexpr HRESULT VFW_E_RUNTIME_ERROR = MakeResult(0x8004020B);
constexpr HRESULT VFW_E_BUFFER_NOTSET = MakeResult(0x8004020C);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = MakeResult(0x8004020D);
constexpr HRESULT VFW_E_BADALIGN = MakeResult(0x8004020E);
constexpr HRESULT VFW_E_ALREADY_COMMITTED = MakeResult(0x8004020F);
constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = MakeResult(0x80040210);
constexpr HRESULT VFW_E_NOT_COMMITTED = MakeResult(0x80040211);
constexpr HRESULT VFW_E_SIZENOTSET = MakeResult(0x80040212);
constexpr HRESULT VFW_E_NOT_FOUND = MakeResult(0x80040216);
constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeResult(0x80040217);
constexpr HRESULT VFW_E_CANNOT_RENDER = MakeResult(0x80040218);
constexpr HRESULT VFW_E_NOT_STOPPED = MakeResult(0x80040224);
constexpr HRESULT VFW_E_WRONG_STATE = MakeResult(0x80040227);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeResult(0x8004022A);
constexpr HRESULT VFW_E_SAMPLE_REJECTED = MakeResult(0x8004022B);
constexpr HRESULT VFW_E_SAMPLE_REJECTED_EOS = MakeResult(0x8004022C);
constexpr HRESULT VFW_E_DUPLICATE_NAME = MakeResult(0x8004022D);
constexpr HRESULT VFW_E_TIMEOUT = MakeResult(0x8004022E);
constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeResult(0x8004022F);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeResult(0x80040240);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeResult(0x80040265);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeResult(0x8004025F);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Win32-style wrapping of an errno value: 0x8007xxxx, with ENOSPC as the disk-full code.
HRESULT HResultFromErrno(int error);

// A sentence a user can read, for any code this platform produces.
std::string DescribeResult(HRESULT hr);

// A detail text for the last failure on this thread, set where a library error is translated
// (device refused a rate, file not writable ...) and read by whoever shows the failure. The
// text stays on its thread; a graph event carries it to the thread that reads the event.
void SetErrorInfo(const std::string& text);
std::string GetErrorInfo();
void ClearErrorInfo();
