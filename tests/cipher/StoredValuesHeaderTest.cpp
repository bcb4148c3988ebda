#include "ExpectedStoredValues.h"
#include "StoredValues.h"
#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

// The header written by quillset_stored_values_header() holds exactly what the cache values say.
TEST(StoredValuesHeaderTest, DeciphersToTheCacheValues) {
    static_assert(sizeof(kStoredUpdateAddress) == 97);
    static_assert(sizeof(kStoredArchivePassword) == 17);

    ScriptedDialogs dialogs;
    DES_Crypt des(dialogs);
    const QString key = QStringLiteral("3E71B0C4");
    EXPECT_EQ(des.DecryptHexText(QString::fromLatin1(kStoredUpdateAddress), key),
              QString::fromUtf8(EXPECTED_UPDATE_URL).trimmed());
    EXPECT_EQ(des.DecryptHexText(QString::fromLatin1(kStoredArchivePassword), key),
              QString::fromUtf8(EXPECTED_ARCHIVE_PASSWORD).trimmed());
    EXPECT_TRUE(dialogs.messages().empty());
}

} // namespace
} // namespace quillset::test
