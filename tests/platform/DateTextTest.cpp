// The footer's date texts, in a fixed system locale (the ctest entry sets LC_ALL=en_US.UTF-8).
#include "platform/DateText.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

struct DateTextCase {
    const char* name;
    QDateTime value;
    const char* general;
};

class GeneralDate : public ::testing::TestWithParam<DateTextCase> {};

TEST_P(GeneralDate, IsTheShortDateAndTheClockTime) {
    EXPECT_EQ(GeneralDateText(GetParam().value).toStdString(), GetParam().general);
}

INSTANTIATE_TEST_SUITE_P(
    DateText, GeneralDate,
    ::testing::Values(DateTextCase{"MidnightShowsTheDateAlone",
                                   QDateTime(QDate(2003, 3, 7), QTime(0, 0)), "3/7/03"},
                      DateTextCase{"TimeWithoutTheTimeZone",
                                   QDateTime(QDate(2003, 3, 7), QTime(9, 5, 7)),
                                   "3/7/03 9:05:07 AM"},
                      DateTextCase{"OneSecondPastMidnightShowsTheTime",
                                   QDateTime(QDate(2003, 12, 24), QTime(0, 0, 1)),
                                   "12/24/03 12:00:01 AM"}),
    CaseName());

TEST(DateText, LongDateIsTheLocalesLongForm) {
    EXPECT_EQ(LongDateText(QDate(2003, 3, 7)).toStdString(), "Friday, March 7, 2003");
}

} // namespace
} // namespace quillset::test
