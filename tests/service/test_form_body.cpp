#include "service/FormBody.h"

#include <gtest/gtest.h>

#include "text/CodePage.h"

namespace mailvane {
namespace {

struct EncodingCase {
  const char* utf8;  // the value as the user sees it
  const char* encoded;
};

class FormValueTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(FormValueTest, WritesTheUtf8BytesOfTheLocalText) {
  EXPECT_EQ(FormValue(Utf8ToLocal(GetParam().utf8)), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormValueTest,
    testing::Values(EncodingCase{"", ""},
                    EncodingCase{"AZaz09*-._", "AZaz09*-._"},
                    EncodingCase{"a b", "a+b"},
                    EncodingCase{"a&b=c%d", "a%26b%3Dc%25d"},
                    EncodingCase{"line\r\nbreak", "line%0D%0Abreak"},
                    EncodingCase{"+/?#~!'()", "%2B%2F%3F%23%7E%21%27%28%29"},
                    EncodingCase{"回复：你好", "%E5%9B%9E%E5%A4%8D%EF%BC%9A%E4%BD%A0%E5%A5%BD"},
                    EncodingCase{"[Svc] {1}", "%5BSvc%5D+%7B1%7D"}));

TEST(FormBodyTest, FixedPiecesStayAsTheServiceExpectsThem) {
  EXPECT_EQ(RefreshBody(""), "data=&type=refresh&arg=");
  EXPECT_EQ(RefreshBody("k3x9"), "data=k3x9&type=refresh&arg=");
  EXPECT_EQ(RenewBody("k3x9", "mail.example"), "data=k3x9&type=renew&arg=d%3Dmail.example_f%3D");
  EXPECT_EQ(MailInfoBody("k3x9", "20240501093000"),
            "data=k3x9&type=mailinfo&arg=f%3D20240501093000");
  EXPECT_EQ(DelMailBody("k3x9", ""), "data=k3x9&type=delmail&arg=f%3D");
}

TEST(FormBodyTest, ValuesCannotChangeTheShapeOfTheBody) {
  EXPECT_EQ(RenewBody("a&type=x", "d%3D"), "data=a%26type%3Dx&type=renew&arg=d%3Dd%253D_f%3D");
  EXPECT_EQ(DelMailBody("n", "1&arg=2"), "data=n&type=delmail&arg=f%3D1%26arg%3D2");
}

TEST(FormBodyTest, ReplyHasItsThirteenPiecesInOrder) {
  const std::string body = AnonymousBody(Utf8ToLocal("谢谢 & bye"), "20240501093000", "ab12",
                                         Utf8ToLocal("回复：[Svc] {1}"), "0042");
  EXPECT_EQ(body,
            "data=%E8%B0%A2%E8%B0%A2+%26+bye"
            "&type=anonymous&arg=f%3D20240501093000"
            "_t%3Dab12"
            "_r%3D20240501093000"
            "_p%3D0_s%3D%E5%9B%9E%E5%A4%8D%EF%BC%9A%5BSvc%5D+%7B1%7D"
            "_yzm%3D0042"
            "_at%3D");
}

TEST(FormBodyTest, ReplyWithEmptyValuesKeepsEveryKey) {
  EXPECT_EQ(AnonymousBody("", "", "", "", " "),
            "data=&type=anonymous&arg=f%3D_t%3D_r%3D_p%3D0_s%3D_yzm%3D+_at%3D");
}

}  // namespace
}  // namespace mailvane
