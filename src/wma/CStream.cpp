#include "wma/CStream.h"

#include <new>

CStream* CStream::Create() { return new (std::nothrow) CStream; }

CStream::CStream() : language(GetSystemDefaultLCID()) {}
