#include "service/BuiltInEndpoints.h"
#include "service/Service.h"

namespace mailvane {

ServiceEndpoints BuiltInEndpoints() {
  ServiceEndpoints endpoints{MAILVANE_SERVICE_ROOT, MAILVANE_CAPTCHA_URL, {}};
  const std::string domains = MAILVANE_MAIL_DOMAINS;
  const std::size_t split = domains.find(';');
  endpoints.mailDomains[0] = domains.substr(0, split);
  if (split != std::string::npos) endpoints.mailDomains[1] = domains.substr(split + 1);
  return endpoints;
}

}  // namespace mailvane
