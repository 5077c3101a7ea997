// Placeholder bodies until the operations land; removed by them.
#include "service/Service.h"
#include "service/BuiltInEndpoints.h"

namespace mailvane {
SharedText ReplyLink;
SharedText CaptchaCookies;
ServiceEndpoints BuiltInEndpoints() { return {MAILVANE_SERVICE_ROOT, MAILVANE_CAPTCHA_URL, {"a", "b"}}; }
void FetchInitialMailbox(const ServiceContext&) {}
void ChangeMailbox(const ServiceContext&) {}
void RefreshInbox(const ServiceContext&) {}
void ViewMail(const ServiceContext&) {}
void ShowHtml(const ServiceContext&) {}
void LoadCaptcha(const ServiceContext&) {}
std::string RandomFractionText() { return "0.123456789012345"; }
void DeleteMail(const ServiceContext&) {}
void SendReply(const ServiceContext&) {}
}  // namespace mailvane
