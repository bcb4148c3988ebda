#pragma once

#include "platform/Result.h"

#include <QString>
#include <cups/cups.h>

namespace quillset {

// The calls of libcups the print queues need. The library is opened the first time a queue is
// looked for or printed to, never before: a page that goes to a file maps neither libcups nor
// the libraries it brings (GnuTLS, Kerberos, Avahi...), which would take a good part of a
// --print run's time. The types come from libcups's own header, so each call is checked.
struct CupsCalls {
    decltype(&::cupsGetNamedDest) getNamedDest;
    decltype(&::cupsFreeDests) freeDests;
    decltype(&::cupsLastErrorString) lastErrorString;
    decltype(&::cupsCreateJob) createJob;
    decltype(&::cupsStartDocument) startDocument;
    decltype(&::cupsWriteRequestData) writeRequestData;
    decltype(&::cupsFinishDocument) finishDocument;
    decltype(&::cupsCancelJob2) cancelJob;
};

// The calls, from the library opened once for the process (it stays open), or why it could not
// be opened: no libcups on this system, or one without these calls.
Result<const CupsCalls*> LoadCups();

} // namespace quillset
