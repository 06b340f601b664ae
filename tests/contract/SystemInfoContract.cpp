// Environment variables, the Windows version and the clock.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

// Variables of the test process outlive a test: each removes its own.
class EnvironmentContract : public Contract {
protected:
    static constexpr const char* kName = "QuellmarContractVariable";
    void TearDown() override {
        P().SetEnvironmentVariableA(kName, nullptr);
        Contract::TearDown();
    }
};

}  // namespace

TEST_F(EnvironmentContract, GetEnvironmentVariableA_MissingVariableFailsUntouched) {
    char buffer[32] = "foo";
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, sizeof buffer), 0u);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_STREQ(buffer, "foo");
}

TEST_F(EnvironmentContract, SetThenGet_SizeQueryAndSmallBufferAndAnyCase) {
    const std::string value = "C:\\One;C:\\Two\\";
    const auto length = static_cast<DWORD>(value.size());
    ASSERT_TRUE(P().SetEnvironmentVariableA(kName, value.c_str()));

    // The size to allocate includes the zero; a short buffer stays untouched.
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, nullptr, 0), length + 1);
    char buffer[64] = "foo";
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, 1), length + 1);
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, length), length + 1);
    EXPECT_STREQ(buffer, "foo");

    // Enough room: the length without the zero. Names ignore case.
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, length + 1), length);
    EXPECT_EQ(buffer, value);
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(P().GetEnvironmentVariableA("QUELLMARcontractVARIABLE", buffer, sizeof buffer), length);
    EXPECT_EQ(buffer, value);

    // Set again replaces; set to null removes.
    ASSERT_TRUE(P().SetEnvironmentVariableA("quellmarcontractvariable", "x"));
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "x");
    ASSERT_TRUE(P().SetEnvironmentVariableA(kName, nullptr));
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, sizeof buffer), 0u);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST_F(EnvironmentContract, EmptyValue_GivesZeroButNotTheMissingError) {
    ASSERT_TRUE(P().SetEnvironmentVariableA(kName, ""));
    char buffer[8] = "foo";
    P().SetLastError(0xDEADBEEF);
    EXPECT_EQ(P().GetEnvironmentVariableA(kName, buffer, sizeof buffer), 0u);
    EXPECT_EQ(P().GetLastError(), 0xDEADBEEFu);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Contract, GetVersionExA_RecordSize148ReportsTheNtFamily) {
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = kOsVersionInfoASize;
    ASSERT_TRUE(P().GetVersionExA(&info)) << P().GetLastError();
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_GE(info.dwMajorVersion, 5u);
}

TEST_F(Contract, GetVersionExA_OnlyTheTwoRecordSizesAreAccepted) {
    struct Case {
        DWORD size;
        bool accepted;
    };
    for (const Case c : {Case{0, false}, Case{74, false}, Case{147, false}, Case{149, false},
                         Case{296, false}, Case{156, true}}) {
        SCOPED_TRACE(c.size);
        OSVERSIONINFOA info;
        info.dwOSVersionInfoSize = c.size;
        P().SetLastError(0xDEADBEEF);
        EXPECT_EQ(P().GetVersionExA(&info) != FALSE, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        }
    }
}

namespace {

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t Milliseconds(const SYSTEMTIME& t) {
    return ((DaysFromCivil(t.wYear, t.wMonth, t.wDay) * 24 + t.wHour) * 60 + t.wMinute) * 60000 +
           t.wSecond * 1000 + t.wMilliseconds;
}

void ExpectValidTime(const SYSTEMTIME& t) {
    EXPECT_GE(t.wYear, 2000);
    EXPECT_TRUE(t.wMonth >= 1 && t.wMonth <= 12) << t.wMonth;
    EXPECT_TRUE(t.wDay >= 1 && t.wDay <= 31) << t.wDay;
    EXPECT_LT(t.wHour, 24);
    EXPECT_LT(t.wMinute, 60);
    EXPECT_LT(t.wSecond, 60);
    EXPECT_LT(t.wMilliseconds, 1000);
    // 1970-01-01 was a Thursday (4).
    EXPECT_EQ(t.wDayOfWeek, ((DaysFromCivil(t.wYear, t.wMonth, t.wDay) % 7) + 11) % 7);
}

}  // namespace

TEST_F(Contract, LocalAndSystemTime_DifferByAZoneOffset) {
    SYSTEMTIME local, utc;
    P().GetLocalTime(&local);
    P().GetSystemTime(&utc);
    ExpectValidTime(local);
    ExpectValidTime(utc);
    // Zones are whole quarter hours apart, at most 14 hours; the two calls
    // may straddle a tick, so round to the minute first.
    const std::int64_t minutes = std::llround((Milliseconds(local) - Milliseconds(utc)) / 60000.0);
    EXPECT_EQ(minutes % 15, 0) << minutes;
    EXPECT_LE(minutes < 0 ? -minutes : minutes, 14 * 60);
}

TEST_F(Contract, Sleep_MovesTheClockOn) {
    SYSTEMTIME before, after;
    P().GetSystemTime(&before);
    P().Sleep(50);
    P().GetSystemTime(&after);
    // A real clock ticks in steps of up to about 16 ms.
    EXPECT_GE(Milliseconds(after) - Milliseconds(before), 50 - 16);
    EXPECT_LT(Milliseconds(after) - Milliseconds(before), 5000);
}

}  // namespace qm::test
