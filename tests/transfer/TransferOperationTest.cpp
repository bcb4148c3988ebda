#include "transfer/TransferOperation.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

struct OperationCase {
    const char* name;
    const char* operation;
    const char* remoteName;
    const char* localPath;
};

class OperationText : public ::testing::TestWithParam<OperationCase> {};

TEST_P(OperationText, SplitsNameAndWholeLocalPath) {
    const OperationCase& c = GetParam();
    const TransferOperation parsed = ParseTransferOperation(QString::fromUtf8(c.operation));
    EXPECT_EQ(parsed.remoteName, QString::fromUtf8(c.remoteName));
    EXPECT_EQ(parsed.localPath, QString::fromUtf8(c.localPath));
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, OperationText,
    ::testing::Values(
        OperationCase{"PlainFolder", "GET EDITOR.VER C:\\APPS\\EDITOR\\EDITOR.VER", "EDITOR.VER",
                      "C:\\APPS\\EDITOR\\EDITOR.VER"},
        OperationCase{"FolderWithSpacesUnquoted", "GET EDITOR.VER C:\\APPS DIR\\EDITOR.VER",
                      "EDITOR.VER", "C:\\APPS DIR\\EDITOR.VER"},
        OperationCase{"TrailingSpaceKeptInPath", "GET A.ZIP /tmp/x /A.ZIP ", "A.ZIP",
                      "/tmp/x /A.ZIP "},
        OperationCase{"LowerCaseVerb", "get A.VER /tmp/A.VER", "A.VER", "/tmp/A.VER"}),
    CaseName());

struct RefusedCase {
    const char* name;
    const char* operation;
};

class RefusedOperation : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOperation, ThrowsTransferError) {
    EXPECT_THROW(ParseTransferOperation(QString::fromUtf8(GetParam().operation)), TransferError);
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, RefusedOperation,
    ::testing::Values(RefusedCase{"Empty", ""}, RefusedCase{"NotAGet", "PUT A.VER /tmp/A.VER"},
                      RefusedCase{"NoLocalPath", "GET A.VER"},
                      RefusedCase{"EmptyLocalPath", "GET A.VER "},
                      RefusedCase{"EmptyName", "GET  /tmp/A.VER"},
                      RefusedCase{"NameWalksUp", "GET ../A.VER /tmp/A.VER"},
                      RefusedCase{"NameWithBackslash", "GET X\\A.VER /tmp/A.VER"},
                      RefusedCase{"NameIsDotDot", "GET .. /tmp/x"}),
    CaseName());

struct AddressCase {
    const char* name;
    const char* address;
    const char* remoteName;
    const char* expected;
};

class RemoteAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(RemoteAddress, ResolvesNameInsideTheServerFolder) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(ResolveRemoteAddress(QString::fromUtf8(c.address), QString::fromUtf8(c.remoteName)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, RemoteAddress,
    ::testing::Values(
        AddressCase{"FolderWithSlash", "http://h:81/updates/", "A.VER",
                    "http://h:81/updates/A.VER"},
        AddressCase{"FolderWithoutSlash", "http://h/updates", "A.VER", "http://h/updates/A.VER"},
        AddressCase{"HostOnly", "https://h", "A.ZIP", "https://h/A.ZIP"},
        AddressCase{"QueryAndFragmentDropped", "http://h/u/?k=1#top", "A.VER", "http://h/u/A.VER"},
        AddressCase{"PaddingAfterAddress", "http://h/u/  \t", "A.VER", "http://h/u/A.VER"},
        AddressCase{"NameEscaped", "ftp://h/u/", "A#B?.VER", "ftp://h/u/A%23B%3f.VER"},
        AddressCase{"FileAddress", "file:///srv/up", "A.VER", "file:///srv/up/A.VER"}),
    CaseName());

TEST(RemoteAddress, RefusesUnusableAddresses) {
    for (const char* address : {"", "not an address", "gopher://h/u/", "ldap://h/", "h:/x y"})
        EXPECT_THROW(ResolveRemoteAddress(QString::fromUtf8(address), QStringLiteral("A.VER")),
                     TransferError)
            << address;
}

TEST(RemoteAddress, PaddingOfNulCharactersIsDropped) {
    QString padded = QStringLiteral("http://h/u/");
    padded += QString(5, QChar(0));
    EXPECT_EQ(ResolveRemoteAddress(padded, QStringLiteral("A.VER")), "http://h/u/A.VER");
}

} // namespace
} // namespace quillset::test
