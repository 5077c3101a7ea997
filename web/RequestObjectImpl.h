#pragma once
// The inside of a RequestObject, shared by the web/ sources only.
#include <curl/curl.h>

#include "web/WebAccess.h"

namespace mailvane {

struct RequestObject::Impl {
  CURL* handle = nullptr;
  // Time-outs in milliseconds. A fresh object starts with these (connect 60 s,
  // 30 s without a byte moving); a call with timeoutSeconds -1 leaves them.
  long connectTimeoutMs = 60000;
  long idleTimeoutMs = 30000;
};

}  // namespace mailvane
