#pragma once

#include "cipher/DES_Crypt.h"

#include <QString>

namespace quillset {

// True when every character of `text` has a code in the ANSI code page, so that enciphering and
// deciphering give back the same text.
bool FitsAnsiCodePage(const QString& text);

// The counterpart of DES_Crypt::DecryptHexText for the build: `text` (ANSI code page) padded
// with spaces to whole blocks of 8 characters, each block enciphered under the key text with the
// same schedule (subkeys in forward order), as upper-case hexadecimal text.
QString EncipherHexText(DES_Crypt& des, const QString& text, const QString& key);

} // namespace quillset
