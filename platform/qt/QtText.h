#pragma once
// Text across the Qt boundary (internal to the layer): the system's 1252 bytes to Qt's
// strings and back.
#include "platform/AnsiString.h"

#include <QString>

inline QString ToQString(const AnsiString& s) { return QString::fromStdString(AnsiToUtf8(s)); }
inline AnsiString FromQString(const QString& s) { return Utf8ToAnsi(s.toStdString()); }
