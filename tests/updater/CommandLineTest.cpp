#include "updater/CommandLine.h"
#include "tests/support/CaseName.h"
#include "updater/NumericValue.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

struct LineCase {
    const char* name;
    QString line;
    CommandLineVerdict verdict;
    QString module;
    float version;
    QString folder;
    QString givenFolder = {}; // checked where set: the folder as spelt on the line
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLineReadingTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineReadingTest, FieldsAsTheStartingProgramWroteThem) {
    const LineCase& c = GetParam();
    const CommandLineReading reading = ReadCommandLineFields(c.line);
    ASSERT_EQ(reading.verdict, c.verdict);
    if (c.verdict != CommandLineVerdict::Read)
        return;
    EXPECT_EQ(reading.fields.ModuleName, c.module);
    EXPECT_EQ(reading.fields.CurrentVersion, c.version);
    EXPECT_EQ(reading.fields.ModuleFolder, c.folder);
    if (!c.givenFolder.isEmpty()) {
        EXPECT_EQ(reading.fields.givenModuleFolder, c.givenFolder);
    }
}

const QString kLongFolder = QStringLiteral("C:\\") + QString(100 * 1024, QLatin1Char('d'));

INSTANTIATE_TEST_SUITE_P(
    Agent, CommandLineReadingTest,
    ::testing::Values(
        LineCase{"PercentStandsForSpace", "EDITOR 2.5 C:\\APPS%DIR\\EDITOR",
                 CommandLineVerdict::Read, "EDITOR", 2.5f, "C:\\APPS DIR\\EDITOR\\"},
        LineCase{"LowerCaseIsUpperCased", "editor 2.5 c:\\apps", CommandLineVerdict::Read, "EDITOR",
                 2.5f, "C:\\APPS\\"},
        LineCase{"OuterBlanksTrimmed", "   EDITOR 2.5 C:\\APPS   ", CommandLineVerdict::Read,
                 "EDITOR", 2.5f, "C:\\APPS\\"},
        LineCase{"OnlyBlanksIsEmpty", "     ", CommandLineVerdict::Empty, "", 0, ""},
        LineCase{"NothingIsEmpty", "", CommandLineVerdict::Empty, "", 0, ""},
        LineCase{"ModuleAlone", "EDITOR", CommandLineVerdict::Read, "EDITOR", 0.0f, "\\"},
        LineCase{"DottedVersionStopsAtSecondPoint", "EDITOR 1.2.3 C:\\A", CommandLineVerdict::Read,
                 "EDITOR", 1.2f, "C:\\A\\"},
        LineCase{"VersionWithoutNumber", "EDITOR abc C:\\A", CommandLineVerdict::Read, "EDITOR",
                 0.0f, "C:\\A\\"},
        LineCase{"TwoSpacesOpenTwoFields", "EDITOR  2.5", CommandLineVerdict::Read, "EDITOR", 0.0f,
                 "2.5\\"},
        LineCase{"FolderKeepsItsOwnBackslash", "EDITOR 2.5 C:\\APPS\\", CommandLineVerdict::Read,
                 "EDITOR", 2.5f, "C:\\APPS\\"},
        LineCase{"UnixFolder", "editor 3 /home/me/apps%x/", CommandLineVerdict::Read, "EDITOR",
                 3.0f, "/HOME/ME/APPS X/\\"},
        LineCase{"NonAsciiUpperCased", QStringLiteral("éditeur 2 c:\\ñ"), CommandLineVerdict::Read,
                 QStringLiteral("ÉDITEUR"), 2.0f, QStringLiteral("C:\\Ñ\\")},
        LineCase{"SharpSStaysOneCharacter", QStringLiteral("straße 2 /tmp/straße"),
                 CommandLineVerdict::Read, QStringLiteral("STRAßE"), 2.0f,
                 QStringLiteral("/TMP/STRAßE\\"), QStringLiteral("/tmp/straße\\")},
        LineCase{"CyrillicFolderKeptAsGiven", QStringLiteral("editor 2 /tmp/при%ложение"),
                 CommandLineVerdict::Read, "EDITOR", 2.0f, QStringLiteral("/TMP/ПРИ ЛОЖЕНИЕ\\"),
                 QStringLiteral("/tmp/при ложение\\")},
        LineCase{"OutsideTheBasicPlaneOneForOne", QStringLiteral("editor 2 /\U00010428x"),
                 CommandLineVerdict::Read, "EDITOR", 2.0f, QStringLiteral("/\U00010400X\\"),
                 QStringLiteral("/\U00010428x\\")},
        LineCase{"FourthFieldRefused", "EDITOR 2.5 C:\\APPS DIR", CommandLineVerdict::SurplusFields,
                 "", 0, ""},
        LineCase{"TwoSpacesBeforeFolderRefused", "EDITOR  2.5 C:\\A",
                 CommandLineVerdict::SurplusFields, "", 0, ""},
        LineCase{"HundredKilobyteFolder", "EDITOR 2.5 " + kLongFolder, CommandLineVerdict::Read,
                 "EDITOR", 2.5f, kLongFolder.toUpper() + "\\"},
        LineCase{"HundredKilobytesOfSpaces", "EDITOR" + QString(100 * 1024, QLatin1Char(' ')) + "X",
                 CommandLineVerdict::SurplusFields, "", 0, ""}),
    CaseName());

struct NumberCase {
    const char* name;
    const char* text;
    float value;
};

void PrintTo(const NumberCase& c, std::ostream* out) {
    *out << c.name;
}

class LeadingNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumberTest, ReadsTheNumberTheTextStartsWith) {
    EXPECT_EQ(LeadingNumber(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Agent, LeadingNumberTest,
    ::testing::Values(NumberCase{"Plain", "2.5", 2.5f}, NumberCase{"TrailingZero", "2.50", 2.5f},
                      NumberCase{"DecimalNotDotted", "1.10", 1.1f},
                      NumberCase{"LeadingBlanksSkipped", " \t 7.25x", 7.25f},
                      NumberCase{"StopsAtComma", "3,1", 3.0f},
                      NumberCase{"Negative", "-1.5", -1.5f}, NumberCase{"Signed", "+4", 4.0f},
                      NumberCase{"PointFirst", ".5", 0.5f}, NumberCase{"PointOnly", ".", 0.0f},
                      NumberCase{"SignOnly", "-", 0.0f}, NumberCase{"Letters", "v2", 0.0f},
                      NumberCase{"BlankInsideStops", "1 2", 1.0f},
                      NumberCase{"SingleFloatPrecision", "2.60000001", 2.6f},
                      NumberCase{"TinyIsZero",
                                 "0.0000000000000000000000000000000000000000000000000000000001",
                                 0.0f}),
    CaseName());

TEST(LeadingNumberTest, NumbersBeyondAFloatAreInfinite) {
    EXPECT_TRUE(std::isinf(LeadingNumber(QString(400, QLatin1Char('9')))));
    EXPECT_TRUE(
        std::isinf(LeadingNumber(QStringLiteral("340282356779733661637539395458142568448"))));
    EXPECT_LT(LeadingNumber(QLatin1String("-") + QString(400, QLatin1Char('9'))), 0.0f);
}

} // namespace
} // namespace quillset::test
