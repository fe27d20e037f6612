#include "ServerText.h"

AnsiString ServerText(std::string_view text) {
    bool cut = text.size() > kServerTextShown;
    if (cut) text = text.substr(0, kServerTextShown - 3);
    AnsiString out;
    out.reserve(text.size() + 3);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        out += c == '\t' ? ' ' : c < 0x20 || c == 0x7F ? '?' : ch;
    }
    if (cut) out += "...";
    return out;
}
