#pragma once

#include <QByteArrayView>

namespace quillset {

// The company logo shown on the form: a placeable metafile stored with the program.
QByteArrayView FormLogoData();

} // namespace quillset
