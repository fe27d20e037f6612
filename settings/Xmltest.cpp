#include "Xmltest.h"

#include "Xmlvynsup.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

bool TXMLtest::Test(const AnsiString& fileName) {
    result = ReadXmlFile(ExtractFileDir(Application->ExeName()) + "\\" + fileName) == TXmlRead::Parsed;
    return result;
}
