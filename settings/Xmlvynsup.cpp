#include "Xmlvynsup.h"

#include "platform/SysUtils.h"

#include <expat.h>
#include <zlib.h>

namespace {
constexpr int kBlock = 65536;
}

TXmlRead ReadXmlFile(const AnsiString& path, const std::function<void(XML_ParserStruct*)>& setup) {
    // gzopen accepts a directory on this platform; only a regular file counts as openable.
    if (!FileExists(path)) return TXmlRead::OpenFailed;
    gzFile file = gzopen(NativePath(path).c_str(), "rb");
    if (!file) return TXmlRead::OpenFailed;
    XML_Parser parser = XML_ParserCreate("ISO-8859-1");
    if (!parser) {
        gzclose(file);
        return TXmlRead::NoParser;
    }
    if (setup) setup(parser);
    TXmlRead result;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kBlock);
        if (!buffer) { result = TXmlRead::NoBuffer; break; }
        int count = gzread(file, buffer, kBlock);
        if (count < 0) { result = TXmlRead::ReadFailed; break; }
        if (XML_ParseBuffer(parser, count, count == 0) == XML_STATUS_ERROR) { result = TXmlRead::ParseFailed; break; }
        if (count == 0) { result = TXmlRead::Parsed; break; }
    }
    gzclose(file);
    XML_ParserFree(parser);
    return result;
}
