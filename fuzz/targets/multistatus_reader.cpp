// Any bytes as a server's multistatus reply: the reader ends in resources or
// a message, never a crash, a hang or unbounded memory; the hrefs it reads
// go back into a request body that reads as well-formed XML.
#include "sync/dav/Error.h"
#include "sync/dav/Multistatus.h"

#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const dav::Multistatus ms = dav::readMultistatus(bytes);
        QStringList hrefs;
        for (const dav::DavResource& r : ms.resources)
            hrefs << r.href;
        QXmlStreamReader body(dav::multigetBody(hrefs));
        while (!body.atEnd())
            body.readNext();
        if (body.hasError())
            std::abort();
    } catch (const dav::Error&) {
    }
    return 0;
}
