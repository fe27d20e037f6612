#include "Xmltest.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

#include <vector>

bool TXMLtest::Test(const AnsiString& fileName) {
    // The list's own reading, so the bounds are those of Load; what it builds is dropped.
    std::vector<phonelist::_estados> scratch;
    outcome_ = ReadPhoneListFile(ExtractFileDir(Application->ExeName()) + "\\" + fileName, scratch);
    result = outcome_ == TXmlRead::Parsed;
    return result;
}
