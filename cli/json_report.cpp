// JSON lines: strings escaped, non-UTF-8 fields in base64.
#include "json_report.h"

#include <cstdio>

namespace kelmoro {
namespace {

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0}) text += kDigits[(group >> shift) & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0);
        text += kDigits[(group >> 18) & 63];
        text += kDigits[(group >> 12) & 63];
        text += two ? kDigits[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void AddText(std::string& line, const char* name, const std::string& value) {
    const bool plain = IsValidUtf8(value);
    line += line.size() > 1 ? "," : "";
    line += Quoted(plain ? name : std::string(name) + "_base64") + ":";
    line += Quoted(plain ? value : Base64(value));
}

const char* StatusName(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::kConverted:
            return "converted";
        case FileOutcome::kSkipped:
            return "skipped";
        case FileOutcome::kFailed:
            break;
    }
    return "failed";
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t code;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string JsonLine(const FileReport& report) {
    std::string line = "{";
    AddText(line, "input", report.input);
    if (!report.output.empty()) AddText(line, "output", report.output);
    line += ",\"status\":\"";
    line += StatusName(report.outcome);
    line += "\"";
    if (!report.message.empty()) AddText(line, "message", report.message);
    line += ",\"frames\":" + std::to_string(report.frames) + "}\n";
    return line;
}

}  // namespace kelmoro
