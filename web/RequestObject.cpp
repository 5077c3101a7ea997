#include "web/RequestObjectImpl.h"

namespace mailvane {

RequestObject::RequestObject() : impl_(std::make_unique<Impl>()) {
  InitWebAccess();
  impl_->handle = curl_easy_init();  // nullptr is seen by WebAccess as "no object"
}

RequestObject::~RequestObject() {
  if (impl_->handle != nullptr) curl_easy_cleanup(impl_->handle);
}

}  // namespace mailvane
