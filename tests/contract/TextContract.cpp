// Text in the system code page: the locale's comparison that keeps the
// search folders sorted, ANSI upper-casing and conversion to UTF-16.
#include <string>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

struct Comparison {
    const char* a;
    const char* b;
    int expected;
};

}  // namespace

TEST_F(Contract, CompareStringA_IgnoringCase_OrdersAsTheLocaleDoes) {
    const Comparison cases[] = {
        {"abc", "ABC", CSTR_EQUAL},
        {"C:\\Windows\\System32", "c:\\WINDOWS\\system32", CSTR_EQUAL},
        {"a", "B", CSTR_LESS_THAN},
        {"B", "a", CSTR_GREATER_THAN},
        {"C:", "C:\\WINDOWS", CSTR_LESS_THAN},
        {"abc", "abcd", CSTR_LESS_THAN},
        {"", "a", CSTR_LESS_THAN},
        // Not the order of the bytes: symbols before digits before letters.
        {"C:\\Z", "C:A", CSTR_LESS_THAN},
        {"_x", "1x", CSTR_LESS_THAN},
        {"9", "a", CSTR_LESS_THAN},
    };
    for (const Comparison& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c.a, -1, c.b, -1), c.expected);
        const int reversed = c.expected == CSTR_EQUAL ? CSTR_EQUAL : 4 - c.expected;
        EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c.b, -1, c.a, -1), reversed);
    }
}

TEST_F(Contract, CompareStringA_CountsLimitTheTexts_CaseCountsWithoutTheFlag) {
    EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "abcdef", 3, "ABC", -1), CSTR_EQUAL);
    EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "abcdef", 4, "ABC", 3),
              CSTR_GREATER_THAN);
    // Without NORM_IGNORECASE the small letter sorts first.
    EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, 0, "a", -1, "A", -1), CSTR_LESS_THAN);
    EXPECT_EQ(P().CompareStringA(LOCALE_USER_DEFAULT, 0, "Same", -1, "Same", -1), CSTR_EQUAL);
}

TEST_F(Contract, CharUpperBuffA_UpperCasesTheGivenLengthInPlace) {
    char text[] = "c:\\progra~1\\my app\\x-1.exe";
    EXPECT_EQ(P().CharUpperBuffA(text, sizeof text - 1), sizeof text - 1);
    EXPECT_STREQ(text, "C:\\PROGRA~1\\MY APP\\X-1.EXE");

    char part[] = "abcdef";
    EXPECT_EQ(P().CharUpperBuffA(part, 3), 3u);
    EXPECT_STREQ(part, "ABCdef");
}

TEST_F(Contract, MultiByteToWideChar_SizeQueryConversionAndShortBuffer) {
    // A count of -1 takes the ending zero along.
    EXPECT_EQ(P().MultiByteToWideChar(CP_ACP, 0, "Quellmar", -1, nullptr, 0), 9);
    WCHAR wide[16];
    EXPECT_EQ(P().MultiByteToWideChar(CP_ACP, 0, "Quellmar", -1, wide, 16), 9);
    EXPECT_EQ(std::u16string(wide), u"Quellmar");

    // An explicit count converts exactly those bytes, without a zero.
    std::u16string part(8, u'*');
    EXPECT_EQ(P().MultiByteToWideChar(CP_ACP, 0, "Quellmar", 5, part.data(), 8), 5);
    EXPECT_EQ(part, u"Quell***");

    P().SetLastError(0);
    EXPECT_EQ(P().MultiByteToWideChar(CP_ACP, 0, "Quellmar", -1, wide, 4), 0);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace qm::test
